#include "WDL/lice/lice.h"
#include "WDL/swell/swell.h"

#include <climits>
#include <cstdint>
#include <gtest/gtest.h>

TEST(MemBitmap, RowSpanFollowsAlignment) {
  struct Case {
    unsigned align;
    int w, span;
  } cases[] = {{4, 10, 12}, {1, 10, 10},  {0, 10, 10},  {8, 10, 16}, {6, 10, 10},
               {6, 11, 12}, {32, 10, 10}, {32, 20, 36}, {4, 12, 12}};
  for (const Case& c : cases) {
    LICE_MemBitmap bm(c.w, 2, c.align);
    EXPECT_EQ(bm.getRowSpan(), c.span) << "align " << c.align << " width " << c.w;
    EXPECT_EQ((uintptr_t)bm.getBits() % 64, 0u);
  }
}

TEST(MemBitmap, GrowsByAQuarterAndNeverShrinks) {
  LICE_MemBitmap bm(10, 3, 4);
  EXPECT_EQ(bm.getAllocSize(), 144);
  LICE_pixel* bits = bm.getBits();
  EXPECT_TRUE(bm.resize(12, 3));
  EXPECT_EQ(bm.getAllocSize(), 144);
  EXPECT_EQ(bm.getBits(), bits);
  EXPECT_TRUE(bm.resize(20, 10));
  EXPECT_EQ(bm.getAllocSize(), 1000);
  EXPECT_TRUE(bm.resize(4, 4));
  EXPECT_EQ(bm.getAllocSize(), 1000);
  EXPECT_FALSE(bm.resize(4, 4));
  EXPECT_TRUE(bm.resize(0, 0));
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getAllocSize(), 0);
}

TEST(MemBitmap, AbsurdOrNegativeSizesMakeEmptyBitmaps) {
  const int sizes[][2] = {{40000, 40000}, {INT_MAX, 2}, {2, INT_MAX},
                          {-5, 10},       {10, -5},     {INT_MIN, INT_MIN}};
  for (auto& s : sizes) {
    LICE_MemBitmap bm(s[0], s[1]);
    EXPECT_EQ(bm.getWidth(), 0);
    EXPECT_EQ(bm.getHeight(), 0);
    EXPECT_EQ(bm.getBits(), nullptr);
    LICE_MemBitmap grown(8, 8);
    grown.resize(s[0], s[1]);
    EXPECT_EQ(grown.getWidth(), 0);
    EXPECT_EQ(grown.getBits(), nullptr);
    LICE_SysBitmap sys(4, 4);
    sys.resize(s[0], s[1]);
    EXPECT_GE(sys.getWidth(), 0);
    EXPECT_GE(sys.getHeight(), 0);
    if (!sys.getBits()) continue;
    EXPECT_LE((int64_t)sys.getWidth() * sys.getHeight(), 1 << 28);
  }
}

TEST(SysBitmap, ContextOnlyGrows) {
  LICE_SysBitmap bm(5, 5);
  ASSERT_NE(bm.getDC(), nullptr);
  EXPECT_EQ(bm.getRowSpan(), 8);
  EXPECT_EQ(bm.getBits(), (LICE_pixel*)SWELL_GetCtxFrameBuffer(bm.getDC()));
  HDC dc = bm.getDC();
  EXPECT_TRUE(bm.resize(3, 3));
  EXPECT_EQ(bm.getDC(), dc);
  EXPECT_EQ(bm.getRowSpan(), 8);
  EXPECT_TRUE(bm.resize(6, 5));
  EXPECT_EQ(bm.getDC(), dc);
  EXPECT_FALSE(bm.resize(6, 5));
  EXPECT_TRUE(bm.resize(9, 5));
  EXPECT_EQ(bm.getRowSpan(), 12);
  EXPECT_EQ(bm.getWidth(), 9);
  EXPECT_NE(bm.getBits(), nullptr);
  EXPECT_FALSE(bm.resize(0, 5) && bm.getBits());
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getDC(), nullptr);
}

TEST(Copy, ResizesTheDestinationToTheSource) {
  LICE_MemBitmap src(3, 2), dest(10, 10);
  LICE_Clear(&src, 0x11223344);
  LICE_Copy(&dest, &src);
  EXPECT_EQ(dest.getWidth(), 3);
  EXPECT_EQ(dest.getHeight(), 2);
  EXPECT_EQ(LICE_GetPixel(&dest, 2, 1), 0x11223344u);
  LICE_SysBitmap sys;
  LICE_Copy(&sys, &src);
  EXPECT_EQ(LICE_GetPixel(&sys, 2, 1), 0x11223344u);
}
