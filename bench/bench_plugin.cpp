// bench-links: auhost platform
// The plug-in itself, loaded from its bundle by the stand-in host: one render block of a
// 16-bar loop of "1/16" notes playing, a full redraw of its editor with every control dirty
// (as each render block leaves them) and the piano roll holding those 256 notes, and a state
// save and restore. Prints each as a share of its real-time budget (the block's duration, a
// 40 ms frame) and counts the heap allocations made inside render once it runs steadily.
// There is no peer library here: the budgets are the measure.

#include "host/Session.h"
#include "host/auhost.h"
#include "testsupport/counting_new.h"

#include <CoreMIDI/CoreMIDI.h>
#include <PlatformTestHooks.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace {

using qv_test::gNews;
using qv_test::tCounting;

const double kSampleRate = 44100.0;
const uint32_t kBlock = 512;
const int kParamBars = 19, kParamNewMelody = 4;

// One plug-in instance with a 16-bar melody of 256 notes and its editor open.
struct Loaded {
  auhost::Host host;
  std::string error;
  int notesPerPass = 0;

  Loaded() {
    if (!host.Load(std::string(QV_BINARY_DIR) + "/Quorlen-VUDE.component",
                   auhost::kProductEntryPrefix, auhost::kProductDesc)) {
      error = host.Error();
      return;
    }
    host.RegisterBundle(auhost::kProductBundleID);
    OSStatus r = host.Open();
    srand(1);
    if (!r) r = host.SetSampleRate(kSampleRate);
    if (!r) r = host.SetMaxFrames(kBlock);
    if (!r) r = host.InstallHostCallbacks();
    if (!r) r = host.InstallMidiOutput();
    if (!r) r = host.Initialize();
    if (!r) r = host.OpenEditor(710, 365);
    if (r) {
      error = "set-up failed, status " + std::to_string(r);
      return;
    }
    NSWindow* w = host.EditorWindow();
    // C major from the key and type menus, 16 bars, "1/16" from the rhythm menu, a new melody.
    PlatformTest_ScriptMenuChoice({0});
    Click(w, 89, 76);
    PlatformTest_ScriptMenuChoice({0});
    Click(w, 116, 76);
    host.SetParameter(kParamBars, 10);
    host.Render(1, kBlock);
    PlatformTest_ScriptMenuChoice({4});
    Click(w, 41, 326);
    host.SetParameter(kParamNewMelody, 1);
    host.SetParameter(kParamNewMelody, 0);
    // One pass with the transport running: the notes the loop holds.
    host.GetTransport().playing = true;
    host.ClearMidiLog();
    const double pass = kSampleRate * 60.0 / 120.0 * 4 * 16;
    host.Render((int)(pass / kBlock), kBlock);
    for (const auhost::MidiOut& m : host.MidiLog())
      if (m.bytes.size() == 3 && m.bytes[0] == 0x90 && m.bytes[2] > 0) ++notesPerPass;
    host.ClearMidiLog();
  }
  static void Click(NSWindow* w, int x, int y) {
    PlatformTest_PostMouse(w, kPlatformTestMouseDown, x, y, 1, 0);
    PlatformTest_PostMouse(w, kPlatformTestMouseUp, x, y, 1, 0);
  }
};

Loaded& Plugin() {
  static Loaded* p = new Loaded; // kept for the whole run
  return *p;
}

bool Ready(benchmark::State& state) {
  if (!Plugin().error.empty()) {
    state.SkipWithError(Plugin().error.c_str());
    return false;
  }
  if (Plugin().notesPerPass != 256) {
    state.SkipWithError(
        ("the loop holds " + std::to_string(Plugin().notesPerPass) + " notes, not 256").c_str());
    return false;
  }
  return true;
}

// A MIDI output that only counts, so that render's allocations are the plug-in's own.
std::atomic<long> gNotesOut{0};
OSStatus CountMidi(void*, const AudioTimeStamp*, UInt32, const MIDIPacketList* list) {
  gNotesOut += list ? (long)list->numPackets : 0;
  return noErr;
}

void BM_RenderBlock(benchmark::State& state) {
  if (!Ready(state)) return;
  auhost::Host& h = Plugin().host;
  AUMIDIOutputCallbackStruct counting{CountMidi, nullptr};
  AudioUnitSetProperty(h.Unit(), kAudioUnitProperty_MIDIOutputCallback, kAudioUnitScope_Global, 0,
                       &counting, sizeof counting);
  h.GetTransport().playing = true;
  h.Render(64, kBlock); // past the first notes: render runs steadily
  long blocks = 0;
  const long before = gNews;
  const long notesBefore = gNotesOut;
  tCounting = true;
  for (auto _ : state) {
    h.Render(1, kBlock);
    ++blocks;
  }
  tCounting = false;
  state.counters["midi_out_per_block"] = (double)(gNotesOut - notesBefore) / (double)blocks;
  h.InstallMidiOutput();
  const double blockSeconds = kBlock / kSampleRate;
  state.counters["share_of_block_%"] =
      benchmark::Counter((double)blocks * blockSeconds / 100.0,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["allocs_per_block"] = (double)(gNews - before) / (double)blocks;
}
BENCHMARK(BM_RenderBlock)->Unit(benchmark::kMicrosecond);

void BM_EditorRedraw(benchmark::State& state) {
  if (!Ready(state)) return;
  auhost::Host& h = Plugin().host;
  h.GetTransport().playing = true;
  long frames = 0;
  for (auto _ : state) {
    state.PauseTiming();
    h.Render(1, kBlock); // marks every control dirty, moves the play position
    state.ResumeTiming();
    PlatformTest_AdvanceRunLoop(40); // one tick of the editor's 25 fps timer: draw and show
    ++frames;
  }
  state.counters["share_of_40ms_frame_%"] = benchmark::Counter(
      (double)frames * 0.040 / 100.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  h.ClearMidiLog();
}
BENCHMARK(BM_EditorRedraw)->Unit(benchmark::kMicrosecond);

void BM_StateSave(benchmark::State& state) {
  if (!Ready(state)) return;
  for (auto _ : state) {
    CFPropertyListRef s = nullptr;
    Plugin().host.GetState(&s);
    if (s) CFRelease(s);
  }
}
BENCHMARK(BM_StateSave)->Unit(benchmark::kMicrosecond);

void BM_StateRestore(benchmark::State& state) {
  if (!Ready(state)) return;
  CFPropertyListRef s = nullptr;
  Plugin().host.GetState(&s);
  for (auto _ : state) Plugin().host.SetState(s);
  if (s) CFRelease(s);
}
BENCHMARK(BM_StateRestore)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
