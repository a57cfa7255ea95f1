#pragma once
// The serialisation buffer of the plug-in core: typed values appended in native byte
// order with no gaps or tags, read back at explicit byte positions. Every read returns
// the position after what it read, or -1. No lock; one thread at a time.

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "WDL/heapbuf.h"
#include "WDL/wdlstring.h"

// Saved states and chunks are exchanged byte for byte with no swapping.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "state chunks assume little-endian");

class ByteChunk {
public:
  ByteChunk() : mBytes(4096) {}
  ByteChunk(const ByteChunk&) = delete;
  ByteChunk& operator=(const ByteChunk&) = delete;

  // Appends count bytes; returns the new size. When the buffer cannot grow nothing is
  // written and the size is returned unchanged, so callers compare against the old size.
  int PutBytes(const void* pSrc, int count) {
    const int n = Size();
    if (count <= 0) return n;
    const unsigned char* base = mBytes.Get();
    // Appending from our own bytes: keep the offset, the block may move.
    const bool own = base && pSrc >= base && pSrc < base + n;
    const std::ptrdiff_t ofs = own ? static_cast<const unsigned char*>(pSrc) - base : 0;
    unsigned char* p = Grow(count);
    if (!p) return Size();
    std::memmove(p, own ? mBytes.Get() + ofs : pSrc, static_cast<size_t>(count));
    return Size();
  }

  template <class T> int Put(const T* pVal) {
    static_assert(std::is_trivially_copyable<T>::value, "plain values only");
    return PutBytes(pVal, static_cast<int>(sizeof(T)));
  }

  // A 32-bit length, then the bytes without the terminating zero; all or nothing.
  int PutStr(const char* str) {
    const size_t len = str ? std::strlen(str) : 0;
    if (len > static_cast<size_t>(INT32_MAX - 4)) return Size();
    const int32_t L = static_cast<int32_t>(len);
    unsigned char* p = Grow(4 + L);
    if (!p) return Size();
    std::memcpy(p, &L, 4);
    if (L > 0) std::memcpy(p + 4, str, static_cast<size_t>(L));
    return Size();
  }

  int PutBool(bool b) {
    const unsigned char c = b ? 1 : 0;
    return PutBytes(&c, 1);
  }

  int PutChunk(ByteChunk* pRHS) { return PutBytes(pRHS->GetBytes(), pRHS->Size()); }

  // Copies count bytes from startPos; returns startPos + count, or -1 (nothing written)
  // for a negative position or count, or a read past the end.
  int GetBytes(void* pDst, int count, int startPos) const {
    if (startPos < 0 || count < 0) return -1;
    const int64_t endPos = static_cast<int64_t>(startPos) + count;
    if (endPos > Size()) return -1;
    if (count > 0) std::memcpy(pDst, mBytes.Get() + startPos, static_cast<size_t>(count));
    return static_cast<int>(endPos);
  }

  template <class T> int Get(T* pVal, int startPos) const {
    static_assert(std::is_trivially_copyable<T>::value, "plain values only");
    return GetBytes(pVal, static_cast<int>(sizeof(T)), startPos);
  }

  // Reads a string written by PutStr. A negative length, or one that runs past the end,
  // returns -1 and leaves the string unchanged.
  int GetStr(WDL_String* pStr, int startPos) const {
    int32_t L = 0;
    const int textPos = Get(&L, startPos);
    if (textPos < 0 || L < 0) return -1;
    const int64_t endPos = static_cast<int64_t>(textPos) + L;
    if (endPos > Size()) return -1;
    if (L > 0) {
      pStr->Set(reinterpret_cast<const char*>(mBytes.Get() + textPos), L);
    } else {
      pStr->Set("", 0);
    }
    return static_cast<int>(endPos);
  }

  // Any non-zero byte reads as true.
  int GetBool(bool* pB, int startPos) const {
    unsigned char c = 0;
    const int pos = GetBytes(&c, 1, startPos);
    if (pos >= 0) *pB = (c != 0);
    return pos;
  }

  // Sets the size (negative counts as 0); bytes gained are zero. Returns the size before
  // the call. When growth fails the size stays as it was; callers check Size().
  int Resize(int newSize) {
    const int n = Size();
    mBytes.Resize(newSize, true);
    const int got = Size();
    if (got > n) std::memset(mBytes.Get() + n, 0, static_cast<size_t>(got - n));
    return n;
  }

  void Clear() { mBytes.Resize(0, true); }
  int Size() const { return mBytes.GetSize(); }
  // Writable; null while empty. Valid until the next call that changes the size.
  unsigned char* GetBytes() const { return mBytes.Get(); }

private:
  // Adds count bytes at the end; the start of the new bytes, or null (size unchanged).
  unsigned char* Grow(int count) {
    const int n = Size();
    if (count > INT32_MAX - n) return nullptr;
    if (!mBytes.ResizeOK(n + count, true)) return nullptr;
    return mBytes.Get() + n;
  }

  WDL_TypedBuf<unsigned char> mBytes;
};
