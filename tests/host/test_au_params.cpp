// Parameters: infos, value strings both ways, names and clumps, set and get, scheduled
// events, and the events of an editor gesture.
#include "au_fixture.h"

#include <cmath>
#include <string>

namespace {

constexpr UInt32 G = kAudioUnitScope_Global;

std::string Text(CFStringRef s) {
  const char* p = CFStringGetCStringPtr(s, kCFStringEncodingUTF8);
  return p ? p : "(null)";
}

TEST_F(AUFixture, ParameterInfoForEveryParameter) {
  mHost.SetParameter(kGain, 5.0f); // the current value is reported as the default
  struct Row {
    const char* name;
    UInt32 unit;
    const char* unitName;
    float min, max, def;
    UInt32 clump;
    UInt32 flags;
  };
  const Row rows[kNumTestParams] = {
      {"Gain", kAudioUnitParameterUnit_CustomUnit, "dB", 0, 10, 5, 1, 0xC8100010},
      {"Mode", kAudioUnitParameterUnit_Indexed, nullptr, 0, 2, 0, 1, 0xC8100010},
      {"Note", kAudioUnitParameterUnit_Indexed, nullptr, 0, 127, 60, 2, 0xC8100010},
      {"Send", kAudioUnitParameterUnit_Boolean, nullptr, 0, 1, 0, 0, 0xC8000010},
      {"Offset", kAudioUnitParameterUnit_Indexed, nullptr, 0, 4096, 0, 3, 0xC8100010},
      {"A rather long parameter name", kAudioUnitParameterUnit_Generic, nullptr, 0, 1, 0.5f, 0,
       0xC8000010},
  };
  for (UInt32 i = 0; i < kNumTestParams; ++i) {
    const Row& r = rows[i];
    AudioUnitParameterInfo info;
    UInt32 size = sizeof(info);
    ASSERT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_ParameterInfo, G, i, &info, &size),
              noErr);
    EXPECT_STREQ(info.name, r.name) << i;
    EXPECT_EQ(Text(info.cfNameString), r.name) << i;
    EXPECT_EQ(info.unit, r.unit) << i;
    if (r.unitName) {
      EXPECT_EQ(Text(info.unitName), r.unitName);
    } else {
      EXPECT_EQ(info.unitName, nullptr) << i;
    }
    EXPECT_EQ(info.minValue, r.min) << i;
    EXPECT_EQ(info.maxValue, r.max) << i;
    EXPECT_EQ(info.defaultValue, r.def) << i;
    EXPECT_EQ(info.clumpID, r.clump) << i;
    EXPECT_EQ(info.flags, r.flags) << i;
    CFRelease(info.cfNameString);
    if (info.unitName) CFRelease(info.unitName);
  }
  struct Clump {
    UInt32 id;
    OSStatus status;
    const char* name;
  };
  const Clump clumps[] = {{1, noErr, "Main"},
                          {2, noErr, "Notes"},
                          {3, noErr, "D\xC3\xA9lai"},
                          {0, -10850, nullptr},
                          {4, -10850, nullptr}};
  for (const Clump& c : clumps) {
    AudioUnitParameterNameInfo rec{c.id, -1, nullptr};
    UInt32 size = sizeof(rec);
    EXPECT_EQ(
        AudioUnitGetProperty(Unit(), kAudioUnitProperty_ParameterClumpName, G, 0, &rec, &size),
        c.status)
        << c.id;
    if (c.name) {
      EXPECT_EQ(Text(rec.outName), c.name);
      CFRelease(rec.outName);
    }
  }
}

TEST_F(AUFixture, ValueStringsBothWays) {
  CFArrayRef names = nullptr;
  UInt32 size = sizeof(names);
  ASSERT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_ParameterValueStrings, G, kMode, &names,
                                 &size),
            noErr);
  ASSERT_EQ(CFArrayGetCount(names), 3);
  EXPECT_EQ(Text((CFStringRef)CFArrayGetValueAtIndex(names, 2)), "Hard");
  CFRelease(names);

  struct FromValue {
    UInt32 id;
    float value;
    OSStatus status;
    const char* text;
  };
  const FromValue fromValue[] = {
      {kGain, 2.5f, noErr, "2.50"},
      {kMode, 1, noErr, "Soft"},
      {kMode, 7, noErr, "Hard"},
      {kNote, 300, noErr, "127"},
      {kNote, -5, noErr, "0"},
      {kSend, 1, noErr, "on"},
      {kNote, NAN, -10851, nullptr},
      {kGain, INFINITY, -10851, nullptr},
      {kNumTestParams, 1, -10877, nullptr},
  };
  for (const FromValue& f : fromValue) {
    AudioUnitParameterStringFromValue rec{f.id, &f.value, nullptr};
    size = sizeof(rec);
    EXPECT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_ParameterStringFromValue, G, 0, &rec,
                                   &size),
              f.status)
        << f.id << " " << f.value;
    if (f.text) {
      EXPECT_EQ(Text(rec.outString), f.text);
      CFRelease(rec.outString);
    }
  }
  AudioUnitParameterStringFromValue noValue{kGain, nullptr, nullptr};
  size = sizeof(noValue);
  EXPECT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_ParameterStringFromValue, G, 0,
                                 &noValue, &size),
            -10851);

  struct FromString {
    UInt32 id;
    const char* text;
    OSStatus status;
    float value; // the host's value is left when nothing matches
  };
  const FromString fromString[] = {{kMode, "Hard", noErr, 2},
                                   {kMode, "xyz", noErr, -1},
                                   {kGain, "3.25", noErr, 3.25f},
                                   {kNote, "64", noErr, 64},
                                   {7, "1", -10877, -1}};
  for (const FromString& f : fromString) {
    TestCFString text(f.text);
    AudioUnitParameterValueFromString rec{f.id, text.s, -1};
    size = sizeof(rec);
    EXPECT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_ParameterValueFromString, G, 0, &rec,
                                   &size),
              f.status)
        << f.text;
    if (f.status == noErr) {
      EXPECT_EQ(rec.outValue, f.value) << f.text;
    }
  }
  const SInt32 one = 1;
  CFNumberRef notAString = CFNumberCreate(nullptr, kCFNumberSInt32Type, &one);
  AudioUnitParameterValueFromString stray{kGain, (CFStringRef)notAString, 0};
  size = sizeof(stray);
  EXPECT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_ParameterValueFromString, G, 0, &stray,
                                 &size),
            -10851);
  CFRelease(notAString);
}

