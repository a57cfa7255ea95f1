// The saved-state dictionary, its helpers, and the UTF-8 string helpers of the binding.
#include "WDL/IPlug/IPlugAU.h"
#include "WDL/utf8.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

// ---- Strings ----

// Bytes that are not UTF-8 read as everywhere else in the plug-in (WDL/utf8.h), so a host
// gets a string wherever the editor shows text.
CFStringRef MakeCFString(const char* cStr) {
  if (!cStr) return nullptr;
  return CFStringCreateWithCString(
      kCFAllocatorDefault, WDL_Utf8Sanitize(cStr, strlen(cStr)).c_str(), kCFStringEncodingUTF8);
}

bool CFIsType(CFTypeRef cf, CFTypeID type) {
  return cf && CFGetTypeID(cf) == type;
}

CFStrLocal::~CFStrLocal() {
  if (mCFStr) CFRelease(mCFStr);
}

CStrLocal::CStrLocal(CFStringRef cfStr) : mCStr(nullptr) {
  if (!cfStr) return;
  const CFIndex max =
      CFStringGetMaximumSizeForEncoding(CFStringGetLength(cfStr), kCFStringEncodingUTF8);
  if (max < 0) return;
  mCStr = static_cast<char*>(malloc((size_t)max + 1));
  if (mCStr && !CFStringGetCString(cfStr, mCStr, max + 1, kCFStringEncodingUTF8)) {
    free(mCStr);
    mCStr = nullptr;
  }
}

CStrLocal::~CStrLocal() {
  free(mCStr);
}

// ---- Dictionary helpers ----

namespace {
// False, releasing what was made, when a key or value could not be made.
bool PutFailed(CFTypeRef made) {
  if (made) CFRelease(made);
  return false;
}

bool PutNumberInDict(CFMutableDictionaryRef pDict, const char* key, const void* pNumber,
                     CFNumberType type) {
  CFStrLocal cfKey(key);
  CFNumberRef pValue = CFNumberCreate(kCFAllocatorDefault, type, pNumber);
  if (!cfKey.mCFStr || !pValue) return PutFailed(pValue);
  CFDictionarySetValue(pDict, cfKey.mCFStr, pValue);
  CFRelease(pValue);
  return true;
}

bool PutStrInDict(CFMutableDictionaryRef pDict, const char* key, const char* value) {
  CFStrLocal cfKey(key), cfValue(value);
  if (!cfKey.mCFStr || !cfValue.mCFStr) return false;
  CFDictionarySetValue(pDict, cfKey.mCFStr, cfValue.mCFStr);
  return true;
}

bool PutDataInDict(CFMutableDictionaryRef pDict, const char* key, ByteChunk* pChunk) {
  CFStrLocal cfKey(key);
  CFDataRef pData = CFDataCreate(kCFAllocatorDefault, pChunk->GetBytes(), pChunk->Size());
  if (!cfKey.mCFStr || !pData) return PutFailed(pData);
  CFDictionarySetValue(pDict, cfKey.mCFStr, pData);
  CFRelease(pData);
  return true;
}

// The value under key when it has the type asked for; null otherwise.
const void* GetTyped(CFDictionaryRef pDict, const char* key, CFTypeID type) {
  CFStrLocal cfKey(key);
  if (!cfKey.mCFStr) return nullptr;
  const void* v = CFDictionaryGetValue(pDict, cfKey.mCFStr); // null for a missing key
  return CFIsType(v, type) ? v : nullptr;
}

// False when the key is missing, is no number, or does not fit an SInt32 exactly.
bool GetNumberFromDict(CFDictionaryRef pDict, const char* key, SInt32* pNumber) {
  auto pValue = static_cast<CFNumberRef>(GetTyped(pDict, key, CFNumberGetTypeID()));
  return pValue && CFNumberGetValue(pValue, kCFNumberSInt32Type, pNumber);
}

// The value's string, or null when it is missing or no string.
CFStringRef GetStrFromDict(CFDictionaryRef pDict, const char* key) {
  return static_cast<CFStringRef>(GetTyped(pDict, key, CFStringGetTypeID()));
}

CFDataRef GetDataFromDict(CFDictionaryRef pDict, const char* key) {
  return static_cast<CFDataRef>(GetTyped(pDict, key, CFDataGetTypeID()));
}

// Whether the bytes hold a finite value for every parameter.
bool ParamDataIsSound(CFDataRef pData, int nParams) {
  const CFIndex n = CFDataGetLength(pData);
  if (n < (CFIndex)(nParams * sizeof(double))) return false;
  const UInt8* p = CFDataGetBytePtr(pData);
  for (int i = 0; i < nParams; ++i) {
    double v;
    memcpy(&v, p + i * sizeof(double), sizeof(double));
    if (!std::isfinite(v)) return false;
  }
  return true;
}
} // namespace

