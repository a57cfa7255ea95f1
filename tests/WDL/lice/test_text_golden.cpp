// Rendered text compared with images kept in golden/ (made once and looked at). Fonts allow
// small differences; a failing comparison writes the actual image into the build folder.
#include "WDL/lice/lice_text.h"
#include "WDL/swell/swell-functions.h"

#include <gtest/gtest.h>

#include <string>

#include "support/png_test_io.h"

namespace {

// Every channel within 48 of the golden and the mean difference under 1.5 per channel.
void ExpectMatchesGolden(const char* name, LICE_IBitmap& bm) {
  const std::string golden = std::string(QV_SOURCE_DIR) + "/tests/WDL/lice/golden/" + name;
  EXPECT_TRUE(qvtest::MatchesGolden(&bm, golden, {48, 0, 1.5, false}, false));
}

HFONT Font(const char* face, int size, int weight = 400) {
  return CreateFont(size, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, 4, 0, face);
}

} // namespace

TEST(TextGolden, ChooserLabelOnTheNativePath) {
  LICE_SysBitmap bm(150, 24);
  LICE_Clear(&bm, 0xff303438);
  LICE_CachedFont f;
  f.SetFromHFont(Font("Arial", 14), 0x600);
  f.SetTextColor(0xffe8e8e8);
  RECT r = {0, 0, 150, 24};
  f.DrawText(&bm, "Harmonic Minor", -1, &r, DT_CENTER | DT_VCENTER);
  ExpectMatchesGolden("label_native.png", bm);
}

TEST(TextGolden, NoteNamesOnTheGlyphPath) {
  LICE_MemBitmap bm(120, 16);
  LICE_Clear(&bm, 0xfff0f0f0);
  LICE_CachedFont f;
  f.SetFromHFont(Font("Arial", 10), 0x200);
  f.SetTextColor(0xff202020);
  RECT r = {2, 2, 120, 16};
  f.DrawText(&bm, "C4 D#4 F#5 A-1", -1, &r, 0);
  ExpectMatchesGolden("notes_cached.png", bm);
}

TEST(TextGolden, EffectsAndVerticalText) {
  LICE_MemBitmap bm(140, 60);
  LICE_Clear(&bm, 0xff000000);
  LICE_CachedFont shadow, vertical, bold;
  shadow.SetFromHFont(Font("Arial", 16), 0x280);
  shadow.SetTextColor(0xffffffff);
  shadow.SetEffectColor(0xff4080ff);
  vertical.SetFromHFont(Font("Monaco", 12), 0x201);
  vertical.SetTextColor(0xffffc040);
  bold.SetFromHFont(Font("Monaco", 12, 700), 0x200);
  bold.SetTextColor(0xff80ff80);
  RECT a = {4, 2, 140, 30}, b = {120, 0, 140, 60}, c = {4, 26, 110, 60};
  shadow.DrawText(&bm, "Shadow", -1, &a, 0);
  vertical.DrawText(&bm, "Up", -1, &b, 0);
  bold.DrawText(&bm, "Mono\nBold", -1, &c, 0);
  ExpectMatchesGolden("effects_cached.png", bm);
}
