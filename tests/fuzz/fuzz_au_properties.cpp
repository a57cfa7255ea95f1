// fuzz-links: iplug_au iplug platform wdl
// Random property calls (id, scope, element, size, bytes) and random state dictionaries,
// given to an open instance of the test plug-in through the platform's AudioUnit calls.
//
// Input: a mode byte, then records. Mode even: property calls, each
//   [kind][id selector][scope][element: 4][size: 2][size bytes]
// Mode odd: edits of a saved state, each [key][value kind][length][length bytes], then the
// edited dictionary is given back; a refused one must leave every parameter as it was.

#include <CoreFoundation/CoreFoundation.h>
#include <PlatformTestHooks.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "../host/au_property_ids.h"
#include "../host/au_release_got.h"
#include "fuzz_reader.h"
#include "../host/testplug/TestPlug.cpp"
#include "WDL/IPlug/IPlugAU_Private.h"

namespace {

OSStatus Tempo(void*, Float64* beat, Float64* tempo) {
  if (beat) *beat = 1.5;
  if (tempo) *tempo = 128.0;
  return noErr;
}
OSStatus MidiOut(void*, const AudioTimeStamp*, UInt32, const MIDIPacketList* list) {
  if (!list || list->numPackets != 1 || list->packet[0].length != 3) abort();
  return noErr;
}

AudioComponent TestComponent() {
  static AudioComponent c = [] {
    CFBundleGetMainBundle(); // lives for the process; made before the first count
    const AudioComponentDescription desc{0x61756D66, (OSType)kTestPlugSubtype, (OSType)kTestPlugMfr,
                                         0, 0};
    AudioComponent comp = AudioComponentRegister(&desc, nullptr, 1, TestPlug_Factory);
    // The editor's libraries make some objects once per process; made before the first count.
    AudioUnit unit = nullptr;
    if (AudioComponentInstanceNew(comp, &unit) == noErr) AudioComponentInstanceDispose(unit);
    return comp;
  }();
  return c;
}

void PropertyCalls(AudioUnit unit, Reader& r) {

  float value = 0;
  CFStringRef text = CFStringCreateWithCString(nullptr, "Soft", kCFStringEncodingUTF8);
  for (int calls = 0; calls < 64 && r.Has(8); ++calls) {
    const uint32_t kind = r.Get(1) % 3;
    const uint32_t sel = r.Get(1);
    const UInt32 id = sel < 2 * kNumAskedPropertyIds ? kAskedPropertyIds[sel / 2] : sel;
    const UInt32 scope = r.Get(1) % 7;
    UInt32 element = r.Get(4);
    if (element & 0x80000000u) element &= 7;
    const uint32_t size = r.Get(2) % 300;
    unsigned char buf[320];
    memset(buf, 0, sizeof(buf));
    for (uint32_t i = 0; i < size && r.Has(1); ++i) buf[i] = (unsigned char)r.Get(1);
    if (kind == 0) {
      UInt32 sz = 0;
      Boolean w = 0;
      AudioUnitGetPropertyInfo(unit, id, scope, element, &sz, &w);
      continue;
    }
    // Records that carry pointers get ones that point somewhere, as a host's would.
    float* valuePtr = &value;
    memcpy(&value, buf, sizeof(value));
    if (id == kAudioUnitProperty_ParameterStringFromValue) memcpy(buf + 8, &valuePtr, 8);
    // A host's string is a real one or none: the platform crashes on anything else.
    const CFStringRef textOrNone = (buf[4] & 1) ? text : nullptr;
    if (id == kAudioUnitProperty_ParameterValueFromString) memcpy(buf + 8, &textOrNone, 8);
    if (kind == 1) {
      // Out fields start empty: a record the binding leaves alone hands nothing over.
      if (id == kAudioUnitProperty_ParameterStringFromValue) memset(buf + 16, 0, 8);
      if (id == kAudioUnitProperty_ParameterIDName || id == kAudioUnitProperty_ParameterClumpName)
        memset(buf + 8, 0, 8);
      UInt32 sz = size;
      if (AudioUnitGetProperty(unit, id, scope, element, buf, &sz) == noErr) {
        if (sz > size) abort(); // wrote past the room it was given
        ReleaseGot(id, buf);
      }
      continue;
    }
    // Procedures a host gives are real ones (or none).
    if (id == kAudioUnitProperty_HostCallbacks) {
      HostCallbackInfo info{nullptr, (buf[0] & 1) ? Tempo : nullptr, nullptr, nullptr, nullptr};
      memcpy(buf, &info, sizeof(info));
    } else if (id == kAudioUnitProperty_MIDIOutputCallback) {
      AUMIDIOutputCallbackStruct cb{(buf[0] & 1) ? MidiOut : nullptr, nullptr};
      memcpy(buf, &cb, sizeof(cb));
    } else if (id == kAudioUnitProperty_SetRenderCallback) {
      memset(buf, 0, 16);
    } else if (id == kAudioUnitProperty_AUHostIdentifier || id == kAudioUnitProperty_ClassInfo) {
      memcpy(buf, &textOrNone, 8);
    }
    AudioUnitSetProperty(unit, id, scope, element, buf, size);
  }
  CFRelease(text);
}

std::vector<float> Params(AudioUnit unit) {
  std::vector<float> v(kNumTestParams);
  for (int i = 0; i < kNumTestParams; ++i)
    AudioUnitGetParameter(unit, i, kAudioUnitScope_Global, 0, &v[i]);
  return v;
}

void StateEdits(AudioUnit unit, Reader& r) {
  static const char* const kKeys[] = {"version", "type", "subtype", "manufacturer",
                                      "name",    "data", "other"};
  CFPropertyListRef saved = nullptr;
  UInt32 size = sizeof(saved);
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &saved,
                           &size))
    abort();
  CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                       &kCFTypeDictionaryValueCallBacks);
  for (const char* k : kKeys) {
    CFStringRef key = CFStringCreateWithCString(nullptr, k, kCFStringEncodingUTF8);
    if (const void* v = CFDictionaryGetValue((CFDictionaryRef)saved, key))
      CFDictionarySetValue(d, key, v);
    CFRelease(key);
  }
  CFRelease(saved);
  for (int edits = 0; edits < 8 && r.Has(3); ++edits) {
    CFStringRef key =
        CFStringCreateWithCString(nullptr, kKeys[r.Get(1) % 7], kCFStringEncodingUTF8);
    const uint32_t kind = r.Get(1) % 6;
    const uint32_t len = r.Get(1);
    std::vector<uint8_t> bytes;
    for (uint32_t i = 0; i < len && r.Has(1); ++i) bytes.push_back((uint8_t)r.Get(1));
    const CFIndex got = (CFIndex)bytes.size();
    if (bytes.size() < 8) bytes.resize(8, 0); // room for the widest number
    CFTypeRef v = nullptr;
    switch (kind) {
    case 0:
      v = CFNumberCreate(nullptr, kCFNumberSInt32Type, bytes.data());
      break;
    case 1:
      v = CFNumberCreate(nullptr, kCFNumberFloat64Type, bytes.data());
      break;
    case 2:
      v = CFNumberCreate(nullptr, kCFNumberSInt64Type, bytes.data());
      break;
    case 3: {
      std::vector<char> s(bytes.begin(), bytes.begin() + got);
      s.push_back(0);
      v = CFStringCreateWithCString(nullptr, s.data(), kCFStringEncodingUTF8);
      break;
    }
    case 4:
      v = CFDataCreate(nullptr, bytes.data(), got);
      break;
    default:
      CFDictionaryRemoveValue(d, key);
      break;
    }
    if (v) {
      CFDictionarySetValue(d, key, v);
      CFRelease(v);
    }
    CFRelease(key);
  }
  const std::vector<float> before = Params(unit);
  CFPropertyListRef plist = d;
  const OSStatus st = AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo,
                                           kAudioUnitScope_Global, 0, &plist, sizeof(plist));
  if (st != noErr && Params(unit) != before) abort();
  CFRelease(d);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 4096) return 0;
  AudioComponent component = TestComponent();
  const long baseline = PlatformTest_LiveObjectCount();
  AudioUnit unit = nullptr;
  if (AudioComponentInstanceNew(component, &unit)) abort();
  Float64 sr = 44100.0;
  UInt32 frames = 64;
  AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, 0, 0, &sr, sizeof(sr));
  AudioUnitSetProperty(unit, kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &frames, 4);
  AudioUnitInitialize(unit);

  Reader r{data + 1, size - 1};
  if (data[0] & 1)
    StateEdits(unit, r);
  else
    PropertyCalls(unit, r);

  // Whatever was set, a block renders silence or is refused with a status.
  static float out[2][4096];
  for (auto& ch : out)
    for (float& f : ch) f = 1.0f;
  struct {
    UInt32 n;
    AudioBuffer b[2];
  } list{2, {{1, sizeof(out[0]), out[0]}, {1, sizeof(out[1]), out[1]}}};
  AudioTimeStamp ts{};
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  UInt32 max = 0, sz = 4;
  AudioUnitGetProperty(unit, kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &max, &sz);
  const UInt32 n = max < 4096 ? max : 4096;
  if (AudioUnitRender(unit, nullptr, &ts, 0, n, reinterpret_cast<AudioBufferList*>(&list)) == noErr)
    for (UInt32 i = 0; i < n; ++i)
      if (out[0][i] != 0.0f) abort();

  AudioComponentInstanceDispose(unit);
  if (PlatformTest_LiveObjectCount() != baseline) abort();
  return 0;
}
