#pragma once
// The real plug-in bundle for the fuzzers, loaded once for the process through the stand-in
// host. Each input gets an instance of its own, prepared as a host prepares one to render,
// with rand() seeded after the constructor, so that a run replays. Every MIDI message the
// plug-in sends is checked as it comes; a broken rule aborts, for libFuzzer to keep the input.

#include "fuzz_reader.h"
#include "host/Session.h"
#include "host/auhost.h"

#include <AudioToolbox/AudioToolbox.h>
#include <CoreMIDI/CoreMIDI.h>
#include <PlatformTestHooks.h>
#include <sanitizer/allocator_interface.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace bundlefuzz {

[[noreturn]] inline void Broken(const char* what) {
  fprintf(stderr, "broken: %s\n", what);
  abort();
}

class Bundle {
public:
  static constexpr UInt32 kMaxFrames = 4096; // the largest block any input asks for

  // The bundle, loaded and warmed up on first use (its libraries make what they keep for the
  // process then, before any count is taken).
  static Bundle& Get() {
    static Bundle* b = new Bundle; // lives for the process, as hosts keep plug-ins loaded
    return *b;
  }

  // A new instance at this rate and block size, with the host callbacks over Transport() and
  // the checking MIDI output, initialised; the transport starts stopped at 120 in 4/4.
  AudioUnit Open(double rate, UInt32 maxFrames) {
    mBaseline = PlatformTest_LiveObjectCount();
    mHost.GetTransport() = auhost::Transport();
    mMaxFrames = maxFrames;
    for (auto& ch : mOpen)
      for (auto& n : ch) n = 0;
    OSStatus r = mHost.Open();
    srand(18); // after the constructor seeded it from the clock
    if (!r) r = mHost.SetSampleRate(rate);
    if (!r) r = mHost.SetMaxFrames(maxFrames);
    if (!r) r = mHost.InstallHostCallbacks();
    const AUMIDIOutputCallbackStruct cb = MidiOutput();
    if (!r)
      r = AudioUnitSetProperty(mHost.Unit(), kAudioUnitProperty_MIDIOutputCallback,
                               kAudioUnitScope_Global, 0, &cb, sizeof(cb));
    if (!r) r = mHost.Initialize();
    if (r) Broken("the set-up was refused");
    return mHost.Unit();
  }

  // What a host does to change the rate or the block size: uninitialise, set, initialise.
  void Reinitialise(double rate, UInt32 maxFrames) {
    mHost.Uninitialize();
    if (mHost.SetSampleRate(rate) || mHost.SetMaxFrames(maxFrames) || mHost.Initialize())
      Broken("a new rate or block size was refused");
    mMaxFrames = maxFrames;
  }

  // Disposes of the instance; everything it made must be gone.
  void Close() {
    mHost.Close();
    if (PlatformTest_LiveObjectCount() != mBaseline) Broken("objects outlived the instance");
  }

  auhost::Transport& Transport() { return mHost.GetTransport(); }
  // The host's own procedures, as Open gives them.
  OSStatus InstallHostCallbacks() { return mHost.InstallHostCallbacks(); }
  AUMIDIOutputCallbackStruct MidiOutput() { return AUMIDIOutputCallbackStruct{MidiOut, this}; }
  UInt32 MaxFrames() const { return mMaxFrames; }
  void SetMaxFrames(UInt32 frames) { mMaxFrames = frames; }

  // Renders one block; a rendered block must be silent (the plug-in only sends MIDI).
  OSStatus Render(UInt32 frames) {
    mBlockFrames = frames;
    mLastOffset = 0;
    const OSStatus r = mHost.Render(1, frames);
    mBlockFrames = 0;
    if (r == noErr)
      for (int c = 0; c < 2; ++c)
        for (float f : mHost.Output(c))
          if (f != 0.0f) Broken("a rendered block was not silent");
    return r;
  }

  // Whether the plug-in has struck this key and not released it.
  bool Sounding(int channel, int note) const { return mOpen[channel][note] != 0; }
  // Keys the plug-in has struck and not released, over every channel.
  int OpenNotes() const {
    int n = 0;
    for (const auto& ch : mOpen)
      for (int k : ch) n += k;
    return n;
  }

private:
  Bundle() {
    CFBundleGetMainBundle();
    const std::string bundle = std::string(QV_BINARY_DIR) + "/Quorlen-VUDE.component";
    if (!mHost.Load(bundle, auhost::kProductEntryPrefix, auhost::kProductDesc))
      Broken(mHost.Error().c_str());
    mHost.RegisterBundle(auhost::kProductBundleID);
    // The GDI emulation keeps released records a while before it reuses them, so the first
    // instances leave memory behind that later ones do not. Instances are made until one
    // leaves nothing: from then on an input that keeps memory is a leak, and libFuzzer
    // (which looks for leaks after any input that does) stays fast.
    for (int i = 0, still = 0; i < 20000 && still < 3; ++i) {
      const size_t before = __sanitizer_get_current_allocated_bytes();
      Open(44100.0, 512);
      mHost.Close();
      still = __sanitizer_get_current_allocated_bytes() == before ? still + 1 : 0;
    }
  }

  // Every message is a 3-byte channel message with 7-bit data, at an offset inside the block
  // it belongs to: the one rendering, or (sent outside render) the next one.
  static OSStatus MidiOut(void* user, const AudioTimeStamp*, UInt32, const MIDIPacketList* list) {
    auto* b = static_cast<Bundle*>(user);
    if (!list) Broken("no packet list");
    const MIDIPacket* p = &list->packet[0];
    for (UInt32 i = 0; i < list->numPackets; ++i, p = MIDIPacketNext(p)) {
      if (p->length != 3) Broken("a MIDI packet not of 3 bytes");
      const uint8_t st = p->data[0], d1 = p->data[1], d2 = p->data[2];
      if (st < 0x80 || st >= 0xF0 || d1 >= 0x80 || d2 >= 0x80) Broken("an invalid MIDI message");
      const UInt32 limit = b->mBlockFrames ? b->mBlockFrames : b->mMaxFrames;
      if (p->timeStamp >= limit) Broken("a MIDI offset outside its block");
      // A block's messages come in time order.
      if (b->mBlockFrames && p->timeStamp < b->mLastOffset) Broken("a MIDI message out of order");
      b->mLastOffset = p->timeStamp;
      if ((st & 0xF0) == 0x90 && d2)
        b->mOpen[st & 0x0F][d1] = 1;
      else if ((st & 0xF0) == 0x80 || (st & 0xF0) == 0x90)
        b->mOpen[st & 0x0F][d1] = 0;
    }
    return noErr;
  }

  auhost::Host mHost;
  long mBaseline = 0;
  UInt32 mMaxFrames = 512;
  UInt32 mBlockFrames = 0;       // while rendering
  MIDITimeStamp mLastOffset = 0; // of the block's last message
  int mOpen[16][128] = {};
};

} // namespace bundlefuzz

// The bundle is loaded and warmed up before fuzzing starts, outside any input's time limit.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  bundlefuzz::Bundle::Get();
  return 0;
}
