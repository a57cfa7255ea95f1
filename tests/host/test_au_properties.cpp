// The property table through the platform's calls: info, get and set for every id and scope,
// then bad ids, elements, scopes, sizes and pointers.
#include "au_fixture.h"
#include "au_release_got.h"
#include "WDL/IPlug/IPlugAU_Private.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr OSStatus kBadProp = kAudioUnitErr_InvalidProperty;
enum Scope { G = kAudioUnitScope_Global, I = kAudioUnitScope_Input, O = kAudioUnitScope_Output };

struct InfoRow {
  UInt32 id;
  UInt32 element;
  OSStatus status[3]; // global, input, output
  UInt32 size[3];
  Boolean writable[3];
};

// What the info call answers for the test plug-in (no inputs, one output bus, an editor).
const InfoRow kInfo[] = {
    {kIPlugObjectPropertyID, 0, {0, 0, 0}, {8, 8, 8}, {0, 0, 0}},
    {kAudioUnitProperty_ClassInfo, 0, {0, 0, 0}, {8, 8, 8}, {0, 0, 0}},
    {kAudioUnitProperty_MakeConnection, 0, {0, 0, kBadProp}, {16, 16, 0}, {1, 1, 0}},
    {kAudioUnitProperty_SampleRate, 0, {0, 0, 0}, {8, 8, 8}, {1, 1, 1}},
    {kAudioUnitProperty_ParameterList, 0, {0, 0, 0}, {4 * kNumTestParams, 0, 0}, {0, 0, 0}},
    {kAudioUnitProperty_ParameterInfo, 0, {0, kBadProp, kBadProp}, {104, 0, 0}, {0, 0, 0}},
    {kAudioUnitProperty_ParameterInfo, kNumTestParams, {-10877, kBadProp, kBadProp}, {}, {}},
    {kAudioUnitProperty_FastDispatch, 14, {-10877, -10877, -10877}, {}, {}},
    {kAudioUnitProperty_StreamFormat, 0, {0, kBadProp, 0}, {40, 0, 40}, {1, 0, 1}},
    {kAudioUnitProperty_StreamFormat, 1, {kBadProp, kBadProp, kBadProp}, {}, {}},
    {kAudioUnitProperty_ElementCount, 0, {0, 0, 0}, {4, 4, 4}, {0, 0, 0}},
    {kAudioUnitProperty_Latency, 0, {0, kBadProp, kBadProp}, {8, 0, 0}, {0, 0, 0}},
    {kAudioUnitProperty_SupportedNumChannels, 0, {0, kBadProp, kBadProp}, {8, 0, 0}, {}},
    {kAudioUnitProperty_MaximumFramesPerSlice, 0, {0, kBadProp, kBadProp}, {4, 0, 0}, {1, 0, 0}},
    {kAudioUnitProperty_ParameterValueStrings, kGain, {kBadProp, kBadProp, kBadProp}, {}, {}},
    {kAudioUnitProperty_ParameterValueStrings, kMode, {0, kBadProp, kBadProp}, {8, 0, 0}, {}},
    {kAudioUnitProperty_ParameterValueStrings, 99, {-10877, kBadProp, kBadProp}, {}, {}},
    {kAudioUnitProperty_GetUIComponentList, 0, {0, 0, 0}, {20, 20, 20}, {0, 0, 0}},
    {kAudioUnitProperty_AudioChannelLayout, 0, {-10851, -10851, -10851}, {}, {}},
    {kAudioUnitProperty_TailTime, 0, {0, kBadProp, kBadProp}, {8, 0, 0}, {0, 0, 0}},
    {kAudioUnitProperty_BypassEffect, 0, {0, kBadProp, kBadProp}, {4, 0, 0}, {1, 0, 0}},
    {kAudioUnitProperty_LastRenderError, 0, {0, kBadProp, kBadProp}, {4, 0, 0}, {0, 0, 0}},
    {kAudioUnitProperty_SetRenderCallback, 0, {kBadProp, kBadProp, kBadProp}, {}, {}},
    {kAudioUnitProperty_FactoryPresets, 0, {0, 0, 0}, {8, 8, 8}, {0, 0, 0}},
    {kAudioUnitProperty_HostCallbacks, 0, {0, kBadProp, kBadProp}, {40, 0, 0}, {1, 0, 0}},
    {kAudioUnitProperty_CurrentPreset, 0, {0, 0, 0}, {16, 16, 16}, {1, 1, 1}},
    {kAudioUnitProperty_ElementName, 0, {kBadProp, kBadProp, kBadProp}, {8, 8, 8}, {}},
    {kAudioUnitProperty_CocoaUI, 0, {0, 0, 0}, {16, 16, 16}, {0, 0, 0}},
    {kAudioUnitProperty_SupportedChannelLayoutTags, 0, {kBadProp, kBadProp, kBadProp}, {}, {}},
    {kAudioUnitProperty_ParameterStringFromValue, 0, {0, 0, 0}, {24, 24, 24}, {0, 0, 0}},
    {kAudioUnitProperty_ParameterIDName, 0, {0, 0, 0}, {16, 16, 16}, {0, 0, 0}},
    {kAudioUnitProperty_ParameterClumpName, 0, {0, 0, 0}, {16, 16, 16}, {0, 0, 0}},
    {kAudioUnitProperty_PresentPreset, 0, {0, 0, 0}, {16, 16, 16}, {1, 1, 1}},
    {kAudioUnitProperty_OfflineRender, 0, {kBadProp, kBadProp, kBadProp}, {}, {}},
    {kAudioUnitProperty_ParameterValueFromString, 0, {0, 0, 0}, {24, 24, 24}, {0, 0, 0}},
    {kAudioUnitProperty_AUHostIdentifier, 0, {kBadProp, kBadProp, kBadProp}, {}, {}},
    {kAudioUnitProperty_MIDIOutputCallbackInfo, 0, {0, 0, 0}, {8, 8, 8}, {0, 0, 0}},
    {kAudioUnitProperty_MIDIOutputCallback, 0, {0, 0, 0}, {16, 16, 16}, {1, 1, 1}},
    {kMusicDeviceProperty_InstrumentCount, 0, {kBadProp, kBadProp, kBadProp}, {}, {}},
};

