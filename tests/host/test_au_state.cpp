// Saved state: the dictionary, a round trip, refused dictionaries that change nothing; the
// factory presets and their reference-counted records.
#include "au_fixture.h"

#include "WDL/IPlug/dfx/dfx-au-utilities.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <string>

namespace {

const char* const kKeys[] = {"version", "type", "subtype", "manufacturer", "name", "data"};

CFMutableDictionaryRef CopyDict(CFDictionaryRef d) {
  CFMutableDictionaryRef m = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                       &kCFTypeDictionaryValueCallBacks);
  for (const char* k : kKeys) {
    TestCFString key(k);
    if (const void* v = CFDictionaryGetValue(d, key.s)) CFDictionarySetValue(m, key.s, v);
  }
  return m;
}

void SetValue(CFMutableDictionaryRef d, const char* key, CFTypeRef value) {
  TestCFString k(key);
  CFDictionarySetValue(d, k.s, value);
  CFRelease(value);
}

CFNumberRef Int32(SInt32 v) {
  return CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
}

CFDataRef Doubles(std::vector<double> v, int cut = 0) {
  return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(v.data()),
                      (CFIndex)(v.size() * sizeof(double)) - cut);
}

std::vector<float> Params(auhost::Host& h) {
  std::vector<float> v(kNumTestParams);
  for (int i = 0; i < kNumTestParams; ++i) h.GetParameter(i, &v[i]);
  return v;
}

TEST_F(AUFixture, StateDictionaryRoundTrip) {
  const float values[kNumTestParams] = {3.5f, 2, 90, 1, 33, 0.25f};
  for (int i = 0; i < kNumTestParams; ++i) mHost.SetParameter(i, values[i]);
  CFPropertyListRef state = nullptr;
  ASSERT_EQ(mHost.GetState(&state), noErr);
  CFDictionaryRef d = static_cast<CFDictionaryRef>(state);
  struct Num {
    const char* key;
    SInt32 value;
  };
  const Num nums[] = {{"version", kTestPlugVersion},
                      {"type", 0x61756D66},
                      {"subtype", kTestPlugSubtype},
                      {"manufacturer", kTestPlugMfr}};
  for (const Num& n : nums) {
    TestCFString k(n.key);
    SInt32 v = 0;
    ASSERT_TRUE(
        CFNumberGetValue((CFNumberRef)CFDictionaryGetValue(d, k.s), kCFNumberSInt32Type, &v));
    EXPECT_EQ(v, n.value) << n.key;
  }
  TestCFString nameKey("name"), dataKey("data");
  EXPECT_STREQ(
      CFStringGetCStringPtr((CFStringRef)CFDictionaryGetValue(d, nameKey.s), kCFStringEncodingUTF8),
      "Init");
  CFDataRef data = (CFDataRef)CFDictionaryGetValue(d, dataKey.s);
  ASSERT_EQ(CFDataGetLength(data), (CFIndex)(kNumTestParams * sizeof(double)));
  double gain;
  memcpy(&gain, CFDataGetBytePtr(data), sizeof(gain));
  EXPECT_EQ(gain, 3.5);

  for (int i = 0; i < kNumTestParams; ++i) mHost.SetParameter(i, 0);
  const int changes = mPlug->mProbe.paramChanges[kWidth];
  ASSERT_EQ(mHost.SetState(state), noErr);
  EXPECT_EQ(Params(mHost), std::vector<float>(values, values + kNumTestParams));
  // Once for the preset the state names ("Init"), once for its data.
  EXPECT_EQ(mPlug->mProbe.paramChanges[kWidth], changes + 2);
  CFRelease(state);

  // A state without its data could never be restored: none is given.
  mPlug->mProbe.failSerialize = true;
  CFPropertyListRef partial = nullptr;
  EXPECT_EQ(mHost.GetState(&partial), coreFoundationUnknownErr);
  EXPECT_EQ(partial, nullptr);
}

TEST_F(AUFixture, RefusedStatesChangeNothing) {
  CFPropertyListRef good = nullptr;
  ASSERT_EQ(mHost.GetState(&good), noErr);
  mHost.SetParameter(kGain, 6.0f);
  mHost.SetParameter(kNote, 100);
  const std::vector<float> before = Params(mHost);
  const std::vector<double> zeros(kNumTestParams, 0.0);
  std::vector<double> withNaN = zeros, withInf = zeros;
  withNaN[3] = NAN;
  withInf[kNumTestParams - 1] = -INFINITY;

  using Edit = std::function<void(CFMutableDictionaryRef)>;
  auto drop = [](const char* key) {
    return Edit([key](CFMutableDictionaryRef d) {
      TestCFString k(key);
      CFDictionaryRemoveValue(d, k.s);
    });
  };
  auto put = [](const char* key, std::function<CFTypeRef()> make) {
    return Edit([key, make](CFMutableDictionaryRef d) { SetValue(d, key, make()); });
  };
  struct Row {
    const char* what;
    Edit edit;
  };
  const Row rows[] = {
      {"no version", drop("version")},
      {"no type", drop("type")},
      {"no subtype", drop("subtype")},
      {"no manufacturer", drop("manufacturer")},
      {"no name", drop("name")},
      {"no data", drop("data")},
      {"other subtype", put("subtype", [] { return Int32(0x4F746872); })},
      {"other type", put("type", [] { return Int32(0x61756678); })},
      {"version as text", put("version", [] { return CFSTR("1"); })},
      {"fractional version", put("version",
                                 [] {
                                   double v = 1.5;
                                   return CFNumberCreate(nullptr, kCFNumberFloat64Type, &v);
                                 })},
      {"type too big", put("type",
                           [] {
                             SInt64 v = 0x161756D66LL;
                             return CFNumberCreate(nullptr, kCFNumberSInt64Type, &v);
                           })},
      {"name as number", put("name", [] { return Int32(3); })},
      {"data as text", put("data", [] { return CFSTR("data"); })},
      {"short data", put("data", [zeros] { return Doubles(zeros, 1); })},
      {"empty data", put("data", [] { return Doubles({}); })},
      {"NaN in data", put("data", [withNaN] { return Doubles(withNaN); })},
      {"infinity in data", put("data", [withInf] { return Doubles(withInf); })},
  };
  for (const Row& r : rows) {
    CFMutableDictionaryRef d = CopyDict(static_cast<CFDictionaryRef>(good));
    r.edit(d);
    EXPECT_EQ(mHost.SetState(d), -10851) << r.what;
    EXPECT_EQ(Params(mHost), before) << r.what;
    CFRelease(d);
  }
  // No state, or not a dictionary.
  TestCFString text("state");
  const CFPropertyListRef notDicts[] = {nullptr, text.s};
  for (CFPropertyListRef p : notDicts) EXPECT_EQ(mHost.SetState(p), -10851);
  EXPECT_EQ(Params(mHost), before);
  CFRelease(good);
}

