#include "WDL/IPlug/dfx/dfx-au-utilities.h"

#include <cstring>

const CFArrayCallBacks kCFAUPresetArrayCallBacks = {
    0, CFAUPresetArrayRetainCallBack, CFAUPresetArrayReleaseCallBack,
    CFAUPresetArrayCopyDescriptionCallBack, CFAUPresetArrayEqualCallBack};

CFAUPresetRef CFAUPresetCreate(CFAllocatorRef inAllocator, SInt32 inPresetNumber,
                               CFStringRef inPresetName) {
  auto* preset =
      static_cast<CFAUPreset*>(CFAllocatorAllocate(inAllocator, (CFIndex)sizeof(CFAUPreset), 0));
  if (!preset) return nullptr;
  preset->auPreset.presetNumber = inPresetNumber;
  preset->auPreset.presetName =
      inPresetName ? CFStringCreateCopy(inAllocator, inPresetName) : nullptr;
  preset->version = 0;
  preset->allocator = inAllocator;
  preset->retainCount = 1;
  return preset;
}

CFAUPresetRef CFAUPresetRetain(const void* inPreset) {
  if (!inPreset) return nullptr;
  auto* preset = const_cast<CFAUPreset*>(static_cast<const CFAUPreset*>(inPreset));
  if (preset->auPreset.presetName) CFRetain(preset->auPreset.presetName);
  preset->retainCount += 1;
  return preset;
}

void CFAUPresetRelease(const void* inPreset) {
  if (!inPreset) return;
  auto* preset = const_cast<CFAUPreset*>(static_cast<const CFAUPreset*>(inPreset));
  if (preset->retainCount <= 0) return;
  if (preset->auPreset.presetName) CFRelease(preset->auPreset.presetName);
  preset->retainCount -= 1;
  if (preset->retainCount == 0) {
    preset->auPreset.presetName = nullptr;
    preset->auPreset.presetNumber = 0;
    CFAllocatorDeallocate(preset->allocator, preset);
  }
}

CFStringRef CFAUPresetCopyDescription(const void* inPreset) {
  if (!inPreset) return nullptr;
  auto* preset = static_cast<const CFAUPreset*>(inPreset);
  return CFStringCreateWithFormat(preset->allocator, nullptr,
                                  CFSTR("AUPreset:\npreset number = %d\npreset name = %@"),
                                  (int)preset->auPreset.presetNumber, preset->auPreset.presetName);
}

Boolean CFAUPresetEqual(const void* inPreset1, const void* inPreset2) {
  if (inPreset1 == inPreset2) return true;
  if (!inPreset1 || !inPreset2) return false;
  auto* a = static_cast<const CFAUPreset*>(inPreset1);
  auto* b = static_cast<const CFAUPreset*>(inPreset2);
  const CFStringRef na = a->auPreset.presetName, nb = b->auPreset.presetName;
  // A preset may have no name; the platform's compare takes only strings.
  const bool sameName = na && nb ? CFStringCompare(na, nb, 0) == kCFCompareEqualTo : na == nb;
  return a->auPreset.presetNumber == b->auPreset.presetNumber && sameName;
}

const void* CFAUPresetArrayRetainCallBack(CFAllocatorRef, const void* inPreset) {
  return CFAUPresetRetain(inPreset);
}

void CFAUPresetArrayReleaseCallBack(CFAllocatorRef, const void* inPreset) {
  CFAUPresetRelease(inPreset);
}

CFStringRef CFAUPresetArrayCopyDescriptionCallBack(const void* inPreset) {
  return CFAUPresetCopyDescription(inPreset);
}

Boolean CFAUPresetArrayEqualCallBack(const void* inPreset1, const void* inPreset2) {
  return CFAUPresetEqual(inPreset1, inPreset2);
}
