#include "WDL/heapbuf.h"

#include <cstdlib>

namespace {
void* DefaultRealloc(void* p, size_t size) {
  return realloc(p, size);
}
void* DefaultMalloc(size_t size) {
  return malloc(size);
}
} // namespace

WDL_HeapBufAllocator g_wdl_heapbuf_allocator = {DefaultRealloc, DefaultMalloc};

WDL_HeapBuf::~WDL_HeapBuf() {
  free(m_buf);
}

void* WDL_HeapBuf::Resize(int32_t newsize, bool resizedown) {
  if (newsize < 0) newsize = 0;
  if (newsize == m_size) return Get();

  int32_t threshold = 0;
  if (resizedown && newsize < m_size) {
    // 64-bit: four granularities may exceed the 32-bit range.
    int64_t t = static_cast<int64_t>(m_alloc) - 4 * static_cast<int64_t>(m_granul);
    if (t > m_alloc / 2) t = m_alloc / 2;
    if (t < 1) t = 1;
    threshold = static_cast<int32_t>(t);
  }
  if (newsize <= m_alloc && newsize >= threshold) {
    m_size = newsize;
    return Get();
  }

  // Block sizes are worked out in 64 bits; one past INT32_MAX is refused below.
  int64_t step = newsize / 2;
  if (step < m_granul) step = m_granul;
  int64_t newalloc;
  if (newsize < 1) {
    newalloc = 0;
  } else if (m_granul < 4096) {
    newalloc = newsize + step;
  } else {
    // Whole pages of slack, capped at 4 MiB; blocks end 96 bytes short of a page.
    step &= ~int64_t(4095);
    if (step < 4096) step = 4096;
    if (step > 4194304) step = 4194304;
    newalloc = ((newsize + step + 96) & ~int64_t(4095)) - 96;
  }
  if (newalloc > INT32_MAX) return Get();

  if (newalloc == m_alloc) {
    m_size = newsize;
    return Get();
  }
  if (newalloc <= 0) {
    free(m_buf);
    m_buf = nullptr;
    m_alloc = m_size = 0;
    return nullptr;
  }

  char* nb = static_cast<char*>(g_wdl_heapbuf_allocator.realloc_fn(m_buf, size_t(newalloc)));
  if (!nb) {
    // The old block is still ours; try a fresh one and move the used bytes over.
    nb = static_cast<char*>(g_wdl_heapbuf_allocator.malloc_fn(size_t(newalloc)));
    if (!nb) return Get();
    if (m_buf) {
      // Carry the whole old block as reallocation would: callers may hold offsets past
      // the used size (a string appended with its own stale text).
      const int64_t keep = newalloc < m_alloc ? newalloc : m_alloc;
      std::memcpy(nb, m_buf, size_t(keep));
      free(m_buf);
    }
  }
  m_buf = nb;
  m_alloc = static_cast<int32_t>(newalloc);
  m_size = newsize;
  return Get();
}
