// bench-links: lice swell wdl platform pkg:pixman-1
// Blits, fills and one-pixel lines on a 710 x 365 frame, beside pixman doing the same on
// the same buffers, and memcpy/memset of the frame as the physical limit. Rates are in
// pixels per second; the closing lines print the ratios.
#include "WDL/lice/lice.h"

#include "bench_util.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <pixman.h>
#include <random>
#include <vector>

namespace {

const int W = 710, H = 365, kLines = 300;

struct Frame {
  LICE_MemBitmap src{W, H, 4}, dest{W, H, 4};
  pixman_image_t* psrc;
  pixman_image_t* pdest;
  Frame() {
    // An image-like source: a third opaque, a third clear, the rest translucent.
    std::mt19937 rng(1);
    LICE_pixel* p = src.getBits();
    for (int i = 0; i < src.getRowSpan() * H; i++) {
      const unsigned a = (i / 37) % 3 == 0 ? 255 : (i / 37) % 3 == 1 ? 0 : rng() & 255;
      const unsigned c = rng() & 0xFFFFFF;
      p[i] = (a << 24) | c;
    }
    LICE_Clear(&dest, 0xFF204060);
    psrc = pixman_image_create_bits(PIXMAN_a8r8g8b8, W, H, (uint32_t*)src.getBits(),
                                    src.getRowSpan() * 4);
    pdest = pixman_image_create_bits(PIXMAN_a8r8g8b8, W, H, (uint32_t*)dest.getBits(),
                                     dest.getRowSpan() * 4);
  }
  ~Frame() {
    pixman_image_unref(psrc);
    pixman_image_unref(pdest);
  }
};

Frame& F() {
  static Frame f;
  return f;
}

void Rate(benchmark::State& st, int64_t pixels) {
  st.SetItemsProcessed(st.iterations() * pixels);
}

void LiceBlitCopy(benchmark::State& st) {
  for (auto _ : st) LICE_Blit(&F().dest, &F().src, 0, 0, nullptr, 1.0f, 0);
  Rate(st, W * H);
}
void PixmanBlitCopy(benchmark::State& st) {
  for (auto _ : st)
    pixman_image_composite32(PIXMAN_OP_SRC, F().psrc, nullptr, F().pdest, 0, 0, 0, 0, 0, 0, W, H);
  Rate(st, W * H);
}
void LiceBlitSourceAlpha(benchmark::State& st) {
  for (auto _ : st) {
    LICE_Blit(&F().dest, &F().src, 0, 0, nullptr, 1.0f, LICE_BLIT_USE_ALPHA);
    benchmark::ClobberMemory();
  }
  Rate(st, W * H);
}
void PixmanBlitOver(benchmark::State& st) {
  for (auto _ : st)
    pixman_image_composite32(PIXMAN_OP_OVER, F().psrc, nullptr, F().pdest, 0, 0, 0, 0, 0, 0, W, H);
  Rate(st, W * H);
}
void LiceFillOpaque(benchmark::State& st) {
  for (auto _ : st) LICE_FillRect(&F().dest, 0, 0, W, H, 0xFF336699, 1.0f, 0);
  Rate(st, W * H);
}
void PixmanFillOpaque(benchmark::State& st) {
  for (auto _ : st)
    pixman_fill((uint32_t*)F().dest.getBits(), F().dest.getRowSpan(), 32, 0, 0, W, H, 0xFF336699);
  Rate(st, W * H);
}
void LiceFillTranslucent(benchmark::State& st) {
  for (auto _ : st) LICE_FillRect(&F().dest, 0, 0, W, H, 0xFF336699, 0.4f, 0);
  Rate(st, W * H);
}
void PixmanFillTranslucent(benchmark::State& st) {
  // 40% of the same colour, premultiplied as pixman wants it.
  const pixman_color_t c = {(uint16_t)(0x33 * 0.4 * 257), (uint16_t)(0x66 * 0.4 * 257),
                            (uint16_t)(0x99 * 0.4 * 257), (uint16_t)(0.4 * 65535)};
  pixman_image_t* solid = pixman_image_create_solid_fill(&c);
  for (auto _ : st)
    pixman_image_composite32(PIXMAN_OP_OVER, solid, nullptr, F().pdest, 0, 0, 0, 0, 0, 0, W, H);
  pixman_image_unref(solid);
  Rate(st, W * H);
}
void Memcpy(benchmark::State& st) {
  for (auto _ : st) {
    memcpy(F().dest.getBits(), F().src.getBits(), (size_t)F().dest.getRowSpan() * H * 4);
    benchmark::ClobberMemory();
  }
  Rate(st, W * H);
}
void Memset(benchmark::State& st) {
  for (auto _ : st) {
    memset(F().dest.getBits(), 0x5A, (size_t)F().dest.getRowSpan() * H * 4);
    benchmark::ClobberMemory();
  }
  Rate(st, W * H);
}
void LiceLines(benchmark::State& st) {
  const bool vertical = st.range(0);
  for (auto _ : st)
    for (int i = 0; i < kLines; i++) {
      if (vertical)
        LICE_Line(&F().dest, i * 2, 0, i * 2, H - 1, 0xFF00FF00, 1.0f, 0, false);
      else
        LICE_Line(&F().dest, 0, i, W - 1, i, 0xFF00FF00, 1.0f, 0, false);
    }
  Rate(st, (int64_t)kLines * (vertical ? H : W));
}
void PixmanLines(benchmark::State& st) {
  const bool vertical = st.range(0);
  std::vector<pixman_rectangle16_t> rects;
  for (int i = 0; i < kLines; i++)
    rects.push_back(vertical ? pixman_rectangle16_t{(int16_t)(i * 2), 0, 1, H}
                             : pixman_rectangle16_t{0, (int16_t)i, W, 1});
  const pixman_color_t green = {0, 0xFFFF, 0, 0xFFFF};
  for (auto _ : st)
    pixman_image_fill_rectangles(PIXMAN_OP_SRC, F().pdest, &green, kLines, rects.data());
  Rate(st, (int64_t)kLines * (vertical ? H : W));
}

BENCHMARK(Memcpy);
BENCHMARK(Memset);
BENCHMARK(LiceBlitCopy);
BENCHMARK(PixmanBlitCopy);
BENCHMARK(LiceBlitSourceAlpha);
BENCHMARK(PixmanBlitOver);
BENCHMARK(LiceFillOpaque);
BENCHMARK(PixmanFillOpaque);
BENCHMARK(LiceFillTranslucent);
BENCHMARK(PixmanFillTranslucent);
BENCHMARK(LiceLines)->Arg(1)->Arg(0);
BENCHMARK(PixmanLines)->Arg(1)->Arg(0);

} // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatios(
      argc, argv, "Ratios of pixel rates (above 1: the first is faster)",
      {
          {"copy blit vs memcpy", "LiceBlitCopy", "Memcpy"},
          {"copy blit vs pixman", "LiceBlitCopy", "PixmanBlitCopy"},
          {"source-alpha blit vs pixman over", "LiceBlitSourceAlpha", "PixmanBlitOver"},
          {"opaque fill vs memset", "LiceFillOpaque", "Memset"},
          {"opaque fill vs pixman", "LiceFillOpaque", "PixmanFillOpaque"},
          {"translucent fill vs pixman over", "LiceFillTranslucent", "PixmanFillTranslucent"},
          {"vertical lines vs pixman", "LiceLines/1", "PixmanLines/1"},
          {"horizontal lines vs pixman", "LiceLines/0", "PixmanLines/0"},
      });
}
