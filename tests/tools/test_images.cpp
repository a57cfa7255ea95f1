// The generated images: sizes and frames as the editor loads them, a marker in every frame,
// and the controls placed with them fitting the editor without overlapping.

#include <memory>

#include "support/png_test_io.h"
#include "WDL/IPlug/IGraphicsStructs.h"
#include "tools/ImageSpecs.h"

namespace {

std::unique_ptr<LICE_MemBitmap> Load(const char* file) {
  return std::unique_ptr<LICE_MemBitmap>(qvtest::ReadPng(std::string(QV_IMAGES_DIR) + "/" + file));
}

TEST(Images, SizesFramesAndMarkers) {
  ASSERT_EQ(20, kNumImages);
  for (int i = 0; i < kNumImages; ++i) {
    const ImageSpec& s = kImageSpecs[i];
    SCOPED_TRACE(s.file);
    auto bmp = Load(s.file);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(s.w, bmp->getWidth());
    EXPECT_EQ(s.h * s.frames, bmp->getHeight());
    for (int f = 0; f < s.frames; ++f) {
      ASSERT_EQ(MarkerPixel(i + 1, f + 1), LICE_GetPixel(bmp.get(), 0, (f + 1) * s.h - 1)) << f;
    }
  }
}

const ImageSpec* Find(const char* file) {
  for (const ImageSpec& s : kImageSpecs)
    if (std::string(s.file) == file) return &s;
  return nullptr;
}

// What the editor asks of the images: the frame counts it loads them with, the background's
// size, white keys as wide as the octave's key offsets need (7 x 12 = 84, B at 72) and black
// keys as wide as the gap from C# (8) to D (12) and beyond it to D# (20) allows.
TEST(Images, MatchWhatTheEditorLoads) {
  struct Need {
    const char* file;
    int id, frames;
  } needs[] = {{"bg.png", 102, 1},
               {"SAVE.png", 116, 2},
               {"button_small_onoff.png", 110, 2},
               {"NEW_MELODY.png", 119, 2},
               {"CLEAR.png", 113, 2},
               {"TAP.png", 118, 2},
               {"button_small_blue.png", 111, 2},
               {"knob_medium_light_x6.png", 108, 8},
               {"knob_big_light_x10.png", 107, 10},
               {"EffectSelect.png", 121, 2},
               {"LOCK_ALL.png", 133, 2},
               {"ZOOM_OUT.png", 131, 2},
               {"ZOOM_IN.png", 130, 2},
               {"button_small_orange.png", 112, 2},
               {"Left.png", 124, 2},
               {"knob_medium_light.png", 208, 128},
               {"SCALE_CHORD.png", 129, 2},
               {"shitkeyboard.png", 123, 1},
               {"wk.png", 104, 6},
               {"bk.png", 105, 1}};
  for (const Need& n : needs) {
    const ImageSpec* s = Find(n.file);
    ASSERT_TRUE(s) << n.file;
    EXPECT_EQ(n.id, s->id) << n.file;
    EXPECT_EQ(n.frames, s->frames) << n.file;
  }
  EXPECT_EQ(710, Find("bg.png")->w);
  EXPECT_EQ(365, Find("bg.png")->h);
  EXPECT_EQ(12, Find("wk.png")->w);
  EXPECT_EQ(8, Find("bk.png")->w);
  EXPECT_LE(Find("bk.png")->h, Find("wk.png")->h);
}

// The visible controls at their places: inside the editor and apart from one another.
TEST(Images, ControlsFitTheEditorApart) {
  struct Placed {
    const char* file;
    int x, y;
  } placed[] = {{"SAVE.png", 611, 290},
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
                {"SCALE_CHORD.png", 90, 84}};
  std::vector<std::pair<std::string, IRECT>> rects = {{"scales", IRECT(81, 68, 134, 84)},
                                                      {"rhythms", IRECT(27, 315, 55, 335)},
                                                      {"roll", IRECT(167, 11, 696, 261)}};
  for (int i = 0; i < 9; ++i) rects.push_back({"octave", IRECT(9 + 16 * i, 143, 23 + 16 * i, 157)});
  for (const Placed& p : placed) {
    const ImageSpec* s = Find(p.file);
    rects.push_back({p.file, IRECT(p.x, p.y, p.x + s->w, p.y + s->h)});
  }
  for (size_t i = 0; i < rects.size(); ++i) {
    const IRECT& r = rects[i].second;
    EXPECT_TRUE(r.L >= 0 && r.T >= 0 && r.R <= 710 && r.B <= 365) << rects[i].first;
    for (size_t j = i + 1; j < rects.size(); ++j) {
      const IRECT& o = rects[j].second;
      const bool apart = r.R <= o.L || o.R <= r.L || r.B <= o.T || o.B <= r.T;
      EXPECT_TRUE(apart) << rects[i].first << " / " << rects[j].first;
    }
  }
}

} // namespace
