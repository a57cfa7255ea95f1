// Program (FXP) and bank (FXB) preset files: big-endian fields, normalised parameter
// values or a state chunk behind the native-order version header.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
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

void PutBE(ByteChunk* pChunk, std::initializer_list<int> values) {
  for (int v : values) {
    const int swapped = WDL_bswap_if_le(v);
    pChunk->Put(&swapped);
  }
}

void PutBEFloat(ByteChunk* pChunk, double v) {
  const float f = static_cast<float>(v);
  unsigned int u;
  std::memcpy(&u, &f, sizeof(u));
  u = WDL_bswap_if_le(u);
  pChunk->Put(&u);
}

// Reads the fields in order from pos; the position after them, or -1.
int GetBE(const ByteChunk* pChunk, int pos, std::initializer_list<int*> fields) {
  for (int* pV : fields) {
    int raw = 0;
    pos = pChunk->Get(&raw, pos);
    *pV = WDL_bswap_if_le(raw);
  }
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

// The header of a program file, and of each program record of a bank.
struct ProgramHeader {
  int chunkMagic, byteSize, format, version, pluginID, pluginVersion, numParams;
  char name[kNameFieldLen]; // always zero-terminated

  // Reads the header at pos; the position after its name field, or -1.
  int Read(const ByteChunk* pChunk, int pos) {
    pos = GetBE(pChunk, pos,
                {&chunkMagic, &byteSize, &format, &version, &pluginID, &pluginVersion, &numParams});
    std::memset(name, 0, kNameFieldLen);
    pos = pChunk->GetBytes(name, kNameFieldLen, pos);
    name[kNameFieldLen - 1] = '\0'; // a field without a zero is cut at 27 characters
    return pos;
  }
};

// Puts a program header: "CcnK", the byte size, the format, version 1, the plug-in's ID,
// version and parameter count, and the name cut to 27 bytes in a zero-filled field.
void PutProgramHeader(IPlugBase* pPlug, ByteChunk* pChunk, int byteSize, int format,
                      const char* name) {
  PutBE(pChunk, {kCcnK, byteSize, format, 1, pPlug->GetUniqueID(), pPlug->GetEffectVersion(true),
                 pPlug->NParams()});
  char field[kNameFieldLen] = {};
  const size_t n = name ? strnlen(name, kNameFieldLen - 1) : 0;
  if (n) std::memcpy(field, name, n);
  pChunk->PutBytes(field, kNameFieldLen);
}

// Puts a bank header with its zeroed reserved bytes.
void PutBankHeader(IPlugBase* pPlug, ByteChunk* pChunk, int byteSize, int format) {
  PutBE(pChunk, {kCcnK, byteSize, format, 2, pPlug->GetUniqueID(), pPlug->GetEffectVersion(true),
                 pPlug->NPresets(), pPlug->GetCurrentPresetIdx()});
  const char reserved[kBankHeaderLen - 32] = {};
  pChunk->PutBytes(reserved, sizeof(reserved));
}

// Puts a chunk behind its size field.
void PutEmbeddedChunk(ByteChunk* pFile, ByteChunk* pChunk) {
  PutBE(pFile, {pChunk->Size()});
  pFile->PutChunk(pChunk);
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

// Sets every parameter from the next big-endian float at pos, in index order.
void ApplyNormalizedValues(IPlugBase* pPlug, const ByteChunk* pChunk, int pos) {
  for (int i = 0; i < pPlug->NParams(); ++i) {
    double v = 0.0;
    pos = GetBEFloat(pChunk, &v, pos);
    pPlug->GetParam(i)->SetNormalized(v); // clamped to 0-1 by the parameter
  }
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

bool IPlugBase::WriteFile(WDL_String* pFileName, ByteChunk* pChunk, int64_t expectedSize) {
  // A file built short by a failed allocation is not written.
  if (pChunk->Size() != expectedSize) return false;
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

bool IPlugBase::LoadFileChunk(ByteChunk* pFile, int pos, bool bank) {
  int chunkSize = 0;
  pos = GetBE(pFile, pos, {&chunkSize});
  if (pos < 0 || chunkSize < 0 || chunkSize > pFile->Size() - pos) return false;
  ByteChunk state;
  if (state.PutBytes(pFile->GetBytes() + pos, chunkSize) != chunkSize) return false;
  int statePos = 0;
  GetIPlugVerFromChunk(&state, &statePos);
  if (statePos < 0) return false;
  StateBackup backup(this, bank);
  if ((bank ? UnserializePresets(&state, statePos) : UnserializeState(&state, statePos)) < 0) {
    backup.Restore(this);
    return false;
  }
  return true;
}

bool IPlugBase::SaveProgramAsFXP(WDL_String* pFileName) {
  if (!pFileName || pFileName->GetLength() == 0) return false;
  const int n = NParams();
  const char* name = GetPresetName(GetCurrentPresetIdx());
  ByteChunk pgm;
  int64_t expected;
  if (DoesStateChunks()) {
    ByteChunk state;
    InitChunkWithIPlugVer(&state);
    SerializeState(&state);
    expected = kProgramHeaderLen + 4 + static_cast<int64_t>(state.Size());
    // The byte size is the whole file's length, as readers expect.
    PutProgramHeader(this, &pgm, static_cast<int>(expected), kFPCh, name);
    PutEmbeddedChunk(&pgm, &state);
  } else {
    expected = kProgramHeaderLen + 4 * static_cast<int64_t>(n);
    PutProgramHeader(this, &pgm, 0, kFxCk, name);
    for (int i = 0; i < n; ++i) PutBEFloat(&pgm, GetParam(i)->GetNormalized());
  }
  return WriteFile(pFileName, &pgm, expected);
}

bool IPlugBase::SaveBankAsFXB(WDL_String* pFileName) {
  if (!pFileName || pFileName->GetLength() == 0) return false;
  const int n = NParams(), nPresets = NPresets();
  ByteChunk bnk;
  int64_t expected;
  if (DoesStateChunks()) {
    ByteChunk state;
    InitChunkWithIPlugVer(&state);
    SerializePresets(&state);
    expected = kBankHeaderLen + 4 + static_cast<int64_t>(state.Size());
    PutBankHeader(this, &bnk, static_cast<int>(expected), kFBCh); // the whole file's length
    PutEmbeddedChunk(&bnk, &state);
  } else {
    expected = kBankHeaderLen + nPresets * (kProgramHeaderLen + 4 * static_cast<int64_t>(n));
    PutBankHeader(this, &bnk, 0, kFxBk);
    for (int p = 0; p < nPresets; ++p) {
      IPreset* pPreset = mPresets.Get(p);
      PutProgramHeader(this, &bnk, 0, kFxCk, pPreset->mName);
      // Values the slot's chunk does not hold are 0.0, clamped by the parameter.
      int pos = 0;
      for (int i = 0; i < n; ++i) {
        double v = 0.0;
        pos = pPreset->mChunk.Get(&v, pos);
        PutBEFloat(&bnk, GetParam(i)->GetNormalized(pos < 0 ? 0.0 : v));
      }
    }
  }
  return WriteFile(pFileName, &bnk, expected);
}

bool IPlugBase::LoadProgramFromFXP(WDL_String* pFileName) {
  ByteChunk pgm;
  if (!ReadFile(pFileName, &pgm) || pgm.Size() < kProgramHeaderLen) return false;
  ProgramHeader hdr;
  const int pos = hdr.Read(&pgm, 0);
  if (hdr.chunkMagic != kCcnK || hdr.version != 1 || hdr.pluginID != GetUniqueID()) return false;

  if (DoesStateChunks() && hdr.format == kFPCh) {
    if (!LoadFileChunk(&pgm, pos, false)) return false;
  } else if (hdr.format == kFxCk) {
    if (!ValuesUsable(&pgm, pos, NParams())) return false;
    ApplyNormalizedValues(this, &pgm, pos);
  } else {
    return false;
  }
  ModifyCurrentPreset(hdr.name);
  RestorePreset(GetCurrentPresetIdx());
  InformHostOfProgramChange();
  return true;
}

bool IPlugBase::LoadBankFromFXB(WDL_String* pFileName) {
  ByteChunk bnk;
  if (!ReadFile(pFileName, &bnk) || bnk.Size() < kBankHeaderLen) return false;
  int chunkMagic, byteSize, fxbMagic, fxbVersion, pluginID, pluginVersion, numPgms, currentPgm;
  GetBE(&bnk, 0,
        {&chunkMagic, &byteSize, &fxbMagic, &fxbVersion, &pluginID, &pluginVersion, &numPgms,
         &currentPgm});
  if (chunkMagic != kCcnK || pluginID != GetUniqueID()) return false;

  if (DoesStateChunks() && fxbMagic == kFBCh) {
    if (!LoadFileChunk(&bnk, kBankHeaderLen, true)) return false;
    InformHostOfProgramChange();
    return true;
  }
  if (fxbMagic != kFxBk) return false;

  // Every record is checked before the first is applied.
  const int n = NParams();
  const int64_t recordLen = kProgramHeaderLen + 4 * static_cast<int64_t>(n);
  if (numPgms > 0 && kBankHeaderLen + numPgms * recordLen > bnk.Size()) return false;
  ProgramHeader rec;
  for (int i = 0; i < numPgms; ++i) {
    const int pos = rec.Read(&bnk, static_cast<int>(kBankHeaderLen + i * recordLen));
    if (rec.chunkMagic != kCcnK || rec.format != kFxCk || rec.version != 1 || rec.numParams != n ||
        !ValuesUsable(&bnk, pos, n)) {
      return false;
    }
  }
  for (int i = 0; i < numPgms; ++i) {
    const int pos = rec.Read(&bnk, static_cast<int>(kBankHeaderLen + i * recordLen));
    RestorePreset(i);
    ApplyNormalizedValues(this, &bnk, pos);
    ModifyCurrentPreset(rec.name);
  }
  RestorePreset(currentPgm);
  InformHostOfProgramChange();
  return true;
}
