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

// Draws text with a cached font made from a face, size, weight and font flags.
void Draw(LICE_IBitmap* bm, const char* text, RECT r, unsigned dtflags, const char* face, int size,
          int weight, int flags, LICE_pixel colour, LICE_pixel effect = 0) {
  LICE_CachedFont f;
  f.SetFromHFont(CreateFont(size, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, 4, 0, face), flags);
  f.SetTextColor(colour);
  f.SetEffectColor(effect);
  f.DrawText(bm, text, -1, &r, dtflags);
}

} // namespace

TEST(TextGolden, ChooserLabelOnTheNativePath) {
  LICE_SysBitmap bm(150, 24);
  LICE_Clear(&bm, 0xff303438);
  Draw(&bm, "Harmonic Minor", {0, 0, 150, 24}, DT_CENTER | DT_VCENTER, "Arial", 14, 400, 0x600,
       0xffe8e8e8);
  ExpectMatchesGolden("label_native.png", bm);
}

TEST(TextGolden, NoteNamesOnTheGlyphPath) {
  LICE_MemBitmap bm(120, 16);
  LICE_Clear(&bm, 0xfff0f0f0);
  Draw(&bm, "C4 D#4 F#5 A-1", {2, 2, 120, 16}, 0, "Arial", 10, 400, 0x200, 0xff202020);
  ExpectMatchesGolden("notes_cached.png", bm);
}

TEST(TextGolden, EffectsAndVerticalText) {
  LICE_MemBitmap bm(140, 60);
  LICE_Clear(&bm, 0xff000000);
  Draw(&bm, "Shadow", {4, 2, 140, 30}, 0, "Arial", 16, 400, 0x280, 0xffffffff, 0xff4080ff);
  Draw(&bm, "Up", {120, 0, 140, 60}, 0, "Monaco", 12, 400, 0x201, 0xffffc040);
  Draw(&bm, "Mono\nBold", {4, 26, 110, 60}, 0, "Monaco", 12, 700, 0x200, 0xff80ff80);
  ExpectMatchesGolden("effects_cached.png", bm);
}
