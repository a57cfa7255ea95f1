// bench-links: lice swell platform pkg:cairo
// Measure-and-draw of the editor's short texts, per call: a chooser label ("Harmonic Minor",
// 14 px) and a note name (10 px), on the native path (the GUI framework's font flags) and
// the glyph path of the cached renderer, beside cairo drawing the same text into the same
// kind of 710 x 365 frame. Prints the ratios and the share of a 40 ms frame.
#include "bench_util.h"
#include "WDL/lice/lice_text.h"
#include "WDL/swell/swell-functions.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

const int kW = 710, kH = 365;

struct Case {
  const char* text;
  int size;
};
const Case kLabel = {"Harmonic Minor", 14};
const Case kNote = {"C#4", 10};

void LiceText(benchmark::State& state, const Case& c, int flags) {
  LICE_SysBitmap frame(kW, kH);
  LICE_Clear(&frame, 0xff303030);
  LICE_CachedFont font;
  font.SetFromHFont(CreateFont(c.size, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "Arial"),
                    flags | 0x200);
  font.SetTextColor(0xffe0e0e0);
  int i = 0;
  for (auto _ : state) {
    RECT m = {0, 0, 0, 0};
    font.DrawText(&frame, c.text, -1, &m, DT_CALCRECT);
    const int x = 20 + (i * 37) % 500, y = 20 + (i * 13) % 300;
    RECT r = {x, y, x + m.right + 4, y + m.bottom};
    benchmark::DoNotOptimize(font.DrawText(&frame, c.text, -1, &r, DT_CENTER | DT_VCENTER));
    i++;
  }
}

void CairoText(benchmark::State& state, const Case& c) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 0.19, 0.19, 0.19);
  cairo_paint(cr);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, c.size);
  cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
  int i = 0;
  for (auto _ : state) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, c.text, &e);
    const int x = 20 + (i * 37) % 500, y = 20 + (i * 13) % 300;
    cairo_move_to(cr, x + 2 - e.x_bearing, y - e.y_bearing);
    cairo_show_text(cr, c.text);
    i++;
  }
  cairo_surface_flush(s);
  benchmark::DoNotOptimize(cairo_image_surface_get_data(s));
  cairo_destroy(cr);
  cairo_surface_destroy(s);
}

BENCHMARK_CAPTURE(LiceText, label_native, kLabel, 0x400);
BENCHMARK_CAPTURE(LiceText, label_cached, kLabel, 0);
BENCHMARK_CAPTURE(CairoText, label_cairo, kLabel);
BENCHMARK_CAPTURE(LiceText, note_native, kNote, 0x400);
BENCHMARK_CAPTURE(LiceText, note_cached, kNote, 0);
BENCHMARK_CAPTURE(CairoText, note_cairo, kNote);

} // namespace

int main(int argc, char** argv) {
  return bench::RunWithSummary(argc, argv, [](const bench::Results& res) {
    printf("Speed ratios per call (above 1: ours is faster); median (lowest-highest) of the "
           "per-repetition ratios\n");
    for (const char* what : {"label", "note"}) {
      const std::string native = std::string("LiceText/") + what + "_native",
                        cached = std::string("LiceText/") + what + "_cached",
                        cairo = std::string("CairoText/") + what + "_cairo";
      printf("%s: native %.2f us, cached %.2f us, cairo %.2f us (medians)\n", what,
             res.Ns(native) / 1e3, res.Ns(cached) / 1e3, res.Ns(cairo) / 1e3);
      bench::PrintSpread((std::string(what) + " native path vs cairo").c_str(),
                         res.Ratio(native, cairo, true));
      bench::PrintSpread((std::string(what) + " cached path vs cairo").c_str(),
                         res.Ratio(cached, cairo, true));
    }
    // The editor draws about 40 short texts when every control is redrawn: three chooser
    // labels, 30 note names of the piano roll's keys and a handful of parameter texts.
    double label = res.Ns("LiceText/label_native"), note = res.Ns("LiceText/note_native");
    if (label > 0 && note > 0) {
      double frame = 10 * label + 30 * note;
      printf("editor texts per frame (10 labels + 30 note names, native path): %.3f ms = "
             "%.2f%% of a 40 ms frame\n",
             frame / 1e6, frame / 4e5);
    }
  });
}
