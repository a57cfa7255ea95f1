// The plug-in bundle loaded by the stand-in host, as a host sees it.

#include "IPlugTessary2/IPlugTessary2.h"
#include "IPlugTessary2/Scale.h"
#include "WDL/IPlug/IGraphics.h"
#include "host/auhost.h"
#include "support/elf_file.h"

#include <Cocoa/Cocoa.h>
#include <PlatformTestHooks.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string kBundle = std::string(QV_BINARY_DIR) + "/Quorlen-VUDE.component";

AudioComponentDescription Desc() {
  return AudioComponentDescription{0x61756D66 /* 'aumf' */, 0x51726C4D /* 'QrlM' */,
                                   0x5A76656B /* 'Zvek' */, 0, 0};
}

using elf_test::ExportedSymbols;

class HostedEngine : public ::testing::Test {
protected:
  // The bundle is loaded once and stays loaded: the GDI emulation inside it keeps process-wide
  // pools that an unload would leave behind.
  static void SetUpTestSuite() {
    CFBundleGetMainBundle();
    PlatformTest_SetMainBundleIdentifier("com.example.host");
    sHost = new auhost::Host;
    ASSERT_TRUE(sHost->Load(kBundle, "IPlugTessary2", Desc())) << sHost->Error();
    // The editor loads its images from the bundle found by its identifier.
    sHost->RegisterBundle("com.Ostrevane.audiounit.Quorlen-VUDE");
  }
  void SetUp() override {
    ASSERT_NE(sHost, nullptr);
    mHost.GetTransport() = auhost::Transport();
    mHost.ClearMidiLog();
    ASSERT_EQ(mHost.Open(), noErr);
    srand(3); // the constructor seeded from the clock
    ASSERT_EQ(mHost.SetSampleRate(44100.0), noErr);
    ASSERT_EQ(mHost.SetMaxFrames(512), noErr);
    ASSERT_EQ(mHost.InstallHostCallbacks(), noErr);
    ASSERT_EQ(mHost.InstallMidiOutput(), noErr);
    ASSERT_EQ(mHost.Initialize(), noErr);
  }
  void TearDown() override {
    mHost.Uninitialize();
    mHost.Close();
  }

  static inline auhost::Host* sHost = nullptr;
  auhost::Host& mHost = *sHost;

  // Note-ons of the log, as (block, offset, note).
  std::vector<std::vector<int>> NoteOns() {
    std::vector<std::vector<int>> out;
    for (const auto& m : mHost.MidiLog()) {
      if (m.bytes.size() == 3 && m.bytes[0] == 0x90) {
        out.push_back({m.block, (int)m.offset, m.bytes[1]});
      }
    }
    return out;
  }
};

TEST(EngineBundle, ExportsExactlyItsThreeEntryPoints) {
  EXPECT_EQ(ExportedSymbols(kBundle + "/Contents/MacOS/Quorlen-VUDE"),
            (std::vector<std::string>{"IPlugTessary2_Entry", "IPlugTessary2_Factory",
                                      "IPlugTessary2_ViewEntry"}));
  EXPECT_EQ(elf_test::DynamicTlsRelocations(kBundle + "/Contents/MacOS/Quorlen-VUDE"), 0);
}

TEST_F(HostedEngine, PresetsAndParameters) {
  const std::vector<auhost::Preset> presets = mHost.FactoryPresets();
  ASSERT_EQ(presets.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(presets[i].number, i);
    EXPECT_EQ(presets[i].name, "-");
  }
  float v = 0;
  ASSERT_EQ(mHost.GetParameter(kNoteLength, &v), noErr);
  EXPECT_EQ(v, 3.0f);
  ASSERT_EQ(mHost.GetParameter(kScalesDropdown, &v), noErr);
  EXPECT_EQ(v, -1.0f);
  ASSERT_EQ(mHost.GetParameter(kOctaveZero, &v), noErr);
  EXPECT_EQ(v, 1.0f);
}

