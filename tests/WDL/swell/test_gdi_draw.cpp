#include "WDL/swell/swell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A memory context with its pixels, each starting as 0xAA000000 (the top byte must stay).
struct Canvas {
  HDC dc;
  int w, h;
  uint32_t* px;
  Canvas(int w_, int h_) : dc(SWELL_CreateMemContext(nullptr, w_, h_)), w(w_), h(h_) {
    px = (uint32_t*)SWELL_GetCtxFrameBuffer(dc);
    for (int i = 0; i < w * h; i++) px[i] = 0xAA000000;
  }
  ~Canvas() { SWELL_DeleteGfxContext(dc); }
  uint32_t at(int x, int y) const { return px[y * w + x]; }
  // Rows as text: '.' untouched, '#' the given colour, '?' anything else.
  std::vector<std::string> Rows(uint32_t color) const {
    std::vector<std::string> rows;
    for (int y = 0; y < h; y++) {
      std::string r;
      for (int x = 0; x < w; x++) r += at(x, y) == 0xAA000000 ? '.' : at(x, y) == color ? '#' : '?';
      rows.push_back(r);
    }
    return rows;
  }
};

const uint32_t kRed = 0xAAFF0000, kBlue = 0xAA0000FF;

TEST(GdiDraw, FillRectAndClip) {
  Canvas c(8, 6);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT r = {1, 2, 5, 4};
  SWELL_FillRect(c.dc, &r, red);
  EXPECT_EQ(c.Rows(kRed), (std::vector<std::string>{"........", "........", ".####...", ".####...",
                                                    "........", "........"}));
  // Narrowed by the clip stack, and back after the pop.
  Canvas d(8, 6);
  SWELL_PushClipRegion(d.dc);
  RECT clip = {3, 0, 8, 3};
  SWELL_SetClipRegion(d.dc, &clip);
  SWELL_FillRect(d.dc, &r, red);
  SWELL_PopClipRegion(d.dc);
  EXPECT_EQ(d.Rows(kRed)[2], "...##...");
  EXPECT_EQ(d.Rows(kRed)[3], "........");
  // Translucent brushes mix; null and stock brushes draw nothing.
  HBRUSH half = CreateSolidBrushAlpha(RGB(0, 0, 255), 0.5f);
  SWELL_FillRect(c.dc, &r, half);
  EXPECT_EQ(c.at(1, 2), 0xAA7F0080u);
  SWELL_FillRect(c.dc, &r, GetStockObject(NULL_BRUSH));
  SWELL_FillRect(c.dc, nullptr, red);
  SWELL_FillRect(nullptr, &r, red);
  EXPECT_EQ(c.at(1, 2), 0xAA7F0080u);
  DeleteObject(half);
  DeleteObject(red);
}

TEST(GdiDraw, RectangleEllipseAndRoundRect) {
  Canvas c(8, 7);
  HPEN pen = CreatePen(0, 1, RGB(255, 0, 0));
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  HGDIOBJ oldpen = SelectObject(c.dc, pen), oldbrush = SelectObject(c.dc, blue);
  Rectangle(c.dc, 1, 1, 6, 5);
  EXPECT_EQ(c.Rows(kRed), (std::vector<std::string>{"........", ".#####..", ".#???#..", ".#???#..",
                                                    ".#####..", "........", "........"}));
  EXPECT_EQ(c.at(2, 2), kBlue);

  // Brush only: an ellipse is symmetric, full in the middle and clear in the corners.
  Canvas e(21, 15);
  SelectObject(e.dc, GetStockObject(NULL_PEN));
  SelectObject(e.dc, blue);
  Ellipse(e.dc, 0, 0, 21, 15);
  EXPECT_EQ(e.at(10, 7), kBlue);
  EXPECT_EQ(e.at(0, 0), 0xAA000000u);
  EXPECT_EQ(e.at(20, 14), 0xAA000000u);
  for (int y = 0; y < 15; y++)
    for (int x = 0; x < 21; x++) {
      EXPECT_EQ(e.at(x, y), e.at(20 - x, y));
      EXPECT_EQ(e.at(x, y), e.at(x, 14 - y));
    }

  // A rounded rectangle is the rectangle with its corners cut by a third.
  Canvas rr(13, 13);
  SelectObject(rr.dc, GetStockObject(NULL_PEN));
  SelectObject(rr.dc, blue);
  RoundRect(rr.dc, 0, 0, 12, 12, 9, 9);
  EXPECT_EQ(rr.at(0, 0), 0xAA000000u);
  EXPECT_EQ(rr.at(6, 0), kBlue);
  EXPECT_EQ(rr.at(0, 6), kBlue);
  EXPECT_EQ(rr.at(6, 6), kBlue);

  // Neither pen nor brush: nothing.
  SelectObject(rr.dc, GetStockObject(NULL_BRUSH));
  Rectangle(rr.dc, 0, 0, 1, 1);
  EXPECT_EQ(rr.at(0, 0), 0xAA000000u);

  SelectObject(c.dc, oldpen);
  SelectObject(c.dc, oldbrush);
  DeleteObject(pen);
  DeleteObject(blue);
}

