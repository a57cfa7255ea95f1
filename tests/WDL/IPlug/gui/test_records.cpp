#include "WDL/IPlug/IGraphicsStructs.h"

#include <gtest/gtest.h>

namespace {

TEST(Records, RectPredicatesAndUnions) {
  struct Case {
    IRECT a, b;
    bool intersects;
    IRECT intersection, both;
  } cases[] = {
      {{0, 0, 10, 10}, {10, 0, 20, 10}, true, {10, 0, 10, 10}, {0, 0, 20, 10}}, // a's right edge
      {{10, 0, 20, 10}, {0, 0, 10, 10}, false, {}, {0, 0, 20, 10}},             // a's left edge
      {{0, 0, 10, 10}, {0, 10, 10, 20}, true, {0, 10, 10, 10}, {0, 0, 10, 20}}, // a's bottom
      {{0, 0, 10, 10}, {5, 5, 15, 15}, true, {5, 5, 10, 10}, {0, 0, 15, 15}},
      {{0, 0, 10, 10}, {}, false, {}, {0, 0, 10, 10}},
      {{}, {0, 0, 10, 10}, false, {}, {0, 0, 10, 10}}, // a union starts from empty
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.a.Intersects(&c.b), c.intersects);
    EXPECT_EQ(c.a.Intersect(&c.b), c.intersection);
    EXPECT_EQ(c.a.Union(&c.b), c.both);
  }
  EXPECT_FALSE(IRECT(10, 0, 10, 10).Empty()); // zero area is not empty
  EXPECT_TRUE(IRECT().Empty());
  EXPECT_FALSE(IRECT(5, 5, 5, 5).Contains(5, 5));
}

TEST(Records, FrameRectsAndSlices) {
  IBitmap stacked(nullptr, 40, 100, 3, false), side(nullptr, 90, 20, 3, true),
      noFrames(nullptr, 10, 10, 0, false);
  EXPECT_EQ(IRECT(5, 6, &stacked), IRECT(5, 6, 45, 39));
  EXPECT_EQ(IRECT(0, 0, &side), IRECT(0, 0, 30, 20));
  EXPECT_EQ(IRECT(0, 0, &noFrames), IRECT(0, 0, 10, 10));
  EXPECT_EQ(IRECT(0, 0, 10, 10).SubRectHorizontal(3, 2), IRECT(6, 0, 9, 10));
}

TEST(Records, RasterTranslationsAndTextFace) {
  EXPECT_EQ(LiceColor(&COLOR_ORANGE), 0xFFFF7F00u);
  EXPECT_EQ(LiceColor(&COLOR_GRAY), 0xFF7F7F7Fu);
  IColor wide(0x1FF, 0x100, 0x2AB, -1); // out-of-range channels stay in their byte
  EXPECT_EQ(LiceColor(&wide), 0xFF00ABFFu);
  for (auto [method, mode] : {std::pair{IChannelBlend::kBlendNone, 0x10000},
                              {IChannelBlend::kBlendClobber, 0},
                              {IChannelBlend::kBlendAdd, 0x10001},
                              {IChannelBlend::kBlendColorDodge, 0x10002}}) {
    IChannelBlend b(method, 0.5f);
    EXPECT_EQ(LiceBlendMode(&b), mode) << method;
    EXPECT_FLOAT_EQ(LiceWeight(&b), 0.5f);
  }
  EXPECT_EQ(LiceBlendMode(nullptr), 0x10000);
  EXPECT_FLOAT_EQ(LiceWeight(nullptr), 1.0f);
  EXPECT_STREQ(IText(12).mFont, "Monaco"); // a long face name is cut to fit
  EXPECT_EQ(strlen(IText(10, nullptr, "A face name far longer than thirty-one characters").mFont),
            31u);
}

} // namespace
