// The generated images: sizes and frames as the editor loads them, a marker in every frame,
// and the visible controls placed with them inside the editor and apart from one another.

#include <memory>

#include "WDL/IPlug/IGraphicsStructs.h"
#include "support/png_test_io.h"
#include "tools/ImageTable.h"

namespace {

const ImageInfo& Find(const std::string& file) {
  for (const ImageInfo& s : kImageTable)
    if (file == s.file) return s;
  throw std::runtime_error(file);
}

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
  std::vector<std::pair<std::string, IRECT>> rects = {{"scales", IRECT(81, 68, 134, 84)},
                                                      {"rhythms", IRECT(27, 315, 55, 335)},
                                                      {"roll", IRECT(167, 11, 696, 261)}};
  for (int i = 0; i < 9; ++i) rects.push_back({"octave", IRECT(9 + 16 * i, 143, 23 + 16 * i, 157)});
  for (auto [file, x, y] : {std::tuple{"SAVE.png", 611, 290},
                            {"button_small_onoff.png", 21, 53},
                            {"NEW_MELODY.png", 531, 282},
                            {"CLEAR.png", 73, 270},
                            {"TAP.png", 6, 210},
                            {"knob_medium_light_x6.png", 309, 304},
                            {"knob_big_light_x10.png", 184, 301},
                            {"EffectSelect.png", 409, 338},
                            {"LOCK_ALL.png", 93, 322},
                            {"ZOOM_OUT.png", 681, 271},
                            {"ZOOM_IN.png", 662, 269},
                            {"button_small_orange.png", 401, 323},
                            {"Left.png", 608, 343},
                            {"knob_medium_light.png", 456, 310},
                            {"SCALE_CHORD.png", 90, 84}})
    rects.push_back({file, IRECT(x, y, x + Find(file).w, y + Find(file).h)});
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