TEST(GdiDraw, EllipseWiderThanTallFillsExactRows) {
  // Radii 6 and 3 about (9, 5): each row holds the pixels whose centres are inside.
  Canvas e(18, 10);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  SelectObject(e.dc, GetStockObject(NULL_PEN));
  SelectObject(e.dc, blue);
  Ellipse(e.dc, 3, 2, 15, 8);
  const char* want[] = {"..................", "..................", "......######......",
                        "....##########....", "...############...", "...############...",
                        "....##########....", "......######......", "..................",
                        ".................."};
  const std::vector<std::string> rows = e.Rows(kBlue);
  for (int y = 0; y < 10; y++) EXPECT_EQ(rows[y], want[y]) << "row " << y;
  DeleteObject(blue);
}

TEST(GdiDraw, ClippedConcaveAndRoundedFills) {
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  // A clip starting below the top row: its rows only.
  Canvas c(6, 7);
  const RECT clip = {0, 2, 6, 5}, all = {0, 0, 6, 7};
  SWELL_SetClipRegion(c.dc, &clip);
  SWELL_FillRect(c.dc, &all, red);
  EXPECT_EQ(c.Rows(kRed), (std::vector<std::string>{"......", "......", "######", "######",
                                                    "######", "......", "......"}));
  // Non-zero winding leaves the notch of a concave outline empty.
  Canvas u(9, 6);
  SelectObject(u.dc, GetStockObject(NULL_PEN));
  SelectObject(u.dc, red);
  POINT upts[8] = {{1, 0}, {8, 0}, {8, 5}, {6, 5}, {6, 2}, {3, 2}, {3, 5}, {1, 5}};
  SWELL_Polygon(u.dc, upts, 8);
  EXPECT_EQ(u.Rows(kRed)[2], ".##...##.");
  // Corners cut by a third of the corner width across and of its height down.
  Canvas rr(14, 13);
  SelectObject(rr.dc, GetStockObject(NULL_PEN));
  SelectObject(rr.dc, red);
  RoundRect(rr.dc, 0, 0, 12, 12, 12, 6);
  const auto rows = rr.Rows(kRed);
  EXPECT_EQ(rows[0], "...######.....");
  EXPECT_EQ(rows[1], ".##########...");
  EXPECT_EQ(rows[2], "############..");
  EXPECT_EQ(rows[9], "############..");
  EXPECT_EQ(rows[10], ".##########...");
  EXPECT_EQ(rows[11], "...######.....");
  EXPECT_EQ(rows[12], "..............");
  // A pixel centre on a sloped right edge stays out, as without the context's flip.
  Canvas tri(12, 4);
  SelectObject(tri.dc, GetStockObject(NULL_PEN));
  SelectObject(tri.dc, red);
  POINT tpts3[3] = {{9, 0}, {12, 3}, {9, 3}};
  SWELL_Polygon(tri.dc, tpts3, 3);
  EXPECT_EQ(tri.Rows(kRed), (std::vector<std::string>{"............", ".........#..",
                                                      ".........##.", "............"}));
  // Two points are enough for a polygon: its outline through them (not shifted).
  Canvas two(8, 4);
  HPEN pen = CreatePen(0, 1, RGB(255, 0, 0));
  SelectObject(two.dc, pen);
  POINT tpts[2] = {{1, 1}, {6, 3}};
  SWELL_Polygon(two.dc, tpts, 2);
  EXPECT_EQ(two.Rows(kRed),
            (std::vector<std::string>{"#.......", ".###....", "...###..", "........"}));
  DeleteObject(pen);
  DeleteObject(red);
}

