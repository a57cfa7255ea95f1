// Program (FXP) and bank (FXB) preset files: big-endian fields, normalised parameter
// values or a state chunk behind the native-order version header.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "WDL/IPlug/IPlugBase.h"

namespace {
constexpr int kCcnK = 0x43636E4B;     // "CcnK": every file and program record
constexpr int kFxCk = 0x4678436B;     // "FxCk": a program as parameter values
constexpr int kFPCh = 0x46504368;     // "FPCh": a program as a state chunk
constexpr int kFxBk = 0x4678426B;     // "FxBk": a bank as program records
constexpr int kFBCh = 0x46424368;     // "FBCh": a bank as one state chunk
constexpr int kVerMagic = 0x70666674; // "pfft": the version header, native order
constexpr int kIPlugVer = 0x00010000; // framework version in the header
constexpr int kNameFieldLen = 28;     // 27 characters and a zero
constexpr int kProgramHeaderLen = 56; // up to the values or the chunk size
constexpr int kBankHeaderLen = 156;   // up to the records or the chunk size

int WDL_bswap_if_le(int v) {
  return static_cast<int>(__builtin_bswap32(static_cast<uint32_t>(v)));
}
unsigned int WDL_bswap_if_le(unsigned int v) {
  return __builtin_bswap32(v);
}

void PutBE(ByteChunk* pChunk, int v) {
  const int swapped = WDL_bswap_if_le(v);
  pChunk->Put(&swapped);
}

void PutBEFloat(ByteChunk* pChunk, double v) {
  const float f = static_cast<float>(v);
  unsigned int u;
  std::memcpy(&u, &f, sizeof(u));
  u = WDL_bswap_if_le(u);
  pChunk->Put(&u);
}

int GetBE(const ByteChunk* pChunk, int* pV, int pos) {
  int raw = 0;
  pos = pChunk->Get(&raw, pos);
  *pV = WDL_bswap_if_le(raw);
  return pos;
}

int GetBEFloat(const ByteChunk* pChunk, double* pV, int pos) {
  unsigned int u = 0;
  pos = pChunk->Get(&u, pos);
  u = WDL_bswap_if_le(u);
  float f;
  std::memcpy(&f, &u, sizeof(f));
  *pV = f;
  return pos;
}

// 28 bytes: at most 27 of the name, then zeros.
void MakeNameField(char* pField, const char* name) {
  std::memset(pField, 0, kNameFieldLen);
  const size_t n = name ? strnlen(name, kNameFieldLen - 1) : 0;
  if (n) std::memcpy(pField, name, n);
}

// Reads a name field; one without a zero is cut at 27 characters.
int GetNameField(const ByteChunk* pChunk, char* pField, int pos) {
  std::memset(pField, 0, kNameFieldLen);
  pos = pChunk->GetBytes(pField, kNameFieldLen, pos);
  pField[kNameFieldLen - 1] = '\0';
  return pos;
}

// True when the n big-endian floats at pos are all there and finite.
bool ValuesUsable(const ByteChunk* pChunk, int pos, int n) {
  for (int i = 0; i < n; ++i) {
    double v;
    pos = GetBEFloat(pChunk, &v, pos);
    if (pos < 0 || !std::isfinite(v)) return false;
  }
  return true;
}

// A normalised value from a file, kept to 0-1.
double Normalized01(double v) {
  return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

// The chunk of chunkSize bytes at pos (where its size field ends), or false when the
// file does not hold that many.
bool CopyEmbeddedChunk(const ByteChunk* pFile, int pos, int chunkSize, ByteChunk* pOut) {
  if (pos < 0 || chunkSize < 0 || chunkSize > pFile->Size() - pos) return false;
  return pOut->PutBytes(pFile->GetBytes() + pos, chunkSize) == chunkSize;
}
} // namespace

// What a failed load must put back: parameters, slots and the current slot.
struct IPlugBase::StateBackup {
  struct Slot {
    bool initialized;
    std::string name;
    std::vector<unsigned char> chunk;
  };
  std::vector<double> params;
  std::vector<Slot> slots;
  int currentPresetIdx;

