// fuzz-links: auhost platform
// MIDI in to the real bundle, as packets of wire bytes (running status, real-time bytes inside
// messages, system exclusive, stray data) and as raw events with values of any width, between
// blocks rendered while the transport runs, stops, and changes tempo and meter.
//
// Input: a set-up byte (rate, block size, transport), then records, each [op] and its fields:
//   0, 1  a packet: [offset: 2][length][length bytes]
//   2     a raw event: [offset: 4][status][data1: 2][data2: 2]
//   3     a block: [frames: 2] (one past the block size must be refused)
//   4     the transport starts or stops
//   5     tempo and meter: [tempo][numerator][denominator]
//   6     a parameter the engine plays by: [which][value]
//   7     system exclusive: [length][length bytes]
//   8     a new rate and block size: [set-up byte], with the re-initialisation a host does
// At the end the host releases the keys it pressed and stops: no note may still sound.

#include "bundle_fuzz.h"

#include <AudioUnit/MusicDevice.h>

#include <cstring>

namespace {

using bundlefuzz::Broken;
using bundlefuzz::Bundle;

// Keys the host pressed and has not released (channel, note).
struct Held {
  bool key[16][128] = {};
};

// Sends one message as a host does; note-ons the plug-in took are remembered for release.
void Event(AudioUnit u, Held& held, uint32_t status, uint32_t d1, uint32_t d2, UInt32 offset) {
  if (MusicDeviceMIDIEvent(u, status, d1, d2, offset) != noErr) return;
  // The entry hands the plug-in the low byte of each value.
  const uint8_t st = (uint8_t)status, n = (uint8_t)d1, v = (uint8_t)d2;
  if (n >= 128 || v >= 128) return;
  if ((st & 0xF0) == 0x90) held.key[st & 0x0F][n] = v > 0;
  if ((st & 0xF0) == 0x80) held.key[st & 0x0F][n] = false;
}

// Data bytes a message of this status carries (system exclusive aside).
int DataBytes(uint8_t status) {
  switch (status & 0xF0) {
  case 0xC0:
  case 0xD0:
    return 1;
  case 0xF0:
    return status == 0xF1 || status == 0xF3 ? 1 : status == 0xF2 ? 2 : 0;
  default:
    return 2;
  }
}

// A packet of wire bytes, every message in it at the packet's offset.
void Packet(AudioUnit u, Held& held, const uint8_t* b, size_t n, UInt32 offset) {
  uint8_t running = 0, data[2] = {0, 0};
  int have = 0;
  uint8_t sysex[256];
  size_t sysexLen = 0;
  bool inSysex = false;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t c = b[i];
    if (c >= 0xF8) { // real-time: anywhere, even inside another message
      Event(u, held, c, 0, 0, offset);
      continue;
    }
    if (inSysex) {
      if (c < 0x80 || c == 0xF7) sysex[sysexLen++] = c;
      if (c < 0x80 && sysexLen < sizeof(sysex)) continue;
      // Ended by its end byte, by another status, or by the room running out.
      MusicDeviceSysEx(u, sysex, (UInt32)sysexLen);
      inSysex = false;
      if (c < 0x80 || c == 0xF7) continue;
    }
    if (c == 0xF0) {
      inSysex = true;
      sysex[0] = c;
      sysexLen = 1;
      running = 0;
      continue;
    }
    if (c >= 0x80) {
      running = c;
      have = 0;
      if (DataBytes(c) == 0) {
        Event(u, held, c, 0, 0, offset);
        running = 0;
      }
      continue;
    }
    if (!running) continue; // a stray data byte
    data[have++] = c;
    if (have < DataBytes(running)) continue;
    Event(u, held, running, data[0], have > 1 ? data[1] : 0, offset);
    have = 0;
    if (running >= 0xF0) running = 0; // system messages do not run on
  }
  if (inSysex) MusicDeviceSysEx(u, sysex, (UInt32)sysexLen); // cut off, as the packet was
}

