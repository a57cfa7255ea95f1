// The binding's buses for a plug-in with inputs: an instrument with a side chain and three
// outputs, its input pulled from a host's render callback.

#include <gtest/gtest.h>

#include <PlatformTestHooks.h>

#include "host/auhost.h"

#include <vector>

namespace {

AudioComponentDescription BusPlugDesc() {
  return AudioComponentDescription{0x61756D75 /* 'aumu' */, 0x42757350 /* 'BusP' */,
                                   0x5A76656B /* 'Zvek' */, 0, 0};
}

UInt32 Count(AudioUnit unit, AudioUnitScope scope) {
  UInt32 n = 0, size = sizeof(n);
  AudioUnitGetProperty(unit, kAudioUnitProperty_ElementCount, scope, 0, &n, &size);
  return n;
}

UInt32 Channels(AudioUnit unit, AudioUnitScope scope, AudioUnitElement bus) {
  AudioStreamBasicDescription f{};
  UInt32 size = sizeof(f);
  AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, scope, bus, &f, &size);
  return f.mChannelsPerFrame;
}

// Fills input channel c with 0.5 / (c + 1).
OSStatus Source(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                AudioBufferList* list) {
  for (UInt32 c = 0; c < list->mNumberBuffers; ++c) {
    auto* p = static_cast<float*>(list->mBuffers[c].mData);
    if (!p) return -50;
    for (UInt32 s = 0; s < frames; ++s) p[s] = 0.5f / (float)(c + 1);
  }
  return noErr;
}

struct BusHost : ::testing::Test {
  static inline auhost::Host* host = nullptr;
  static void SetUpTestSuite() {
    CFBundleGetMainBundle();
    PlatformTest_SetMainBundleIdentifier("com.example.host");
    host = new auhost::Host; // left loaded, as the other hosts of a test process
  }
  void SetUp() override {
    ASSERT_TRUE(host->Load(BUSPLUG_BUNDLE, "BusPlug", BusPlugDesc())) << host->Error();
    ASSERT_EQ(host->Open(), noErr);
  }
  void TearDown() override { host->Close(); }
  AudioUnit Unit() { return host->Unit(); }
};

TEST_F(BusHost, MainAndSideChainInStereoAndMonoOutBuses) {
  EXPECT_EQ(Count(Unit(), kAudioUnitScope_Input), 2u);
  EXPECT_EQ(Count(Unit(), kAudioUnitScope_Output), 2u);
  EXPECT_EQ(Channels(Unit(), kAudioUnitScope_Input, 0), 2u);
  EXPECT_EQ(Channels(Unit(), kAudioUnitScope_Input, 1), 1u);
  EXPECT_EQ(Channels(Unit(), kAudioUnitScope_Output, 0), 2u);
  EXPECT_EQ(Channels(Unit(), kAudioUnitScope_Output, 1), 1u);

  AudioChannelLayoutTag tag = 0;
  UInt32 size = sizeof(tag);
  ASSERT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_SupportedChannelLayoutTags,
                                 kAudioUnitScope_Output, 0, &tag, &size),
            noErr);
  EXPECT_EQ(tag, kAudioChannelLayoutTag_Stereo);
  ASSERT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_SupportedChannelLayoutTags,
                                 kAudioUnitScope_Output, 1, &tag, &size),
            noErr);
  EXPECT_EQ(tag, kAudioChannelLayoutTag_Mono);
  EXPECT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_SupportedChannelLayoutTags,
                                 kAudioUnitScope_Global, 0, &tag, &size),
            kAudioUnitErr_InvalidProperty);

  UInt32 instruments = 0;
  size = sizeof(instruments);
  ASSERT_EQ(AudioUnitGetProperty(Unit(), kMusicDeviceProperty_InstrumentCount,
                                 kAudioUnitScope_Global, 0, &instruments, &size),
            noErr);
  EXPECT_EQ(instruments, 1u);
}

TEST_F(BusHost, TheMainInputIsPulledFromTheHostsCallbackUntilItIsCleared) {
  AURenderCallbackStruct cb{&Source, nullptr};
  ASSERT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_SetRenderCallback,
                                 kAudioUnitScope_Input, 0, &cb, sizeof(cb)),
            noErr);
  EXPECT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_SetRenderCallback,
                                 kAudioUnitScope_Input, 2, &cb, sizeof(cb)),
            kAudioUnitErr_InvalidProperty);
  ASSERT_EQ(host->SetSampleRate(48000.0), noErr);
  ASSERT_EQ(host->SetMaxFrames(16), noErr);
  ASSERT_EQ(host->Initialize(), noErr);
  ASSERT_EQ(host->Render(1, 16), noErr);
  EXPECT_EQ(host->Output(0), std::vector<float>(16, 0.5f));
  EXPECT_EQ(host->Output(1), std::vector<float>(16, 1.25f)); // 0.25 in, plus its index

  cb.inputProc = nullptr;
  ASSERT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_SetRenderCallback,
                                 kAudioUnitScope_Input, 0, &cb, sizeof(cb)),
            noErr);
  ASSERT_EQ(host->Render(1, 16), noErr);
  EXPECT_EQ(host->Output(0), std::vector<float>(16, 0.0f));
  EXPECT_EQ(host->Output(1), std::vector<float>(16, 1.0f));
  EXPECT_EQ(host->Uninitialize(), noErr);
}

} // namespace

namespace {

TEST_F(BusHost, TheMainInputIsPulledFromAnUpstreamUnit) {
  const AudioComponentDescription desc = BusPlugDesc();
  AudioComponent comp = AudioComponentFindNext(nullptr, &desc);
  ASSERT_NE(comp, nullptr);
  AudioUnit source = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(comp, &source), noErr);
  const Float64 rate = 48000.0;
  const UInt32 frames = 16;
  for (AudioUnit u : {source, Unit()}) {
    ASSERT_EQ(AudioUnitSetProperty(u, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0,
                                   &rate, sizeof(rate)),
              noErr);
    ASSERT_EQ(AudioUnitSetProperty(u, kAudioUnitProperty_MaximumFramesPerSlice,
                                   kAudioUnitScope_Global, 0, &frames, sizeof(frames)),
              noErr);
  }
  ASSERT_EQ(AudioUnitInitialize(source), noErr);
  AudioUnitConnection conn{source, 0, 0};
  ASSERT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input,
                                 0, &conn, sizeof(conn)),
            noErr);
  ASSERT_EQ(host->Initialize(), noErr);
  ASSERT_EQ(host->Render(1, 16), noErr);
  // The source, with nothing at its own input, gives each channel its index.
  EXPECT_EQ(host->Output(0), std::vector<float>(16, 0.0f));
  EXPECT_EQ(host->Output(1), std::vector<float>(16, 2.0f));

  conn.sourceAudioUnit = nullptr;
  ASSERT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input,
                                 0, &conn, sizeof(conn)),
            noErr);
  ASSERT_EQ(host->Render(1, 16), noErr);
  EXPECT_EQ(host->Output(1), std::vector<float>(16, 1.0f));
  EXPECT_EQ(host->Uninitialize(), noErr);
  EXPECT_EQ(AudioUnitUninitialize(source), noErr);
  EXPECT_EQ(AudioComponentInstanceDispose(source), noErr);
}

} // namespace