// Properties the binding refuses outright, and ids it does not know.
const UInt32 kRefused[] = {6, 7, 9, 10, 15, 17, 25, 26, 29, 39, 40, 45, 49, 50, 51, 999, 1001};

TEST_F(AUFixture, InfoMatrix) {
  const Scope scopes[] = {G, I, O};
  for (const InfoRow& r : kInfo) {
    for (int s = 0; s < 3; ++s) {
      UInt32 size = 12345;
      Boolean w = 7;
      const OSStatus st = AudioUnitGetPropertyInfo(Unit(), r.id, scopes[s], r.element, &size, &w);
      EXPECT_EQ(st, r.status[s]) << r.id << " scope " << s;
      if (st == noErr) {
        EXPECT_EQ(size, r.size[s]) << r.id << " scope " << s;
        EXPECT_EQ(w, r.writable[s]) << r.id << " scope " << s;
      }
    }
  }
  for (UInt32 id : kRefused)
    for (Scope s : scopes) {
      EXPECT_EQ(AudioUnitGetPropertyInfo(Unit(), id, s, 0, nullptr, nullptr), kBadProp) << id;
      char buf[64] = {};
      UInt32 size = sizeof(buf);
      EXPECT_EQ(AudioUnitGetProperty(Unit(), id, s, 0, buf, &size), kBadProp) << id;
      EXPECT_EQ(AudioUnitSetProperty(Unit(), id, s, 0, buf, sizeof(buf)), kBadProp) << id;
    }
}

