// Drawing calls with float coordinates refuse non-finite and out-of-range values: they
// answer false and leave the pixels alone.
#include "WDL/IPlug/gui/headless_graphics.h"

#include <limits>

namespace {

using Editor = EditorTest;

TEST_F(Editor, FloatCoordinatesOutsideTheIntRangeAreRefused) {
  const float kNan = std::numeric_limits<float>::quiet_NaN();
  const float kInf = std::numeric_limits<float>::infinity();
  LICE_SysBitmap* bm = g.GetDrawBitmap();
  LICE_Clear(bm, 0xFF000000);
  IRECT r(2, 2, 20, 20);
  for (float v : {kNan, kInf, -kInf, 3e9f, -3e9f}) {
    EXPECT_FALSE(g.DrawPoint(&COLOR_WHITE, v, 4)) << v;
    EXPECT_FALSE(g.DrawPoint(&COLOR_WHITE, 4, v)) << v;
    EXPECT_FALSE(g.DrawLine(&COLOR_WHITE, 1, 1, 9, v)) << v;
    EXPECT_FALSE(g.DrawLine(&COLOR_WHITE, v, 1, 9, 5)) << v;
    EXPECT_FALSE(g.DrawRadialLine(&COLOR_WHITE, 9, 9, 0.5f, 1, v)) << v;
  }
  EXPECT_FALSE(g.DrawVerticalLine(&COLOR_WHITE, &r, kNan));
  EXPECT_FALSE(g.DrawHorizontalLine(&COLOR_WHITE, &r, kNan));
  for (int y = 0; y < bm->getHeight(); y++)
    for (int x = 0; x < bm->getWidth(); x++)
      ASSERT_EQ(LICE_GetPixel(bm, x, y), 0xFF000000u) << x << "," << y;
  // In range they draw.
  EXPECT_TRUE(g.DrawPoint(&COLOR_WHITE, 4.4f, 5.6f));
  EXPECT_EQ(LICE_GetPixel(bm, 4, 6), 0xFFFFFFFFu);
  EXPECT_TRUE(g.DrawVerticalLine(&COLOR_WHITE, &r, 2.0f)); // clamped to the right edge
  EXPECT_EQ(LICE_GetPixel(bm, 20, 10), 0xFFFFFFFFu);
}

} // namespace