TEST_F(AUFixture, ParameterIDNameCutsToTheDesiredLength) {
  struct Row {
    SInt32 desired;
    const char* name;
  };
  const Row rows[] = {{4, "A ra"},
                      {40, "A rather long parameter name"},
                      {-1, "A rather long parameter name"},
                      {10, "A rather l"},
                      {0, ""},
                      {-5, ""}};
  for (const Row& r : rows) {
    AudioUnitParameterIDName rec{kWidth, r.desired, nullptr};
    UInt32 size = sizeof(rec);
    ASSERT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_ParameterIDName, G, 0, &rec, &size),
              noErr);
    EXPECT_EQ(Text(rec.outName), r.name) << r.desired;
    CFRelease(rec.outName);
  }
  AudioUnitParameterIDName bad{kNumTestParams, -1, nullptr};
  UInt32 size = sizeof(bad);
  EXPECT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_ParameterIDName, G, 0, &bad, &size),
            -10877);
}

TEST_F(AUFixture, SetAndGetCheckScopeIdAndValue) {
  const int changes = mPlug->mProbe.paramChanges[kNote];
  struct Row {
    UInt32 id, scope;
    float value;
    OSStatus status;
  };
  const Row rows[] = {{kNote, G, 72, noErr},          {kNote, kAudioUnitScope_Input, 10, -10879},
                      {kNote, G, NAN, -10851},        {kNote, G, -INFINITY, -10851},
                      {kNumTestParams, G, 1, -10877}, {0xFFFFFFFF, G, 1, -10877}};
  for (const Row& r : rows)
    EXPECT_EQ(AudioUnitSetParameter(Unit(), r.id, r.scope, 0, r.value, 0), r.status) << r.id;
  float v = 0;
  ASSERT_EQ(mHost.GetParameter(kNote, &v), noErr);
  EXPECT_EQ(v, 72.0f);
  EXPECT_EQ(mPlug->mProbe.paramChanges[kNote], changes + 1);
  EXPECT_EQ(mHost.SetParameter(kNote, 500), noErr); // clamped by the parameter
  ASSERT_EQ(mHost.GetParameter(kNote, &v), noErr);
  EXPECT_EQ(v, 127.0f);
  EXPECT_EQ(AudioUnitGetParameter(Unit(), kNote, G, 0, nullptr), -10851);
  EXPECT_EQ(AudioUnitGetParameter(Unit(), kNote, kAudioUnitScope_Output, 0, &v), -10879);
  EXPECT_EQ(AudioUnitGetParameter(Unit(), kNumTestParams, G, 0, &v), -10877);
}

TEST_F(AUFixture, ScheduledEventsStopAtTheFirstFailure) {
  auto immediate = [](UInt32 id, UInt32 scope, float v) {
    AudioUnitParameterEvent e{};
    e.scope = scope;
    e.parameter = id;
    e.eventType = kParameterEvent_Immediate;
    e.eventValues.immediate.value = v;
    return e;
  };
  AudioUnitParameterEvent ramp{};
  ramp.parameter = kGain;
  ramp.eventType = kParameterEvent_Ramped;
  ramp.eventValues.ramp.endValue = 9;
  const AudioUnitParameterEvent events[] = {
      immediate(kNote, G, 40), ramp, immediate(kNumTestParams, G, 1), immediate(kGain, G, 7)};
  EXPECT_EQ(AudioUnitScheduleParameters(Unit(), events, 4), -10877);
  float note = 0, gain = 0;
  mHost.GetParameter(kNote, &note);
  mHost.GetParameter(kGain, &gain);
  EXPECT_EQ(note, 40.0f);
  EXPECT_EQ(gain, 1.0f);
  const AudioUnitParameterEvent wrongScope[] = {immediate(kGain, kAudioUnitScope_Input, 7)};
  EXPECT_EQ(AudioUnitScheduleParameters(Unit(), wrongScope, 1), -10879);
  EXPECT_EQ(AudioUnitScheduleParameters(Unit(), nullptr, 1), -10851);
  EXPECT_EQ(AudioUnitScheduleParameters(Unit(), nullptr, 0), noErr);
}

TEST_F(AUFixture, EditorGestureEventsInOrder) {
  ASSERT_EQ(mHost.ListenToParameterEvents(), noErr);
  mPlug->BeginInformHostOfParamChange(kGain);
  mPlug->SetParameterFromGUI(kGain, 0.25);
  mPlug->EndInformHostOfParamChange(kGain);
  using N = auhost::Notification;
  const std::vector<N>& log = mHost.Notifications();
  ASSERT_EQ(log.size(), 3u);
  const N::Kind kinds[] = {N::kBeginGesture, N::kParamValue, N::kEndGesture};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(log[i].kind, kinds[i]);
    EXPECT_EQ(log[i].id, (UInt32)kGain);
    EXPECT_EQ(log[i].scope, G);
  }
  float gain = 0;
  mHost.GetParameter(kGain, &gain);
  EXPECT_EQ(gain, 2.5f);
}

} // namespace
