// fuzz-links: auhost platform
// State dictionaries given to the real bundle (the class-info property), built from one the
// plug-in saved: keys missing or added, values of the wrong type, numbers of every kind, the
// parameter data cut short, lengthened, or with values changed to anything a double holds.
//
// Input: [parameter sets][flags], then edits of the saved dictionary, each [key][kind][fields].
// A refused dictionary must leave the state exactly as it was; a taken one must have brought a
// finite value for every parameter, set each to it (held inside its range), and save a state
// that restores to itself. Either way the engine then plays a few blocks.

#include "bundle_fuzz.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using bundlefuzz::Broken;
using bundlefuzz::Bundle;

const char* const kKeys[] = {"version", "type", "subtype", "manufacturer", "name", "data", "other"};
constexpr int kNumKeys = sizeof(kKeys) / sizeof(kKeys[0]);

CFStringRef Str(const char* s) {
  return CFStringCreateWithCString(nullptr, s, kCFStringEncodingUTF8);
}

// The parameter data of the saved state, as bytes.
std::vector<uint8_t> Bytes(CFDictionaryRef d) {
  CFStringRef key = Str("data");
  const void* v = CFDictionaryGetValue(d, key);
  CFRelease(key);
  if (!v || CFGetTypeID(v) != CFDataGetTypeID()) Broken("a saved state without its data");
  const CFDataRef data = static_cast<CFDataRef>(v);
  return std::vector<uint8_t>(CFDataGetBytePtr(data),
                              CFDataGetBytePtr(data) + CFDataGetLength(data));
}

CFDictionaryRef Saved(AudioUnit u) {
  CFPropertyListRef s = nullptr;
  UInt32 size = sizeof(s);
  if (AudioUnitGetProperty(u, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &s, &size) ||
      !s || CFGetTypeID(s) != CFDictionaryGetTypeID())
    Broken("the state could not be read");
  return static_cast<CFDictionaryRef>(s);
}

OSStatus Restore(AudioUnit u, CFPropertyListRef s) {
  return AudioUnitSetProperty(u, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &s,
                              sizeof(s));
}

struct Range {
  float lo, hi;
};

std::vector<Range> Ranges(AudioUnit u) {
  std::vector<Range> out;
  for (UInt32 id = 0;; ++id) {
    AudioUnitParameterInfo info;
    UInt32 size = sizeof(info);
    if (AudioUnitGetProperty(u, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info,
                             &size))
      return out;
    if (info.unitName) CFRelease(info.unitName);
    if (info.cfNameString) CFRelease(info.cfNameString);
    out.push_back({info.minValue, info.maxValue});
  }
}

std::vector<float> Params(AudioUnit u, size_t n) {
  std::vector<float> v(n);
  for (size_t i = 0; i < n; ++i)
    if (AudioUnitGetParameter(u, (UInt32)i, kAudioUnitScope_Global, 0, &v[i]))
      Broken("a parameter could not be read");
  return v;
}

// Doubles a host's state may hold where a parameter value belongs.
double Value(Reader& r) {
  static const double kValues[] = {std::numeric_limits<double>::quiet_NaN(),
                                   std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(),
                                   -1e300,
                                   1e300,
                                   -1,
                                   0,
                                   0.5,
                                   1,
                                   2,
                                   8.75,
                                   127,
                                   128,
                                   1e9,
                                   -0.0,
                                   std::numeric_limits<double>::denorm_min()};
  const uint32_t k = r.Get(1);
  if (k < 16) return kValues[k];
  if (k < 160) return (double)(int)(k - 32); // small whole numbers around every range
  double v;
  const uint32_t lo = r.Get(4), hi = r.Get(4);
  const uint64_t bits = (uint64_t)hi << 32 | lo;
  memcpy(&v, &bits, sizeof(v));
  return v;
}

// One value of the given kind made from the input; null when the kind removes the key.
CFTypeRef MakeValue(uint32_t kind, Reader& r, const std::vector<uint8_t>& data) {
  switch (kind % 10) {
  case 0:
    return nullptr;
  case 1: {
    const SInt32 n = (SInt32)r.Get(4);
    return CFNumberCreate(nullptr, kCFNumberSInt32Type, &n);
  }
  case 2: {
    const double d = Value(r);
    return CFNumberCreate(nullptr, kCFNumberFloat64Type, &d);
  }
  case 3: {
    const int64_t n = (int64_t)((uint64_t)r.Get(4) << 32 | r.Get(4));
    return CFNumberCreate(nullptr, kCFNumberSInt64Type, &n);
  }
  case 4: {
    char s[40];
    const uint32_t len = r.Get(1) % 40;
    uint32_t i = 0;
    for (; i < len && r.Has(1); ++i) s[i] = (char)r.Get(1);
    s[i] = 0;
    return Str(s); // null when the bytes are no UTF-8: the key then goes
  }
  case 5: {
    uint8_t b[64];
    const uint32_t len = r.Get(1) % 64;
    uint32_t i = 0;
    for (; i < len && r.Has(1); ++i) b[i] = (uint8_t)r.Get(1);
    return CFDataCreate(nullptr, b, (CFIndex)i);
  }
  case 6: { // the saved data cut short, often by less than a value
    const uint32_t k = r.Get(2);
    const size_t n =
        (k & 1) && data.size() > 16 ? data.size() - (k >> 1) % 17 : (k >> 1) % (data.size() + 1);
    return CFDataCreate(nullptr, data.data(), (CFIndex)n);
  }
  case 7: { // the saved data with some values changed
    std::vector<uint8_t> b = data;
    for (uint32_t n = r.Get(1) % 4 + 1; n > 0 && r.Has(1); --n) {
      const size_t at = (r.Get(1) % (b.size() / 8)) * 8;
      const double v = Value(r);
      memcpy(b.data() + at, &v, sizeof(v));
    }
    return CFDataCreate(nullptr, b.data(), (CFIndex)b.size());
  }
  case 8: { // the saved data with bytes after it
    std::vector<uint8_t> b = data;
    for (uint32_t n = r.Get(1) % 24; n > 0; --n) b.push_back((uint8_t)r.Get(1));
    return CFDataCreate(nullptr, b.data(), (CFIndex)b.size());
  }
  default: { // a collection where a plain value belongs
    if (r.Get(1) & 1) return CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    return CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                     &kCFTypeDictionaryValueCallBacks);
  }
  }
}

