#include "WDL/IPlug/IGraphicsCaches.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "WDL/IPlug/gui/headless_graphics.h"
#include "WDL/lice/lice_text.h"

namespace {

TEST(Caches, OneLoadPerImageIdAcrossEditorsAndReleases) {
  const std::string dir = std::string(QV_BINARY_DIR) + "/gui_cache_images";
  mkdir(dir.c_str(), 0755);
  LICE_MemBitmap png(20, 60);
  LICE_Clear(&png, 0xFF102030);
  ASSERT_TRUE(qvtest::WritePng(&png, dir + "/knob.png"));
  HeadlessGraphics a(nullptr, 10, 10, dir), b(nullptr, 10, 10, dir);
  IBitmap k1 = a.LoadIBitmap(101, "resources/img/knob.png", 3, false);
  IBitmap k2 = b.LoadIBitmap(101, "resources/img/none.png", 2, true); // the id decides
  EXPECT_EQ(HeadlessGraphics::loads[101], 1);
  EXPECT_EQ(k1.mData, k2.mData);
  EXPECT_EQ(k2.W, 20);
  EXPECT_EQ(k2.N, 2);
  IRECT part(2, 10, 8, 20);
  IBitmap crop = a.CropBitmap(&k1, &part);
  EXPECT_EQ(LICE_GetPixel((LICE_IBitmap*)crop.mData, 5, 9), 0xFF102030u);
  a.ReleaseBitmap(&crop); // cached: deleted
  LICE_MemBitmap own(2, 2);
  IBitmap mine(&own, 2, 2, 1, false);
  a.ReleaseBitmap(&mine); // not cached: left alone
}

TEST(CachesDeathTest, MissingImageIsAnAssertion) {
  HeadlessGraphics g(nullptr, 10, 10, "/nonexistent");
  EXPECT_DEATH(g.LoadIBitmap(103, "missing.png"), "imgResourceFound");
}

TEST(Caches, FontsSharedByShapingAttributes) {
  HeadlessGraphics g(nullptr, 10, 10);
  IText base(13, &COLOR_BLACK, "Monaco");
  LICE_IFont* f = g.CacheFont(&base);
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(base.mCached, f);
  EXPECT_NEAR(f->GetLineHeight(), 13, 1); // refitted toward the requested size
  IText colour(13, &COLOR_RED, "Monaco", IText::kStyleNormal, IText::kAlignFar, 0,
               IText::kQualityAntiAliased);
  EXPECT_EQ(g.CacheFont(&colour), f);
  IText bold(13, &COLOR_BLACK, "Monaco", IText::kStyleBold), size(14, &COLOR_BLACK, "Monaco"),
      face(13, &COLOR_BLACK, "monaco"),
      turned(13, &COLOR_BLACK, "Monaco", IText::kStyleNormal, IText::kAlignCenter, 90);
  for (IText* t : {&bold, &size, &face, &turned}) EXPECT_NE(g.CacheFont(t), f);

  IText tiny(1, &COLOR_BLACK, "Monaco");
  LICE_IFont* small = g.CacheFont(&tiny);
  ASSERT_NE(small, nullptr);
  EXPECT_GE(small->GetLineHeight(), 1);
}

} // namespace
