// Ticks and samples, the loop's geometry, the tempo follow and the bar-count change.

#include "IPlugTessary2/IPlugTessary2.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "WDL/IPlug/IGraphics.h"

namespace {

// Longest loop in samples; 16 bars of it still leave room for the position to pass the end.
constexpr int64_t kMaxLoopLength = 1 << 30;
constexpr int kMaxBars = 16;

// Nearest whole number, halves away from zero, held inside the int range.
int RoundToInt(double v) {
  if (!(v == v)) return 0;
  v = std::round(v);
  if (v >= (double)INT_MAX) return INT_MAX;
  if (v <= (double)INT_MIN) return INT_MIN;
  return (int)v;
}

int FloorToInt(double v) {
  if (!(v == v)) return 0;
  v = std::floor(v);
  if (v >= (double)INT_MAX) return INT_MAX;
  if (v <= (double)INT_MIN) return INT_MIN;
  return (int)v;
}

// Whole part of a host tempo; 0 for none, bounded so the cast stays defined.
int WholeTempo(double tempo) {
  if (!(tempo > 0.0)) return 0;
  if (tempo >= 1e6) return 1000000;
  return (int)tempo;
}

} // namespace

int IPlugTessary2::BarsForKnob(int knob) {
  if (knob < 1) return 1;
  if (knob == 9) return 12;
  if (knob == 10) return kMaxBars;
  return knob < kMaxBars ? knob : kMaxBars; // 12 and 16 stay as they are
}

int IPlugTessary2::TicksToFramesAt(int ticks, int samplesPerBeat) const {
  if (samplesPerBeat <= 0 || mTicksPerQuarter <= 0) return 0;
  return FloorToInt((double)ticks * samplesPerBeat / mTicksPerQuarter);
}

int IPlugTessary2::FramesToTicksAt(int frames, int samplesPerBeat) const {
  if (samplesPerBeat <= 0) return 0;
  return RoundToInt((double)mTicksPerQuarter * frames / samplesPerBeat);
}

int IPlugTessary2::ConvertTicksToFrames(int ticks) {
  return TicksToFramesAt(ticks, mSamplesPerBeat);
}

int IPlugTessary2::ConvertFramesToTicks(int frames) {
  return FramesToTicksAt(frames, mSamplesPerBeat);
}

int IPlugTessary2::SnapToTick(int frames) {
  return ConvertTicksToFrames(ConvertFramesToTicks(frames));
}

void IPlugTessary2::DeriveTiming() {
  // The loop keeps its length in bars (a pending change included), the display its own.
  const int displayBars = mSamplesPerBar > 0 && mDisplayLoopLength % mSamplesPerBar == 0
                              ? mDisplayLoopLength / mSamplesPerBar
                              : mActiveBars.load();
  const double spb = GetSamplesPerBeat();
  // Below one sample per beat there is no usable grid; above the limit a loop would not fit.
  mSamplesPerBeat = spb >= 1.0 ? (int)std::fmin(spb, (double)(kMaxLoopLength / kMaxBars)) : 0;
  const int num = mTimeInfo.mNumerator > 0 ? mTimeInfo.mNumerator : 0;
  mDerivedNumerator = mTimeInfo.mNumerator;
  int64_t bar = (int64_t)mSamplesPerBeat * num;
  if (bar > kMaxLoopLength / kMaxBars) bar = kMaxLoopLength / kMaxBars;
  mSamplesPerBar = (int)bar;
  // A host's meter may claim any numerator; the roll multiplies this by up to 16 bars.
  mBarTicks = (int)std::min<int64_t>((int64_t)mTicksPerQuarter * num, INT_MAX / kMaxBars);
  mLoopLength = mSamplesPerBar * mActiveBars;
  mDisplayLoopLength = mSamplesPerBar * std::min(std::max(displayBars, 0), kMaxBars);
  // The melody and the play position stay on their ticks at the new rate. While there is no
  // rate they keep the last one they were laid at.
  if (mSamplesPerBeat > 0) {
    if (mKeysSamplesPerBeat > 0 && mKeysSamplesPerBeat != mSamplesPerBeat) {
      UpdateMelodyWithNewTempo(mKeysSamplesPerBeat, mSamplesPerBeat);
      mPosition = RetimePosition(mPosition, mKeysSamplesPerBeat, mSamplesPerBeat);
    }
    mKeysSamplesPerBeat = mSamplesPerBeat;
  }
}

void IPlugTessary2::Reset() {
  IMutexLock lock(this);
  mSampleRate = GetSampleRate();
  // At least the block size and never below the reserve; a host that has not set a block size
  // yet leaves it as it is.
  if (GetBlockSize() > 0) mMidiQueue.Resize(std::max(GetBlockSize(), kMidiQueueReserve));
  DeriveTiming();
  ReleaseSoundingNotes();
}

void IPlugTessary2::OnActivate(bool /*active*/) {
  IMutexLock lock(this);
  ReleaseSoundingNotes();
}

void IPlugTessary2::FollowHostTempo() {
  const double spb = GetSamplesPerBeat();
  const int newSpb = spb >= 1.0 ? (int)std::fmin(spb, (double)(kMaxLoopLength / kMaxBars)) : 0;
  if (newSpb == mSamplesPerBeat && mTimeInfo.mNumerator == mDerivedNumerator) return;
  mCurrentTempo = WholeTempo(mTimeInfo.mTempo);
  DeriveTiming();
}