// A few blocks with the transport running, then a stopped one: nothing may still sound.
void Play(Bundle& bundle) {
  bundle.Transport().playing = true;
  for (int i = 0; i < 4; ++i)
    if (bundle.Render(512)) Broken("a block was refused");
  bundle.Transport().playing = false;
  if (bundle.Render(512)) Broken("a block was refused");
  if (bundle.OpenNotes()) Broken("a note still sounds after the transport stopped");
}

// The parameters that shape what a state brings back.
const uint32_t kParams[] = {4, 8, 12, 16, 17, 19, 22, 23, 24, 26, 27, 31, 52, 53};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 1024) return 0;
  Bundle& bundle = Bundle::Get();
  const AudioUnit u = bundle.Open(44100.0, 512);
  Reader r{data, size};
  for (uint32_t n = r.Get(1) % 4; n > 0; --n) {
    const uint32_t id = kParams[r.Get(1) % (sizeof(kParams) / sizeof(kParams[0]))];
    AudioUnitSetParameter(u, id, kAudioUnitScope_Global, 0, (float)(int8_t)r.Get(1), 0);
  }
  const uint32_t flags = r.Get(1);
  const std::vector<Range> ranges = Ranges(u);
  const std::vector<float> before = Params(u, ranges.size());

  CFDictionaryRef saved = Saved(u);
  const std::vector<uint8_t> savedData = Bytes(saved);
  CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                       &kCFTypeDictionaryValueCallBacks);
  for (const char* k : kKeys) {
    CFStringRef key = Str(k);
    if (const void* v = CFDictionaryGetValue(saved, key)) CFDictionarySetValue(d, key, v);
    CFRelease(key);
  }
  while (r.Has(2)) {
    CFStringRef key = Str(kKeys[r.Get(1) % kNumKeys]);
    if (CFTypeRef v = MakeValue(r.Get(1), r, savedData)) {
      CFDictionarySetValue(d, key, v);
      CFRelease(v);
    } else {
      CFDictionaryRemoveValue(d, key);
    }
    CFRelease(key);
  }
  // Now and then no dictionary at all, or one that holds the state under a key.
  CFTypeRef given = d;
  CFMutableArrayRef wrapped = nullptr;
  if ((flags & 7) == 7) {
    wrapped = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFArrayAppendValue(wrapped, d);
    given = wrapped;
  }
  // The values the dictionary brings, when its data is there.
  std::vector<double> brought;
  {
    CFStringRef key = Str("data");
    const void* v = CFDictionaryGetValue(d, key);
    CFRelease(key);
    if (v && CFGetTypeID(v) == CFDataGetTypeID()) {
      const CFDataRef bytes = static_cast<CFDataRef>(v);
      for (CFIndex at = 0; at + 8 <= CFDataGetLength(bytes); at += 8) {
        double x;
        memcpy(&x, CFDataGetBytePtr(bytes) + at, sizeof(x));
        brought.push_back(x);
      }
    }
  }
  const OSStatus st = Restore(u, given);
  if (wrapped) CFRelease(wrapped);
  CFRelease(d);

  if (st != noErr) {
    if (Params(u, ranges.size()) != before) Broken("a refused state changed a parameter");
    CFDictionaryRef now = Saved(u);
    if (Bytes(now) != savedData) Broken("a refused state changed the saved data");
    CFRelease(now);
  } else {
    const std::vector<float> got = Params(u, ranges.size());
    if (brought.size() < got.size()) Broken("a state without every value was taken");
    for (size_t i = 0; i < got.size(); ++i)
      if (!std::isfinite(brought[i])) Broken("a state with a value no number holds was taken");
    // Each parameter holds what the state brought, inside its range.
    for (size_t i = 0; i < got.size(); ++i) {
      const double lo = ranges[i].lo, hi = ranges[i].hi;
      const double x = brought[i] < lo ? lo : brought[i] > hi ? hi : brought[i];
      if (got[i] != (float)x) Broken("a taken state did not set a parameter to its value");
    }
    // What the plug-in saves now restores to itself.
    CFDictionaryRef again = Saved(u);
    if (Restore(u, again) != noErr) Broken("the plug-in refused its own state");
    if (Params(u, ranges.size()) != got) Broken("a saved state did not restore to itself");
    CFRelease(again);
  }
  CFRelease(saved);
  Play(bundle);
  bundle.Close();
  return 0;
}
