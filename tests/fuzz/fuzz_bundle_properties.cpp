// fuzz-links: auhost platform
// Property calls on the real bundle with any id, scope, element, size and bytes, between blocks
// rendered with the transport running and the unit initialised, reset and uninitialised.
//
// Input: records, each [kind][id][scope][element: 4][size: 2][size bytes]:
//   kind 0 info, 1 get, 2 set, 3 a block of (element % 4097 + 1) frames, 4 the life cycle.
// Every buffer holds exactly the size given, so a read or write past it is caught; records that
// carry pointers get real ones (or none), as a host's would.

#include "bundle_fuzz.h"

#include "../host/au_property_ids.h"
#include "../host/au_release_got.h"

#include <cstring>
#include <vector>

namespace {

using bundlefuzz::Broken;
using bundlefuzz::Bundle;

template <class T> void PutAt(std::vector<uint8_t>& b, size_t at, const T& v) {
  if (at + sizeof(v) <= b.size()) memcpy(b.data() + at, &v, sizeof(v));
}

// What the set of an id that takes an object or a procedure is handed: real ones or none.
void RealPointers(UInt32 id, bool some, std::vector<uint8_t>& b, AudioUnit u, Bundle& bundle,
                  CFPropertyListRef state, CFStringRef text) {
  switch (id) {
  case kAudioUnitProperty_ClassInfo:
    PutAt(b, 0, some ? state : (CFPropertyListRef)(b.size() > 1 && (b[1] & 1) ? text : nullptr));
    break;
  case kAudioUnitProperty_MakeConnection:
    PutAt(b, 0, some ? u : nullptr); // sourceAudioUnit
    break;
  case kAudioUnitProperty_SetRenderCallback:
    PutAt(b, 0, (void*)nullptr);
    break;
  case kAudioUnitProperty_HostCallbacks:
    // No procedures (a short record leaves some out); the host's own come back after it
    // when some are asked for.
    for (size_t at = 0; at < sizeof(HostCallbackInfo); at += sizeof(void*))
      PutAt(b, at, (void*)nullptr);
    break;
  case kAudioUnitProperty_MIDIOutputCallback:
    PutAt(b, 0, some ? bundle.MidiOutput() : AUMIDIOutputCallbackStruct{nullptr, nullptr});
    break;
  case kAudioUnitProperty_CurrentPreset:
  case kAudioUnitProperty_PresentPreset:
    PutAt(b, 8, (CFStringRef) nullptr);
    break;
  case kAudioUnitProperty_AUHostIdentifier:
  case kAudioUnitProperty_ContextName:
  case kAudioUnitProperty_ElementName:
    PutAt(b, 0, some ? text : nullptr);
    break;
  default:
    break;
  }
}

void Call(uint32_t kind, Reader& r, AudioUnit u, Bundle& bundle, CFPropertyListRef state) {
  const uint32_t sel = r.Get(1);
  const UInt32 id =
      sel < 2 * kNumAskedPropertyIds ? kAskedPropertyIds[sel / 2] : sel | (sel & 1 ? 0u : 0x10000u);
  const UInt32 scope = r.Get(1) % 9;
  UInt32 element = r.Get(4);
  if (element & 0x80000000u) element &= 63;
  const uint32_t size = r.Get(2) % 600;
  std::vector<uint8_t> b;
  for (uint32_t i = 0; i < size; ++i) b.push_back((uint8_t)r.Get(1));
  // Exactly the size given: past it lies the allocator's red zone.
  uint8_t* buf = static_cast<uint8_t*>(malloc(size ? size : 1));
  CFStringRef text = CFStringCreateWithCString(nullptr, b.size() > 2 && (b[2] & 1) ? "7" : "Soft",
                                               kCFStringEncodingUTF8);
  float value = b.size() >= 4 ? 0.0f : 1.0f;
  if (b.size() >= 4) memcpy(&value, b.data(), sizeof(value));
  if (kind == 0) {
    UInt32 sz = 0;
    Boolean w = 0;
    AudioUnitGetPropertyInfo(u, id, scope, element, (size & 1) ? nullptr : &sz,
                             (size & 2) ? nullptr : &w);
  } else if (kind == 1) {
    // In fields carry real pointers; out fields start empty.
    if (id == kAudioUnitProperty_ParameterStringFromValue) {
      PutAt(b, 8, (b.size() > 1 && (b[1] & 1)) ? (float*)nullptr : &value);
      PutAt(b, 16, (CFStringRef) nullptr);
    }
    if (id == kAudioUnitProperty_ParameterValueFromString)
      PutAt(b, 8, (b.size() > 1 && (b[1] & 1)) ? (CFStringRef) nullptr : text);
    if (id == kAudioUnitProperty_ParameterIDName || id == kAudioUnitProperty_ParameterClumpName ||
        id == kAudioUnitProperty_CurrentPreset || id == kAudioUnitProperty_PresentPreset)
      PutAt(b, 8, (CFStringRef) nullptr);
    if (size) memcpy(buf, b.data(), size);
    UInt32 sz = size;
    if (AudioUnitGetProperty(u, id, scope, element, buf, &sz) == noErr) {
      if (sz > size) Broken("a property wrote past the room it was given");
      if (sz) ReleaseGot(id, buf);
    }
  } else {
    const bool some = !b.empty() && (b[0] & 1);
    RealPointers(id, some, b, u, bundle, state, text);
    if (size) memcpy(buf, b.data(), size);
    AudioUnitSetProperty(u, id, scope, element, (size & 0x200) ? nullptr : buf, size);
    if (id == kAudioUnitProperty_HostCallbacks && some) bundle.InstallHostCallbacks();
  }
  free(buf);
  CFRelease(text);
}

UInt32 MaxFrames(AudioUnit u) {
  UInt32 max = 0, sz = sizeof(max);
  AudioUnitGetProperty(u, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &max,
                       &sz);
  return max;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 4096) return 0;
  Bundle& bundle = Bundle::Get();
  const AudioUnit u = bundle.Open(44100.0, 512);
  bundle.Transport().playing = true;
  CFPropertyListRef state = nullptr;
  UInt32 sz = sizeof(state);
  if (AudioUnitGetProperty(u, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &sz))
    Broken("the state could not be read");
  Reader r{data, size};
  for (int calls = 0; calls < 48 && r.Has(1); ++calls) {
    const uint32_t kind = r.Get(1) % 5;
    if (kind < 3) {
      Call(kind, r, u, bundle, state);
    } else if (kind == 3) {
      const UInt32 max = MaxFrames(u);
      bundle.SetMaxFrames(max);
      const UInt32 frames = r.Get(2) % (Bundle::kMaxFrames + 1) + 1;
      const OSStatus st = bundle.Render(frames);
      if (frames > max && st == noErr) Broken("a block above the maximum was rendered");
    } else {
      switch (r.Get(1) % 3) {
      case 0:
        AudioUnitUninitialize(u);
        break;
      case 1:
        AudioUnitInitialize(u);
        break;
      default:
        AudioUnitReset(u, kAudioUnitScope_Global, 0);
        break;
      }
    }
  }
  CFRelease(state);
  bundle.Close();
  return 0;
}
