// fuzz-links: lice
// Decodes arbitrary bytes as PNG, into a new bitmap and into a caller's bitmap.
#include "WDL/lice/lice.h"

#include <cstddef>
#include <cstdint>
#include <climits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > INT_MAX) return 0;
  delete LICE_LoadPNGFromMemory(data, (int)size);
  LICE_MemBitmap bm(3, 3);
  LICE_IBitmap* got = LICE_LoadPNGFromMemory(data, (int)size, &bm);
  if (got && (got != &bm || !bm.getBits())) __builtin_trap();
  return 0;
}