  explicit StateBackup(IPlugBase* pPlug, bool withSlots) {
    for (int i = 0; i < pPlug->NParams(); ++i) params.push_back(pPlug->GetParam(i)->Value());
    currentPresetIdx = pPlug->mCurrentPresetIdx;
    if (!withSlots) return;
    for (int i = 0; i < pPlug->NPresets(); ++i) {
      IPreset* pPreset = pPlug->mPresets.Get(i);
      const unsigned char* pBytes = pPreset->mChunk.GetBytes();
      slots.push_back({pPreset->mInitialized, pPreset->mName,
                       std::vector<unsigned char>(pBytes, pBytes + pPreset->mChunk.Size())});
    }
  }

  void Restore(IPlugBase* pPlug) {
    for (size_t i = 0; i < slots.size(); ++i) {
      IPreset* pPreset = pPlug->mPresets.Get(static_cast<int>(i));
      pPreset->mInitialized = slots[i].initialized;
      pPreset->SetName(slots[i].name.c_str());
      pPreset->mChunk.Clear();
      pPreset->mChunk.PutBytes(slots[i].chunk.data(), static_cast<int>(slots[i].chunk.size()));
    }
    pPlug->mCurrentPresetIdx = currentPresetIdx;
    WDL_MutexLock lock(&pPlug->mMutex);
    for (size_t i = 0; i < params.size(); ++i) {
      pPlug->GetParam(static_cast<int>(i))->Set(params[i]);
    }
    // The plug-in heard the damaged values; it hears the old ones again.
    pPlug->OnParamReset();
    pPlug->RedrawParamControls();
  }
};

void IPlugBase::InitChunkWithIPlugVer(ByteChunk* pChunk) {
  pChunk->Clear();
  const int magic = kVerMagic, ver = kIPlugVer;
  pChunk->Put(&magic);
  pChunk->Put(&ver);
}

int IPlugBase::GetIPlugVerFromChunk(ByteChunk* pChunk, int* pPos) {
  int magic = 0, ver = 0;
  const int pos = pChunk->Get(&magic, *pPos);
  if (pos > *pPos && magic == kVerMagic) {
    *pPos = pChunk->Get(&ver, pos);
    if (*pPos < 0) ver = 0;
  }
  return ver;
}

bool IPlugBase::WriteFile(WDL_String* pFileName, ByteChunk* pChunk) {
  FILE* fp = std::fopen(pFileName->Get(), "wb");
  if (!fp) return false;
  const size_t n = static_cast<size_t>(pChunk->Size());
  const bool written = n == 0 || std::fwrite(pChunk->GetBytes(), 1, n, fp) == n;
  const bool closed = std::fclose(fp) == 0;
  return written && closed;
}

bool IPlugBase::ReadFile(WDL_String* pFileName, ByteChunk* pChunk) {
  if (!pFileName || pFileName->GetLength() == 0) return false;
  FILE* fp = std::fopen(pFileName->Get(), "rb");
  if (!fp) return false;
  bool ok = std::fseek(fp, 0, SEEK_END) == 0;
  const long len = ok ? std::ftell(fp) : -1;
  ok = ok && len >= 0 && len <= INT32_MAX && std::fseek(fp, 0, SEEK_SET) == 0;
  if (ok) {
    pChunk->Resize(static_cast<int>(len));
    ok = pChunk->Size() == len &&
         (len == 0 || std::fread(pChunk->GetBytes(), 1, static_cast<size_t>(len), fp) ==
                          static_cast<size_t>(len));
  }
  std::fclose(fp);
  return ok;
}

bool IPlugBase::SaveProgramAsFXP(WDL_String* pFileName) {
  if (!pFileName || pFileName->GetLength() == 0) return false;
  const int n = NParams(), version = GetEffectVersion(true);
  char name[kNameFieldLen];
  MakeNameField(name, GetPresetName(GetCurrentPresetIdx()));

  ByteChunk pgm;
  PutBE(&pgm, kCcnK);
  int64_t expected;
  if (DoesStateChunks()) {
    ByteChunk state;
    InitChunkWithIPlugVer(&state);
    SerializeState(&state);
    const int chunkSize = state.Size();
    PutBE(&pgm, chunkSize + 60); // the whole file's length, as readers expect
    PutBE(&pgm, kFPCh);
    PutBE(&pgm, 1);
    PutBE(&pgm, GetUniqueID());
    PutBE(&pgm, version);
    PutBE(&pgm, n);
    pgm.PutBytes(name, kNameFieldLen);
    PutBE(&pgm, chunkSize);
    pgm.PutChunk(&state);
    expected = 60 + static_cast<int64_t>(chunkSize);
  } else {
    PutBE(&pgm, 0);
    PutBE(&pgm, kFxCk);
    PutBE(&pgm, 1);
    PutBE(&pgm, GetUniqueID());
    PutBE(&pgm, version);
    PutBE(&pgm, n);
    pgm.PutBytes(name, kNameFieldLen);
    for (int i = 0; i < n; ++i) PutBEFloat(&pgm, GetParam(i)->GetNormalized());
    expected = kProgramHeaderLen + 4 * static_cast<int64_t>(n);
  }
  // A file built short by a failed allocation is not written.
  if (pgm.Size() != expected) return false;
  return WriteFile(pFileName, &pgm);
}

bool IPlugBase::SaveBankAsFXB(WDL_String* pFileName) {
  if (!pFileName || pFileName->GetLength() == 0) return false;
  const int n = NParams(), nPresets = NPresets(), version = GetEffectVersion(true);
  const char reserved[124] = {};

  ByteChunk bnk;
  PutBE(&bnk, kCcnK);
  int64_t expected;
  if (DoesStateChunks()) {
    ByteChunk state;
    InitChunkWithIPlugVer(&state);
    SerializePresets(&state);
    const int chunkSize = state.Size();
    PutBE(&bnk, chunkSize + 160); // the whole file's length
    PutBE(&bnk, kFBCh);
    PutBE(&bnk, 2);
    PutBE(&bnk, GetUniqueID());
    PutBE(&bnk, version);
    PutBE(&bnk, nPresets);
    PutBE(&bnk, GetCurrentPresetIdx());
    bnk.PutBytes(reserved, sizeof(reserved));
    PutBE(&bnk, chunkSize);
    bnk.PutChunk(&state);
    expected = 160 + static_cast<int64_t>(chunkSize);
  } else {
    PutBE(&bnk, 0);
    PutBE(&bnk, kFxBk);
    PutBE(&bnk, 2);
    PutBE(&bnk, GetUniqueID());
    PutBE(&bnk, version);
    PutBE(&bnk, nPresets);
    PutBE(&bnk, GetCurrentPresetIdx());
    bnk.PutBytes(reserved, sizeof(reserved));
    for (int p = 0; p < nPresets; ++p) {
      IPreset* pPreset = mPresets.Get(p);
      char name[kNameFieldLen];
      MakeNameField(name, pPreset->mName);
      PutBE(&bnk, kCcnK);
      PutBE(&bnk, 0);
      PutBE(&bnk, kFxCk);
      PutBE(&bnk, 1);
      PutBE(&bnk, GetUniqueID());
      PutBE(&bnk, version);
      PutBE(&bnk, n);
      bnk.PutBytes(name, kNameFieldLen);
      // Values the slot's chunk does not hold are 0.0, clamped by the parameter.
      int pos = 0;
      for (int i = 0; i < n; ++i) {
        double v = 0.0;
        pos = pPreset->mChunk.Get(&v, pos);
        if (pos < 0) v = 0.0;
        PutBEFloat(&bnk, GetParam(i)->GetNormalized(v));
      }
    }
    expected = kBankHeaderLen + nPresets * (kProgramHeaderLen + 4 * static_cast<int64_t>(n));
  }
  if (bnk.Size() != expected) return false;
  return WriteFile(pFileName, &bnk);
}

bool IPlugBase::LoadProgramFromFXP(WDL_String* pFileName) {
  ByteChunk pgm;
  if (!ReadFile(pFileName, &pgm)) return false;
  if (pgm.Size() < kProgramHeaderLen) return false;

  int chunkMagic, byteSize, fxpMagic, fxpVersion, pluginID, pluginVersion, numParams;
  int pos = GetBE(&pgm, &chunkMagic, 0);
  pos = GetBE(&pgm, &byteSize, pos);
  pos = GetBE(&pgm, &fxpMagic, pos);
  pos = GetBE(&pgm, &fxpVersion, pos);
  pos = GetBE(&pgm, &pluginID, pos);
  pos = GetBE(&pgm, &pluginVersion, pos);
  pos = GetBE(&pgm, &numParams, pos);
  char name[kNameFieldLen];
  pos = GetNameField(&pgm, name, pos);
  if (chunkMagic != kCcnK || fxpVersion != 1 || pluginID != GetUniqueID()) return false;

  const int n = NParams();
  if (DoesStateChunks() && fxpMagic == kFPCh) {
    int chunkSize = 0;
    pos = GetBE(&pgm, &chunkSize, pos);
    // The state is read from exactly the chunk the header announces.
    ByteChunk state;
    if (!CopyEmbeddedChunk(&pgm, pos, chunkSize, &state)) return false;
    int statePos = 0;
    GetIPlugVerFromChunk(&state, &statePos);
    if (statePos < 0) return false;
    StateBackup backup(this, false);
    if (UnserializeState(&state, statePos) < 0) {
      backup.Restore(this);
      return false;
    }
  } else if (fxpMagic == kFxCk) {
    if (!ValuesUsable(&pgm, pos, n)) return false;
    for (int i = 0; i < n; ++i) {
      double v;
      pos = GetBEFloat(&pgm, &v, pos);
      GetParam(i)->SetNormalized(Normalized01(v));
    }
  } else {
    return false;
  }

  ModifyCurrentPreset(name);
  RestorePreset(GetCurrentPresetIdx());
  InformHostOfProgramChange();
  return true;
}

bool IPlugBase::LoadBankFromFXB(WDL_String* pFileName) {
  ByteChunk bnk;
  if (!ReadFile(pFileName, &bnk)) return false;
  if (bnk.Size() < kBankHeaderLen) return false;

  int chunkMagic, byteSize, fxbMagic, fxbVersion, pluginID, pluginVersion, numPgms, currentPgm;
  int pos = GetBE(&bnk, &chunkMagic, 0);
  pos = GetBE(&bnk, &byteSize, pos);
  pos = GetBE(&bnk, &fxbMagic, pos);
  pos = GetBE(&bnk, &fxbVersion, pos);
  pos = GetBE(&bnk, &pluginID, pos);
  pos = GetBE(&bnk, &pluginVersion, pos);
  pos = GetBE(&bnk, &numPgms, pos);
  pos = GetBE(&bnk, &currentPgm, pos);
  pos += 124; // reserved
  if (chunkMagic != kCcnK || pluginID != GetUniqueID()) return false;

  const int n = NParams();
  if (DoesStateChunks() && fxbMagic == kFBCh) {
    int chunkSize = 0;
    pos = GetBE(&bnk, &chunkSize, pos);
    ByteChunk state;
    if (!CopyEmbeddedChunk(&bnk, pos, chunkSize, &state)) return false;
    int statePos = 0;
    GetIPlugVerFromChunk(&state, &statePos);
    if (statePos < 0) return false;
    StateBackup backup(this, true);
    if (UnserializePresets(&state, statePos) < 0) {
      backup.Restore(this);
      return false;
    }
    InformHostOfProgramChange();
    return true;
  }
  if (fxbMagic != kFxBk) return false;

  // Every record is checked before the first is applied.
  const int64_t recordLen = kProgramHeaderLen + 4 * static_cast<int64_t>(n);
  if (numPgms > 0 && kBankHeaderLen + numPgms * recordLen > bnk.Size()) return false;
  for (int i = 0; i < numPgms; ++i) {
    const int recPos = static_cast<int>(kBankHeaderLen + i * recordLen);
    int magic, size, format, version, id, pluginVer, nParams;
    int p = GetBE(&bnk, &magic, recPos);
    p = GetBE(&bnk, &size, p);
    p = GetBE(&bnk, &format, p);
    p = GetBE(&bnk, &version, p);
    p = GetBE(&bnk, &id, p);
    p = GetBE(&bnk, &pluginVer, p);
    p = GetBE(&bnk, &nParams, p);
    if (magic != kCcnK || format != kFxCk || version != 1 || nParams != n) return false;
    if (!ValuesUsable(&bnk, p + kNameFieldLen, n)) return false;
  }

  for (int i = 0; i < numPgms; ++i) {
    char name[kNameFieldLen];
    pos = GetNameField(&bnk, name, static_cast<int>(kBankHeaderLen + i * recordLen) + 28);
    RestorePreset(i);
    for (int j = 0; j < n; ++j) {
      double v;
      pos = GetBEFloat(&bnk, &v, pos);
      GetParam(j)->SetNormalized(Normalized01(v));
    }
    ModifyCurrentPreset(name);
  }
  RestorePreset(currentPgm);
  InformHostOfProgramChange();
  return true;
}
