// bench-links: lice swell platform wdl pkg:pixman-1 pkg:cairo
// Scaled blits (nearest and bilinear 2x up, nearest and box-filtered 1/2 down) beside
// pixman's transformed composite on the same buffers, and filled circles and convex polygons beside
// cairo filling the same shapes into a frame of the same size. Rates are destination pixels (blits)
// or shapes (fills) per second; the closing lines print the ratios.
#include "WDL/lice/lice_shapes.h"

#include "bench_util.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pixman.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

const int W = 710, H = 365;       // the editor's frame
const int SW = W / 2, SH = H / 2; // the small image enlarged by 2
const int BW = W * 2, BH = H * 2; // the large image shrunk by 2

struct Images {
  LICE_MemBitmap small{SW, SH, 4}, big{BW, BH, 4}, dest{W, H, 4};
  pixman_image_t *psmall, *pbig, *pdest;
  cairo_surface_t* surf;
  cairo_t* cr;
  Images() {
    std::mt19937 rng(1);
    for (LICE_IBitmap* bm : {(LICE_IBitmap*)&small, (LICE_IBitmap*)&big}) {
      LICE_pixel* p = bm->getBits();
      for (int i = 0; i < bm->getRowSpan() * bm->getHeight(); i++) p[i] = rng() | 0xFF000000;
    }
    LICE_Clear(&dest, 0xFF204060);
    psmall = pixman_image_create_bits(PIXMAN_a8r8g8b8, SW, SH, (uint32_t*)small.getBits(),
                                      small.getRowSpan() * 4);
    pbig = pixman_image_create_bits(PIXMAN_a8r8g8b8, BW, BH, (uint32_t*)big.getBits(),
                                    big.getRowSpan() * 4);
    pdest = pixman_image_create_bits(PIXMAN_a8r8g8b8, W, H, (uint32_t*)dest.getBits(),
                                     dest.getRowSpan() * 4);
    surf = cairo_image_surface_create_for_data((unsigned char*)dest.getBits(), CAIRO_FORMAT_ARGB32,
                                               W, H, dest.getRowSpan() * 4);
    cr = cairo_create(surf);
  }
  ~Images() {
    cairo_destroy(cr);
    cairo_surface_destroy(surf);
    pixman_image_unref(psmall);
    pixman_image_unref(pbig);
    pixman_image_unref(pdest);
  }
};

Images& I() {
  static Images i;
  return i;
}

// The same scale as pixman's (exactly 2 or 1/2; the small image's height is rounded down).
void LiceScaledOnce(LICE_IBitmap* dest, bool up, bool filter) {
  LICE_IBitmap* src = up ? (LICE_IBitmap*)&I().small : (LICE_IBitmap*)&I().big;
  const float s = up ? 0.5f : 2.0f;
  LICE_ScaledBlit(dest, src, 0, 0, W, H, 0, 0, W * s, H * s, 1.0f, filter ? 0x100 : 0);
}

// range(0): 1 enlarges the small image by 2, 0 shrinks the big one by 2; range(1): filter.
void LiceScaled(benchmark::State& st) {
  const bool up = st.range(0), filter = st.range(1);
  LICE_IBitmap* src = up ? (LICE_IBitmap*)&I().small : (LICE_IBitmap*)&I().big;
  (void)src;
  for (auto _ : st) LiceScaledOnce(&I().dest, up, filter);
  st.SetItemsProcessed(st.iterations() * W * H);
}

// pixman's box filter of the given width in source pixels (a box sample kernel on impulse
// reconstruction, one phase), as a separable convolution.
void SetBoxFilter(pixman_image_t* src, double width) {
  int n = 0;
  pixman_fixed_t* params = pixman_filter_create_separable_convolution(
      &n, pixman_double_to_fixed(width), pixman_double_to_fixed(width), PIXMAN_KERNEL_IMPULSE,
      PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, 0, 0);
  pixman_image_set_filter(src, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, n);
  free(params);
}

