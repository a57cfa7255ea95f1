#include "WDL/IPlug/IGraphics.h"

#include <gtest/gtest.h>

#include <functional>

#include "WDL/IPlug/IControlStock.h"
#include "WDL/IPlug/gui/headless_graphics.h"
#include "WDL/IPlug/plugbase_test_plug.h"
#include "WDL/lice/lice.h"
#include "WDL/lice/lice_text.h"

namespace {

// A control that counts its draws and runs a drawing function.
class FnControl : public IControl {
public:
  FnControl(IPlugBase* pPlug, IRECT r, std::function<void(IGraphics*)> fn = nullptr)
      : IControl(pPlug, r), mFn(std::move(fn)) {}
  bool Draw(IGraphics* pGraphics) override {
    ++draws;
    if (mFn) mFn(pGraphics);
    return true;
  }
  int draws = 0;

private:
  std::function<void(IGraphics*)> mFn;
};

LICE_MemBitmap* PositionImage(int w, int h) {
  LICE_MemBitmap* bmp = new LICE_MemBitmap(w, h);
  FillWithPositions(bmp);
  return bmp;
}

struct Editor : ::testing::Test {
  TestPlug plug{4, "0-1 0-2", 0};
  HeadlessGraphics g{&plug, 100, 100};
  void SetUp() override {
    g.PrepDraw();
    LICE_Clear(g.GetDrawBitmap(), 0);
  }
  LICE_pixel Px(int x, int y) { return LICE_GetPixel(g.GetDrawBitmap(), x, y); }
  FnControl* Add(IRECT r, std::function<void(IGraphics*)> fn = nullptr) {
    FnControl* c = new FnControl(&plug, r, std::move(fn));
    g.AttachControl(c);
    return c;
  }
  void CleanAll() {
    for (int i = 0; i < g.NControls(); ++i) g.GetControl(i)->SetClean();
  }
};

TEST_F(Editor, DirtyUnion) {
  IRECT r;
  EXPECT_FALSE(g.IsDirty(&r));
  EXPECT_TRUE(r.Empty());
  FnControl* a = Add(IRECT(0, 0, 10, 10));
  FnControl* b = Add(IRECT(20, 20, 30, 30));
  Add(IRECT(50, 50, 60, 60))->SetClean();
  EXPECT_TRUE(g.IsDirty(&r));
  EXPECT_EQ(r, IRECT(0, 0, 30, 30));
  a->SetClean();
  b->SetClean();
  g.SetAllControlsDirty();
  EXPECT_EQ(g.DirtyRect(), IRECT(0, 0, 60, 60));
}

TEST_F(Editor, StrictDrawing) {
  IRECT none;
  EXPECT_TRUE(g.Draw(&none)); // no controls: nothing drawn, nothing shown
  EXPECT_EQ(g.screenDraws, 0);

  FnControl* bg = Add(IRECT(0, 0, 100, 100));
  FnControl* inside = Add(IRECT(10, 10, 20, 20));
  FnControl* outside = Add(IRECT(60, 60, 70, 70));
  FnControl* hidden = Add(IRECT(10, 10, 20, 20));
  hidden->Hide(true);
  IRECT r(0, 0, 30, 30);
  EXPECT_TRUE(g.Draw(&r));
  EXPECT_EQ(bg->draws + inside->draws + outside->draws + hidden->draws, 2);
  EXPECT_EQ(outside->draws, 0);
  EXPECT_FALSE(outside->IsDirty()); // cleaned whether drawn or not
  EXPECT_TRUE(hidden->IsDirty());   // the extra frame asked for by Hide
  g.Draw(&r);
  EXPECT_FALSE(hidden->IsDirty());
  EXPECT_EQ(g.screenDraws, 2);
  EXPECT_EQ(g.lastScreen, r);
}

TEST_F(Editor, NonStrictDrawing) {
  FnControl* bg = Add(IRECT(0, 0, 100, 100));
  FnControl* a = Add(IRECT(10, 10, 30, 30));
  FnControl* overlap = Add(IRECT(25, 25, 40, 40));
  FnControl* far = Add(IRECT(80, 80, 90, 90));
  FnControl* hidden = Add(IRECT(50, 50, 60, 60));
  g.SetStrictDrawing(false);
  hidden->Hide(true);
  IRECT r = g.DirtyRect();
  g.Draw(&r); // dirty background: everything visible draws
  EXPECT_EQ(bg->draws + a->draws + overlap->draws + far->draws, 4);
  EXPECT_EQ(hidden->draws, 0);
  EXPECT_TRUE(hidden->IsDirty()); // hidden controls keep their state here
  CleanAll();
  CleanAll(); // Hide asked for an extra frame

  a->SetDirty(false);
  r = g.DirtyRect();
  g.Draw(&r); // only a and what it meets, background first
  EXPECT_EQ(bg->draws, 2);
  EXPECT_EQ(a->draws, 2);
  EXPECT_EQ(overlap->draws, 2);
  EXPECT_EQ(far->draws, 1);
  EXPECT_EQ(g.CurrentDrawRect(), IRECT(10, 10, 30, 30));

  hidden->SetDirty(false);
  g.Draw(&r); // a hidden dirty control is cleaned, what lay beneath redraws
  EXPECT_EQ(hidden->draws, 0);
  EXPECT_FALSE(hidden->IsDirty());
  EXPECT_EQ(bg->draws, 3);
}

TEST_F(Editor, BitmapsClipToTheDrawRect) {
  LICE_MemBitmap* img = PositionImage(20, 20);
  IBitmap bmp(img, 20, 20, 1, false);
  IRECT dest(10, 10, 30, 30);
  Add(dest, [&](IGraphics* p) { p->DrawBitmap(&bmp, &dest, 0, 0, nullptr); });
  IRECT area(20, 0, 100, 100);
  g.Draw(&area);
  EXPECT_EQ(Px(19, 15), 0u);         // left of the area: untouched
  EXPECT_EQ(Px(20, 15), Pos(10, 5)); // the matching part of the source
  EXPECT_EQ(Px(29, 29), Pos(19, 19));
  EXPECT_EQ(Px(30, 29), 0u);
  delete img;
}

TEST_F(Editor, FramesOfMultiFrameImages) {
  LICE_MemBitmap* img = PositionImage(30, 100);
  struct Case {
    bool horizontal;
    int n, frame, srcX, srcY;
  } cases[] = {{false, 5, 3, 0, 40}, {false, 5, 1, 0, 0}, {false, 5, 0, 0, 0}, {false, 3, 2, 0, 33},
               {true, 3, 2, 10, 0},  {true, 3, 3, 20, 0}, {false, 1, 4, 0, 0}};
  for (const Case& c : cases) {
    IBitmap bmp(img, 30, 100, c.n, c.horizontal);
    IRECT dest(0, 0, &bmp);
    FnControl* ctl = Add(dest, [&](IGraphics* p) { p->DrawBitmap(&bmp, &dest, c.frame, nullptr); });
    IRECT all(0, 0, 100, 100);
    g.Draw(&all);
    EXPECT_EQ(Px(0, 0), Pos(c.srcX, c.srcY)) << c.n << " frames, frame " << c.frame;
    ctl->Hide(true);
  }
  delete img;
}

// A font that measures every text 41 x 12 and records what it is asked.
class FakeFont : public LICE_IFont {
public:
  void SetFromHFont(HFONT, int) override {}
  LICE_pixel SetTextColor(LICE_pixel c) override {
    LICE_pixel old = color;
    color = c;
    return old;
  }
  LICE_pixel SetBkColor(LICE_pixel) override { return 0; }
  LICE_pixel SetEffectColor(LICE_pixel) override { return 0; }
  int SetBkMode(int) override { return 0; }
  void SetCombineMode(int, float) override {}
  int DrawText(LICE_IBitmap*, const char*, int, RECT* rect, UINT flags) override {
    lastFlags = flags;
    if (flags & DT_CALCRECT) {
      rect->right = rect->left + 41;
      rect->bottom = rect->top + 12;
    } else {
      drawnAt = *rect;
    }
    return 12;
  }
  LICE_pixel GetTextColor() override { return color; }
  HFONT GetHFont() override { return nullptr; }
  int GetLineHeight() override { return 12; }

