// Preset slots, the state chunk and the presets dump.

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "WDL/IPlug/IPlugBase.h"

namespace {
constexpr double kUnnamedParamMarker = 9.999e-8; // a parameter the pairs did not name

IPreset* GetNextUninitializedPreset(WDL_PtrList<IPreset>* pPresets) {
  for (int i = 0; i < pPresets->GetSize(); ++i) {
    IPreset* pPreset = pPresets->Get(i);
    if (!pPreset->mInitialized) return pPreset;
  }
  return nullptr;
}

// "user preset N", N one more than the slots whose names already hold "user preset".
void MakeDefaultUserPresetName(WDL_PtrList<IPreset>* pPresets, char* str) {
  int nDefaultNames = 0;
  for (int i = 0; i < pPresets->GetSize(); ++i) {
    if (std::strstr(pPresets->Get(i)->mName, "user preset")) ++nDefaultNames;
  }
  std::snprintf(str, IPreset::kMaxNameLen + 1, "%s %d", "user preset", nDefaultNames + 1);
}
} // namespace

IPreset* IPlugBase::FillNextFreePreset(const char* name) {
  IPreset* pPreset = GetNextUninitializedPreset(&mPresets);
  if (!pPreset) return nullptr;
  pPreset->mInitialized = true;
  pPreset->SetName(name);
  // A slot emptied by a presets dump may still hold an old state.
  pPreset->mChunk.Clear();
  return pPreset;
}

double IPlugBase::NextPresetValue(const IParam* pParam, va_list* pArgs) {
  switch (pParam->Type()) {
  case IParam::kTypeBool:
  case IParam::kTypeInt:
  case IParam::kTypeEnum:
    return static_cast<double>(va_arg(*pArgs, int));
  default:
    return va_arg(*pArgs, double);
  }
}

void IPlugBase::MakeDefaultPreset(const char* name, int count) {
  for (int i = 0; i < count; ++i) {
    IPreset* pPreset = FillNextFreePreset(name ? name : "Empty");
    if (pPreset) SerializeState(&pPreset->mChunk);
  }
}

void IPlugBase::EnsureDefaultPreset() {
  MakeDefaultPreset("Empty", NPresets());
}

void IPlugBase::MakePreset(const char* name, ...) {
  IPreset* pPreset = FillNextFreePreset(name);
  if (!pPreset) return;
  va_list args;
  va_start(args, name);
  for (int i = 0; i < NParams(); ++i) {
    const double v = NextPresetValue(GetParam(i), &args);
    pPreset->mChunk.Put(&v);
  }
  va_end(args);
}

void IPlugBase::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...) {
  const int n = NParams();
  WDL_TypedBuf<double> vals(4096);
  vals.Resize(n);
  // Without room for the values no slot is filled.
  if (vals.GetSize() != n) return;
  IPreset* pPreset = FillNextFreePreset(name);
  if (!pPreset) return;
  double* v = vals.Get();
  for (int i = 0; i < n; ++i) v[i] = kUnnamedParamMarker;

  va_list args;
  va_start(args, nParamsNamed);
  for (int i = 0; i < nParamsNamed; ++i) {
    const int paramIdx = va_arg(args, int);
    assert(paramIdx >= 0 && paramIdx < n);
    v[paramIdx] = NextPresetValue(GetParam(paramIdx), &args);
  }
  va_end(args);

  for (int i = 0; i < n; ++i) {
    if (v[i] == kUnnamedParamMarker) v[i] = GetParam(i)->Value();
    pPreset->mChunk.Put(v + i);
  }
}

void IPlugBase::MakePresetFromChunk(const char* name, ByteChunk* pChunk) {
  IPreset* pPreset = FillNextFreePreset(name);
  if (pPreset) pPreset->mChunk.PutChunk(pChunk);
}

void IPlugBase::PruneUninitializedPresets() {
  for (int i = 0; i < mPresets.GetSize();) {
    if (!mPresets.Get(i)->mInitialized) {
      mPresets.Delete(i, true);
    } else {
      ++i;
    }
  }
}