// pixman samples at pixel centres, we at pixel corners: the translation puts its samples
// where ours are (nearest: the same source pixels; bilinear up: the same positions, with its
// 7-bit weights against our 16-bit ones). Shrinking with the filter, our 3 x 3 box around
// each sample meets its separable convolution with a 3-pixel box centred on the same pixel
// (the scale's own 2-pixel box, a different filter, is compared in the pictures only).
pixman_image_t* PixmanSource(bool up, bool filter, double boxWidth = 3.0) {
  pixman_image_t* src = up ? I().psmall : I().pbig;
  const double s = up ? 0.5 : 2.0;
  const double shift = up ? (filter ? 0.25 : 0.0) : (filter && boxWidth == 2.0 ? 0.0 : -0.5);
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(s), pixman_double_to_fixed(s));
  t.matrix[0][2] = t.matrix[1][2] = pixman_double_to_fixed(shift);
  pixman_image_set_transform(src, &t);
  if (filter && !up)
    SetBoxFilter(src, boxWidth);
  else
    pixman_image_set_filter(src, filter ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST, nullptr,
                            0);
  return src;
}

void PixmanScaled(benchmark::State& st) {
  const bool up = st.range(0), filter = st.range(1);
  pixman_image_t* src = PixmanSource(up, filter);
  for (auto _ : st)
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, I().pdest, 0, 0, 0, 0, 0, 0, W, H);
  pixman_image_set_transform(src, nullptr);
  st.SetItemsProcessed(st.iterations() * W * H);
}

// Each scaled pair draws once on each side, outside the timing; the first row and column
// and the last three are left out (there pixman reads transparent pixels beyond the source
// where our box leaves them out of the average, and our pre-clipping stops one source row
// or column early).
void ComparePictures() {
  LICE_MemBitmap ours(W, H, 4), theirs(W, H, 4);
  pixman_image_t* pt = pixman_image_create_bits(PIXMAN_a8r8g8b8, W, H, (uint32_t*)theirs.getBits(),
                                                theirs.getRowSpan() * 4);
  struct Pair {
    const char* name;
    bool up, filter;
    double box;
    const char* note;
  };
  const Pair pairs[] = {
      {"1/2 down, nearest", false, false, 3, ""},
      {"1/2 down, 3 x 3 box / 3-pixel box", false, true, 3, " (rounding: we truncate)"},
      {"1/2 down, 3 x 3 box / 2-pixel box", false, true, 2, " (not timed: a different filter)"},
      {"2x up, nearest", true, false, 3, ""},
      {"2x up, bilinear", true, true, 3, ""},
  };
  for (const Pair& q : pairs) {
    LiceScaledOnce(&ours, q.up, q.filter);
    pixman_image_t* src = PixmanSource(q.up, q.filter, q.box);
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, pt, 0, 0, 0, 0, 0, 0, W, H);
    pixman_image_set_transform(src, nullptr);
    printf("picture %-36s largest channel difference %d%s\n", q.name,
           bench::MaxChannelDiff(ours.getBits(), ours.getRowSpan(), theirs.getBits(),
                                 theirs.getRowSpan(), 1, 1, W - 3, H - 3),
           q.note);
  }
  pixman_image_unref(pt);
}

// 64 circles of radius 4..40 spread over the frame; range(0): anti-aliased.
void LiceCircles(benchmark::State& st) {
  const bool aa = st.range(0);
  for (auto _ : st)
    for (int i = 0; i < 64; i++)
      LICE_FillCircle(&I().dest, 20.0f + (i * 53) % 670, 20.0f + (i * 31) % 325, 4.0f + i % 37,
                      0xFF80C0E0, 1.0f, 0, aa);
  st.SetItemsProcessed(st.iterations() * 64);
}