TEST_F(AUFixture, GetWritesThePropertySizeAndRefusesShortBuffers) {
  const Scope scopes[] = {G, I, O};
  for (const InfoRow& r : kInfo) {
    for (int s = 0; s < 3; ++s) {
      if (r.status[s] != noErr || r.size[s] == 0) continue;
      unsigned char buf[256];
      memset(buf, 0xAB, sizeof(buf));
      UInt32 size = r.size[s] - 1;
      const OSStatus shortSt = AudioUnitGetProperty(Unit(), r.id, scopes[s], r.element, buf, &size);
      if (r.id == kAudioUnitProperty_MIDIOutputCallback) {
        EXPECT_EQ(shortSt, kBadProp); // never got, whatever the size
        continue;
      }
      EXPECT_EQ(shortSt, -10851) << r.id << " scope " << s;
      for (unsigned char c : buf) ASSERT_EQ(c, 0xAB) << r.id << " scope " << s;
      // The in-out records need real input; the parameter tests fill them.
      if (r.id >= kAudioUnitProperty_ParameterStringFromValue &&
          r.id <= kAudioUnitProperty_ParameterValueFromString)
        continue;
      size = sizeof(buf);
      const OSStatus st = AudioUnitGetProperty(Unit(), r.id, scopes[s], r.element, buf, &size);
      if (st != noErr) continue; // 0, 1 and 23 write nothing but answer; checked elsewhere
      EXPECT_EQ(size, r.size[s]) << r.id << " scope " << s;
      EXPECT_EQ(buf[r.size[s]], 0xAB) << r.id << " scope " << s;
      ReleaseGot(r.id, buf);
    }
  }
}

TEST_F(AUFixture, BadInputNeverCrashes) {
  const UInt32 elements[] = {0, 1, 2, kNumTestParams, 0x7FFFFFFF, 0xFFFFFFFF};
  unsigned char zeros[64] = {};
  for (UInt32 id = 0; id <= 60; ++id) {
    const UInt32 ids[] = {id, kIPlugObjectPropertyID, 1000, 0xFFFFFFFF};
    for (UInt32 pid : ids)
      for (UInt32 scope = 0; scope < 6; ++scope)
        for (UInt32 el : elements) {
          UInt32 size = 0;
          Boolean w = 0;
          AudioUnitGetPropertyInfo(Unit(), pid, scope, el, &size, &w);
          AudioUnitGetPropertyInfo(Unit(), pid, scope, el, nullptr, nullptr);
          unsigned char buf[256];
          for (UInt32 room : {0u, 1u, 7u}) {
            memset(buf, 0xCD, sizeof(buf));
            size = room;
            if (AudioUnitGetProperty(Unit(), pid, scope, el, buf, &size) == noErr) {
              ReleaseGot(pid, buf);
              ASSERT_LE(size, room) << pid;
            }
            for (UInt32 k = room; k < sizeof(buf); ++k) ASSERT_EQ(buf[k], 0xCD) << pid;
          }
          EXPECT_NE(AudioUnitGetProperty(Unit(), pid, scope, el, buf, nullptr), noErr);
          // Zeroed data of every length up to the largest record is refused or harmless.
          for (UInt32 n : {0u, 3u, 8u, 40u}) AudioUnitSetProperty(Unit(), pid, scope, el, zeros, n);
          AudioUnitSetProperty(Unit(), pid, scope, el, nullptr, 64);
        }
  }
  // The refused formats left the output without channels; a good one brings it back.
  AudioStreamBasicDescription d{48000.0, kAudioFormatLinearPCM, 41, 4, 1, 4, 2, 32, 0};
  ASSERT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_StreamFormat, O, 0, &d, sizeof(d)),
            noErr);
  Prepare();
  EXPECT_EQ(mHost.Render(2, 128), noErr);
}

