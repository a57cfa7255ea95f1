#pragma once
// How the engine hands data to its editor controls without ever waiting for them: the render
// thread may change what a control shows, but only the editor (main) thread takes a control's
// own lock, and the render thread never blocks on it.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

// A bounded queue of values: any number of producers push without waiting (a full queue
// refuses the value), one consumer at a time takes them in order. Fixed storage, no
// allocation after construction. Capacity: a power of two.
template <class T, size_t kCapacity> class HandOffQueue {
  static_assert(kCapacity >= 2 && (kCapacity & (kCapacity - 1)) == 0, "a power of two");

public:
  HandOffQueue() {
    for (size_t i = 0; i < kCapacity; ++i) mCells[i].seq.store(i, std::memory_order_relaxed);
  }
  HandOffQueue(const HandOffQueue&) = delete;
  HandOffQueue& operator=(const HandOffQueue&) = delete;

  // Any thread. False when the queue is full; the value is then not queued.
  bool TryPush(const T& value) {
    size_t pos = mTail.load(std::memory_order_relaxed);
    for (;;) {
      Cell& c = mCells[pos & (kCapacity - 1)];
      const size_t seq = c.seq.load(std::memory_order_acquire);
      const intptr_t dif = (intptr_t)seq - (intptr_t)pos;
      if (dif == 0) {
        if (mTail.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
          c.value = value;
          c.seq.store(pos + 1, std::memory_order_release);
          return true;
        }
      } else if (dif < 0) {
        return false; // the consumer has not freed this cell yet
      } else {
        pos = mTail.load(std::memory_order_relaxed);
      }
    }
  }

  // The consumer. False when no value is ready (one still being pushed counts as not ready).
  bool TryPop(T& out) {
    const size_t pos = mHead.load(std::memory_order_relaxed);
    Cell& c = mCells[pos & (kCapacity - 1)];
    if (c.seq.load(std::memory_order_acquire) != pos + 1) return false;
    out = c.value;
    c.seq.store(pos + kCapacity, std::memory_order_release);
    mHead.store(pos + 1, std::memory_order_relaxed);
    return true;
  }

private:
  struct Cell {
    std::atomic<size_t> seq{0};
    T value{};
  };
  Cell mCells[kCapacity];
  std::atomic<size_t> mTail{0}; // next cell a producer claims
  std::atomic<size_t> mHead{0}; // next cell the consumer takes; written by it only
};

// The latest of a series of values: one writer at a time publishes without waiting, one
// reader at a time takes the newest when there is one (three slots, exchanged atomically).
template <class T> class LatestValue {
public:
  void Publish(const T& value) {
    mSlots[mBack] = value;
    mBack = mMiddle.exchange(mBack | kFresh, std::memory_order_acq_rel) & kIndex;
  }
  // True, with the newest value in out, when one was published since the last take.
  bool Take(T& out) {
    if (!(mMiddle.load(std::memory_order_relaxed) & kFresh)) return false;
    mFront = mMiddle.exchange(mFront, std::memory_order_acq_rel) & kIndex;
    out = mSlots[mFront];
    return true;
  }

private:
  static constexpr int kIndex = 3, kFresh = 4;
  T mSlots[3]{};
  std::atomic<int> mMiddle{1}; // the slot between writer and reader, and whether it is new
  int mBack = 0;               // the writer's slot
  int mFront = 2;              // the reader's slot
};

// The lock of an editor control's own data. Only the editor thread takes it; it counts, for
// the whole process, the acquisitions that found it held and had to wait, so a test can show
// that the render thread never waits on it.
class EditorMutex {
public:
  void lock() {
    if (mMutex.try_lock()) return;
    sWaits.fetch_add(1, std::memory_order_relaxed);
    mMutex.lock();
  }
  void unlock() { mMutex.unlock(); }
  static long Waits() { return sWaits.load(std::memory_order_relaxed); }

private:
  std::mutex mMutex;
  static inline std::atomic<long> sWaits{0};
};
