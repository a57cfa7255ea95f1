// fuzz-links: lice
// Decodes arbitrary bytes as PNG, into a new bitmap and into a caller's bitmap; then again
// with every chunk's CRC made right, so that mutated sizes and data reach the decoder.
#include "WDL/lice/lice.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

uint32_t Crc32(const uint8_t* p, size_t n) {
  static uint32_t table[256];
  if (!table[1]) {
    for (uint32_t i = 0; i < 256; i++) {
      uint32_t c = i;
      for (int k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
  }
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; i++) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void Decode(const uint8_t* data, size_t size) {
  delete LICE_LoadPNGFromMemory(data, (int)size);
  LICE_MemBitmap bm(3, 3);
  LICE_IBitmap* got = LICE_LoadPNGFromMemory(data, (int)size, &bm);
  if (got && (got != &bm || !bm.getBits())) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > INT_MAX) return 0;
  Decode(data, size);

  // Chunks are length, type, data, CRC over type and data; the signature comes first.
  std::vector<uint8_t> fixed(data, data + size);
  bool changed = false;
  for (size_t pos = 8; pos + 12 <= fixed.size();) {
    const uint8_t* p = &fixed[pos];
    const size_t len = (size_t)p[0] << 24 | (size_t)p[1] << 16 | (size_t)p[2] << 8 | p[3];
    if (len > fixed.size() - pos - 12) break;
    const uint32_t crc = Crc32(&fixed[pos + 4], len + 4);
    uint8_t* c = &fixed[pos + 8 + len];
    const uint8_t want[4] = {(uint8_t)(crc >> 24), (uint8_t)(crc >> 16), (uint8_t)(crc >> 8),
                             (uint8_t)crc};
    for (int i = 0; i < 4; i++) {
      changed |= c[i] != want[i];
      c[i] = want[i];
    }
    pos += 12 + len;
  }
  if (changed) Decode(fixed.data(), fixed.size());
  return 0;
}
