// Text from bytes that may not be UTF-8 reads the same on the editor's bitmap, in a menu
// item's title and in a text field: one rule, whatever path the text takes.
#include "mac_editor.h"

#include "WDL/IPlug/IPopupMenu.h"
#include "WDL/lice/lice_text.h"
#include "WDL/swell/swell-functions.h"

namespace {

struct Bytes {
  const char* what;
  const char* bytes;
  const char* text; // what a person reads, in UTF-8
};
const Bytes kBytes[] = {
    {"ASCII", "Ab", "Ab"},
    {"two-byte UTF-8", "A\xC3\xA9", "A\xC3\xA9"},
    {"a lone 0xE9", "A\xE9", "A\xC3\xA9"},
    {"an overlong form", "A\xC0\xAF", "A\xC3\x80\xC2\xAF"},
    {"a surrogate", "A\xED\xA0\x80", "A\xC3\xAD\xC2\xA0\xC2\x80"},
};

// The text drawn white on black by the raster text path (glyph by glyph, or whole through
// the native text drawing, as the font asks).
std::vector<LICE_pixel> Drawn(LICE_CachedFont& font, const char* text) {
  LICE_MemBitmap bm(60, 20);
  LICE_Clear(&bm, 0xFF000000);
  RECT r = {2, 2, 60, 20};
  font.DrawText(&bm, text, -1, &r, DT_SINGLELINE | DT_NOPREFIX);
  return std::vector<LICE_pixel>(bm.getBits(), bm.getBits() + 60 * 20);
}

TEST_F(MacEditorTest, BytesReadTheSameOnTheBitmapInAMenuAndInATextField) {
  Open();
  LICE_CachedFont glyphs, native;
  glyphs.SetFromHFont(CreateFont(14, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "Arial"),
                      LICE_FONT_FLAG_OWNS_HFONT);
  native.SetFromHFont(CreateFont(14, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "Arial"),
                      LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_FORCE_NATIVE);
  IRECT r(10, 20, 50, 40);
  for (const Bytes& b : kBytes) {
    SCOPED_TRACE(b.what);
    for (LICE_CachedFont* font : {&glyphs, &native}) {
      font->SetTextColor(0xFFFFFFFF);
      const std::vector<LICE_pixel> drawn = Drawn(*font, b.bytes);
      EXPECT_EQ(drawn, Drawn(*font, b.text));
      EXPECT_NE(drawn, Drawn(*font, "A")); // every byte shows
    }

    IPopupMenu menu;
    menu.AddItem(b.bytes);
    g->CreateIPopupMenu(&menu, &r); // dismissed
    ASSERT_EQ(PlatformTest_LastMenu().items.size(), 1u);
    EXPECT_EQ(PlatformTest_LastMenu().items[0].title, b.text);

    g->CreateTextEntry(g->GetControl(3), g->GetControl(3)->GetText(), &r, b.bytes, nullptr);
    NSTextField* field = PlatformTest_EditedTextField(window);
    ASSERT_NE(field, nullptr);
    EXPECT_STREQ(field->stringValue()->UTF8String(), b.text);
    EXPECT_TRUE(PlatformTest_CommitText(window));
  }
  // No text at all: an empty field.
  g->CreateTextEntry(g->GetControl(3), g->GetControl(3)->GetText(), &r, nullptr, nullptr);
  ASSERT_NE(PlatformTest_EditedTextField(window), nullptr);
  EXPECT_STREQ(PlatformTest_EditedTextField(window)->stringValue()->UTF8String(), "");
  EXPECT_TRUE(PlatformTest_CommitText(window));
}

} // namespace
