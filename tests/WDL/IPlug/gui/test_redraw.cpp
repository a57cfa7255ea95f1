#include "WDL/IPlug/IGraphics.h"

#include "WDL/IPlug/gui/headless_graphics.h"
#include "WDL/lice/lice_text.h"

namespace {

using Editor = EditorTest;

TEST_F(Editor, DirtyUnionAndStrictDrawing) {
  IRECT r;
  EXPECT_FALSE(g.IsDirty(&r));
  EXPECT_TRUE(g.Draw(&r)); // no controls: nothing drawn, nothing shown
  ProbeControl* bg = Add("", IRECT(0, 0, 40, 40));
  ProbeControl* inside = Add("", IRECT(10, 10, 20, 20));
  ProbeControl* outside = Add("", IRECT(60, 60, 70, 70));
  ProbeControl* hidden = Add("", IRECT(10, 10, 20, 20));
  outside->SetClean();
  hidden->Hide(true);
  EXPECT_EQ(g.DirtyRect(), IRECT(0, 0, 40, 40));
  g.SetAllControlsDirty();
  EXPECT_EQ(g.DirtyRect(), IRECT(0, 0, 70, 70));
  r = IRECT(0, 0, 30, 30);
  EXPECT_TRUE(g.Draw(&r));
  EXPECT_EQ(bg->draws + inside->draws + outside->draws + hidden->draws, 2);
  EXPECT_FALSE(outside->IsDirty()); // cleaned whether drawn or not
  EXPECT_TRUE(hidden->IsDirty());   // the extra frame asked for by Hide
  g.Draw(&r);
  EXPECT_FALSE(hidden->IsDirty());
  EXPECT_EQ(g.screens, std::vector<IRECT>(2, r));
}

TEST_F(Editor, NonStrictDrawing) {
  ProbeControl* bg = Add("", all);
  ProbeControl* a = Add("", IRECT(10, 10, 30, 30));
  ProbeControl* overlap = Add("", IRECT(25, 25, 40, 40));
  ProbeControl* far = Add("", IRECT(80, 80, 90, 90));
  ProbeControl* hidden = Add("", IRECT(50, 50, 60, 60));
  g.SetStrictDrawing(false);
  hidden->Hide(true);
  g.Draw(&all);                        // dirty background: everything visible draws
  EXPECT_TRUE(hidden->IsDirty());      // hidden controls keep their state here
  for (int pass = 0; pass < 2; ++pass) // twice: Hide asked for an extra frame
    for (int i = 0; i < g.NControls(); ++i) g.GetControl(i)->SetClean();
  a->SetDirty(false);
  IRECT r = g.DirtyRect();
  g.Draw(&r); // only a and what it meets, background first
  hidden->SetDirty(false);
  g.Draw(&r); // a hidden dirty control is cleaned, what lay beneath redraws
  EXPECT_EQ(std::vector<int>({bg->draws, a->draws, overlap->draws, far->draws, hidden->draws}),
            std::vector<int>({3, 2, 2, 1, 0}));
  EXPECT_FALSE(hidden->IsDirty());
}

TEST_F(Editor, BitmapsClipToTheDrawRectAndPickFrames) {
  LICE_MemBitmap img(30, 100);
  FillWithPositions(&img);
  IBitmap one(&img, 20, 20, 1, false);
  IRECT dest(10, 10, 30, 30), area(20, 0, 100, 100);
  ProbeControl* c =
      Add("", dest, -1, [&](IGraphics* p) { p->DrawBitmap(&one, &dest, 0, 0, nullptr); });
  g.Draw(&area);
  EXPECT_EQ(std::vector<LICE_pixel>({Px(19, 15), Px(20, 15), Px(29, 29), Px(30, 29)}),
            std::vector<LICE_pixel>({0, Pos(10, 5), Pos(19, 19), 0})); // clipped at x = 20
  c->Hide(true);
  struct Case {
    bool horizontal;
    int n, frame, srcX, srcY;
  } cases[] = {{false, 5, 3, 0, 40},
               {false, 5, 0, 0, 0},
               {false, 3, 2, 0, 33},
               {true, 3, 3, 20, 0},
               {false, 1, 4, 0, 0}};
  for (const Case& k : cases) {
    IBitmap bmp(&img, 30, 100, k.n, k.horizontal);
    IRECT r(0, 0, &bmp);
    Add("", r, -1, [&](IGraphics* p) { p->DrawBitmap(&bmp, &r, k.frame, nullptr); });
    g.Draw(&all);
    EXPECT_EQ(Px(0, 0), Pos(k.srcX, k.srcY)) << k.n << " frames, frame " << k.frame;
    g.GetControl(g.NControls() - 1)->Hide(true);
  }
}

// A font that measures every text 41 x 12 and records what it is asked.
struct FakeFont : LICE_CachedFont {
  int DrawText(LICE_IBitmap*, const char*, int, RECT* rect, UINT flags) override {
    lastFlags = flags;
    if (!(flags & DT_CALCRECT)) drawnAt = *rect;
    rect->right = rect->left + 41; // what a measure sets
    rect->bottom = rect->top + 12;
    return 12;
  }
  UINT lastFlags = 0;
  RECT drawnAt = {0, 0, 0, 0};
};

TEST_F(Editor, TextMeasuredAndDrawnAtEachAlignment) {
  FakeFont font;
  struct Case {
    IText::EAlign align;
    int alpha;
    IRECT measured;
    UINT flags;
  } cases[] = {{IText::kAlignNear, 255, {0, 0, 41, 12}, 0},
               {IText::kAlignCenter, 255, {30, 0, 71, 12}, DT_CENTER},
               {IText::kAlignFar, 255, {59, 0, 100, 12}, DT_RIGHT},
               {IText::kAlignNear, 254, {0, 0, 41, 12}, 0x40000000u}}; // translucent
  for (const Case& c : cases) {
    IColor colour(c.alpha, 255, 0, 0);
    IText txt(10, &colour, nullptr, IText::kStyleNormal, c.align);
    txt.mCached = &font;
    IRECT r(0, 0, 100, 20), d(5, 6, 50, 30);
    EXPECT_TRUE(g.MeasureIText(&txt, (char*)"label", &r));
    EXPECT_EQ(r, c.measured) << c.align;
    EXPECT_EQ(font.lastFlags, DT_NOCLIP | DT_CALCRECT | c.flags);
    EXPECT_TRUE(g.DrawIText(&txt, "label", &d));
    EXPECT_EQ(font.lastFlags, DT_NOCLIP | c.flags);
    EXPECT_EQ(font.drawnAt.left + font.drawnAt.bottom, 5 + 30);
    EXPECT_EQ(font.GetTextColor(), (LICE_pixel)c.alpha << 24 | 0xFF0000u);
    font.lastFlags = 0;
    EXPECT_TRUE(g.DrawIText(&txt, "", &r, true)); // nothing to draw or measure
    EXPECT_EQ(font.lastFlags, 0u);
  }
}

TEST_F(Editor, ForcePixelIgnoresPointsOutside) {
  g.ForcePixel(&COLOR_ORANGE, 3, 4);
  for (int xy : {-1, 100, 1000}) {
    g.ForcePixel(&COLOR_RED, xy, 0);
    g.ForcePixel(&COLOR_RED, 0, xy);
  }
  EXPECT_EQ(g.GetPoint(3, 4), COLOR_ORANGE);
}

TEST_F(Editor, HorizontalLineAtAFractionCountsFromTheBottom) {
  // 28 x 20: the line runs L to R (both drawn) at row B - int(fraction x H).
  IRECT r(2, 4, 30, 24);
  LICE_IBitmap* bm = g.GetDrawBitmap();
  for (auto [fraction, row] : {std::pair{0.0f, 24}, {0.25f, 19}, {0.33f, 18}, {1.0f, 4}}) {
    LICE_Clear(bm, 0);
    EXPECT_TRUE(g.DrawHorizontalLine(&COLOR_WHITE, &r, fraction));
    int top = -1, bottom = -1, left = -1, right = -1;
    for (int y = 0; y < 100; y++)
      for (int x = 0; x < 100; x++)
        if (Px(x, y)) {
          top = top < 0 ? y : top;
          bottom = y;
          left = left < 0 || x < left ? x : left;
          right = x > right ? x : right;
        }
    EXPECT_EQ(top, row) << fraction;
    EXPECT_EQ(bottom, row) << fraction;
    EXPECT_EQ(left, 2) << fraction;
    EXPECT_EQ(right, 30) << fraction;
    EXPECT_EQ(Px(16, row), 0xFFFFFFFFu) << fraction;
  }
}

TEST_F(Editor, ResizeDropsTheControls) {
  Add("", IRECT(0, 0, 10, 10));
  g.HandleMouseOver(true);
  g.OnMouseOver(5, 5, nullptr);
  g.Resize(50, 40);
  EXPECT_EQ(g.GetMouseOver(), -1); // its control is gone
  EXPECT_EQ(g.GetDrawBitmap()->getWidth(), 50);
}

} // namespace
