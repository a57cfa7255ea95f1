#pragma once

// Note lengths in ticks and the one-bar rhythms the rhythm chooser offers.

#include <cstdint>
#include <utility>
#include <vector>

// Ticks per quarter note; a rhythm's bar is four quarters, 480 ticks.
extern const int32_t quarter;

// The n-th part of a four-quarter bar in whole ticks (truncated), computed from `quarter`.
extern const int32_t third;        // 160
extern const int32_t fifth;        // 96
extern const int32_t sixth;        // 80
extern const int32_t eighth;       // 60
extern const int32_t twelveth;     // 40
extern const int32_t sixteenth;    // 30
extern const int32_t twentyfourth; // 20
extern const int32_t thirtysecond; // 15
extern const int32_t fortyeighth;  // 10
extern const int32_t sixtyfourth;  // 7 (7.5 truncated)

// The note onsets of one bar. Plain value record; copies own their list.
struct Rhythm {
  explicit Rhythm(std::vector<int32_t> onsets) : mOnsets(std::move(onsets)) {}

  std::vector<int32_t> mOnsets; // ticks from the bar start: ascending, first 0, all below 480
};

inline constexpr int kNumRhythms = 13;

// Menu texts of the rhythms, in table order: entry i of "1/n" holds n evenly spaced onsets.
inline constexpr const char* kRhythmMenuTexts[kNumRhythms] = {
    "1/64", "1/48", "1/32", "1/24", "1/16", "1/12", "1/8", "1/6", "1/5", "1/4", "1/3", "1/2", "1"};

// 13 entries in chooser order. Built before any plug-in object exists and never written
// afterwards: any thread may read it without a lock. `at` throws std::out_of_range for an
// index outside 0-12.
extern const std::vector<Rhythm> rhythms;
