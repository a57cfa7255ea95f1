// Every way a saved state or a string-carrying property can come without what it needs: each
// is refused with -10851, changes nothing, leaks nothing and never reaches a platform call
// that would crash on null.
#include "au_fixture.h"

#include "WDL/IPlug/dfx/dfx-au-utilities.h"

#include <functional>
#include <string>
#include <vector>

namespace {

const char* const kKeys[] = {"version", "type", "subtype", "manufacturer", "name", "data"};

std::vector<float> Params(auhost::Host& h) {
  std::vector<float> v(kNumTestParams);
  for (int i = 0; i < kNumTestParams; ++i) h.GetParameter(i, &v[i]);
  return v;
}

// One object of each kind a state value may wrongly be; the caller releases it.
struct Kind {
  const char* name;
  std::function<CFTypeRef()> make;
};
const Kind kKinds[] = {
    {"number",
     [] {
       const SInt32 v = 1;
       return (CFTypeRef)CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
     }},
    {"string",
     [] { return (CFTypeRef)CFStringCreateWithCString(nullptr, "1", kCFStringEncodingUTF8); }},
    {"data",
     [] {
       const UInt8 b[8] = {};
       return (CFTypeRef)CFDataCreate(nullptr, b, 8);
     }},
    {"dictionary",
     [] {
       return (CFTypeRef)CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                   &kCFTypeDictionaryValueCallBacks);
     }},
    {"array", [] { return (CFTypeRef)CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks); }},
    // A dictionary holds no null value; an object no state key takes stands in for one.
    {"other object",
     [] {
       return (CFTypeRef)CFURLCreateFromFileSystemRepresentation(nullptr, (const UInt8*)"/", 1,
                                                                 true);
     }},
};

// The key's own kind, which is not wrong for it.
const char* RightKind(const std::string& key) {
  return key == "name" ? "string" : key == "data" ? "data" : "number";
}

class StateTable : public AUFixture {
protected:
  // Sets the state and checks it was refused without a change.
  void ExpectRefused(CFPropertyListRef state, const std::string& what) {
    const std::vector<float> before = Params(mHost);
    const long live = PlatformTest_LiveObjectCount();
    EXPECT_EQ(mHost.SetState(state), -10851) << what;
    EXPECT_EQ(Params(mHost), before) << what;
    EXPECT_EQ(mPlug->GetCurrentPresetIdx(), 0) << what;
    EXPECT_EQ(PlatformTest_LiveObjectCount(), live) << what;
  }
};

TEST_F(StateTable, EveryKeyMissingOrOfEveryWrongKindIsRefused) {
  CFPropertyListRef good = nullptr;
  ASSERT_EQ(mHost.GetState(&good), noErr);
  mHost.SetParameter(kGain, 6.0f);
  auto copy = [&] {
    CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                         &kCFTypeDictionaryValueCallBacks);
    for (const char* k : kKeys) {
      TestCFString key(k);
      CFDictionarySetValue(d, key.s, CFDictionaryGetValue((CFDictionaryRef)good, key.s));
    }
    return d;
  };
  for (const char* k : kKeys) {
    TestCFString key(k);
    CFMutableDictionaryRef d = copy();
    CFDictionaryRemoveValue(d, key.s);
    ExpectRefused(d, std::string("no ") + k);
    CFRelease(d);
    for (const Kind& kind : kKinds) {
      if (RightKind(k) == std::string(kind.name)) continue;
      d = copy();
      CFTypeRef v = kind.make();
      CFDictionarySetValue(d, key.s, v);
      CFRelease(v);
      ExpectRefused(d, std::string(k) + " as " + kind.name);
      CFRelease(d);
    }
  }
  // No state at all, or a state of another kind.
  ExpectRefused(nullptr, "null");
  for (const Kind& kind : kKinds) {
    if (std::string(kind.name) == "dictionary") continue;
    CFTypeRef v = kind.make();
    ExpectRefused(v, kind.name);
    CFRelease(v);
  }
  // The untouched copy still restores.
  CFMutableDictionaryRef d = copy();
  EXPECT_EQ(mHost.SetState(d), noErr);
  CFRelease(d);
  CFRelease(good);
}

TEST_F(StateTable, StringPropertiesRefuseANullOrNonStringPointer) {
  mHost.SetParameter(kGain, 6.0f);
  const int host = mPlug->GetHost();
  for (const Kind& kind : kKinds) {
    if (std::string(kind.name) == "string") continue;
    CFTypeRef v = kind.make();
    for (CFTypeRef s : {(CFTypeRef) nullptr, v}) {
      const std::string what = s ? kind.name : "null";
      const long live = PlatformTest_LiveObjectCount();
      AudioUnitParameterValueFromString rec{kGain, (CFStringRef)s, -7.0f};
      UInt32 size = sizeof(rec);
      EXPECT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_ParameterValueFromString,
                                     kAudioUnitScope_Global, 0, &rec, &size),
                -10851)
          << what;
      EXPECT_EQ(rec.outValue, -7.0f) << what;
      AUHostVersionIdentifier id{(CFStringRef)s, NumVersion{0, 0, 0x12, 3}};
      EXPECT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_AUHostIdentifier,
                                     kAudioUnitScope_Global, 0, &id, sizeof(id)),
                -10851)
          << what;
      EXPECT_EQ(mPlug->GetHost(), host) << what;
      EXPECT_EQ(mPlug->mProbe.hostIdentified, 1) << what;
      EXPECT_EQ(PlatformTest_LiveObjectCount(), live) << what;
    }
    CFRelease(v);
  }
}

TEST(CFAUPresetNames, UnnamedPresetsCompareWithoutAString) {
  TestCFString name("Loud");
  CFAUPresetRef a = CFAUPresetCreate(nullptr, 2, nullptr);
  CFAUPresetRef b = CFAUPresetCreate(nullptr, 2, nullptr);
  CFAUPresetRef c = CFAUPresetCreate(nullptr, 2, name.s);
  EXPECT_TRUE(CFAUPresetEqual(a, b));
  EXPECT_FALSE(CFAUPresetEqual(a, c));
  EXPECT_FALSE(CFAUPresetEqual(c, a));
  for (CFAUPresetRef p : {a, b, c}) CFAUPresetRelease(p);
}

} // namespace
