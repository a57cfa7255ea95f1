// Render and MIDI on a render thread while the main thread sets parameters, reads properties,
// saves state and changes render notifications and listeners.
#include "au_fixture.h"

#include <atomic>
#include <thread>

namespace {

void Nothing(void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {}
OSStatus Notified(void* user, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32,
                  AudioBufferList*) {
  static_cast<std::atomic<int>*>(user)->fetch_add(1);
  return noErr;
}

TEST_F(AUFixture, MainThreadWorksWhileTheRenderThreadRenders) {
  Prepare(128);
  mHost.SetParameter(kSend, 1);
  mHost.GetTransport().playing = true;
  constexpr int kBlocks = 400;
  std::atomic<bool> done{false};
  OSStatus renderStatus = noErr;
  std::thread render([&] {
    for (int b = 0; b < kBlocks && renderStatus == noErr; ++b) {
      mHost.QueueMidi(b % 128, 0x90, 60, 1);
      renderStatus = mHost.Render(1, 128);
    }
    done = true;
  });

  std::atomic<int> notified{0};
  int rounds = 0;
  while (!done || rounds < 50) {
    const AudioUnit u = Unit();
    EXPECT_EQ(AudioUnitSetParameter(u, kNote, kAudioUnitScope_Global, 0, (float)(rounds % 128), 0),
              noErr);
    AudioUnitParameterInfo info;
    UInt32 size = sizeof(info);
    ASSERT_EQ(AudioUnitGetProperty(u, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global,
                                   rounds % kNumTestParams, &info, &size),
              noErr);
    CFRelease(info.cfNameString);
    if (info.unitName) CFRelease(info.unitName);
    EXPECT_EQ(AudioUnitAddRenderNotify(u, Notified, &notified), noErr);
    EXPECT_EQ(AudioUnitAddPropertyListener(u, kAudioUnitProperty_Latency, Nothing, &rounds), noErr);
    CFPropertyListRef state = nullptr;
    ASSERT_EQ(mHost.GetState(&state), noErr);
    CFRelease(state);
    EXPECT_EQ(AudioUnitRemoveRenderNotify(u, Notified, &notified), noErr);
    EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(u, kAudioUnitProperty_Latency, Nothing,
                                                          &rounds),
              noErr);
    mPlug->SetParameterFromGUI(kGain, (rounds % 10) / 10.0);
    ++rounds;
  }
  render.join();
  EXPECT_EQ(renderStatus, noErr);
  EXPECT_EQ(mHost.BlocksRendered(), kBlocks);
  EXPECT_EQ(mPlug->mProbe.blocks, kBlocks);
  // Every block sent its note and echoed the one queued for it.
  EXPECT_EQ(mHost.MidiLog().size(), 2u * kBlocks);
}

} // namespace