TEST_F(AUFixture, AcceptedStatesWithOddNames) {
  CFPropertyListRef good = nullptr;
  ASSERT_EQ(mHost.GetState(&good), noErr);
  std::vector<double> values = {4, 1, 50, 0, 8, 0.75};
  struct Row {
    std::string name;
    int presetAfter;
  };
  const Row rows[] = {{std::string(5000, 'x'), 0},
                      {"Gr\xC3\xBC\xC3\x9F\x65 \xE2\x99\xAB", 0},
                      {"Quiet", 2},
                      {"", 2}};
  for (const Row& r : rows) {
    CFMutableDictionaryRef d = CopyDict(static_cast<CFDictionaryRef>(good));
    SetValue(d, "name", CFStringCreateWithCString(nullptr, r.name.c_str(), kCFStringEncodingUTF8));
    SetValue(d, "data", Doubles(values));
    SetValue(d, "version", Int32(-7)); // any version is taken
    EXPECT_EQ(mHost.SetState(d), noErr) << r.name.size();
    float gain = 0;
    mHost.GetParameter(kGain, &gain);
    EXPECT_EQ(gain, 4.0f); // the data wins over a named preset's values
    EXPECT_EQ(mPlug->GetCurrentPresetIdx(), r.presetAfter);
    CFRelease(d);
  }
  CFRelease(good);
}

TEST_F(AUFixture, FactoryPresetsListChooseAndNotify) {
  OSStatus err = -1;
  const std::vector<auhost::Preset> presets = mHost.FactoryPresets(&err);
  ASSERT_EQ(err, noErr);
  ASSERT_EQ(presets.size(), 3u);
  const char* names[] = {"Init", "Loud", "Quiet"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(presets[i].number, i);
    EXPECT_EQ(presets[i].name, names[i]);
  }
  ASSERT_EQ(mHost.ListenToProperty(kAudioUnitProperty_PresentPreset), noErr);
  ASSERT_EQ(mHost.ChoosePreset(1), noErr);
  float gain = 0;
  mHost.GetParameter(kGain, &gain);
  EXPECT_EQ(gain, 8.0f);
  auhost::Preset current{-1, ""};
  ASSERT_EQ(mHost.CurrentPreset(&current), noErr);
  EXPECT_EQ(current.number, 1);
  EXPECT_EQ(current.name, "Loud");
  EXPECT_EQ(mHost.Notifications().size(), 1u);
  for (int bad : {3, -1, 1 << 30}) EXPECT_EQ(mHost.ChoosePreset(bad), -10851) << bad;
  EXPECT_EQ(mHost.Notifications().size(), 1u);

  // A record that cannot be allocated is left out of the list.
  PlatformTest_FailNextAllocations(1);
  EXPECT_EQ(mHost.FactoryPresets(&err).size(), 2u);
  EXPECT_EQ(err, noErr);
}

TEST(CFAUPreset, RecordsCountDescribeAndCompare) {
  TestCFString name("Loud"), other("Soft");
  const long base = PlatformTest_LiveObjectCount();
  CFAUPresetRef a = CFAUPresetCreate(nullptr, 2, name.s);
  CFAUPresetRef b = CFAUPresetCreate(nullptr, 2, name.s);
  CFAUPresetRef c = CFAUPresetCreate(nullptr, 3, name.s);
  CFAUPresetRef d = CFAUPresetCreate(nullptr, 2, other.s);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->retainCount, 1);
  EXPECT_EQ(a->version, 0u);
  EXPECT_TRUE(CFAUPresetEqual(a, b));
  EXPECT_FALSE(CFAUPresetEqual(a, c));
  EXPECT_FALSE(CFAUPresetEqual(a, d));
  CFStringRef desc = CFAUPresetCopyDescription(a);
  EXPECT_STREQ(CFStringGetCStringPtr(desc, kCFStringEncodingUTF8),
               "AUPreset:\npreset number = 2\npreset name = Loud");
  CFRelease(desc);
  EXPECT_EQ(CFAUPresetRetain(a), a);
  EXPECT_EQ(a->retainCount, 2);
  CFAUPresetRelease(a);
  EXPECT_EQ(a->retainCount, 1);
  for (CFAUPresetRef p : {a, b, c, d}) CFAUPresetRelease(p);
  EXPECT_EQ(CFAUPresetRetain(nullptr), nullptr);
  CFAUPresetRelease(nullptr);
  PlatformTest_FailNextAllocations(1);
  EXPECT_EQ(CFAUPresetCreate(nullptr, 0, name.s), nullptr);
  EXPECT_EQ(PlatformTest_LiveObjectCount(), base);
}

} // namespace