TEST_F(AUFixture, SetRefusesShortDataAndNullPointers) {
  struct Row {
    UInt32 id;
    UInt32 need;
  };
  const Row rows[] = {
      {kAudioUnitProperty_ClassInfo, 8},           {kAudioUnitProperty_SampleRate, 8},
      {kAudioUnitProperty_StreamFormat, 40},       {kAudioUnitProperty_MaximumFramesPerSlice, 4},
      {kAudioUnitProperty_BypassEffect, 4},        {kAudioUnitProperty_CurrentPreset, 16},
      {kAudioUnitProperty_OfflineRender, 4},       {kAudioUnitProperty_AUHostIdentifier, 16},
      {kAudioUnitProperty_MIDIOutputCallback, 16}, {kAudioUnitProperty_MakeConnection, 16}};
  unsigned char data[64] = {};
  for (const Row& r : rows) {
    EXPECT_EQ(AudioUnitSetProperty(Unit(), r.id, G, 0, data, r.need - 1), -10851) << r.id;
    EXPECT_EQ(AudioUnitSetProperty(Unit(), r.id, G, 0, nullptr, r.need), -10851) << r.id;
  }
}

TEST_F(AUFixture, HostCallbacksTakeAtMostTheRecordAndZeroTheRest) {
  Prepare();
  mHost.GetTransport().tempo = 90.0;
  mHost.GetTransport().playing = true;
  ASSERT_EQ(mHost.Render(1, 64), noErr);
  EXPECT_TRUE(mPlug->mProbe.timeInfo.mTransportIsRunning);
  // A longer record is cut to the platform's; a shorter one leaves no procedures behind.
  unsigned char big[64];
  memset(big, 0xFF, sizeof(big));
  const HostCallbackInfo none{&mHost, nullptr, nullptr, nullptr, nullptr};
  memcpy(big, &none, sizeof(none));
  ASSERT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_HostCallbacks, G, 0, big, sizeof(big)),
            noErr);
  ASSERT_EQ(mHost.InstallHostCallbacks(), noErr);
  // 12 bytes: the user data and half of a tempo procedure, which is not taken.
  memset(big + 8, 0xFF, 8);
  ASSERT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_HostCallbacks, G, 0, big, 12), noErr);
  ASSERT_EQ(mHost.Render(1, 64), noErr);
  EXPECT_FALSE(mPlug->mProbe.timeInfo.mTransportIsRunning);
  EXPECT_EQ(mPlug->mProbe.tempo, 90.0); // the last tempo the host gave
}

TEST_F(AUFixture, StreamFormatAndChannelConfigurations) {
  auto asbd = [](UInt32 channels, AudioFormatFlags flags, AudioFormatID id) {
    AudioStreamBasicDescription d{};
    d.mSampleRate = 96000.0;
    d.mFormatID = id;
    d.mFormatFlags = flags;
    d.mChannelsPerFrame = channels;
    return d;
  };
  struct Row {
    AudioStreamBasicDescription d;
    OSStatus status;
    UInt32 channelsAfter;
  };
  const Row rows[] = {
      {asbd(2, 41, kAudioFormatLinearPCM), noErr, 2},
      {asbd(1, 9, kAudioFormatLinearPCM), noErr, 1},
      {asbd(3, 41, kAudioFormatLinearPCM), kBadProp, 0},
      {asbd(0, 41, kAudioFormatLinearPCM), kBadProp, 0},
      {asbd(2, 4, kAudioFormatLinearPCM), kBadProp, 0},
      {asbd(2, 41, 0x61616320), kBadProp, 0},
      {asbd(0xFFFFFFFF, 41, kAudioFormatLinearPCM), kBadProp, 0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(
        AudioUnitSetProperty(Unit(), kAudioUnitProperty_StreamFormat, O, 0, &r.d, sizeof(r.d)),
        r.status);
    AudioStreamBasicDescription got;
    UInt32 size = sizeof(got);
    ASSERT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_StreamFormat, O, 0, &got, &size),
              noErr);
    EXPECT_EQ(got.mChannelsPerFrame, r.channelsAfter);
    EXPECT_EQ(got.mFormatID, kAudioFormatLinearPCM);
    EXPECT_EQ(got.mFormatFlags, 41u);
    EXPECT_EQ(got.mBytesPerFrame, 4u);
    EXPECT_EQ(got.mBytesPerPacket, 4u);
    EXPECT_EQ(got.mFramesPerPacket, 1u);
    EXPECT_EQ(got.mBitsPerChannel, 32u);
  }
  Float64 sr = 0;
  UInt32 size = sizeof(sr);
  ASSERT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_SampleRate, G, 0, &sr, &size), noErr);
  EXPECT_EQ(sr, 96000.0);

  SInt16 pairs[4];
  size = sizeof(pairs);
  ASSERT_EQ(
      AudioUnitGetProperty(Unit(), kAudioUnitProperty_SupportedNumChannels, G, 0, pairs, &size),
      noErr);
  const SInt16 expected[4] = {0, 1, 0, 2};
  EXPECT_EQ(0, memcmp(pairs, expected, sizeof(pairs)));
}

