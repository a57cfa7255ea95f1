// Factory, lookup, Component Manager entry, life cycle and host identification.
#include "au_fixture.h"

#include <cstring>

namespace {

using Lookup = AudioComponentMethod (*)(SInt16);

TEST_F(AUFixture, OpenIdentifiesHostAndPrunesEmptyPresets) {
  EXPECT_EQ(mPlug->mProbe.hostIdentified, 1);
  EXPECT_EQ(mPlug->GetHost(), kHostUnknown);
  EXPECT_EQ(mPlug->NPresets(), 3);
  EXPECT_EQ(mPlug->GetComponentInstance(), Unit());
}

TEST_F(AUFixture, LookupAnswersOnlyKnownSelectors) {
  auto* iface = reinterpret_cast<AudioComponentFactoryFunction>(mHost.FactoryFn())(nullptr);
  ASSERT_NE(iface, nullptr);
  const SInt16 known[] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17, 18, 257, 258};
  for (SInt16 s = -5; s < 300; ++s) {
    const bool isKnown = std::find(std::begin(known), std::end(known), s) != std::end(known);
    EXPECT_EQ(iface->Lookup(s) != nullptr, isKnown) << s;
  }
  EXPECT_EQ(iface->Lookup((SInt16)0xFFFF), nullptr);
  void** words = reinterpret_cast<void**>(iface);
  EXPECT_EQ(words[3], nullptr);
  EXPECT_NE(words[4], nullptr);
  EXPECT_NE(words[5], nullptr);
  EXPECT_EQ(words[6], nullptr);
  EXPECT_EQ(words[7], nullptr);
  free(iface); // never opened
}