TEST_F(HostedEngine, IncomingNotesPassOnceAtTheirOffsets) {
  mHost.GetTransport().playing = true;
  mHost.QueueMidi(17, 0x90, 60, 99);
  mHost.QueueMidi(40, 0xB0, 7, 1); // not a note: dropped
  ASSERT_EQ(mHost.Render(1, 512), noErr);
  mHost.QueueMidi(3, 0x80, 60, 0);
  ASSERT_EQ(mHost.Render(3, 512), noErr);
  ASSERT_EQ(mHost.MidiLog().size(), 2u);
  EXPECT_EQ(mHost.MidiLog()[0].block, 0);
  EXPECT_EQ(mHost.MidiLog()[0].offset, 17);
  EXPECT_EQ(mHost.MidiLog()[0].bytes, (std::vector<uint8_t>{0x90, 60, 99}));
  EXPECT_EQ(mHost.MidiLog()[1].block, 1);
  EXPECT_EQ(mHost.MidiLog()[1].offset, 3);
  EXPECT_EQ(mHost.MidiLog()[1].bytes, (std::vector<uint8_t>{0x80, 60, 0}));
}

TEST_F(HostedEngine, MidiTapsPlayAndStopReleases) {
  ASSERT_EQ(mHost.SetParameter(kInputRhythmWithMidi, 1), noErr);
  mHost.GetTransport().playing = true;
  ASSERT_EQ(mHost.Render(10, 500), noErr); // position 5000
  mHost.QueueMidi(0, 0x90, 64, 100);       // taps at 5513, snapped to tick 30: 5512
  ASSERT_EQ(mHost.Render(2, 500), noErr);
  const auto ons = NoteOns();
  ASSERT_EQ(ons.size(), 2u);
  EXPECT_EQ(ons[0], (std::vector<int>{10, 0, ons[0][2]}));
  EXPECT_EQ(ons[1], (std::vector<int>{11, 12, ons[0][2]}));
  mHost.ClearMidiLog();
  mHost.GetTransport().playing = false;
  ASSERT_EQ(mHost.Render(1, 500), noErr);
  ASSERT_EQ(mHost.MidiLog().size(), 1u);
  EXPECT_EQ(mHost.MidiLog()[0].block, 12);
  EXPECT_EQ(mHost.MidiLog()[0].offset, 0);
  EXPECT_EQ(mHost.MidiLog()[0].bytes, (std::vector<uint8_t>{0x80, (uint8_t)ons[0][2], 0}));
}

// The note pool of the instance the host opened, read through a pointer to the member.
struct PoolOf : IPlugTessary2 {
  static const std::vector<int>& Get(void* plugObject) {
    auto* plug = static_cast<IPlugTessary2*>(static_cast<IPlugAU*>(plugObject));
    return plug->*(&PoolOf::mNotePool);
  }
};

