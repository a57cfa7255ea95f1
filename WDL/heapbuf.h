#pragma once
// Growable heap blocks: a used size apart from the block size, grown with slack and
// shrunk only when the shrink is large. Not synchronised; one thread at a time or
// under the holder's lock.

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

// The allocator behind every heap buffer. Tests swap these to simulate exhaustion.
struct WDL_HeapBufAllocator {
  void* (*realloc_fn)(void* p, size_t size);
  void* (*malloc_fn)(size_t size);
};
extern WDL_HeapBufAllocator g_wdl_heapbuf_allocator;

class WDL_HeapBuf {
public:
  // granularity: least slack (bytes) added when the block grows.
  explicit WDL_HeapBuf(int32_t granularity = 4096) : m_granul(granularity) {}
  ~WDL_HeapBuf();
  WDL_HeapBuf(const WDL_HeapBuf&) = delete;
  WDL_HeapBuf& operator=(const WDL_HeapBuf&) = delete;

  // Null while the used size is 0, also when a block is held.
  void* Get() const { return m_size > 0 ? m_buf : nullptr; }
  int32_t GetSize() const { return m_size; }

  // Sets the used size (bytes; negative counts as 0). On allocation failure, or a size
  // whose block would not fit in 32 bits, the buffer is left as it was.
  // The result is valid until the next call that may reallocate.
  void* Resize(int32_t newsize, bool resizedown = true);
  // Like Resize, but null unless the used size is now exactly newsize.
  void* ResizeOK(int32_t newsize, bool resizedown = true) {
    void* p = Resize(newsize, resizedown);
    return GetSize() == newsize ? p : nullptr;
  }

  // Bytes in the block held (test and diagnostics use).
  int32_t GetAllocatedSize() const { return m_alloc; }

private:
  char* m_buf = nullptr;
  int32_t m_alloc = 0;
  int32_t m_size = 0;
  int32_t m_granul;
};

// An array of plain values copied byte for byte; elements are never constructed or destroyed.
template <class T> class WDL_TypedBuf {
public:
  explicit WDL_TypedBuf(int32_t granularity = 4096) : m_hb(granularity) {}
  WDL_TypedBuf(const WDL_TypedBuf&) = delete;
  WDL_TypedBuf& operator=(const WDL_TypedBuf&) = delete;

  T* Get() const { return static_cast<T*>(m_hb.Get()); }
  int32_t GetSize() const { return m_hb.GetSize() / static_cast<int32_t>(sizeof(T)); }

  // n in elements; a byte count past INT_MAX is refused, leaving the buffer unchanged.
  T* Resize(int32_t n, bool resizedown = true) {
    int32_t bytes;
    if (!ToBytes(n, &bytes)) return Get();
    return static_cast<T*>(m_hb.Resize(bytes, resizedown));
  }
  T* ResizeOK(int32_t n, bool resizedown = true) {
    int32_t bytes;
    if (!ToBytes(n, &bytes)) return nullptr;
    return static_cast<T*>(m_hb.ResizeOK(bytes, resizedown));
  }

  // Appends a copy; null (and nothing changed) when the buffer cannot grow.
  T* Add(const T& value) {
    // Copied first: value may be one of our own elements, and the block may move.
    alignas(T) unsigned char copy[sizeof(T)];
    std::memcpy(copy, static_cast<const void*>(&value), sizeof(T));
    const int32_t s = GetSize();
    T* p = ResizeOK(s + 1, false);
    if (!p) return nullptr;
    std::memcpy(static_cast<void*>(p + s), copy, sizeof(T));
    return p + s;
  }

  // Bytes in the block held (test and diagnostics use).
  int32_t GetAllocatedSize() const { return m_hb.GetAllocatedSize(); }

private:
  // Negative counts map to -1 so that Resize empties and ResizeOK reports failure.
  static bool ToBytes(int32_t n, int32_t* bytes) {
    const int64_t b = static_cast<int64_t>(n) * static_cast<int64_t>(sizeof(T));
    if (b > INT32_MAX) return false;
    *bytes = b < 0 ? -1 : static_cast<int32_t>(b);
    return true;
  }

  WDL_HeapBuf m_hb;
};
