// Shapes against an independent rasteriser: where cairo draws the same figure, the pixel
// sets agree up to a rim of ambiguous pixels along the outline.
#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/lice_test_bitmaps.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// A cairo drawing of w x h pixels in white.
struct CairoCanvas {
  cairo_surface_t* surf;
  cairo_t* cr;
  CairoCanvas(int w, int h, bool aa)
      : surf(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h)), cr(cairo_create(surf)) {
    cairo_set_antialias(cr, aa ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
  }
  ~CairoCanvas() { cairo_destroy(cr), cairo_surface_destroy(surf); }
  unsigned Alpha(int x, int y) {
    cairo_surface_flush(surf);
    const unsigned char* row =
        cairo_image_surface_get_data(surf) + (size_t)y * cairo_image_surface_get_stride(surf);
    return ((const uint32_t*)row)[x] >> 24;
  }
};

// Pixels covered by one and not the other; the outline length bounds what may differ.
int Mismatch(TestBitmap& bm, CairoCanvas& c, unsigned threshold = 128) {
  int n = 0;
  for (int y = 0; y < bm.getHeight(); y++)
    for (int x = 0; x < bm.getWidth(); x++)
      n += ((bm.at(x, y) >> 24) >= threshold) != (c.Alpha(x, y) >= threshold);
  return n;
}

TEST(CairoShapes, Discs) {
  TestRng rng(1);
  for (int i = 0; i < 60; i++) {
    const int cx = rng.Int(-5, 65), cy = rng.Int(-5, 45);
    const float r = rng.Float(1, 30);
    TestBitmap bm(60, 40);
    LICE_FillCircle(&bm, (float)cx, (float)cy, r, 0xFFFFFFFF, 1.0f, 0, false);
    CairoCanvas c(60, 40, false);
    // The disc's radius is rounded to whole pixels; pixel centres lie at half positions.
    cairo_arc(c.cr, cx + 0.5, cy + 0.5, std::floor(r + 0.5f) + 0.5, 0, 2 * M_PI);
    cairo_fill(c.cr);
    EXPECT_LE(Mismatch(bm, c), (int)(2.5 * r) + 4) << cx << "," << cy << " r " << r;
  }
}

TEST(CairoShapes, AntiAliasedCircleOutlines) {
  TestRng rng(2);
  for (int i = 0; i < 40; i++) {
    const float cx = (float)rng.Int(10, 50), cy = (float)rng.Int(10, 30), r = rng.Float(5, 9.5f);
    TestBitmap bm(60, 40);
    LICE_Circle(&bm, cx, cy, r, 0xFFFFFFFF, 1.0f, 0, true);
    CairoCanvas c(60, 40, true);
    cairo_set_line_width(c.cr, 1.0);
    cairo_arc(c.cr, cx + 0.5, cy + 0.5, r, 0, 2 * M_PI);
    cairo_stroke(c.cr);
    // Compare the heavily covered pixels: both rims are about one pixel wide.
    EXPECT_LE(Mismatch(bm, c, 160), (int)(2.5 * r)) << cx << "," << cy << " r " << r;
  }
}

TEST(CairoShapes, ConvexPolygons) {
  TestRng rng(3);
  for (int i = 0; i < 60; i++) {
    const int n = rng.Int(3, 9);
    const float ox = rng.Float(-10, 70), oy = rng.Float(-10, 50), rx = rng.Float(2, 30),
                ry = rng.Float(2, 30), ph = rng.Float(0, 6.28f);
    int xs[16], ys[16];
    for (int k = 0; k < n; k++) {
      xs[k] = (int)std::lround(ox + rx * cos(ph + 2 * M_PI * k / n));
      ys[k] = (int)std::lround(oy + ry * sin(ph + 2 * M_PI * k / n));
    }
    TestBitmap bm(60, 40);
    LICE_FillConvexPolygon(&bm, xs, ys, n, 0xFFFFFFFF, 1.0f, 0);
    CairoCanvas c(60, 40, false);
    // Spans include both end pixels: the outline through the vertex pixels' centres, widened
    // by half a pixel by a stroke.
    cairo_move_to(c.cr, xs[0] + 0.5, ys[0] + 0.5);
    for (int k = 1; k < n; k++) cairo_line_to(c.cr, xs[k] + 0.5, ys[k] + 0.5);
    cairo_close_path(c.cr);
    cairo_fill_preserve(c.cr);
    cairo_set_line_width(c.cr, 1.0);
    cairo_stroke(c.cr);
    EXPECT_LE(Mismatch(bm, c), (int)(2 * (rx + ry)) + 4) << i;
  }
}

TEST(CairoShapes, BezierFill) {
  TestBitmap bm(60, 40);
  LICE_FillCBezier(&bm, 3, 30, 15, 0, 45, 0, 57, 30, 35, 0xFFFFFFFF, 1.0f, 0, 1.0f);
  CairoCanvas c(60, 40, false);
  cairo_move_to(c.cr, 3, 30);
  cairo_curve_to(c.cr, 15, 0, 45, 0, 57, 30);
  cairo_line_to(c.cr, 57, 36);
  cairo_line_to(c.cr, 3, 36);
  cairo_close_path(c.cr);
  cairo_fill(c.cr);
  EXPECT_GT(bm.Count(), 1000);
  EXPECT_LE(Mismatch(bm, c), 140);
}

} // namespace
