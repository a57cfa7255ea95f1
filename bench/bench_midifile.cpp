// bench-links: midifile pkg:smf
// Writing and reading a Standard MIDI File of 10,000 to 100,000 notes (two events each)
// with this library, beside libsmf doing the same and the limit: reading the file's
// bytes plus a minimal scan of its events. Prints the ratios to the peer and the limit.
#include "bench_util.h"
#include "MidiFile/MidiFile.h"

#include <benchmark/benchmark.h>
#include <smf.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

std::string scratch(const char* name) {
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(dir) + "/" + name + std::to_string(getpid()) + ".mid";
}

// Notes of a melody: overlapping, on a few keys, 120 ticks per quarter.
void fillOurs(MidiFile& f, int notes) {
  f.addTrack(1);
  f.allocateEvents(1, 2 * notes);
  for (int i = 0; i < notes; i++) {
    f.addNoteOn(1, i * 30, 0, 48 + i % 37, 100);
    f.addNoteOff(1, i * 30 + 90, 0, 48 + i % 37, 100);
  }
  f.sortTracks();
}

smf_t* buildSmf(int notes) {
  smf_t* smf = smf_new();
  if (smf_set_ppqn(smf, 120) != 0) return smf;
  smf_track_t* conductor = smf_track_new();
  smf_add_track(smf, conductor);
  smf_track_t* track = smf_track_new();
  smf_add_track(smf, track);
  MidiFile order; // same events in the same order as ours
  fillOurs(order, notes);
  for (int i = 0; i < order.getEventCount(1); i++) {
    const MidiEvent& e = order.getEvent(1, i);
    smf_track_add_event_pulses(track, smf_event_new_from_bytes(e[0], e[1], e[2]), e.tick);
  }
  return smf;
}

std::string fileBytes(int notes) {
  MidiFile f;
  fillOurs(f, notes);
  std::ostringstream out;
  f.write(out);
  return out.str();
}

void BM_Write_MidiFile(benchmark::State& state) {
  MidiFile f;
  fillOurs(f, static_cast<int>(state.range(0)));
  std::string path = scratch("bench_ours");
  for (auto _ : state) benchmark::DoNotOptimize(f.write(path));
  std::remove(path.c_str());
  state.SetComplexityN(state.range(0));
}

void BM_Write_Libsmf(benchmark::State& state) {
  smf_t* smf = buildSmf(static_cast<int>(state.range(0)));
  std::string path = scratch("bench_smf");
  for (auto _ : state) benchmark::DoNotOptimize(smf_save(smf, path.c_str()));
  std::remove(path.c_str());
  smf_delete(smf);
  state.SetComplexityN(state.range(0));
}

void BM_Read_MidiFile(benchmark::State& state) {
  std::string path = scratch("bench_read_ours");
  std::ofstream(path, std::ios::binary) << fileBytes(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    MidiFile f;
    benchmark::DoNotOptimize(f.read(path));
  }
  std::remove(path.c_str());
  state.SetComplexityN(state.range(0));
}

void BM_Read_Libsmf(benchmark::State& state) {
  std::string path = scratch("bench_read_smf");
  std::ofstream(path, std::ios::binary) << fileBytes(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    smf_t* smf = smf_load(path.c_str());
    benchmark::DoNotOptimize(smf);
    if (smf != nullptr) smf_delete(smf);
  }
  std::remove(path.c_str());
  state.SetComplexityN(state.range(0));
}

// The limit: the file's bytes into memory, then a walk over every event's delta and
// status that finds where each event ends, storing nothing.
void BM_Read_Limit(benchmark::State& state) {
  std::string path = scratch("bench_read_limit");
  std::ofstream(path, std::ios::binary) << fileBytes(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t n = bytes.size(), i = 14, events = 0;
    while (i + 8 <= n) {
      size_t end =
          i + 8 +
          (size_t(p[i + 4]) << 24 | size_t(p[i + 5]) << 16 | size_t(p[i + 6]) << 8 | p[i + 7]);
      for (i += 8; i < end && i < n; events++) {
        while (p[i] & 0x80) i++; // delta
        i++;
        unsigned char status = p[i];
        if (status == 0xff)
          i += 3 + p[i + 2];
        else
          i += (status & 0xe0) == 0xc0 ? 2 : 3;
      }
      i = end;
    }
    benchmark::DoNotOptimize(events);
  }
  std::remove(path.c_str());
  state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_Write_MidiFile)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_Write_Libsmf)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_Read_MidiFile)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_Read_Libsmf)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_Read_Limit)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace

int main(int argc, char** argv) {
  return bench::RunWithSummary(argc, argv, [](const bench::Results& res) {
    for (const char* n : {"10000", "30000", "100000"}) {
      const std::string arg = std::string("/") + n;
      auto ratio = [&](const char* a, const char* b) {
        const double x = res.Ns(a + arg), y = res.Ns(b + arg);
        return y == 0 ? 0.0 : x / y;
      };
      std::printf("%6s notes: write ours/libsmf %.2f   read ours/libsmf %.2f   "
                  "read ours/limit %.2f\n",
                  n, ratio("BM_Write_MidiFile", "BM_Write_Libsmf"),
                  ratio("BM_Read_MidiFile", "BM_Read_Libsmf"),
                  ratio("BM_Read_MidiFile", "BM_Read_Limit"));
    }
  });
}