// ---- State ----

ComponentResult IPlugAU::GetState(CFPropertyListRef* ppPropList) {
  AudioComponentDescription cd;
  const OSStatus r = AudioComponentGetDescription(AudioComponentInstanceGetComponent(mCI), &cd);
  if (r != noErr) return r;

  CFMutableDictionaryRef pDict = CFDictionaryCreateMutable(
      kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  if (!pDict) return coreFoundationUnknownErr;
  const SInt32 version = GetEffectVersion(false);
  const SInt32 type = (SInt32)cd.componentType, subtype = (SInt32)cd.componentSubType,
               mfr = (SInt32)cd.componentManufacturer;
  ByteChunk chunk;
  const bool ok = PutNumberInDict(pDict, "version", &version, kCFNumberSInt32Type) &&
                  PutNumberInDict(pDict, "type", &type, kCFNumberSInt32Type) &&
                  PutNumberInDict(pDict, "subtype", &subtype, kCFNumberSInt32Type) &&
                  PutNumberInDict(pDict, "manufacturer", &mfr, kCFNumberSInt32Type) &&
                  PutStrInDict(pDict, "name", GetPresetName(GetCurrentPresetIdx())) &&
                  SerializeState(&chunk) && PutDataInDict(pDict, "data", &chunk);
  if (!ok) {
    CFRelease(pDict);
    return coreFoundationUnknownErr;
  }

  *ppPropList = pDict;
  return noErr;
}

// Everything is checked before anything changes: a refused state leaves the plug-in as it was.
ComponentResult IPlugAU::SetState(CFPropertyListRef pPropList) {
  AudioComponentDescription cd;
  const OSStatus r = AudioComponentGetDescription(AudioComponentInstanceGetComponent(mCI), &cd);
  if (r != noErr) return r;
  if (!CFIsType(pPropList, CFDictionaryGetTypeID())) return kAudioUnitErr_InvalidPropertyValue;
  auto pDict = static_cast<CFDictionaryRef>(pPropList);

  SInt32 version, type, subtype, mfr;
  if (!GetNumberFromDict(pDict, "version", &version) || !GetNumberFromDict(pDict, "type", &type) ||
      !GetNumberFromDict(pDict, "subtype", &subtype) ||
      !GetNumberFromDict(pDict, "manufacturer", &mfr) || type != (SInt32)cd.componentType ||
      subtype != (SInt32)cd.componentSubType || mfr != (SInt32)cd.componentManufacturer)
    return kAudioUnitErr_InvalidPropertyValue;
  CFStringRef pName = GetStrFromDict(pDict, "name");
  CFDataRef pData = GetDataFromDict(pDict, "data");
  if (!pName || !pData || !ParamDataIsSound(pData, NParams()))
    return kAudioUnitErr_InvalidPropertyValue;
  CStrLocal presetName(pName);
  if (!presetName.mCStr) return kAudioUnitErr_InvalidPropertyValue;
  ByteChunk chunk;
  const int n = (int)CFDataGetLength(pData);
  if (chunk.PutBytes(CFDataGetBytePtr(pData), n) != n) return coreFoundationUnknownErr;

  RestorePreset(presetName.mCStr);
  if (!UnserializeState(&chunk, 0)) return kAudioUnitErr_InvalidPropertyValue;
  RedrawParamControls();
  return noErr;
}