TEST_F(AUFixture, ComponentManagerEntry) {
  ComponentInstance ci = PlatformTest_NewComponentInstance();
  ASSERT_EQ(mHost.CallEntry(kComponentOpenSelect, {(long)ci}, nullptr), noErr);
  void* storage = GetComponentInstanceStorage(ci);
  ASSERT_NE(storage, nullptr);
  auto* plug = static_cast<TestPlug*>(static_cast<IPlugAU*>(storage));
  EXPECT_EQ(plug->GetComponentInstance(), ci);
  EXPECT_EQ(plug->NPresets(), 3);

  struct Row {
    SInt16 asked;
    ComponentResult can;
  };
  const Row rows[] = {{1, 1},  {7, 1},  {8, 0},  {9, 1},   {11, 1},  {12, 0},
                      {14, 1}, {17, 1}, {18, 0}, {257, 0}, {258, 0}, {-1, 0}};
  for (const Row& r : rows)
    EXPECT_EQ(mHost.CallEntry(kComponentCanDoSelect, {(long)r.asked}, storage), r.can) << r.asked;
  EXPECT_EQ(mHost.CallEntry(kComponentVersionSelect, {}, storage), kTestPlugVersion);
  EXPECT_EQ(mHost.CallEntry(kAudioUnitInitializeSelect, {}, storage), noErr);
  EXPECT_TRUE(plug->mProbe.active);

  // Arguments travel in the platform's order: a parameter set and get through the entry.
  EXPECT_EQ(mHost.CallEntry(kAudioUnitSetParameterSelect,
                            {kNote, kAudioUnitScope_Global, 0, ComponentFloatArg(64.0f), 0},
                            storage),
            noErr);
  float v = 0;
  EXPECT_EQ(mHost.CallEntry(kAudioUnitGetParameterSelect,
                            {kNote, kAudioUnitScope_Global, 0, (long)&v}, storage),
            noErr);
  EXPECT_EQ(v, 64.0f);

  MusicDeviceNoteParams np{2, 60.7f, 100.0f, {}};
  NoteInstanceID id = 0;
  EXPECT_EQ(mHost.CallEntry(kMusicDeviceStartNoteSelect, {0, 0, (long)&id, 0, (long)&np}, storage),
            noErr);
  EXPECT_EQ(id, 60u);
  EXPECT_EQ(mHost.CallEntry(kMusicDeviceStartNoteSelect, {0, 0, 0, 0, (long)&np}, storage),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(mHost.CallEntry(kMusicDeviceStartNoteSelect, {0, 0, (long)&id, 0, 0}, storage),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(mHost.CallEntry(kMusicDeviceStopNoteSelect, {0, 0, 0}, storage), noErr);
  EXPECT_EQ(mHost.CallEntry(300, {}, storage), badComponentSelector);
  EXPECT_EQ(mHost.CallEntry(kAudioUnitInitializeSelect, {}, nullptr), paramErr);
  EXPECT_EQ(mHost.CallEntry(kComponentCloseSelect, {(long)ci}, nullptr), paramErr);
  EXPECT_EQ(mHost.CallEntry(kComponentCloseSelect, {(long)ci}, storage), noErr);
  PlatformTest_DisposeComponentInstance(ci);
}

TEST_F(AUFixture, InitializeSendsEveryParameterAndActivates) {
  Prepare();
  for (int i = 0; i < kNumTestParams; ++i) EXPECT_EQ(mPlug->mProbe.paramChanges[i], 1) << i;
  EXPECT_TRUE(mPlug->mProbe.active);
  EXPECT_EQ(mHost.Uninitialize(), noErr);
  EXPECT_FALSE(mPlug->mProbe.active);
  EXPECT_EQ(mPlug->mProbe.activations, 2);
  const int resets = mPlug->mProbe.resets;
  EXPECT_EQ(mHost.Reset(), noErr);
  EXPECT_EQ(mPlug->mProbe.resets, resets + 1);
}

TEST_F(AUFixture, HostIdentifierPropertyIdentifiesAgain) {
  ASSERT_EQ(mHost.IdentifyHost("Reaper", 5, 2, 3), noErr);
  EXPECT_EQ(mPlug->GetHost(), kHostReaper);
  EXPECT_EQ(mPlug->mProbe.hostVersion, 0x50203);
  EXPECT_EQ(mPlug->mProbe.hostIdentified, 2);
}

} // namespace

namespace {

TEST_F(AUFixture, InitializeRefusesChannelsNoConfigurationAllows) {
  // A refused format leaves the output bus with no channels, which no configuration has.
  AudioStreamBasicDescription bad{48000.0, kAudioFormatLinearPCM, 41, 4, 1, 4, 3, 32, 0};
  EXPECT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0,
                                 &bad, sizeof(bad)),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(mHost.Initialize(), badComponentSelector);
  EXPECT_FALSE(mPlug->mProbe.active);
  EXPECT_EQ(mPlug->mProbe.paramChanges[kGain], 0);
  bad.mChannelsPerFrame = 1;
  ASSERT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0,
                                 &bad, sizeof(bad)),
            noErr);
  EXPECT_EQ(mHost.Initialize(), noErr);
}

TEST_F(AUFixture, LatencyAndPresetChangesTellTheirListeners) {
  ASSERT_EQ(mHost.SetSampleRate(48000.0), noErr);
  ASSERT_EQ(mHost.ListenToProperty(kAudioUnitProperty_Latency), noErr);
  ASSERT_EQ(mHost.ListenToProperty(kAudioUnitProperty_PresentPreset), noErr);
  mPlug->SetLatency(480);
  mPlug->InformHostOfProgramChange();
  const std::vector<auhost::Notification>& n = mHost.Notifications();
  ASSERT_EQ(n.size(), 2u);
  EXPECT_EQ(n[0].id, (UInt32)kAudioUnitProperty_Latency);
  EXPECT_EQ(n[1].id, (UInt32)kAudioUnitProperty_PresentPreset);
  Float64 seconds = 0;
  UInt32 size = sizeof(seconds);
  ASSERT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0,
                                 &seconds, &size),
            noErr);
  EXPECT_EQ(seconds, 0.01);
}

} // namespace
