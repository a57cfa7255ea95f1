// An AudioUnit driven only through its Component Manager entry, as older hosts call it: every
// selector reaches the instance its storage names.

#include "au_fixture.h"

#include <vector>

namespace {

int gNotified = 0, gRenderNotified = 0;

void Listener(void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {
  ++gNotified;
}

OSStatus RenderNote(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32,
                    AudioBufferList*) {
  ++gRenderNotified;
  return noErr;
}

struct TwoBuffers {
  UInt32 mNumberBuffers = 2;
  AudioBuffer mBuffers[2];
};

struct EntryOnly : AUFixture {
  ComponentInstance ci = nullptr;
  void* storage = nullptr;
  TestPlug* plug = nullptr;
  void SetUp() override {
    AUFixture::SetUp();
    ci = PlatformTest_NewComponentInstance();
    ASSERT_EQ(mHost.CallEntry(kComponentOpenSelect, {(long)ci}, nullptr), noErr);
    storage = GetComponentInstanceStorage(ci);
    plug = static_cast<TestPlug*>(static_cast<IPlugAU*>(storage));
  }
  void TearDown() override {
    EXPECT_EQ(Call(kComponentCloseSelect, {(long)ci}), noErr);
    PlatformTest_DisposeComponentInstance(ci);
    AUFixture::TearDown();
  }
  ComponentResult Call(SInt16 what, std::vector<long> args) {
    return mHost.CallEntry(what, std::move(args), storage);
  }
};

TEST_F(EntryOnly, PropertiesParametersAndListeners) {
  EXPECT_EQ(Call(kComponentVersionSelect, {}), kTestPlugVersion);
  UInt32 size = 0;
  Boolean writable = false;
  ASSERT_EQ(Call(kAudioUnitGetPropertyInfoSelect,
                 {kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, (long)&size,
                  (long)&writable}),
            noErr);
  EXPECT_EQ(size, 4u);
  EXPECT_TRUE(writable);

  gNotified = 0;
  ASSERT_EQ(Call(kAudioUnitAddPropertyListenerSelect,
                 {kAudioUnitProperty_MaximumFramesPerSlice, (long)&Listener, 0}),
            noErr);
  UInt32 frames = 333;
  ASSERT_EQ(Call(kAudioUnitSetPropertySelect, {kAudioUnitProperty_MaximumFramesPerSlice,
                                               kAudioUnitScope_Global, 0, (long)&frames, 4}),
            noErr);
  EXPECT_EQ(gNotified, 1);
  UInt32 got = 0;
  size = 4;
  ASSERT_EQ(Call(kAudioUnitGetPropertySelect, {kAudioUnitProperty_MaximumFramesPerSlice,
                                               kAudioUnitScope_Global, 0, (long)&got, (long)&size}),
            noErr);
  EXPECT_EQ(got, 333u);
  // Removed by its procedure alone, it hears nothing more.
  ASSERT_EQ(Call(kAudioUnitRemovePropertyListenerSelect,
                 {kAudioUnitProperty_MaximumFramesPerSlice, (long)&Listener}),
            noErr);
  frames = 256;
  ASSERT_EQ(Call(kAudioUnitSetPropertySelect, {kAudioUnitProperty_MaximumFramesPerSlice,
                                               kAudioUnitScope_Global, 0, (long)&frames, 4}),
            noErr);
  EXPECT_EQ(gNotified, 1);
  ASSERT_EQ(Call(kAudioUnitAddPropertyListenerSelect,
                 {kAudioUnitProperty_MaximumFramesPerSlice, (long)&Listener, 7}),
            noErr);
  ASSERT_EQ(Call(kAudioUnitRemovePropertyListenerWithUserDataSelect,
                 {kAudioUnitProperty_MaximumFramesPerSlice, (long)&Listener, 7}),
            noErr);
  ASSERT_EQ(Call(kAudioUnitSetPropertySelect, {kAudioUnitProperty_MaximumFramesPerSlice,
                                               kAudioUnitScope_Global, 0, (long)&frames, 4}),
            noErr);
  EXPECT_EQ(gNotified, 1);

  ASSERT_EQ(Call(kAudioUnitSetParameterSelect,
                 {kGain, kAudioUnitScope_Global, 0, ComponentFloatArg(2.5f), 0}),
            noErr);
  AudioUnitParameterValue v = 0;
  ASSERT_EQ(Call(kAudioUnitGetParameterSelect, {kGain, kAudioUnitScope_Global, 0, (long)&v}),
            noErr);
  EXPECT_EQ(v, 2.5f);
  AudioUnitParameterEvent ev{};
  ev.scope = kAudioUnitScope_Global;
  ev.parameter = kNote;
  ev.eventType = kParameterEvent_Immediate;
  ev.eventValues.immediate.value = 72;
  ASSERT_EQ(Call(kAudioUnitScheduleParametersSelect, {(long)&ev, 1}), noErr);
  EXPECT_EQ(plug->GetParam(kNote)->Value(), 72.0);
}

TEST_F(EntryOnly, InitialiseRenderMidiAndReset) {
  ASSERT_EQ(Call(kAudioUnitInitializeSelect, {}), noErr);
  EXPECT_TRUE(plug->mProbe.active);
  gRenderNotified = 0;
  ASSERT_EQ(Call(kAudioUnitAddRenderNotifySelect, {(long)&RenderNote, 0}), noErr);
  ASSERT_EQ(Call(kMusicDeviceMIDIEventSelect, {0x90, 64, 99, 3}), noErr);
  const UInt8 sysex[] = {0xF0, 0x7D, 0x01, 0xF7};
  ASSERT_EQ(Call(kMusicDeviceSysExSelect, {(long)sysex, 4}), noErr);
  EXPECT_EQ(plug->mProbe.nSysEx, 1);
  EXPECT_EQ(plug->mProbe.lastSysExSize, 4);

  std::vector<float> left(64, 1.0f), right(64, 1.0f);
  TwoBuffers list;
  list.mBuffers[0] = AudioBuffer{1, 64 * sizeof(float), left.data()};
  list.mBuffers[1] = AudioBuffer{1, 64 * sizeof(float), right.data()};
  AudioTimeStamp ts{};
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  ASSERT_EQ(Call(kAudioUnitRenderSelect, {(long)&flags, (long)&ts, 0, 64, (long)&list}), noErr);
  EXPECT_EQ(plug->mProbe.blocks, 1);
  EXPECT_EQ(plug->mProbe.lastFrames, 64);
  ASSERT_EQ(plug->mProbe.nMidiIn, 1);
  EXPECT_EQ(plug->mProbe.midiIn[0].mData1, 64);
  EXPECT_EQ(plug->mProbe.midiIn[0].mOffset, 3);
  EXPECT_EQ(gRenderNotified, 2); // before and after the block
  ASSERT_EQ(Call(kAudioUnitRemoveRenderNotifySelect, {(long)&RenderNote, 0}), noErr);
  ts.mSampleTime = 64;
  ASSERT_EQ(Call(kAudioUnitRenderSelect, {(long)&flags, (long)&ts, 0, 64, (long)&list}), noErr);
  EXPECT_EQ(gRenderNotified, 2);

  const int resets = plug->mProbe.resets;
  ASSERT_EQ(Call(kAudioUnitResetSelect, {kAudioUnitScope_Global, 0}), noErr);
  EXPECT_EQ(plug->mProbe.resets, resets + 1);
  // The instrument calls a MIDI effect answers without acting.
  for (SInt16 s : {kMusicDevicePrepareInstrumentSelect, kMusicDeviceReleaseInstrumentSelect,
                   kMusicDeviceStopNoteSelect})
    EXPECT_EQ(Call(s, {0, 0}), noErr);
  ASSERT_EQ(Call(kAudioUnitUninitializeSelect, {}), noErr);
  EXPECT_FALSE(plug->mProbe.active);
  EXPECT_EQ(Call(0x7EEE, {}), badComponentSelector);
}

} // namespace
