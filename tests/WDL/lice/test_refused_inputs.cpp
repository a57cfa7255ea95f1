// Non-finite and huge alphas and float arguments are refused at each public entry: nothing
// is drawn (the sanitizer build checks that no float-to-int conversion overflows on the way).
#include "WDL/lice/lice.h"
#include "WDL/lice/lice_glyph.h"
#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/lice_text.h"
#include "WDL/swell/swell-functions.h"
#include "WDL/lice/lice_test_bitmaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

const float kNan = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// v is the value under test; every call draws something when v is 1.
struct Entry {
  const char* name;
  std::function<void(TestBitmap& d, TestBitmap& s, float v)> draw;
};

LICE_CachedFont& Font() {
  static LICE_CachedFont f;
  static bool init = false;
  if (!init) {
    f.SetFromHFont(CreateFont(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "Arial"), 0x200);
    f.SetTextColor(0xFFFFFFFF);
    init = true;
  }
  return f;
}

const Entry kAlphaEntries[] = {
    {"Blit",
     [](TestBitmap& d, TestBitmap& s, float v) { LICE_Blit(&d, &s, 0, 0, 0, 0, 8, 8, v, 1); }},
    {"FillRect",
     [](TestBitmap& d, TestBitmap&, float v) { LICE_FillRect(&d, 0, 0, 8, 8, 0xFF808080, v, 1); }},
    {"PutPixel",
     [](TestBitmap& d, TestBitmap&, float v) { LICE_PutPixel(&d, 3, 3, 0xFF808080, v, 1); }},
    {"Line", [](TestBitmap& d, TestBitmap&,
                float v) { LICE_Line(&d, 0, 0, 9, 5, 0xFF808080, v, 1, false); }},
    {"FillTrapezoid", [](TestBitmap& d, TestBitmap&,
                         float v) { LICE_FillTrapezoid(&d, 0, 5, 0, 1, 7, 6, 0xFF808080, v, 1); }},
    {"Circle", [](TestBitmap& d, TestBitmap&,
                  float v) { LICE_FillCircle(&d, 6, 6, 5, 0xFF808080, v, 1, true); }},
    {"FLine", [](TestBitmap& d, TestBitmap&,
                 float v) { LICE_FLine(&d, 0.5f, 1, 9.5f, 6, 0xFF808080, v, 1, true); }},
    {"DashedLine", [](TestBitmap& d, TestBitmap&,
                      float v) { LICE_DashedLine(&d, 0, 2, 10, 2, 2, 1, 0xFF808080, v, 1); }},
    {"Glyph",
     [](TestBitmap& d, TestBitmap&, float v) {
       const unsigned char mask[4] = {255, 128, 64, 255};
       LICE_DrawGlyph(&d, 2, 2, 0xFF808080, mask, 2, 2, v, 1);
     }},
    {"ScaledBlit", [](TestBitmap& d, TestBitmap& s,
                      float v) { LICE_ScaledBlit(&d, &s, 0, 0, 12, 12, 0, 0, 6, 6, v, 1); }},
    {"RotatedBlit",
     [](TestBitmap& d, TestBitmap& s, float v) {
       LICE_RotatedBlit(&d, &s, 0, 0, 12, 12, 0, 0, 8, 8, 0.3f, false, v, 1);
     }},
    {"CachedText",
     [](TestBitmap& d, TestBitmap&, float v) {
       Font().SetCombineMode(1, v);
       RECT r = {0, 0, 16, 16};
       Font().DrawText(&d, "W", -1, &r, 0);
     }},
};

// Non-alpha float arguments: v replaces one coordinate or factor.
const Entry kValueEntries[] = {
    {"MultiplyAddRect",
     [](TestBitmap& d, TestBitmap&, float v) {
       LICE_MultiplyAddRect(&d, 0, 0, 8, 8, 1, 0.5f * v, 1, 1, 0, 0, 0, 0);
     }},
    {"GradRect",
     [](TestBitmap& d, TestBitmap&, float v) {
       LICE_GradRect(&d, 0, 0, 8, 8, 0.5f, 0.5f, 0.5f, 1, 0, 0.01f * v, 0, 0, 0, 0, 0, 0, 0);
     }},
    {"ScaledBlit source",
     [](TestBitmap& d, TestBitmap& s, float v) {
       LICE_ScaledBlit(&d, &s, 0, 0, 12, 12, v - 1, 0, 6, 6, 1, 1);
     }},
    {"Arc", [](TestBitmap& d, TestBitmap&,
               float v) { LICE_Arc(&d, 6, 6, 5 * v, 0, 3, 0xFF808080, 1, 1, false); }},
};

void Check(const Entry& e, const std::vector<float>& bad) {
  TestBitmap src(8, 8);
  src.Randomize(7, 0xFF000000);
  TestBitmap ref(12, 12, false, 12, 0xFF102030), d = ref;
  e.draw(d, src, 1.0f);
  EXPECT_TRUE(d.raw() != ref.raw()) << e.name << " draws nothing at 1";
  for (float v : bad) {
    TestBitmap t = ref;
    e.draw(t, src, v);
    EXPECT_TRUE(t.raw() == ref.raw()) << e.name << " at " << v;
  }
}

} // namespace

TEST(RefusedInputs, AlphasThatAreNotFiniteOrHuge) {
  for (const Entry& e : kAlphaEntries) Check(e, {kNan, kInf, -kInf, 1e30f, -1e30f, 16.5f, -17.0f});
}

TEST(RefusedInputs, OtherFloatArguments) {
  for (const Entry& e : kValueEntries) Check(e, {kNan, kInf, -kInf});
  Check(kValueEntries[0], {1e6f, -600.0f}); // factors whose sums would pass the int range
}

TEST(RefusedInputs, CombinePixelsKeepsTheDestination) {
  for (float v : {kNan, kInf, 1e30f, -20.0f})
    EXPECT_EQ(LICE_CombinePixels(0x12345678, 0xFFFFFFFF, v, 1), 0x12345678u) << v;
  EXPECT_EQ(LICE_CombinePixels(0x12345678, 0xFFFFFFFF, 16.0f, 1), 0xFFFFFFFFu);
}
