// Render: time stamp, bus and buffer checks, notifications, silent outputs, MIDI in and out,
// the host's transport as the plug-in reads it, and no allocation in the steady state.
#include "au_fixture.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>

// Counts allocations; the replacement pairs malloc with free on purpose.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {
std::atomic<long> gNews{0};
} // namespace

void* operator new(size_t n) {
  ++gNews;
  if (void* p = malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  free(p);
}
void operator delete(void* p, size_t) noexcept {
  free(p);
}

namespace {

constexpr uint32_t kFrames = 256;

struct Buffers {
  UInt32 n;
  AudioBuffer b[3];
  float data[3][kFrames + 1];
  Buffers(UInt32 count, UInt32 bytes) : n(count) {
    for (int i = 0; i < 3; ++i) {
      b[i] = AudioBuffer{1, bytes, data[i]};
      for (float& f : data[i]) f = 1.0f;
    }
  }
  AudioBufferList* List() { return reinterpret_cast<AudioBufferList*>(this); }
};

AudioTimeStamp Stamp(double sampleTime, UInt32 flags = kAudioTimeStampSampleTimeValid) {
  AudioTimeStamp ts{};
  ts.mSampleTime = sampleTime;
  ts.mFlags = flags;
  return ts;
}

class AURender : public AUFixture {
protected:
  void SetUp() override {
    AUFixture::SetUp();
    Prepare(kFrames);
  }
};

TEST_F(AURender, TimeStampBusFramesAndBuffersAreCheckedFirst) {
  ASSERT_EQ(mHost.AddRenderNotify(), noErr);
  const AudioTimeStamp good = Stamp(0), noSampleTime = Stamp(0, kAudioTimeStampHostTimeValid);
  struct Row {
    const AudioTimeStamp* ts;
    UInt32 bus, frames, nBufs, bytes;
    bool nullList;
    OSStatus status;
  };
  const Row rows[] = {
      {&good, 0, kFrames, 2, kFrames * 4, false, noErr},
      {&noSampleTime, 0, kFrames, 2, kFrames * 4, false, -10851},
      {nullptr, 0, kFrames, 2, kFrames * 4, false, -10851},
      {&good, 1, kFrames, 2, kFrames * 4, false, -10851},
      {&good, 0, kFrames + 1, 2, (kFrames + 1) * 4, false, -10851},
      {&good, 0, kFrames, 3, kFrames * 4, false, -10851},
      {&good, 0, kFrames, 2, kFrames * 4 - 1, false, -10851},
      {&good, 0, kFrames, 2, kFrames * 4, true, -10851},
      {&good, 0, 0, 2, 0, false, noErr},
  };
  for (const Row& r : rows) {
    Buffers bufs(r.nBufs, r.bytes);
    const size_t before = mHost.RenderNotifyLog().size();
    EXPECT_EQ(mHost.RenderRaw(r.ts, r.bus, r.frames, r.nullList ? nullptr : bufs.List()), r.status);
    // Refused blocks are not announced and their buffers are left alone.
    EXPECT_EQ(mHost.RenderNotifyLog().size(), before + (r.status == noErr ? 2 : 0));
    if (r.status != noErr) {
      EXPECT_EQ(bufs.data[0][0], 1.0f);
    }
  }
}

TEST_F(AURender, NotificationsAndSilentOutputs) {
  ASSERT_EQ(mHost.AddRenderNotify(), noErr);
  ASSERT_EQ(mHost.Render(2, kFrames), noErr);
  EXPECT_EQ(mHost.RenderNotifyLog(), (std::vector<uint32_t>{4, 8, 4, 8}));
  for (int c = 0; c < 2; ++c)
    for (float f : mHost.Output(c)) ASSERT_EQ(f, 0.0f);
  EXPECT_EQ(mPlug->mProbe.blocks, 2);
  EXPECT_EQ(mPlug->mProbe.lastFrames, (int)kFrames);
  ASSERT_EQ(mHost.RemoveRenderNotify(), noErr);
  ASSERT_EQ(mHost.Render(1, kFrames), noErr);
  EXPECT_EQ(mHost.RenderNotifyLog().size(), 4u);
}

OSStatus CountCalls(void* user, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32,
                    AudioBufferList*) {
  ++*static_cast<int*>(user);
  return noErr;
}

TEST_F(AURender, NotificationsAreRemovedByProcedureAndUserData) {
  int a = 0, b = 0;
  ASSERT_EQ(AudioUnitAddRenderNotify(Unit(), CountCalls, &b), noErr);
  ASSERT_EQ(AudioUnitAddRenderNotify(Unit(), CountCalls, &a), noErr);
  ASSERT_EQ(AudioUnitAddRenderNotify(Unit(), CountCalls, &b), noErr);
  ASSERT_EQ(AudioUnitRemoveRenderNotify(Unit(), CountCalls, &b), noErr); // one of the two
  ASSERT_EQ(mHost.Render(1, 64), noErr);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(AudioUnitAddRenderNotify(Unit(), nullptr, &a), -10851);
}

TEST_F(AURender, NullHostBuffersUseTheScratch) {
  Buffers bufs(2, 0);
  bufs.b[0].mData = bufs.b[1].mData = nullptr;
  const AudioTimeStamp ts = Stamp(0);
  ASSERT_EQ(mHost.RenderRaw(&ts, 0, 64, bufs.List()), noErr);
  ASSERT_NE(bufs.b[0].mData, nullptr);
  ASSERT_NE(bufs.b[1].mData, nullptr);
  EXPECT_NE(bufs.b[0].mData, bufs.b[1].mData);
  EXPECT_EQ(bufs.b[0].mDataByteSize, 64u * 4u);
  EXPECT_EQ(static_cast<float*>(bufs.b[1].mData)[63], 0.0f);
}

TEST_F(AURender, MidiOutCarriesItsOffsetAndBlock) {
  mHost.SetParameter(kSend, 1);
  mHost.SetParameter(kNote, 60);
  mHost.SetParameter(kOffset, 17);
  ASSERT_EQ(mHost.Render(1, kFrames), noErr); // stopped: nothing
  EXPECT_TRUE(mHost.MidiLog().empty());
  mHost.GetTransport().playing = true;
  ASSERT_EQ(mHost.Render(1, kFrames), noErr);
  mHost.SetParameter(kOffset, 4000); // kept inside the block
  ASSERT_EQ(mHost.Render(1, kFrames), noErr);
  ASSERT_EQ(mHost.MidiLog().size(), 2u);
  const auhost::MidiOut& a = mHost.MidiLog()[0];
  EXPECT_EQ(a.block, 1);
  EXPECT_EQ(a.offset, 17);
  EXPECT_EQ(a.bytes, (std::vector<uint8_t>{0x90, 0x3C, 0x64}));
  EXPECT_EQ(mHost.MidiLog()[1].block, 2);
  EXPECT_EQ(mHost.MidiLog()[1].offset, (int64_t)kFrames - 1);
}

TEST_F(AURender, MidiInReachesThePluginAtItsOffset) {
  mHost.QueueMidi(5, 0x80, 60, 0);
  mHost.QueueMidi(200, 0x1B0, 0x107, 0x17F); // cut to bytes
  ASSERT_EQ(mHost.Render(1, kFrames), noErr);
  ASSERT_EQ(mPlug->mProbe.nMidiIn, 2);
  const IMidiMsg& m = mPlug->mProbe.midiIn[0];
  EXPECT_EQ(m.mOffset, 5);
  EXPECT_EQ(m.mStatus, 0x80);
  EXPECT_EQ(m.mData1, 60);
  EXPECT_EQ(m.mData2, 0);
  const IMidiMsg& n = mPlug->mProbe.midiIn[1];
  EXPECT_EQ(n.mStatus, 0xB0);
  EXPECT_EQ(n.mData1, 0x07);
  EXPECT_EQ(n.mData2, 0x7F);
  // The plug-in echoes MIDI in: sent before the first block, so block 0.
  ASSERT_EQ(mHost.MidiLog().size(), 2u);
  EXPECT_EQ(mHost.MidiLog()[0].offset, 5);
  EXPECT_EQ(mHost.MidiLog()[0].block, 0);

  const UInt8 sysex[] = {0xF0, 0x7D, 0xF7};
  EXPECT_EQ(MusicDeviceSysEx(Unit(), sysex, 3), noErr);
  EXPECT_EQ(mPlug->mProbe.lastSysExSize, 3);
  EXPECT_EQ(MusicDeviceSysEx(Unit(), nullptr, 3), -10851);
  EXPECT_EQ(mPlug->mProbe.nSysEx, 1);
}

TEST_F(AURender, MidiInOutsideTheLongestBlockIsRefused) {
  const UInt32 offsets[] = {kFrames, kFrames + 1, 0x80000000u, 0xFFFFFFFFu};
  for (UInt32 offset : offsets)
    EXPECT_EQ(MusicDeviceMIDIEvent(Unit(), 0x90, 60, 100, offset), kAudioUnitErr_InvalidParameter)
        << offset;
  EXPECT_EQ(MusicDeviceMIDIEvent(Unit(), 0x90, 60, 100, kFrames - 1), noErr);
  EXPECT_EQ(mPlug->mProbe.nMidiIn, 1);
  ASSERT_EQ(mHost.MidiLog().size(), 1u);
  EXPECT_EQ(mHost.MidiLog()[0].offset, (int64_t)kFrames - 1);
}

TEST_F(AURender, TempoIsTakenOnlyWhenFiniteAndPositive) {
  struct Row {
    double host, seen;
  };
  const Row rows[] = {{140.0, 140.0},    {0.0, 140.0}, {-5.0, 140.0}, {NAN, 140.0},
                      {INFINITY, 140.0}, {95.5, 95.5}, {1e-9, 1e-9}};
  for (const Row& r : rows) {
    mHost.GetTransport().tempo = r.host;
    ASSERT_EQ(mHost.Render(1, 64), noErr);
    EXPECT_EQ(mPlug->mProbe.tempo, r.seen) << r.host;
    EXPECT_EQ(mPlug->mProbe.timeInfo.mTempo, r.host > 0 && std::isfinite(r.host) ? r.host : 120.0);
  }
}

TEST_F(AURender, TimeSignatureNumeratorIsTakenOnlyInRange) {
  struct Row {
    float num;
    uint32_t den;
    int seenNum;
  };
  const Row rows[] = {{6.0f, 8, 6},  {7.9f, 8, 7},    {0.0f, 4, 7},    {65.0f, 4, 7},
                      {NAN, 4, 7},   {-3.0f, 4, 7},   {64.0f, 16, 64}, {1.0f, 2, 1},
                      {0.99f, 4, 1}, {INFINITY, 4, 1}};
  for (const Row& r : rows) {
    mHost.GetTransport().tsNumerator = r.num;
    mHost.GetTransport().tsDenominator = r.den;
    ASSERT_EQ(mHost.Render(1, 64), noErr);
    EXPECT_EQ(mPlug->mProbe.tsNum, r.seenNum) << r.num;
    EXPECT_EQ(mPlug->mProbe.tsDenom, (int)r.den) << r.num;
    EXPECT_EQ(mPlug->mProbe.timeInfo.mNumerator, r.seenNum) << r.num;
  }
}

TEST_F(AURender, TransportFieldsAsTheHostReportsThem) {
  auhost::Transport& t = mHost.GetTransport();
  t.advance = false;
  t.playing = true;
  t.cycling = true;
  t.samplePos = 1000.5;
  t.beat = 3.25;
  t.cycleStartBeat = 4.0;
  t.cycleEndBeat = 8.0;
  t.downBeat = 2.0;
  ASSERT_EQ(mHost.Render(1, 64), noErr);
  const ITimeInfo& ti = mPlug->mProbe.timeInfo;
  EXPECT_EQ(mPlug->mProbe.samplePos, 1001);
  EXPECT_EQ(ti.mSamplePos, 1000.5);
  EXPECT_EQ(ti.mPPQPos, 3.25);
  EXPECT_EQ(ti.mCycleStart, 4.0);
  EXPECT_EQ(ti.mCycleEnd, 8.0);
  EXPECT_EQ(ti.mLastBar, 2.0);
  EXPECT_TRUE(ti.mTransportIsRunning);
  EXPECT_TRUE(ti.mTransportLoopEnabled);
  // Zero positions are taken as missing; a position beyond an int reads as 0.
  t.samplePos = 0;
  t.beat = 0;
  t.downBeat = 0;
  t.playing = false;
  ASSERT_EQ(mHost.Render(1, 64), noErr);
  EXPECT_EQ(ti.mSamplePos, -1.0);
  EXPECT_EQ(ti.mPPQPos, -1.0);
  EXPECT_EQ(ti.mLastBar, -1.0);
  EXPECT_FALSE(ti.mTransportIsRunning);
  t.samplePos = 1e12;
  ASSERT_EQ(mHost.Render(1, 64), noErr);
  EXPECT_EQ(mPlug->mProbe.samplePos, 0);
}

TEST_F(AURender, TheHostsTransportMovesOnWhilePlaying) {
  mHost.GetTransport().playing = true;
  mHost.GetTransport().samplePos = 1000;
  ASSERT_EQ(mHost.Render(2, 240), noErr);
  EXPECT_EQ(mPlug->mProbe.samplePos, 1240);
  EXPECT_DOUBLE_EQ(mPlug->mProbe.timeInfo.mPPQPos, 0.01); // 240 samples at 48 kHz, 120 bpm
  mHost.GetTransport().playing = false;
  ASSERT_EQ(mHost.Render(2, 240), noErr);
  EXPECT_EQ(mPlug->mProbe.samplePos, 1480);
}

TEST_F(AURender, NoAllocationInTheSteadyState) {
  mHost.QueueMidi(3, 0x90, 64, 1);
  mHost.GetTransport().playing = true;
  ASSERT_EQ(mHost.Render(4, kFrames), noErr); // warm-up
  const long before = gNews.load();
  const AudioTimeStamp ts = Stamp(1e6);
  for (int i = 0; i < 8; ++i) {
    Buffers bufs(2, kFrames * 4);
    ASSERT_EQ(mHost.RenderRaw(&ts, 0, kFrames, bufs.List()), noErr);
  }
  EXPECT_EQ(gNews.load() - before, 0);
}

TEST_F(AURender, BypassPassesThroughAndRendersAgainAfter) {
  UInt32 on = 1;
  const int resets = mPlug->mProbe.resets;
  ASSERT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0,
                                 &on, 4),
            noErr);
  EXPECT_EQ(mPlug->mProbe.resets, resets + 1);
  ASSERT_EQ(mHost.Render(1, 64), noErr);
  EXPECT_EQ(mPlug->mProbe.blocks, 0);
  on = 0;
  ASSERT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0,
                                 &on, 4),
            noErr);
  ASSERT_EQ(mHost.Render(1, 64), noErr);
  EXPECT_EQ(mPlug->mProbe.blocks, 1);
}

} // namespace

namespace {

TEST_F(AURender, BuffersOfUnconnectedChannelsGetSilence) {
  AudioStreamBasicDescription mono{48000.0, kAudioFormatLinearPCM, 41, 4, 1, 4, 1, 32, 0};
  ASSERT_EQ(AudioUnitSetProperty(Unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0,
                                 &mono, sizeof(mono)),
            noErr);
  Buffers bufs(2, kFrames * 4);
  const AudioTimeStamp ts = Stamp(0);
  ASSERT_EQ(mHost.RenderRaw(&ts, 0, kFrames, bufs.List()), noErr);
  EXPECT_EQ(bufs.data[0][kFrames - 1], 0.0f);
  EXPECT_EQ(bufs.data[1][0], 0.0f);
  EXPECT_EQ(bufs.data[1][kFrames - 1], 0.0f);
  EXPECT_EQ(bufs.data[1][kFrames], 1.0f); // not one sample past the block
}

} // namespace
