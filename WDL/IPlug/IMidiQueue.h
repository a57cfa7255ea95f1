#pragma once

// Short MIDI messages kept in order of sample offset; messages with equal offsets keep the
// order in which they were added. Removal only advances the front index; consumed entries
// are reclaimed by compaction when the array is full, and on Flush and Resize.
//
// No lock: the owner serialises all access (the engine holds the plug-in mutex, on the render
// thread or in its main-thread entry points). Adding in order, Peek, Remove and Empty do not
// allocate while there is room.

#include "WDL/IPlug/IPlugStructs.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

class IMidiQueue {
public:
  // size: entries to reserve, rounded up to whole pages of 512; it is also the growth step.
  explicit IMidiQueue(int size) : mGrow(Granulize(size)) { Expand(); }
  ~IMidiQueue() { free(mBuf); }

  IMidiQueue(const IMidiQueue&) = delete;
  IMidiQueue& operator=(const IMidiQueue&) = delete;

  // Copies the message in behind every queued message whose offset is <= its own. When the
  // array is full it compacts (if anything was removed) or grows; if growth fails the message
  // is dropped.
  void Add(const IMidiMsg* pMsg) { Insert(pMsg, true); }
  // The same within the capacity reserved: never allocates; false (nothing queued) when full.
  bool TryAdd(const IMidiMsg* pMsg) { return Insert(pMsg, false); }

  bool Empty() const { return mFront == mBack; }

  // The earliest message; the caller may change it in place. Meaningful only when the queue is
  // not empty, and valid until the next Add, Flush or Resize.
  IMidiMsg* Peek() const { return &mBuf[mFront]; }

  void Remove() {
    if (mFront < mBack) ++mFront;
  }

  // Moves what is left into the frame of the next block: compacts and subtracts nFrames
  // (samples) from every queued offset.
  void Flush(int nFrames) {
    if (mFront > 0) Compact();
    for (int i = 0; i < mBack; ++i) mBuf[i].mOffset -= nFrames;
  }

  // Sets the growth step to size rounded up to whole pages and the capacity to that, but never
  // below what is queued. Size 0 on an empty queue frees the block. Returns the capacity in
  // force afterwards (the old one when reallocation fails).
  int Resize(int size) {
    if (mFront > 0) Compact();
    mGrow = Granulize(size);
    int n = mGrow;
    if (n < mBack) n = Granulize(mBack);
    if (n == mSize) return mSize;
    if (n == 0) {
      free(mBuf);
      mBuf = nullptr;
      mSize = 0;
      return 0;
    }
    void* buf = realloc(mBuf, (size_t)n * sizeof(IMidiMsg));
    if (!buf) return mSize;
    mBuf = (IMidiMsg*)buf;
    mSize = n;
    return mSize;
  }

  // Capacity and growth step, in entries.
  int GetSize() const { return mSize; }
  int GetGrowStep() const { return mGrow; }

private:
  static constexpr int kPage = 512; // entries per 4096-byte page
  // Largest capacity whose byte size still fits a 32-bit signed count.
  static constexpr int kMaxEntries = (INT32_MAX / (int)sizeof(IMidiMsg)) / kPage * kPage;

  // Rounds up to whole pages; a negative size counts as 0, sizes past the limit stop there.
  static int Granulize(int size) {
    if (size <= 0) return 0;
    if (size >= kMaxEntries) return kMaxEntries;
    return (size + (kPage - 1)) & ~(kPage - 1);
  }

  bool Insert(const IMidiMsg* pMsg, bool mayGrow) {
    // Copied first: pMsg may point at one of our own entries, which growth or compaction moves.
    const IMidiMsg msg = *pMsg;
    if (mBack >= mSize) {
      if (mFront > 0) {
        Compact();
      } else if (!mayGrow || !Expand()) {
        return false;
      }
    }
    const int offset = msg.mOffset;
    if (mBack > mFront && offset < mBuf[mBack - 1].mOffset) {
      int i = mBack - 2;
      while (i >= mFront && offset < mBuf[i].mOffset) --i;
      ++i;
      memmove(&mBuf[i + 1], &mBuf[i], (size_t)(mBack - i) * sizeof(IMidiMsg));
      mBuf[i] = msg;
    } else {
      mBuf[mBack] = msg;
    }
    ++mBack;
    return true;
  }

  bool Expand() {
    if (!mGrow) return false;
    const int64_t n = ((int64_t)mSize / mGrow + 1) * mGrow;
    if (n > kMaxEntries) return false;
    void* buf = realloc(mBuf, (size_t)n * sizeof(IMidiMsg));
    if (!buf) return false;
    mBuf = (IMidiMsg*)buf;
    mSize = (int)n;
    return true;
  }

  void Compact() {
    mBack -= mFront;
    if (mBack > 0) memmove(&mBuf[0], &mBuf[mFront], (size_t)mBack * sizeof(IMidiMsg));
    mFront = 0;
  }

  IMidiMsg* mBuf = nullptr; // owned; null until the first successful allocation
  int mSize = 0;            // capacity in entries, a multiple of kPage
  int mGrow = 0;            // growth step in entries, a multiple of kPage
  int mFront = 0, mBack = 0;
};