// The outermost copies set by the host, +4 (parameter 16) beside -4 (parameter 8): on appends
// the copy behind what is there, off rebuilds the pool from the lowest octave up.
TEST_F(HostedEngine, TheOuterOctavesSetByTheHost) {
  ASSERT_EQ(mHost.SetParameter(kScalesDropdown, kMajor * 12 + kC), noErr);
  const std::vector<int>& pool = PoolOf::Get(mHost.PlugObject());
  const std::vector<int> keys = {60, 62, 64, 65, 67, 69, 71, 72};
  const std::vector<int> up4 = {108, 110, 112, 113, 115, 117, 119, 120};
  const std::vector<int> down4 = {12, 14, 16, 17, 19, 21, 23, 24};
  ASSERT_EQ(pool, keys);
  auto joined = [](std::initializer_list<std::vector<int>> parts) {
    std::vector<int> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  const struct {
    int param;
    float value;
    std::vector<int> pool;
  } steps[] = {
      {kOctavePositive4, 1, joined({keys, up4})},
      {kOctaveNegative4, 1, joined({keys, up4, down4})},
      {kOctavePositive4, 0, joined({down4, keys})},
      {kOctavePositive4, 1, joined({down4, keys, up4})},
      {kOctaveNegative4, 0, joined({keys, up4})},
      {kOctavePositive4, 0, keys},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(testing::Message() << "parameter " << s.param << " to " << s.value);
    ASSERT_EQ(mHost.SetParameter(s.param, s.value), noErr);
    float v = -1;
    ASSERT_EQ(mHost.GetParameter(s.param, &v), noErr);
    EXPECT_EQ(v, s.value);
    EXPECT_EQ(pool, s.pool);
  }
}

TEST_F(HostedEngine, RestoredStateKeepsTheChosenScale) {
  const int kMajorInE = 4; // no C, F or G, which C major has
  ASSERT_EQ(mHost.SetParameter(kScalesDropdown, kMajorInE), noErr);
  ASSERT_EQ(mHost.SetParameter(kInputRhythmWithMidi, 1), noErr);
  CFPropertyListRef state = nullptr;
  ASSERT_EQ(mHost.GetState(&state), noErr);
  ASSERT_EQ(mHost.SetParameter(kScalesDropdown, 0), noErr); // C major meanwhile
  ASSERT_EQ(mHost.SetState(state), noErr);
  CFRelease(state);

  // Every tapped pitch comes from the restored scale.
  mHost.GetTransport().playing = true;
  for (int i = 0; i < 24; ++i) {
    mHost.QueueMidi(0, 0x90, 60, 100);
    ASSERT_EQ(mHost.Render(1, 512), noErr);
  }
  const std::set<int> scale(scales.at(kMajorInE).mNotes.begin(), scales.at(kMajorInE).mNotes.end());
  std::set<int> heard;
  for (const auto& on : NoteOns()) heard.insert(on[2]);
  ASSERT_FALSE(heard.empty());
  for (int n : heard) EXPECT_TRUE(scale.count(n)) << n;
}

// A host answers its transport callbacks on the render thread, inside render; what the main
// thread changes meanwhile re-derives the loop from the tempo of the last block.
std::atomic<int> gTransportCalls{0};
OSStatus SlowTempo(void*, Float64* beat, Float64* tempo) {
  ++gTransportCalls;
  if (beat) *beat = 0.0;
  if (tempo) *tempo = 60.0;
  return noErr;
}
OSStatus Stopped(void*, Boolean* playing, Boolean* changed, Float64* sample, Boolean* cycling,
                 Float64* start, Float64* end) {
  ++gTransportCalls;
  for (Boolean* b : {playing, changed, cycling})
    if (b) *b = false;
  for (Float64* d : {sample, start, end})
    if (d) *d = 0.0;
  return noErr;
}

TEST_F(HostedEngine, TransportCallbacksAreCalledOnlyInsideRender) {
  auto* plug = static_cast<IPlugTessary2*>(static_cast<IPlugAU*>(mHost.PlugObject()));
  ASSERT_NE(plug, nullptr);
  HostCallbackInfo info{nullptr, SlowTempo, nullptr, Stopped, nullptr};
  ASSERT_EQ(AudioUnitSetProperty(mHost.Unit(), kAudioUnitProperty_HostCallbacks,
                                 kAudioUnitScope_Global, 0, &info, sizeof(info)),
            noErr);
  ASSERT_EQ(mHost.Render(1, 512), noErr);
  EXPECT_GT(gTransportCalls.load(), 0);
  EXPECT_EQ(plug->GetDisplayLoopLength(), 44100 * 4);

  gTransportCalls = 0;
  const UInt32 on = 1, off = 0;
  ASSERT_EQ(AudioUnitSetProperty(mHost.Unit(), kAudioUnitProperty_BypassEffect,
                                 kAudioUnitScope_Global, 0, &on, sizeof(on)),
            noErr);
  ASSERT_EQ(AudioUnitSetProperty(mHost.Unit(), kAudioUnitProperty_BypassEffect,
                                 kAudioUnitScope_Global, 0, &off, sizeof(off)),
            noErr);
  ASSERT_EQ(mHost.SetSampleRate(48000.0), noErr);
  ASSERT_EQ(mHost.SetParameter(kNumberOfBars, 2), noErr);
  EXPECT_EQ(gTransportCalls.load(), 0);
  EXPECT_EQ(plug->GetDisplayLoopLength(), 48000 * 4 * 2);
}

} // namespace