// An effect declaring "2-0 0-0 0-2 1-1": a configuration without outputs, one without any
// channel and one without inputs are answered as declared, in order.
TEST(ChannelConfigurations, ZeroInputsOrOutputsAreAnsweredAsDeclared) {
  CFBundleGetMainBundle();
  PlatformTest_SetMainBundleIdentifier("com.example.host");
  static auhost::Host* host = new auhost::Host; // left loaded, as the other hosts of a process
  const AudioComponentDescription desc{0x61756678 /* 'aufx' */, 0x494F506C /* 'IOPl' */,
                                       0x5A76656B /* 'Zvek' */, 0, 0};
  ASSERT_TRUE(host->Load(IOPLUG_BUNDLE, "IOPlug", desc)) << host->Error();
  ASSERT_EQ(host->Open(), noErr);
  UInt32 size = 0;
  Boolean writable = true;
  ASSERT_EQ(AudioUnitGetPropertyInfo(host->Unit(), kAudioUnitProperty_SupportedNumChannels, G, 0,
                                     &size, &writable),
            noErr);
  EXPECT_EQ(size, 16u);
  EXPECT_FALSE(writable);
  SInt16 pairs[10];
  for (SInt16& p : pairs) p = 99;
  size = sizeof(pairs);
  ASSERT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_SupportedNumChannels, G, 0, pairs,
                                 &size),
            noErr);
  EXPECT_EQ(size, 16u);
  EXPECT_EQ(std::vector<SInt16>(pairs, pairs + 10),
            (std::vector<SInt16>{2, 0, 0, 0, 0, 2, 1, 1, 99, 99}));
  // The buses take the largest count of each side, whichever pair declares it.
  for (Scope scope : {I, O}) {
    AudioStreamBasicDescription format{};
    size = sizeof(format);
    ASSERT_EQ(AudioUnitGetProperty(host->Unit(), kAudioUnitProperty_StreamFormat, scope, 0, &format,
                                   &size),
              noErr);
    EXPECT_EQ(format.mChannelsPerFrame, 2u) << scope;
  }
  host->Close();
}