  LICE_pixel color = 0;
  UINT lastFlags = 0;
  RECT drawnAt = {0, 0, 0, 0};
};

TEST_F(Editor, TextMeasuredAndDrawnAtEachAlignment) {
  FakeFont font;
  struct Case {
    IText::EAlign align;
    IRECT measured;
    UINT alignFlag;
  } cases[] = {{IText::kAlignNear, {0, 0, 41, 12}, 0},
               {IText::kAlignCenter, {30, 0, 71, 12}, DT_CENTER},
               {IText::kAlignFar, {59, 0, 100, 12}, DT_RIGHT}};
  for (const Case& c : cases) {
    IText txt(10, &COLOR_RED, nullptr, IText::kStyleNormal, c.align);
    txt.mCached = &font;
    IRECT r(0, 0, 100, 20);
    EXPECT_TRUE(g.MeasureIText(&txt, (char*)"label", &r));
    EXPECT_EQ(r, c.measured) << c.align;
    EXPECT_EQ(font.lastFlags, DT_NOCLIP | DT_CALCRECT | c.alignFlag);
    IRECT d(5, 6, 50, 30);
    EXPECT_TRUE(g.DrawIText(&txt, "label", &d));
    EXPECT_EQ(font.lastFlags, DT_NOCLIP | c.alignFlag);
    EXPECT_EQ(font.drawnAt.left, 5);
    EXPECT_EQ(font.drawnAt.bottom, 30);
    EXPECT_EQ(font.color, 0xFFFF0000u);
  }
  IColor translucent(254, 0, 0, 0);
  IText txt(10, &translucent, nullptr, IText::kStyleNormal, IText::kAlignNear);
  txt.mCached = &font;
  IRECT r(1, 2, 3, 4);
  g.DrawIText(&txt, "x", &r);
  EXPECT_EQ(font.lastFlags, DT_NOCLIP | 0x40000000u);
  font.lastFlags = 0;
  EXPECT_TRUE(g.DrawIText(&txt, "", &r, true));
  EXPECT_TRUE(g.DrawIText(&txt, nullptr, &r, true));
  EXPECT_EQ(r, IRECT(1, 2, 3, 4));
  EXPECT_EQ(font.lastFlags, 0u);
}

TEST_F(Editor, PixelsAndRectOutline) {
  g.ForcePixel(&COLOR_ORANGE, 3, 4);
  EXPECT_EQ(Px(3, 4), 0xFFFF7F00u);
  for (int xy : {-1, 100, 1000}) { // outside the bitmap: ignored
    g.ForcePixel(&COLOR_RED, xy, 0);
    g.ForcePixel(&COLOR_RED, 0, xy);
  }
  EXPECT_EQ(g.GetPoint(3, 4), COLOR_ORANGE);

  IRECT r(10, 10, 20, 30);
  g.DrawRect(&COLOR_WHITE, &r);
  EXPECT_EQ(Px(20, 30), 0xFFFFFFFFu); // the exclusive corner is drawn too
  EXPECT_EQ(Px(15, 20), 0u);
}

TEST_F(Editor, ResizeDropsTheControls) {
  Add(IRECT(0, 0, 10, 10));
  g.HandleMouseOver(true);
  g.OnMouseOver(5, 5, nullptr);
  g.Resize(50, 40);
  EXPECT_EQ(g.NControls(), 0);
  EXPECT_EQ(g.GetMouseOver(), -1);
  EXPECT_EQ(g.GetDrawBitmap()->getWidth(), 50);
  EXPECT_EQ(g.GetDrawBitmap()->getHeight(), 40);
  EXPECT_EQ(g.MouseCapture(), -1);
}

} // namespace