namespace {

// Chooses "1/16" in the rhythm chooser of the editor, then plays two passes of the loop.
TEST_F(HostedEngine, OneBarOfSixteenthsOverTwoPassesFromTheEditor) {
  auto* plug = static_cast<IPlugTessary2*>(static_cast<IPlugAU*>(mHost.PlugObject()));
  ASSERT_NE(plug, nullptr);
  IGraphics* g = plug->GetGUI();
  ASSERT_NE(g, nullptr);
  NSWindow* window = PlatformTest_CreateWindow(kEditorWidth, kEditorHeight);
  g->OpenWindow(window->contentView());

  // The pitches the sixteen notes will draw from an empty pool: two draws each.
  srand(11);
  std::vector<int> pitch;
  for (int i = 0; i < 16; ++i) {
    const int a = rand() % 34 + 71;
    pitch.push_back(a - rand() % 27);
  }
  // A host value while the chooser holds no choice lays nothing.
  ASSERT_EQ(mHost.SetParameter(kRhythmsDropdown, 6), noErr);
  srand(11);
  PlatformTest_ScriptMenuChoice({4});
  PlatformTest_PostMouse(window, kPlatformTestMouseDown, 40 + 2, 325 + 3, 1, 0);
  PlatformTest_PostMouse(window, kPlatformTestMouseUp, 40 + 2, 325 + 3, 1, 0);

  mHost.GetTransport().playing = true;
  ASSERT_EQ(mHost.Render(346, 512), noErr); // two passes of 88200 and the first note of a third
  std::vector<std::vector<int>> want;
  for (int n = 0; n <= 32; ++n) {
    const int i = n % 16;
    const int64_t at = 88200LL * (n / 16) + (int64_t)(i * 5512.5);
    if (n > 0) want.push_back({(int)(at / 512), (int)(at % 512), 0x80, pitch[(i + 15) % 16], 0});
    want.push_back({(int)(at / 512), (int)(at % 512), 0x90, pitch[i], 100});
  }
  std::vector<std::vector<int>> got;
  for (const auto& m : mHost.MidiLog()) {
    ASSERT_EQ(m.bytes.size(), 3u);
    got.push_back({m.block, (int)m.offset, m.bytes[0], m.bytes[1], m.bytes[2]});
  }
  EXPECT_EQ(got, want);
  // The wrap: the last sixteenth ends and the first starts again at sample 88200.
  ASSERT_GE(got.size(), 33u);
  EXPECT_EQ(got[31], (std::vector<int>{172, 136, 0x80, pitch[15], 0}));
  EXPECT_EQ(got[32], (std::vector<int>{172, 136, 0x90, pitch[0], 100}));

  // Stopping releases what sounds and starts the next play at the loop's start.
  mHost.ClearMidiLog();
  mHost.GetTransport().playing = false;
  ASSERT_EQ(mHost.Render(1, 512), noErr);
  ASSERT_EQ(mHost.MidiLog().size(), 1u);
  EXPECT_EQ(mHost.MidiLog()[0].bytes, (std::vector<uint8_t>{0x80, (uint8_t)pitch[0], 0}));

  // The tap button adds a note at the play position and sounds it at once.
  mHost.ClearMidiLog();
  mHost.GetTransport().playing = true;
  PlatformTest_PostMouse(window, kPlatformTestMouseDown, 20 + 2, 230 + 3, 1, 0);
  ASSERT_EQ(mHost.Render(1, 512), noErr);
  PlatformTest_PostMouse(window, kPlatformTestMouseUp, 20 + 2, 230 + 3, 1, 0);
  ASSERT_GE(mHost.MidiLog().size(), 2u); // the tap's note-on, then the loop's first note-on
  EXPECT_EQ(mHost.MidiLog()[0].offset, 0);
  EXPECT_EQ(mHost.MidiLog()[0].bytes[0], 0x90);
  g->CloseWindow();
  window->release();
}

} // namespace