TEST(GdiDraw, WidePensAndThePenPosition) {
  // Width 3: each segment 3 pixels across, right of and below its points, joined at the
  // corner and with butt ends.
  Canvas c(12, 6);
  HPEN wide = CreatePen(0, 3, RGB(255, 0, 0));
  SelectObject(c.dc, wide);
  MoveToEx(c.dc, 2, 2, nullptr);
  SWELL_LineTo(c.dc, 8, 2);
  SWELL_LineTo(c.dc, 8, 4);
  EXPECT_EQ(c.Rows(kRed),
            (std::vector<std::string>{"............", "............", "...######...",
                                      "...########.", "...########.", "............"}));
  POINT old;
  MoveToEx(c.dc, 0, 0, &old);
  EXPECT_EQ(old.y, 4);
  // One polyline of three points.
  Canvas p(8, 4);
  HPEN pen = CreatePen(0, 1, RGB(255, 0, 0));
  SelectObject(p.dc, pen);
  POINT pts[3] = {{1, 1}, {6, 1}, {6, 3}};
  unsigned int count = 3;
  PolyPolyline(p.dc, pts, &count, 1);
  EXPECT_EQ(p.Rows(kRed),
            (std::vector<std::string>{"........", ".######.", "......#.", "........"}));
  // A Bezier runs all the way to the pixel before its end point.
  Canvas b(20, 20);
  SelectObject(b.dc, pen);
  MoveToEx(b.dc, 2, 2, nullptr);
  POINT ctl[3] = {{18, 2}, {2, 18}, {18, 18}};
  PolyBezierTo(b.dc, ctl, 3);
  EXPECT_EQ(b.Rows(kRed)[18], "..............####..");
  DeleteObject(pen);
  DeleteObject(wide);
}

TEST(GdiDraw, LinesAndCurves) {
  Canvas c(10, 8);
  HPEN pen = CreatePen(0, 1, RGB(255, 0, 0));
  SelectObject(c.dc, pen);
  POINT old = {-1, -1};
  MoveToEx(c.dc, 2, 3, &old);
  EXPECT_EQ(old.x, 0);
  SWELL_LineTo(c.dc, 8, 3);
  // From the first point up to, not including, the last.
  EXPECT_EQ(c.Rows(kRed)[3], "..######..");
  MoveToEx(c.dc, 0, 0, &old);
  EXPECT_EQ(old.x, 8);
  EXPECT_EQ(old.y, 3);

  // Counts of 0 and 1 draw nothing, the 1 still takes its point.
  Canvas p(10, 8);
  SelectObject(p.dc, pen);
  POINT pts[4] = {{5, 5}, {1, 1}, {1, 6}, {9, 9}};
  unsigned int counts[3] = {0, 1, 2};
  PolyPolyline(p.dc, pts, counts, 3);
  const auto rows = p.Rows(kRed);
  EXPECT_EQ(rows[1], ".#........");
  EXPECT_EQ(rows[5], ".#........");
  EXPECT_EQ(rows[6], "..........");
  EXPECT_EQ(p.at(5, 5), 0xAA000000u);

  // A Bezier from the current position; the position moves to its end.
  Canvas b(20, 20);
  SelectObject(b.dc, pen);
  MoveToEx(b.dc, 2, 2, nullptr);
  POINT ctl[3] = {{18, 2}, {2, 18}, {18, 18}};
  PolyBezierTo(b.dc, ctl, 3);
  MoveToEx(b.dc, 0, 0, &old);
  EXPECT_EQ(old.x, 18);
  EXPECT_EQ(old.y, 18);
  EXPECT_EQ(b.at(2, 2), kRed);
  EXPECT_EQ(b.at(10, 10), kRed);

  SWELL_SetPixel(c.dc, 9, 7, RGB(0, 0, 255));
  EXPECT_EQ(c.at(9, 7), kBlue);
  SWELL_SetPixel(c.dc, 10, 7, RGB(0, 0, 255)); // outside
  DeleteObject(pen);
}

