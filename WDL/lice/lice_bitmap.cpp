#include "WDL/lice/lice.h"
#include "WDL/swell/swell-functions.h"

#include <cstdint>
#include <cstdlib>

// A pixel block above this many bytes is refused like an allocation failure; it keeps
// the block size and its quarter of growth room inside the int fields.
static const int64_t kMaxBitmapBytes = (int64_t)1 << 30;

LICE_MemBitmap::LICE_MemBitmap(int w, int h, unsigned int linealign)
    : m_fb(nullptr), m_width(0), m_height(0), m_allocsize(0), m_linealign(0) {
  if (linealign > 1) {
    m_linealign = (int)((linealign & (0u - linealign)) - 1);
    if (m_linealign > 16) m_linealign = 16;
  }
  if (w >= 1 && h >= 1) __resize(w, h);
}

LICE_MemBitmap::~LICE_MemBitmap() {
  free(m_fb);
}

bool LICE_MemBitmap::__resize(int w, int h) {
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  if (w == m_width && h == m_height) return false;
  m_width = w;
  m_height = h;
  // Sizes in 64 bits: an overflowing or absurd request fails like an allocation failure.
  const int64_t span = ((int64_t)w + m_linealign) & ~(int64_t)m_linealign;
  const int64_t bytes = span * h * 4;
  if (bytes < 1 || w < 1 || h < 1 || bytes > kMaxBitmapBytes) {
    free(m_fb);
    m_fb = nullptr;
    m_allocsize = 0;
  } else if (!m_fb) {
    m_allocsize = (int)bytes;
    m_fb = (LICE_pixel*)malloc((size_t)bytes + 63);
  } else if (bytes > m_allocsize) {
    const int64_t newsize = bytes + bytes / 4;
    void* p = realloc(m_fb, (size_t)newsize + 63);
    if (p) {
      m_fb = (LICE_pixel*)p;
      m_allocsize = (int)newsize;
    } else {
      free(m_fb);
      m_allocsize = (int)bytes;
      m_fb = (LICE_pixel*)malloc((size_t)bytes + 63);
    }
  }
  if (!m_fb) {
    m_width = m_height = 0;
    m_allocsize = 0;
  }
  return true;
}

LICE_SysBitmap::LICE_SysBitmap(int w, int h)
    : m_width(0), m_height(0), m_dc(nullptr), m_bits(nullptr), m_allocw(0), m_alloch(0) {
  __resize(w, h);
}

LICE_SysBitmap::~LICE_SysBitmap() {
  if (m_dc) SWELL_DeleteGfxContext(m_dc);
}

bool LICE_SysBitmap::__resize(int w, int h) {
  // A negative size makes an empty bitmap rather than a negative width.
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  if (w == m_width && h == m_height) return false;
  m_width = w;
  m_height = h;
  if (w && h && w <= m_allocw && h <= m_alloch && m_bits) return true;

  const int64_t allocw = ((int64_t)w + 3) & ~(int64_t)3;
  m_allocw = allocw > INT32_MAX ? 0 : (int)allocw;
  m_alloch = h;
  if (m_dc) SWELL_DeleteGfxContext(m_dc);
  m_dc = nullptr;
  m_bits = nullptr;
  if (w < 1 || h < 1) return false;

  m_dc = m_allocw ? SWELL_CreateMemContext(nullptr, m_allocw, h) : nullptr;
  if (!m_dc) {
    m_width = m_height = 0;
    m_allocw = m_alloch = 0;
    m_bits = nullptr;
  } else {
    m_bits = (LICE_pixel*)SWELL_GetCtxFrameBuffer(m_dc);
  }
  return true;
}