TEST_F(AUFixture, SampleRateAndBlockSizeRefuseBadValuesAndKeepTheOld) {
  ASSERT_EQ(mHost.SetSampleRate(48000.0), noErr);
  ASSERT_EQ(mHost.SetMaxFrames(512), noErr);
  const int resets = mPlug->mProbe.resets;
  for (double bad : {0.0, -1.0, (double)NAN, (double)INFINITY})
    EXPECT_EQ(mHost.SetSampleRate(bad), -10851) << bad;
  for (uint32_t bad : {0u, 0x7FFFFFFFu, 0xFFFFFFFFu}) EXPECT_EQ(mHost.SetMaxFrames(bad), -10851);
  EXPECT_EQ(mPlug->mProbe.resets, resets);
  Float64 sr = 0;
  UInt32 frames = 0, size = 8;
  AudioUnitGetProperty(Unit(), kAudioUnitProperty_SampleRate, G, 0, &sr, &size);
  size = 4;
  AudioUnitGetProperty(Unit(), kAudioUnitProperty_MaximumFramesPerSlice, G, 0, &frames, &size);
  EXPECT_EQ(sr, 48000.0);
  EXPECT_EQ(frames, 512u);
}

TEST_F(AUFixture, ElementNamesAndCounts) {
  struct Row {
    UInt32 scope, element;
    OSStatus status;
    const char* name;
  };
  const Row rows[] = {{O, 0, noErr, "output"}, {O, 1, -10877, nullptr}, {I, 0, -10877, nullptr},
                      {I, 1, -10877, nullptr}, {I, 2, -10877, nullptr}, {G, 0, -10866, nullptr},
                      {5, 0, -10866, nullptr}};
  for (const Row& r : rows) {
    CFStringRef name = nullptr;
    UInt32 size = sizeof(name);
    EXPECT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_ElementName, r.scope, r.element,
                                   &name, &size),
              r.status);
    if (r.name) {
      EXPECT_STREQ(CFStringGetCStringPtr(name, kCFStringEncodingUTF8), r.name);
      CFRelease(name);
    }
  }
  const UInt32 counts[] = {1, 0, 1, 0}; // global, input, output, group
  for (UInt32 s = 0; s < 4; ++s) {
    UInt32 n = 99, size = 4;
    ASSERT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_ElementCount, s, 0, &n, &size),
              noErr);
    EXPECT_EQ(n, counts[s]) << s;
  }
}

TEST_F(AUFixture, PrivatePropertyAndMidiOutputNames) {
  void* plug = nullptr;
  UInt32 size = sizeof(plug);
  ASSERT_EQ(AudioUnitGetProperty(Unit(), kIPlugObjectPropertyID, I, 3, &plug, &size), noErr);
  EXPECT_EQ(plug, static_cast<IPlugAU*>(mPlug));
  CFArrayRef names = nullptr;
  size = sizeof(names);
  ASSERT_EQ(
      AudioUnitGetProperty(Unit(), kAudioUnitProperty_MIDIOutputCallbackInfo, G, 0, &names, &size),
      noErr);
  ASSERT_EQ(CFArrayGetCount(names), 1);
  EXPECT_STREQ(
      CFStringGetCStringPtr((CFStringRef)CFArrayGetValueAtIndex(names, 0), kCFStringEncodingUTF8),
      "midiOut");
  CFRelease(names);
}

