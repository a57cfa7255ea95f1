// The words on the editor's images: each fits its image with the margin at a legible size,
// its text lies inside its box and nowhere else, and the whole editor drawn with them keeps
// every control's rectangle and marker while every caption stays clear of the controls.

#include <Cocoa/Cocoa.h>

#include <cstdlib>
#include <memory>

#include "IPlugTessary2/engine_double.h"
#include "WDL/IPlug/IGraphics.h"
#include "editor_places.h"
#include "support/png_test_io.h"
#include "tools/Labels.h"

namespace {

const std::vector<LabelSpec>& AllLabels() {
  static const std::vector<LabelSpec> all(kLabels, kLabels + kNumLabels);
  return all;
}

// A label's box in whole pixels: its extents, rounded outward.
IRECT PixelBox(const PlacedLabel& p) {
  const Box e = p.Extents();
  return IRECT((int)std::floor(e.l), (int)std::floor(e.t), (int)std::ceil(e.r),
               (int)std::ceil(e.b));
}

PlacedLabel Placed(const LabelSpec& l) {
  PlacedLabel p;
  EXPECT_TRUE(PlaceLabel(l, &p)) << l.text;
  return p;
}

bool OnFrame(const LabelSpec& l, int frame) {
  return l.frame == 0 || l.frame == frame;
}

// Mostly covered by the text: no artwork comes this close to a label's colour.
bool Inked(LICE_pixel p, Rgb c) {
  return std::abs((int)LICE_GETR(p) - c.r) <= 64 && std::abs((int)LICE_GETG(p) - c.g) <= 64 &&
         std::abs((int)LICE_GETB(p) - c.b) <= 64;
}

bool Inside(const IRECT& r, int x, int y) {
  return x >= r.L && x < r.R && y >= r.T && y < r.B;
}

TEST(Labels, EachFitsItsImageWithTheMargin) {
  // As drawn, and allowed to grow until its area stops it.
  std::vector<LabelSpec> specs = AllLabels();
  for (LabelSpec l : AllLabels()) {
    l.maxSize = 40;
    specs.push_back(l);
  }
  for (const LabelSpec& l : specs) {
    SCOPED_TRACE(l.text);
    const ImageInfo& s = qvtest::Find(l.file);
    const PlacedLabel p = Placed(l);
    EXPECT_GE(p.size, kMinLabelSize);
    const double clear = 2; // pixels round every label's extents
    double w = 0, a = 0, d = 0;
    ASSERT_TRUE(MeasureText(l.text, p.size, &w, &a, &d));
    EXPECT_GE(p.x - clear, std::max(0.0, l.area.l));
    EXPECT_LE(p.x + w + clear, std::min((double)s.w, l.area.r));
    EXPECT_GE(p.baseline - a - clear, std::max(0.0, l.area.t));
    EXPECT_LE(p.baseline + d + clear, std::min((double)s.h, l.area.b));
    EXPECT_LE(l.frame, s.frames);
  }
  // Labels sharing a frame keep apart.
  for (int i = 0; i < kNumLabels; ++i)
    for (int j = i + 1; j < kNumLabels; ++j) {
      const LabelSpec &a = kLabels[i], &b = kLabels[j];
      if (std::string(a.file) != b.file || (a.frame && b.frame && a.frame != b.frame)) continue;
      const IRECT other = PixelBox(Placed(b));
      EXPECT_FALSE(PixelBox(Placed(a)).Intersects(&other)) << a.text << " / " << b.text;
    }
  // Words that fit at no legible size are refused, never clipped.
  LabelSpec tight{"CLEAR.png", 0, "CLEAR ALL BEATS", {0, 0, 60, 20}, Align::kCentre, 10, {}};
  PlacedLabel p;
  EXPECT_FALSE(PlaceLabel(tight, &p));
}

TEST(Labels, TextLiesInsideEachBoxOnly) {
  for (int i = 0; i < kNumImages; ++i) {
    const ImageInfo& s = kImageTable[i];
    std::unique_ptr<LICE_MemBitmap> bmp(qvtest::ReadPng(std::string(QV_IMAGES_DIR) + "/" + s.file));
    ASSERT_TRUE(bmp) << s.file;
    for (int f = 1; f <= s.frames; ++f) {
      std::vector<std::pair<const LabelSpec*, IRECT>> here;
      for (const LabelSpec& l : AllLabels())
        if (s.file == std::string(l.file) && OnFrame(l, f))
          here.push_back({&l, PixelBox(Placed(l))});
      if (here.empty()) continue;
      auto px = [&](int x, int y) { return LICE_GetPixel(bmp.get(), x, (f - 1) * s.h + y); };
      for (auto& [l, box] : here) {
        int inked = 0;
        for (int y = box.T; y < box.B; ++y)
          for (int x = box.L; x < box.R; ++x) inked += Inked(px(x, y), l->colour);
        EXPECT_GT(inked, 0) << l->text << " frame " << f;
      }
      int stray = 0;
      for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x) {
          bool boxed = false, inked = false;
          for (auto& [l, box] : here) {
            boxed = boxed || Inside(box, x, y);
            inked = inked || Inked(px(x, y), l->colour);
          }
          stray += !boxed && inked;
        }
      EXPECT_EQ(stray, 0) << s.file << " frame " << f;
    }
  }
}

TEST(Labels, TheEditorKeepsItsControlsAndShowsEveryCaption) {
  HostedPlug e;
  IGraphics* g = e.Editor();
  ASSERT_NE(g, nullptr);
  NSWindow* window = PlatformTest_CreateWindow(kEditorWidth, kEditorHeight);
  g->OpenWindow(window->contentView());
  PlatformTest_AdvanceRunLoop(40);
  LICE_IBitmap* drawn = (LICE_IBitmap*)g->GetDrawBitmap();

  // Every visible control where it was, with its image's marker at its bottom left.
  for (const qvtest::Place& p : qvtest::VisibleControls()) {
    SCOPED_TRACE(p.name);
    int found = 0;
    for (int i = 0; i < g->NControls(); ++i) {
      const IRECT* r = g->GetControl(i)->GetRECT();
      found += !g->GetControl(i)->IsHidden() && r->L == p.rect.L && r->T == p.rect.T &&
               r->R == p.rect.R && r->B == p.rect.B;
    }
    EXPECT_EQ(found, 1);
    if (!p.image) continue;
    const LICE_pixel m = LICE_GetPixel(drawn, p.rect.L, p.rect.B - 1);
    EXPECT_EQ((int)LICE_GETR(m), kMarkerTag);
    EXPECT_EQ((int)LICE_GETG(m), p.image);
  }
  EXPECT_EQ(LICE_GetPixel(drawn, 0, kEditorHeight - 1) & 0xFFFFFF, MarkerPixel(1, 1) & 0xFFFFFF);

  // Captions lie clear of every control, hidden ones included, and show in the editor.
  for (const LabelSpec& l : AllLabels()) {
    if (std::string(l.file) != "bg.png") continue;
    SCOPED_TRACE(l.text);
    IRECT box = PixelBox(Placed(l));
    for (int i = 1; i < g->NControls(); ++i) // after the background
      EXPECT_FALSE(box.Intersects(g->GetControl(i)->GetRECT())) << "control " << i + 1;
    int inked = 0;
    for (int y = box.T; y < box.B; ++y)
      for (int x = box.L; x < box.R; ++x) inked += Inked(LICE_GetPixel(drawn, x, y), l.colour);
    EXPECT_GT(inked, 0);
  }
  g->CloseWindow();
  window->release();
}

} // namespace
