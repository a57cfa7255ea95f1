#pragma once
// Reads little-endian fields off a fuzz input; past its end, fields read as 0.

#include <cstddef>
#include <cstdint>

struct Reader {
  const uint8_t* p;
  size_t n;
  bool Has(size_t k) const { return n >= k; }
  uint32_t Get(size_t k) {
    uint32_t v = 0;
    for (size_t i = 0; i < k && n; ++i, ++p, --n) v |= (uint32_t)*p << (8 * i);
    return v;
  }
};