bool IPlugBase::RestorePreset(int idx) {
  IPreset* pPreset = mPresets.Get(idx);
  if (!pPreset) return false;
  bool restored;
  if (!pPreset->mInitialized) {
    pPreset->mInitialized = true;
    MakeDefaultUserPresetName(&mPresets, pPreset->mName);
    pPreset->mChunk.Clear();
    restored = SerializeState(&pPreset->mChunk);
  } else {
    restored = UnserializeState(&pPreset->mChunk, 0) > 0;
  }
  if (restored) {
    mCurrentPresetIdx = idx;
    PresetsChangedByHost();
    RedrawParamControls();
  }
  return restored;
}

bool IPlugBase::RestorePreset(const char* name) {
  if (!name || !*name) return false;
  for (int i = 0; i < NPresets(); ++i) {
    if (!std::strcmp(mPresets.Get(i)->mName, name)) return RestorePreset(i);
  }
  return false;
}

const char* IPlugBase::GetPresetName(int idx) {
  const IPreset* pPreset = mPresets.Get(idx);
  return pPreset ? pPreset->mName : "";
}

void IPlugBase::ModifyCurrentPreset(const char* name) {
  IPreset* pPreset = mPresets.Get(mCurrentPresetIdx);
  if (!pPreset) return;
  pPreset->mChunk.Clear();
  SerializeState(&pPreset->mChunk);
  if (name && *name) pPreset->SetName(name);
}

bool IPlugBase::SerializeState(ByteChunk* pChunk) {
  return SerializeParams(pChunk);
}

int IPlugBase::UnserializeState(ByteChunk* pChunk, int startPos) {
  return UnserializeParams(pChunk, startPos);
}

bool IPlugBase::SerializeParams(ByteChunk* pChunk) {
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < NParams(); ++i) {
    const double v = GetParam(i)->Value();
    const int before = pChunk->Size();
    // A put that did not grow the chunk failed.
    if (pChunk->Put(&v) != before + static_cast<int>(sizeof(double))) return false;
  }
  return true;
}

int IPlugBase::UnserializeParams(ByteChunk* pChunk, int startPos) {
  WDL_MutexLock lock(&mMutex);
  int pos = startPos;
  for (int i = 0; i < NParams() && pos >= 0; ++i) {
    double v = 0.0;
    pos = pChunk->Get(&v, pos);
    // Only a value that was read in full is applied.
    if (pos >= 0) GetParam(i)->Set(v);
  }
  OnParamReset();
  return pos;
}

bool IPlugBase::SerializePresets(ByteChunk* pChunk) {
  for (int i = 0; i < NPresets(); ++i) {
    IPreset* pPreset = mPresets.Get(i);
    const int before = pChunk->Size();
    if (pChunk->PutStr(pPreset->mName) <= before) return false;
    const int afterName = pChunk->Size();
    if (pChunk->PutBool(pPreset->mInitialized) != afterName + 1) return false;
    if (pPreset->mInitialized) {
      const int expected = pChunk->Size() + pPreset->mChunk.Size();
      if (pChunk->PutChunk(&pPreset->mChunk) != expected) return false;
    }
  }
  return true;
}

int IPlugBase::UnserializePresets(ByteChunk* pChunk, int startPos) {
  WDL_String name;
  int pos = startPos;
  for (int i = 0; i < NPresets() && pos >= 0; ++i) {
    IPreset* pPreset = mPresets.Get(i);
    // The slot changes only once its whole record has been read.
    pos = pChunk->GetStr(&name, pos);
    bool initialized = false;
    pos = pChunk->GetBool(&initialized, pos);
    if (pos < 0) break;
    if (initialized) {
      pos = UnserializeState(pChunk, pos);
      if (pos <= 0) break;
      pPreset->mChunk.Clear();
      SerializeState(&pPreset->mChunk);
    }
    pPreset->mInitialized = initialized;
    pPreset->SetName(name.Get());
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

bool IPlugBase::CompareState(const unsigned char* incomingState, int startIdx) {
  bool isEqual = true;
  for (int i = 0; i < NParams(); ++i) {
    double stored;
    // The stored doubles need not be aligned.
    std::memcpy(&stored, incomingState + (static_cast<size_t>(startIdx) + i) * sizeof(double),
                sizeof(double));
    const float diff = static_cast<float>(GetParam(i)->Value()) - static_cast<float>(stored);
    if (!(std::fabs(static_cast<double>(diff)) < 1e-5)) isEqual = false;
  }
  return isEqual;
}
