// The generated images: sizes and frames as the editor loads them, a marker in every frame,
// and the visible controls placed with them inside the editor and apart from one another.

#include <memory>

#include "editor_places.h"
#include "support/png_test_io.h"
#include "tools/ImageTable.h"

namespace {

using qvtest::Find;

TEST(Images, SizesFramesAndMarkers) {
  ASSERT_EQ(20, kNumImages);
  for (int i = 0; i < kNumImages; ++i) {
    const ImageInfo& s = kImageTable[i];
    std::unique_ptr<LICE_MemBitmap> bmp(qvtest::ReadPng(std::string(QV_IMAGES_DIR) + "/" + s.file));
    ASSERT_TRUE(bmp) << s.file;
    EXPECT_EQ(s.w, bmp->getWidth()) << s.file;
    EXPECT_EQ(s.h * s.frames, bmp->getHeight()) << s.file;
    for (int f = 0; f < s.frames; ++f)
      ASSERT_EQ(MarkerPixel(i + 1, f + 1), LICE_GetPixel(bmp.get(), 0, (f + 1) * s.h - 1))
          << s.file;
  }
  // The knobs' frame counts and the editor's size (the keys' sizes are the keyboard test's).
  EXPECT_EQ(8, Find("knob_medium_light_x6.png").frames);
  EXPECT_EQ(10, Find("knob_big_light_x10.png").frames);
  EXPECT_EQ(128, Find("knob_medium_light.png").frames);
  EXPECT_EQ(710, Find("bg.png").w);
  EXPECT_EQ(365, Find("bg.png").h);
}

TEST(Images, ControlsFitTheEditorApart) {
  std::vector<std::pair<std::string, IRECT>> rects;
  for (const qvtest::Place& p : qvtest::VisibleControls()) rects.push_back({p.name, p.rect});
  for (size_t i = 0; i < rects.size(); ++i) {
    const IRECT& r = rects[i].second;
    EXPECT_TRUE(r.L >= 0 && r.T >= 0 && r.R <= 710 && r.B <= 365) << rects[i].first;
    for (size_t j = i + 1; j < rects.size(); ++j) {
      const IRECT& o = rects[j].second;
      EXPECT_TRUE(r.R <= o.L || o.R <= r.L || r.B <= o.T || o.B <= r.T)
          << rects[i].first << " / " << rects[j].first;
    }
  }
}

} // namespace
