// bench-links: lice swell wdl platform pkg:pixman-1
// Blits, fills and one-pixel lines on a 710 x 365 frame, beside pixman doing the same on
// the same buffers, and memcpy/memset of the frame as the physical limit (for the lines also
// memset of each row they fill). Rates are in pixels per second; the closing lines print the
// ratios and how far the two pictures of each pair differ. Our pixels carry straight alpha,
// pixman's premultiplied: pixman gets the premultiplied form of the same source, so both
// compute the same picture.
#include "WDL/lice/lice.h"

#include "bench_util.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <functional>
#include <utility>
#include <pixman.h>
#include <random>
#include <vector>

namespace {

const int W = 710, H = 365, kLines = 300;

// Premultiplied form of a straight-alpha pixel, rounded.
uint32_t Premultiply(uint32_t p) {
  const uint32_t a = p >> 24;
  auto ch = [a](uint32_t c) { return (c * a + 127) / 255; };
  return (a << 24) | (ch((p >> 16) & 255) << 16) | (ch((p >> 8) & 255) << 8) | ch(p & 255);
}

struct Frame {
  LICE_MemBitmap src{W, H, 4}, pmsrc{W, H, 4}, dest{W, H, 4};
  pixman_image_t* psrc;
  pixman_image_t* ppmsrc;
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
    for (int i = 0; i < src.getRowSpan() * H; i++) pmsrc.getBits()[i] = Premultiply(p[i]);
    LICE_Clear(&dest, 0xFF204060);
    psrc = pixman_image_create_bits(PIXMAN_a8r8g8b8, W, H, (uint32_t*)src.getBits(),
                                    src.getRowSpan() * 4);
    ppmsrc = pixman_image_create_bits(PIXMAN_a8r8g8b8, W, H, (uint32_t*)pmsrc.getBits(),
                                      pmsrc.getRowSpan() * 4);
    pdest = pixman_image_create_bits(PIXMAN_a8r8g8b8, W, H, (uint32_t*)dest.getBits(),
                                     dest.getRowSpan() * 4);
  }
  ~Frame() {
    pixman_image_unref(psrc);
    pixman_image_unref(ppmsrc);
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
    pixman_image_composite32(PIXMAN_OP_OVER, F().ppmsrc, nullptr, F().pdest, 0, 0, 0, 0, 0, 0, W,
                             H);
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
// 40% of the colour 0x336699, premultiplied as pixman wants it.
pixman_image_t* TranslucentSolid() {
  const pixman_color_t c = {(uint16_t)(0x33 * 0.4 * 257), (uint16_t)(0x66 * 0.4 * 257),
                            (uint16_t)(0x99 * 0.4 * 257), (uint16_t)(0.4 * 65535)};
  return pixman_image_create_solid_fill(&c);
}
void PixmanFillTranslucent(benchmark::State& st) {
  pixman_image_t* solid = TranslucentSolid();
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
// The bytes the horizontal lines store, one memset per row.
void MemsetRows(benchmark::State& st) {
  for (auto _ : st) {
    for (int i = 0; i < kLines; i++)
      memset(F().dest.getBits() + (size_t)i * F().dest.getRowSpan(), 0x5A, (size_t)W * 4);
    benchmark::ClobberMemory();
  }
  Rate(st, (int64_t)kLines * W);
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

// Each pair draws once into a fresh frame on each side, outside the timing; prints the
// largest channel difference of the two pictures.
void ComparePictures() {
  Frame& f = F();
  LICE_MemBitmap ours(W, H, 4);
  pixman_image_t* pours = pixman_image_create_bits(PIXMAN_a8r8g8b8, W, H, (uint32_t*)ours.getBits(),
                                                   ours.getRowSpan() * 4);
  auto diff = [&](const char* what, const std::function<void()>& lice,
                  const std::function<void()>& peer, unsigned mask, const char* note) {
    LICE_Clear(&ours, 0xFF204060);
    LICE_Clear(&f.dest, 0xFF204060);
    lice();
    std::swap(f.pdest, pours); // the peer draws into its own frame
    peer();
    std::swap(f.pdest, pours);
    printf("picture %-34s largest channel difference %d%s\n", what,
           bench::MaxChannelDiff(f.dest.getBits(), f.dest.getRowSpan(), ours.getBits(),
                                 ours.getRowSpan(), 0, 0, W, H, mask),
           note);
  };
  pixman_image_t* solid = TranslucentSolid();
  const pixman_color_t green = {0, 0xFFFF, 0, 0xFFFF};
  std::vector<pixman_rectangle16_t> rows;
  for (int i = 0; i < kLines; i++) rows.push_back({0, (int16_t)i, W, 1});
  diff(
      "copy blit", [&] { LICE_Blit(&f.dest, &f.src, 0, 0, nullptr, 1.0f, 0); },
      [&] {
        pixman_image_composite32(PIXMAN_OP_SRC, f.psrc, nullptr, f.pdest, 0, 0, 0, 0, 0, 0, W, H);
      },
      0xFFFFFFFF, "");
  diff(
      "source-alpha blit / over",
      [&] { LICE_Blit(&f.dest, &f.src, 0, 0, nullptr, 1.0f, LICE_BLIT_USE_ALPHA); },
      [&] {
        pixman_image_composite32(PIXMAN_OP_OVER, f.ppmsrc, nullptr, f.pdest, 0, 0, 0, 0, 0, 0, W,
                                 H);
      },
      0xFFFFFFFF, " (rounding of the two formulas)");
  diff(
      "opaque fill", [&] { LICE_FillRect(&f.dest, 0, 0, W, H, 0xFF336699, 1.0f, 0); },
      [&] {
        pixman_fill((uint32_t*)ours.getBits(), ours.getRowSpan(), 32, 0, 0, W, H, 0xFF336699);
      },
      0xFFFFFFFF, "");
  diff(
      "translucent fill / over", [&] { LICE_FillRect(&f.dest, 0, 0, W, H, 0xFF336699, 0.4f, 0); },
      [&] {
        pixman_image_composite32(PIXMAN_OP_OVER, solid, nullptr, f.pdest, 0, 0, 0, 0, 0, 0, W, H);
      },
      0x00FFFFFF, " (colour only: our copy operator moves alpha toward the weight)");
  diff(
      "horizontal lines",
      [&] {
        for (int i = 0; i < kLines; i++)
          LICE_Line(&f.dest, 0, i, W - 1, i, 0xFF00FF00, 1.0f, 0, false);
      },
      [&] { pixman_image_fill_rectangles(PIXMAN_OP_SRC, f.pdest, &green, kLines, rows.data()); },
      0xFFFFFFFF, "");
  pixman_image_unref(solid);
  pixman_image_unref(pours);
  LICE_Clear(&f.dest, 0xFF204060);
}

BENCHMARK(Memcpy);
BENCHMARK(Memset);
BENCHMARK(MemsetRows);
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
          {"horizontal lines vs memset", "LiceLines/0", "Memset"},
          {"horizontal lines vs memset of the same rows", "LiceLines/0", "MemsetRows"},
      },
      ComparePictures);
}
