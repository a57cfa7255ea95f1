#include "WDL/IPlug/IGraphicsStructs.h"

#include <gtest/gtest.h>

namespace {

TEST(Records, RectPredicates) {
  struct Case {
    IRECT a, b;
    bool intersects;
    IRECT intersection;
  } cases[] = {
      {{0, 0, 10, 10}, {10, 0, 20, 10}, true, {10, 0, 10, 10}}, // b touches a's right edge
      {{10, 0, 20, 10}, {0, 0, 10, 10}, false, {}},             // b touches a's left edge
      {{0, 0, 10, 10}, {0, 10, 10, 20}, true, {0, 10, 10, 10}}, // touching a's bottom
      {{0, 0, 10, 10}, {5, 5, 15, 15}, true, {5, 5, 10, 10}},
      {{0, 0, 10, 10}, {}, false, {}},
      {{}, {0, 0, 10, 10}, false, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.a.Intersects(&c.b), c.intersects);
    EXPECT_EQ(c.a.Intersect(&c.b), c.intersection);
  }
  IRECT zeroWidth(10, 0, 10, 10);
  EXPECT_FALSE(zeroWidth.Empty());
  IRECT point(5, 5, 5, 5);
  EXPECT_FALSE(point.Empty());
  EXPECT_FALSE(point.Contains(5, 5));
  EXPECT_TRUE(IRECT().Empty());
  EXPECT_FALSE(IRECT().Contains(0, 0));
  IRECT r(0, 0, 10, 10);
  EXPECT_TRUE(r.Contains(0, 0));
  EXPECT_TRUE(r.Contains(9, 9));
  EXPECT_FALSE(r.Contains(10, 5));
}

TEST(Records, UnionStartsFromEmpty) {
  IRECT acc;
  IRECT a(0, 0, 10, 10), b(20, 20, 30, 30);
  acc = acc.Union(&a);
  EXPECT_EQ(acc, a);
  acc = acc.Union(&b);
  EXPECT_EQ(acc, IRECT(0, 0, 30, 30));
  IRECT none;
  EXPECT_EQ(acc.Union(&none), acc);
}

TEST(Records, FrameRectsAndSlices) {
  IBitmap stacked(nullptr, 40, 100, 3, false);
  EXPECT_EQ(IRECT(5, 6, &stacked), IRECT(5, 6, 45, 39));
  IBitmap side(nullptr, 90, 20, 3, true);
  EXPECT_EQ(IRECT(0, 0, &side), IRECT(0, 0, 30, 20));
  IBitmap noFrames(nullptr, 10, 10, 0, false);
  EXPECT_EQ(IRECT(0, 0, &noFrames), IRECT(0, 0, 10, 10));

  IRECT r(0, 0, 30, 30);
  EXPECT_EQ(r.SubRectVertical(3, 2), IRECT(0, 20, 30, 30));
  EXPECT_EQ(r.SubRectHorizontal(3, 1), IRECT(10, 0, 20, 30));
  EXPECT_EQ(IRECT(0, 0, 10, 10).SubRectHorizontal(3, 2), IRECT(6, 0, 9, 10));
}

TEST(Records, RasterTranslations) {
  EXPECT_EQ(LiceColor(&COLOR_ORANGE), 0xFFFF7F00u);
  EXPECT_EQ(LiceColor(&COLOR_TRANSPARENT), 0u);
  EXPECT_EQ(LiceColor(&COLOR_GRAY), 0xFF7F7F7Fu);
  IColor wide(0x1FF, 0x100, 0x2AB, -1);
  EXPECT_EQ(LiceColor(&wide), 0xFF00ABFFu);

  struct Case {
    IChannelBlend::EBlendMethod method;
    int mode;
  } cases[] = {{IChannelBlend::kBlendNone, 0x10000},
               {IChannelBlend::kBlendClobber, 0},
               {IChannelBlend::kBlendAdd, 0x10001},
               {IChannelBlend::kBlendColorDodge, 0x10002}};
  for (const Case& c : cases) {
    IChannelBlend b(c.method, 0.5f);
    EXPECT_EQ(LiceBlendMode(&b), c.mode) << c.method;
    EXPECT_FLOAT_EQ(LiceWeight(&b), 0.5f);
  }
  EXPECT_EQ(LiceBlendMode(nullptr), 0x10000);
  EXPECT_FLOAT_EQ(LiceWeight(nullptr), 1.0f);
}

TEST(Records, TextDefaults) {
  IText t(12, nullptr, nullptr, IText::kStyleBold, IText::kAlignFar, 90, IText::kQualityAntiAliased,
          nullptr, nullptr);
  EXPECT_STREQ(t.mFont, "Monaco");
  EXPECT_EQ(t.mColor, COLOR_BLACK);
  EXPECT_EQ(t.mTextEntryBGColor, COLOR_WHITE);
  EXPECT_EQ(t.mTextEntryFGColor, COLOR_BLACK);
  EXPECT_EQ(t.mCached, nullptr);
  IText longName(10, &COLOR_RED, "A face name far longer than thirty-one characters");
  EXPECT_EQ(strlen(longName.mFont), 31u);
  EXPECT_EQ(longName.mColor, COLOR_RED);
}

} // namespace