// Rate and block size from a set-up byte.
double Rate(uint32_t setup) {
  static const double kRates[] = {44100, 48000, 96000, 22050};
  return kRates[setup & 3];
}
UInt32 Frames(uint32_t setup) {
  static const UInt32 kFrames[] = {512, 64, 1024, 4096, 1, 333, 128, 2048};
  return kFrames[(setup >> 2) & 7];
}

// The parameters that change what the engine plays or how it takes MIDI in.
const uint32_t kParams[] = {4, 5, 6, 8, 11, 12, 13, 16, 17, 19, 22, 23, 24, 26, 27, 31, 52};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 2048) return 0;
  Bundle& bundle = Bundle::Get();
  const AudioUnit u = bundle.Open(Rate(data[0]), Frames(data[0]));
  auhost::Transport& t = bundle.Transport();
  t.playing = data[0] & 0x20;
  Held held;
  Reader r{data + 1, size - 1};
  int blocks = 0;
  bool stopping = false; // the transport stopped; no block rendered since
  while (r.Has(1) && blocks < 64) {
    const UInt32 max = bundle.MaxFrames();
    switch (r.Get(1) % 9) {
    case 0:
    case 1: {
      const UInt32 offset = r.Get(2);
      const uint32_t len = r.Get(1) % 48;
      uint8_t bytes[48];
      uint32_t got = 0;
      for (; got < len && r.Has(1); ++got) bytes[got] = (uint8_t)r.Get(1);
      Packet(u, held, bytes, got, offset);
      break;
    }
    case 2: {
      const UInt32 offset = r.Get(4);
      const uint32_t status = r.Get(1);
      const uint32_t d1 = r.Get(2), d2 = r.Get(2);
      Event(u, held, status, d1, d2, offset);
      break;
    }
    case 3: {
      const UInt32 frames = r.Get(2) % (max + 1) + 1;
      const OSStatus st = bundle.Render(frames);
      if (frames > max && st == noErr) Broken("a block above the maximum was rendered");
      if (frames <= max && st != noErr) Broken("a block was refused");
      ++blocks;
      // The first block after a stop releases every note but those of keys still held.
      if (st == noErr && stopping) {
        stopping = false;
        for (int c = 0; c < 16; ++c)
          for (int n = 0; n < 128; ++n)
            if (bundle.Sounding(c, n) && !held.key[c][n]) Broken("a note outlived the stop");
      }
      break;
    }
    case 4:
      t.playing = !t.playing;
      stopping = !t.playing;
      break;
    case 5: {
      static const double kTempos[] = {120, 60, 1, 133.3, 300, 999, 0, -20};
      static const float kNums[] = {4, 3, 1, 7, 12, 0, -3, 1000};
      static const uint32_t kDens[] = {4, 8, 2, 16, 1, 0, 3, 1u << 31};
      t.tempo = kTempos[r.Get(1) % 8];
      t.tsNumerator = kNums[r.Get(1) % 8];
      t.tsDenominator = kDens[r.Get(1) % 8];
      break;
    }
    case 6: {
      const uint32_t id = kParams[r.Get(1) % (sizeof(kParams) / sizeof(kParams[0]))];
      const float v = (float)(int8_t)r.Get(1);
      AudioUnitSetParameter(u, id, kAudioUnitScope_Global, 0, v, 0);
      break;
    }
    case 8: {
      const uint32_t setup = r.Get(1);
      bundle.Reinitialise(Rate(setup), Frames(setup));
      break;
    }
    default: {
      uint8_t bytes[64];
      const uint32_t len = r.Get(1) % 64;
      uint32_t got = 0;
      for (; got < len && r.Has(1); ++got) bytes[got] = (uint8_t)r.Get(1);
      MusicDeviceSysEx(u, got ? bytes : nullptr, got);
      break;
    }
    }
  }
  // The host lets go of every key and stops; the stopped block releases what still sounds.
  for (int c = 0; c < 16; ++c)
    for (int n = 0; n < 128; ++n)
      if (held.key[c][n]) Event(u, held, 0x80 | c, n, 0, 0);
  t.playing = false;
  if (bundle.Render(bundle.MaxFrames()) != noErr) Broken("the stopping block was refused");
  if (bundle.OpenNotes()) Broken("a note still sounds after the transport stopped");
  bundle.Close();
  return 0;
}