namespace {

// Notes sounding after the log: note-ons minus note-offs, by pitch.
std::map<int, int> Sounding(const std::vector<auhost::MidiOut>& log) {
  std::map<int, int> open;
  for (const auto& m : log) {
    if (m.bytes.size() != 3) continue;
    if (m.bytes[0] == 0x90 && m.bytes[2] > 0) ++open[m.bytes[1]];
    if (m.bytes[0] == 0x80 && open.count(m.bytes[1])) open.erase(m.bytes[1]);
  }
  return open;
}

struct StopWay {
  const char* name;
  std::function<void(auhost::Host&)> apply;
  bool bypassed; // the next block is bypassed
  bool endOffs;  // the way also sends a note-off per end entry of the melody
};

OSStatus SetBypass(auhost::Host& h, UInt32 on) {
  return AudioUnitSetProperty(h.Unit(), kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0,
                              &on, sizeof on);
}

// Every way the engine stops playing while notes sound: nothing leaves until the next block,
// which carries one note-off per sounding note at offset 0 and leaves nothing sounding.
TEST_F(HostedEngine, EveryWayOfStoppingReleasesWhatSoundsInTheNextBlock) {
  const StopWay ways[] = {
      {"bypass", [](auhost::Host& h) { ASSERT_EQ(SetBypass(h, 1), noErr); }, true, false},
      {"reset", [](auhost::Host& h) { ASSERT_EQ(h.Reset(), noErr); }, false, false},
      {"reinitialise",
       [](auhost::Host& h) {
         ASSERT_EQ(h.Uninitialize(), noErr);
         ASSERT_EQ(h.Initialize(), noErr);
       },
       false, false},
      {"sample rate", [](auhost::Host& h) { ASSERT_EQ(h.SetSampleRate(48000), noErr); }, false,
       false},
      {"block size", [](auhost::Host& h) { ASSERT_EQ(h.SetMaxFrames(1024), noErr); }, false, false},
      {"transport", [](auhost::Host& h) { h.GetTransport().playing = false; }, false, false},
      {"state",
       [](auhost::Host& h) {
         CFPropertyListRef state = nullptr;
         ASSERT_EQ(h.GetState(&state), noErr);
         ASSERT_EQ(h.SetState(state), noErr);
         CFRelease(state);
       },
       false, false},
      {"preset", [](auhost::Host& h) { ASSERT_EQ(h.ChoosePreset(2), noErr); }, false, false},
      {"new melody",
       [](auhost::Host& h) {
         ASSERT_EQ(h.SetParameter(kNewMelody, 1), noErr);
         ASSERT_EQ(h.SetParameter(kNewMelody, 0), noErr);
       },
       false, true},
      {"clear",
       [](auhost::Host& h) {
         ASSERT_EQ(h.SetParameter(kClearBeats, 1), noErr);
         ASSERT_EQ(h.SetParameter(kClearBeats, 0), noErr);
       },
       false, true},
  };
  for (const StopWay& way : ways) {
    SCOPED_TRACE(way.name);
    TearDown();
    SetUp();
    // Three notes tapped in from MIDI at the loop's start, sounding after two blocks.
    ASSERT_EQ(mHost.SetParameter(kInputRhythmWithMidi, 1), noErr);
    mHost.GetTransport().playing = true;
    ASSERT_EQ(mHost.Render(2, 512), noErr);
    for (int i = 0; i < 3; ++i) mHost.QueueMidi(0, 0x90, 60, 100);
    ASSERT_EQ(mHost.Render(1, 512), noErr);
    const std::map<int, int> sounding = Sounding(mHost.MidiLog());
    ASSERT_FALSE(sounding.empty());

    mHost.ClearMidiLog();
    way.apply(mHost);
    EXPECT_TRUE(mHost.MidiLog().empty());
    ASSERT_EQ(mHost.Render(1, 512), noErr);
    std::vector<std::vector<int>> want, got;
    for (const auto& s : sounding) want.push_back({3, 0, 0x80, s.first, 0});
    for (const auto& m : mHost.MidiLog())
      got.push_back({m.block, (int)m.offset, m.bytes[0], m.bytes[1], m.bytes[2]});
    if (way.endOffs) {
      for (const auto& w : want) EXPECT_NE(std::find(got.begin(), got.end(), w), got.end());
    } else {
      EXPECT_EQ(got, want);
    }
    EXPECT_TRUE(Sounding(mHost.MidiLog()).empty());
    if (!way.bypassed) continue;

    // Switching bypass on sent nothing; off, the loop plays on and strikes the notes again.
    mHost.ClearMidiLog();
    ASSERT_EQ(SetBypass(mHost, 0), noErr);
    EXPECT_TRUE(mHost.MidiLog().empty());
    ASSERT_EQ(mHost.Render(180, 512), noErr);
    std::map<int, int> again = Sounding(mHost.MidiLog());
    EXPECT_EQ(again.size(), sounding.size());
    for (const auto& s : sounding) EXPECT_EQ(again.count(s.first), 1u) << s.first;
  }
}

} // namespace