void CairoCircles(benchmark::State& st) {
  cairo_t* cr = I().cr;
  cairo_set_antialias(cr, st.range(0) ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgba(cr, 0.5, 0.75, 0.88, 1.0);
  for (auto _ : st) {
    for (int i = 0; i < 64; i++) {
      cairo_new_path(cr);
      cairo_arc(cr, 20.5 + (i * 53) % 670, 20.5 + (i * 31) % 325, 4.0 + i % 37, 0, 2 * M_PI);
      cairo_fill(cr);
    }
    cairo_surface_flush(I().surf);
  }
  st.SetItemsProcessed(st.iterations() * 64);
}

// 64 convex octagons of radius 10..70 (the editor's triangles and polygons are this kind).
std::vector<std::vector<int>> Polygons() {
  std::vector<std::vector<int>> out;
  for (int i = 0; i < 64; i++) {
    std::vector<int> p;
    const double cx = 40 + (i * 53) % 630, cy = 40 + (i * 31) % 285, r = 10 + i % 61;
    for (int k = 0; k < 8; k++) {
      p.push_back((int)std::lround(cx + r * cos(k * M_PI / 4 + i)));
      p.push_back((int)std::lround(cy + r * sin(k * M_PI / 4 + i)));
    }
    out.push_back(p);
  }
  return out;
}

void LicePolygons(benchmark::State& st) {
  const auto polys = Polygons();
  std::vector<std::vector<int>> xs, ys;
  for (auto& p : polys) {
    xs.emplace_back();
    ys.emplace_back();
    for (size_t k = 0; k < p.size(); k += 2) {
      xs.back().push_back(p[k]);
      ys.back().push_back(p[k + 1]);
    }
  }
  for (auto _ : st)
    for (size_t i = 0; i < xs.size(); i++)
      LICE_FillConvexPolygon(&I().dest, xs[i].data(), ys[i].data(), 8, 0xFF80C0E0, 1.0f, 0);
  st.SetItemsProcessed(st.iterations() * 64);
}

void CairoPolygons(benchmark::State& st) {
  const auto polys = Polygons();
  cairo_t* cr = I().cr;
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgba(cr, 0.5, 0.75, 0.88, 1.0);
  for (auto _ : st) {
    for (auto& p : polys) {
      cairo_new_path(cr);
      cairo_move_to(cr, p[0] + 0.5, p[1] + 0.5);
      for (size_t k = 2; k < p.size(); k += 2) cairo_line_to(cr, p[k] + 0.5, p[k + 1] + 0.5);
      cairo_close_path(cr);
      cairo_fill(cr);
    }
    cairo_surface_flush(I().surf);
  }
  st.SetItemsProcessed(st.iterations() * 64);
}

BENCHMARK(LiceScaled)->Args({1, 0})->Args({1, 1})->Args({0, 0})->Args({0, 1});
BENCHMARK(PixmanScaled)->Args({1, 0})->Args({1, 1})->Args({0, 0})->Args({0, 1});
BENCHMARK(LiceCircles)->Arg(0)->Arg(1);
BENCHMARK(CairoCircles)->Arg(0)->Arg(1);
BENCHMARK(LicePolygons);
BENCHMARK(CairoPolygons);

} // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatios(
      argc, argv, "Ratios of rates (above 1: ours is faster)",
      {
          {"2x up, nearest vs pixman", "LiceScaled/1/0", "PixmanScaled/1/0"},
          {"2x up, bilinear vs pixman", "LiceScaled/1/1", "PixmanScaled/1/1"},
          {"1/2 down, nearest vs pixman", "LiceScaled/0/0", "PixmanScaled/0/0"},
          {"1/2 down, box filter vs pixman box", "LiceScaled/0/1", "PixmanScaled/0/1"},
          {"filled circles vs cairo", "LiceCircles/0", "CairoCircles/0"},
          {"anti-aliased circles vs cairo", "LiceCircles/1", "CairoCircles/1"},
          {"convex polygons vs cairo", "LicePolygons", "CairoPolygons"},
      },
      ComparePictures);
}
