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
  LICE_pixel* bits = bm.getBits();
  // {width, height, resized, allocation after}
  const int steps[][4] = {{10, 3, 0, 144}, {12, 3, 1, 144}, {20, 10, 1, 1000},
                          {4, 4, 1, 1000}, {4, 4, 0, 1000}, {0, 0, 1, 0}};
  for (auto& st : steps) {
    EXPECT_EQ(bm.resize(st[0], st[1]), st[2] != 0) << st[0];
    EXPECT_EQ(bm.getAllocSize(), st[3]) << st[0];
    EXPECT_TRUE(st[0] != 12 || bm.getBits() == bits); // grown in place
  }
  EXPECT_EQ(bm.getBits(), nullptr);
}

TEST(MemBitmap, AbsurdOrNegativeSizesMakeEmptyBitmaps) {
  const int sizes[][2] = {{40000, 40000}, {INT_MAX, 2}, {2, INT_MAX},
                          {-5, 10},       {10, -5},     {INT_MIN, INT_MIN}};
  for (auto& s : sizes) {
    LICE_MemBitmap bm(s[0], s[1]);
    LICE_MemBitmap grown(8, 8);
    grown.resize(s[0], s[1]);
    for (LICE_MemBitmap* b : {&bm, &grown}) {
      EXPECT_EQ(b->getWidth(), 0) << s[0] << "x" << s[1];
      EXPECT_EQ(b->getHeight(), 0) << s[0] << "x" << s[1];
      EXPECT_EQ(b->getBits(), nullptr) << s[0] << "x" << s[1];
    }
    LICE_SysBitmap sys(4, 4);
    sys.resize(s[0], s[1]);
    EXPECT_GE(sys.getWidth(), 0);
    EXPECT_GE(sys.getHeight(), 0);
    EXPECT_TRUE(!sys.getBits() || (int64_t)sys.getWidth() * sys.getHeight() <= 1 << 28);
  }
}

TEST(SysBitmap, ContextOnlyGrows) {
  LICE_SysBitmap bm(5, 5);
  HDC dc = bm.getDC();
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(bm.getBits(), (LICE_pixel*)SWELL_GetCtxFrameBuffer(dc));
  // {width, resized, row span after}: the same context while the span suffices.
  const int steps[][3] = {{5, 0, 8}, {3, 1, 8}, {6, 1, 8}, {6, 0, 8}, {9, 1, 12}};
  for (auto& st : steps) {
    EXPECT_EQ(bm.resize(st[0], 5), st[1] != 0) << st[0];
    EXPECT_EQ(bm.getRowSpan(), st[2]) << st[0];
    EXPECT_TRUE(st[2] != 8 || bm.getDC() == dc);
  }
  EXPECT_NE(bm.getBits(), nullptr);
  bm.resize(0, 5);
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getDC(), nullptr);
}

TEST(Copy, ResizesTheDestinationToTheSource) {
  LICE_MemBitmap src(3, 2), dest(10, 10);
  LICE_SysBitmap sys;
  LICE_Clear(&src, 0x11223344);
  for (LICE_IBitmap* d : {(LICE_IBitmap*)&dest, (LICE_IBitmap*)&sys}) {
    LICE_Copy(d, &src);
    EXPECT_EQ(d->getWidth(), 3);
    EXPECT_EQ(d->getHeight(), 2);
    EXPECT_EQ(LICE_GetPixel(d, 2, 1), 0x11223344u);
  }
}