void IPlugTessary2::UpdateMelodyWithNewTempo(int oldSamplesPerBeat, int newSamplesPerBeat) {
  if (oldSamplesPerBeat <= 0 || newSamplesPerBeat <= 0) return;
  if (oldSamplesPerBeat == newSamplesPerBeat) return;
  // Each key goes to the frame of its own tick, so no number of changes moves a note.
  Melody rescaled(mMelody.get_allocator());
  for (const auto& entry : mMelody) {
    const int tick = FramesToTicksAt(entry.first, oldSamplesPerBeat);
    rescaled.emplace_hint(rescaled.end(), TicksToFramesAt(tick, newSamplesPerBeat), entry.second);
  }
  mMelody.swap(rescaled);
}

int IPlugTessary2::RetimePosition(int position, int oldSamplesPerBeat, int newSamplesPerBeat) {
  if (position <= 0 || oldSamplesPerBeat <= 0 || newSamplesPerBeat <= 0) return position;
  // The last tick whose frame the position has reached, and how far past it the position is.
  const int64_t tpq = mTicksPerQuarter;
  const int64_t tick64 = (((int64_t)position + 1) * tpq - 1) / oldSamplesPerBeat;
  // A host's extreme meter at a few samples per beat counts more ticks than an int holds:
  // scale the position plainly, held in range (the loop wraps it at the next sample).
  if (tick64 >= INT_MAX)
    return (int)std::min<int64_t>((int64_t)position * newSamplesPerBeat / oldSamplesPerBeat,
                                  INT_MAX);
  const int tick = (int)tick64;
  const int past = position - TicksToFramesAt(tick, oldSamplesPerBeat);
  const int base = TicksToFramesAt(tick, newSamplesPerBeat);
  if (past <= 0) return base;
  // Past a tick's frame stays past it (its entries have played) and before the next one.
  const int64_t next = TicksToFramesAt(tick + 1, newSamplesPerBeat);
  const int64_t scaled = (int64_t)past * newSamplesPerBeat / oldSamplesPerBeat;
  return (int)std::max<int64_t>(base, std::min(base + std::max<int64_t>(scaled, 1), next - 1));
}

void IPlugTessary2::ChangeBarCount(double v) {
  if (mSamplesPerBeat == 0) DeriveTiming();
  if (mSamplesPerBar == 0) return;
  const int knob = (int)v;
  const int playingBar = mPosition / mSamplesPerBar + 1;

  if (mPendingBars.first) {
    int active = BarsForKnob(knob);
    if (v > mPendingBars.second) {
      mLoopLength = mSamplesPerBar * active;
    } else if (playingBar >= active) {
      active = playingBar;
      mLoopLength = mSamplesPerBar * active;
    } else {
      mLoopLength = mSamplesPerBar * active;
    }
    mActiveBars = active;
    mDisplayLoopLength = mLoopLength;
    mPendingBars = {true, knob};
    return;
  }

  if (v == mNumBars || !(v > 0) || !(v < 32)) return;
  mPendingBars = {true, knob};
  int active = BarsForKnob(knob);
  mDisplayLoopLength = mLoopLength;
  if (mNumBars > active) {
    // Fewer bars: the bar that is playing finishes first.
    if (playingBar >= active) active = playingBar;
    mLoopLength = mSamplesPerBar * active;
  } else {
    mLoopLength = mSamplesPerBar * active;
    mDisplayLoopLength = mLoopLength;
  }
  mActiveBars = active;
}

void IPlugTessary2::CommitPendingBars() {
  if (!mPendingBars.first) return;
  mPendingBars.first = false;
  SetNumBars(mPendingBars.second);
}

void IPlugTessary2::SetNumBars(int knob) {
  mNumBars = BarsForKnob(knob);
  mLoopLength = mSamplesPerBar * mNumBars;
  mDisplayLoopLength = mLoopLength;
  mActiveBars = mNumBars;
}

void IPlugTessary2::ChangeNumBars(int bars) {
  if (bars == mNumBars) return;
  int knob = bars;
  if (bars > 12) {
    bars = kMaxBars;
    knob = 10;
  } else if (bars > 8) {
    bars = 12;
    knob = 9;
  }
  SetNumBars(bars);
  if (mEditorGraphics) mEditorGraphics->SetParameterFromPlug(kNumberOfBars, knob, false);
  RollZoomTo(mNumBars);
}

int IPlugTessary2::GridStep() {
  if (!(mGridPerBeat > 0.0)) return 0;
  return RoundToInt(mSamplesPerBeat / mGridPerBeat);
}

int IPlugTessary2::TapQuantizedPosition() {
  const int pos = mPosition;
  if (mQuantize <= 1) return pos;
  const int g = GridStep();
  if (g <= 0) return 0;
  const int q = (int)((double)RoundToInt((double)pos / g) * g);
  // Bound by the loop that plays, whatever the meter: a tap never lands past its end. The
  // note starts on the tick nearest q, which may be the loop's end itself.
  return SnapToTick(q) >= mLoopLength ? 0 : q;
}

int IPlugTessary2::CalculateQuantizedLocation(int ticks) {
  IMutexLock lock(this);
  const int g = GridStep();
  if (g <= 0) return 0;
  const int f = ConvertTicksToFrames(ticks);
  int64_t q = (int64_t)RoundToInt((double)f / g) * g;
  const int64_t bound = (int64_t)mSamplesPerBeat * 4 * mNumBars;
  if (q >= bound) q = (int64_t)FloorToInt((double)f / g) * g;
  if (q > INT_MAX) q = INT_MAX;
  if (q < INT_MIN) q = INT_MIN;
  return ConvertFramesToTicks((int)q);
}

bool IPlugTessary2::IsLocationInLoop(int ticks) {
  return ticks >= 0 && ConvertTicksToFrames(ticks) < mLoopLength;
}
