// bench-links: testsupport iplug_gui iplug lice swell wdl platform pkg:cairo
// A full redraw of a 710 x 365 editor of 30 bitmap controls (background, 10 two-frame
// buttons, 12 multi-frame knobs, 7 contact buttons), every control dirty as each render
// block leaves it, beside cairo compositing the same images into the same frame.
// Prints the ratio and the share of a 40 ms frame (25 frames per second).
#include "bench_util.h"
#include "WDL/IPlug/IControlStock.h"
#include "WDL/IPlug/IGraphics.h"
#include "WDL/lice/lice.h"
#include "testsupport/null_graphics.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

const int kW = 710, kH = 365;

// Images of the editor, made in memory: id, width, height of the whole strip, frames.
struct ImageDesc {
  int id, w, h, frames;
};
const ImageDesc kBackground = {1, kW, kH, 1}, kButton = {2, 30, 40, 2},
                kKnob = {3, 48, 48 * 60, 60}, kContact = {4, 40, 48, 2};

LICE_MemBitmap* MakeImage(const ImageDesc& s) {
  LICE_MemBitmap* bmp = new LICE_MemBitmap(s.w, s.h);
  LICE_pixel* p = bmp->getBits();
  for (int y = 0; y < s.h; ++y)
    for (int x = 0; x < s.w; ++x) {
      // Opaque background; controls with soft edges so source alpha matters.
      const int edge = std::min(std::min(x, s.w - 1 - x), std::min(y % (s.h / s.frames), 8));
      const int a = s.id == 1 ? 255 : std::min(255, 64 + edge * 24);
      p[x + y * bmp->getRowSpan()] =
          LICE_RGBA((x * 7 + s.id * 40) & 255, (y * 3) & 255, (x ^ y) & 255, a);
    }
  return bmp;
}

class BenchGraphics : public NullGraphics {
public:
  BenchGraphics() : NullGraphics(nullptr, kW, kH, 25) {}
  LICE_IBitmap* OSLoadBitmap(int id, const char*) override {
    for (const ImageDesc* s : {&kBackground, &kButton, &kKnob, &kContact})
      if (s->id == id) return MakeImage(*s);
    return nullptr;
  }
};

// Where the controls sit: image, x, y, value.
struct Placement {
  const ImageDesc* desc;
  int x, y;
  double value;
};

std::vector<Placement> Layout() {
  std::vector<Placement> v;
  for (int i = 0; i < 10; ++i) v.push_back({&kButton, 20 + i * 40, 290, (i % 2) * 1.0});
  for (int i = 0; i < 12; ++i)
    v.push_back({&kKnob, 20 + (i % 6) * 60, 20 + (i / 6) * 70, i / 11.0});
  for (int i = 0; i < 7; ++i) v.push_back({&kContact, 440 + i * 38, 300, 0.0});
  return v;
}

void FrameworkRedraw(benchmark::State& state) {
  BenchGraphics g;
  g.PrepDraw();
  g.AttachBackground(kBackground.id, "bg.png");
  for (const Placement& p : Layout()) {
    IBitmap bmp = g.LoadIBitmap(p.desc->id, "img.png", p.desc->frames);
    IControl* c = p.desc == &kKnob ? (IControl*)new IKnobMultiControl(nullptr, p.x, p.y, -1, &bmp)
                                   : (IControl*)new ISwitchControl(nullptr, p.x, p.y, -1, &bmp);
    c->SetValueFromPlug(p.value);
    g.AttachControl(c);
  }
  for (auto _ : state) {
    g.SetAllControlsDirty(); // what every render block does
    IRECT r;
    g.IsDirty(&r);
    benchmark::DoNotOptimize(g.Draw(&r));
  }
  state.counters["controls"] = g.NControls();
}

cairo_surface_t* CairoImage(const ImageDesc& s) {
  LICE_MemBitmap* src = MakeImage(s);
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, s.w, s.h);
  unsigned char* d = cairo_image_surface_get_data(img);
  const int stride = cairo_image_surface_get_stride(img);
  for (int y = 0; y < s.h; ++y)
    for (int x = 0; x < s.w; ++x) { // cairo wants premultiplied alpha
      LICE_pixel p = src->getBits()[x + y * src->getRowSpan()];
      const unsigned a = LICE_GETA(p);
      ((uint32_t*)(d + y * stride))[x] = (a << 24) | ((LICE_GETR(p) * a / 255) << 16) |
                                         ((LICE_GETG(p) * a / 255) << 8) | (LICE_GETB(p) * a / 255);
    }
  cairo_surface_mark_dirty(img);
  delete src;
  return img;
}

void CairoRedraw(benchmark::State& state) {
  cairo_surface_t* frame = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
  cairo_t* cr = cairo_create(frame);
  std::map<const ImageDesc*, cairo_surface_t*> imgs;
  for (const ImageDesc* s : {&kBackground, &kButton, &kKnob, &kContact}) imgs[s] = CairoImage(*s);
  std::vector<Placement> layout = Layout();
  for (auto _ : state) {
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, imgs[&kBackground], 0, 0);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    for (const Placement& p : layout) {
      const int fh = p.desc->h / p.desc->frames;
      const int frame = (int)(0.5 + p.value * (p.desc->frames - 1));
      cairo_set_source_surface(cr, imgs[p.desc], p.x, p.y - frame * fh);
      cairo_rectangle(cr, p.x, p.y, p.desc->w, fh);
      cairo_fill(cr);
    }
    cairo_surface_flush(frame);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(frame));
  }
  for (auto& kv : imgs) cairo_surface_destroy(kv.second);
  cairo_destroy(cr);
  cairo_surface_destroy(frame);
}

BENCHMARK(FrameworkRedraw);
BENCHMARK(CairoRedraw);

} // namespace

int main(int argc, char** argv) {
  return bench::RunWithSummary(argc, argv, [](const bench::Results& res) {
    const double ours = res.Ns("FrameworkRedraw"), cairo = res.Ns("CairoRedraw");
    if (ours > 0 && cairo > 0)
      printf("full redraw: framework %.3f ms = %.2f%% of a 40 ms frame; cairo %.3f ms; "
             "framework/cairo %.2f\n",
             ours / 1e6, ours / 4e5, cairo / 1e6, ours / cairo);
  });
}