TEST(GdiDraw, BlitsBetweenContexts) {
  Canvas src(4, 3), dst(10, 8);
  for (int i = 0; i < 12; i++) src.px[i] = 0x80000000 | (uint32_t)(i + 1);
  BitBlt(dst.dc, 2, 1, 4, 3, src.dc, 0, 0, 0);
  EXPECT_EQ(dst.at(2, 1), 0xAA000001u);
  EXPECT_EQ(dst.at(5, 3), 0xAA00000Cu);
  EXPECT_EQ(dst.at(6, 1), 0xAA000000u);
  // Clipped to the source bitmap: a rectangle reaching past it copies what there is.
  Canvas part(10, 8);
  BitBlt(part.dc, 0, 0, 6, 6, src.dc, 2, 1, 0);
  EXPECT_EQ(part.at(0, 0), 0xAA000007u);
  EXPECT_EQ(part.at(2, 0), 0xAA000000u);
  EXPECT_EQ(part.at(0, 2), 0xAA000000u);
  // Stretched by 2.
  Canvas big(8, 6);
  StretchBlt(big.dc, 0, 0, 8, 6, src.dc, 0, 0, 4, 3, 0);
  EXPECT_EQ(big.at(7, 5), 0xAA00000Cu);
  EXPECT_EQ(big.at(1, 1), 0xAA000001u);
  // The source-alpha mode mixes by the source's top byte.
  Canvas mix(4, 3);
  for (int i = 0; i < 12; i++) mix.px[i] = 0xAA0000FF;
  for (int i = 0; i < 12; i++) src.px[i] = 0x80FF0000;
  BitBlt(mix.dc, 0, 0, 4, 3, src.dc, 0, 0, (int)0xdeadbeef);
  EXPECT_EQ(mix.at(1, 1), 0xAA80007Fu);
  BitBlt(mix.dc, 0, 0, 4, 3, nullptr, 0, 0, 0);
}

TEST(GdiDraw, WrappedContextDrawsIntoTheSamePixels) {
  Canvas c(6, 4);
  HDC wrap = SWELL_CreateGfxContext(SWELL_GetCtxGC(c.dc));
  ASSERT_NE(wrap, nullptr);
  EXPECT_EQ(SWELL_GetCtxFrameBuffer(wrap), nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT r = {0, 0, 2, 1};
  SWELL_FillRect(wrap, &r, red);
  EXPECT_EQ(c.Rows(kRed)[0], "##....");
  SWELL_DeleteGfxContext(wrap); // leaves the wrapped graphics context alone
  SWELL_FillRect(c.dc, &r, red);
  DeleteObject(red);
  EXPECT_EQ(SWELL_CreateGfxContext(nullptr), nullptr);
}

TEST(GdiDraw, SystemColoursAndPenWidths) {
  const int want[10] = {0x606060, 0xe0e0e0, 0xc0c0c0, 0,        0xc0c0c0,
                        0x202020, 0x303030, 0xc0c0c0, 0xfff0c8, 0};
  for (int i = 0; i < 10; i++) EXPECT_EQ(GetSysColor(i), want[i]) << i;
  // Negative pen widths become 0, which still draws one pixel wide.
  HPEN pen = CreatePen(0, -4, RGB(0, 255, 0));
  Canvas c(4, 3);
  SelectObject(c.dc, pen);
  MoveToEx(c.dc, 0, 1, nullptr);
  SWELL_LineTo(c.dc, 4, 1);
  EXPECT_EQ(c.Rows(0xAA00FF00u)[1], "####");
  EXPECT_EQ(c.Rows(0xAA00FF00u)[0], "....");
  DeleteObject(pen);
}

} // namespace