TEST_F(AUFixture, ListenersAreToldAfterAnAcceptedChangeOnly) {
  ASSERT_EQ(mHost.ListenToProperty(kAudioUnitProperty_BypassEffect), noErr);
  ASSERT_EQ(mHost.ListenToProperty(kAudioUnitProperty_BypassEffect), noErr); // kept once
  ASSERT_EQ(mHost.ListenToProperty(kAudioUnitProperty_SampleRate), noErr);
  UInt32 on = 1;
  ASSERT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_BypassEffect, G, 0, &on, 4), noErr);
  EXPECT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_BypassEffect, O, 0, &on, 4), kBadProp);
  EXPECT_EQ(mHost.SetSampleRate(-5.0), -10851);
  ASSERT_EQ(mHost.Notifications().size(), 1u);
  EXPECT_EQ(mHost.Notifications()[0].id, (UInt32)kAudioUnitProperty_BypassEffect);
  EXPECT_EQ(mHost.Notifications()[0].scope, (UInt32)G);
  EXPECT_FALSE(mPlug->mProbe.active); // bypassed: deactivated
  // Removal matches the procedure and the user data; a stranger's data removes nothing.
  int stranger = 0;
  EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(Unit(), kAudioUnitProperty_BypassEffect,
                                                        nullptr, &stranger),
            noErr);
  ASSERT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_BypassEffect, G, 0, &on, 4), noErr);
  EXPECT_EQ(mHost.Notifications().size(), 2u);
  // One procedure with two user data: removing one leaves the other.
  int a = 0, b = 0;
  const AudioUnitPropertyListenerProc count = [](void* user, AudioUnit, AudioUnitPropertyID,
                                                 AudioUnitScope,
                                                 AudioUnitElement) { ++*static_cast<int*>(user); };
  ASSERT_EQ(AudioUnitAddPropertyListener(Unit(), kAudioUnitProperty_BypassEffect, count, &a),
            noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(Unit(), kAudioUnitProperty_BypassEffect, count, &b),
            noErr);
  ASSERT_EQ(AudioUnitRemovePropertyListenerWithUserData(Unit(), kAudioUnitProperty_BypassEffect,
                                                        count, &b),
            noErr);
  ASSERT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_BypassEffect, G, 0, &on, 4), noErr);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 0);
}

// What one listener heard: each call's unit, property, scope and element.
struct ListenerLog {
  std::vector<std::vector<uintptr_t>> calls;
};
void LogListener(void* user, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                 AudioUnitElement element) {
  static_cast<ListenerLog*>(user)->calls.push_back(
      {reinterpret_cast<uintptr_t>(unit), id, scope, element});
}

TEST_F(AUFixture, OneProcedureWithTwoUserDataIsTwoListeners) {
  const AudioUnitPropertyID bypass = kAudioUnitProperty_BypassEffect;
  ListenerLog a, b;
  const std::vector<uintptr_t> call = {reinterpret_cast<uintptr_t>(Unit()), bypass, G, 0};
  // Sets the property once; then the number of calls each listener has heard.
  auto set = [&] {
    const UInt32 on = 1;
    EXPECT_EQ(AudioUnitSetProperty(Unit(), bypass, G, 0, &on, 4), noErr);
    return std::vector<size_t>{a.calls.size(), b.calls.size()};
  };
  ASSERT_EQ(AudioUnitAddPropertyListener(Unit(), bypass, LogListener, &a), noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(Unit(), bypass, LogListener, &b), noErr);
  EXPECT_EQ(set(), (std::vector<size_t>{1, 1}));
  EXPECT_EQ(a.calls, std::vector<std::vector<uintptr_t>>{call}); // each with its own data
  EXPECT_EQ(b.calls, std::vector<std::vector<uintptr_t>>{call});
  ASSERT_EQ(AudioUnitAddPropertyListener(Unit(), bypass, LogListener, &a), noErr); // kept once
  EXPECT_EQ(set(), (std::vector<size_t>{2, 2}));
  // Either one removed leaves the other listening.
  ASSERT_EQ(AudioUnitRemovePropertyListenerWithUserData(Unit(), bypass, LogListener, &a), noErr);
  EXPECT_EQ(set(), (std::vector<size_t>{2, 3}));
  ASSERT_EQ(AudioUnitAddPropertyListener(Unit(), bypass, LogListener, &a), noErr);
  ASSERT_EQ(AudioUnitRemovePropertyListenerWithUserData(Unit(), bypass, LogListener, &b), noErr);
  EXPECT_EQ(set(), (std::vector<size_t>{3, 3}));
  ASSERT_EQ(AudioUnitRemovePropertyListenerWithUserData(Unit(), bypass, LogListener, &a), noErr);
  EXPECT_EQ(set(), (std::vector<size_t>{3, 3}));
  for (const auto& c : a.calls) EXPECT_EQ(c, call);
  for (const auto& c : b.calls) EXPECT_EQ(c, call);
}

} // namespace
