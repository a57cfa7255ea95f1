// The font engine behind our CoreText stand-in: DejaVu faces through FreeType.
// Internal to the platform library; the public face is <CoreText/CoreText.h>.
//
// Choices this stand-in makes where the platform's own behaviour is not ours to copy:
// - Faces: a face name resolves to one of the DejaVu faces (see qv_ct_ResolveFace); an
//   unknown name resolves to nothing, so callers fall back to the label font (DejaVu Sans).
//   " Bold" picks the bold file; " Italic" slants the upright outline by about 12 degrees,
//   so only the files of the core DejaVu package are needed.
// - Metrics: ascent, descent and leading are the face's horizontal-header values scaled
//   from font units to the point size (1 point = 1 pixel); glyphs are not hinted, so every
//   measure scales linearly with the size.
// - Glyph placement: the pen advances by each glyph's unrounded advance; every glyph's
//   origin is then rounded to the nearest whole pixel, so a glyph image can be reused.
// - Kerning: none. A line is as wide as the sum of its advances, which is also what a
//   renderer that measures characters one at a time adds up.
// - Line breaks: "\n", "\r", "\r\n" and U+2028 end a line in a frame; a final line break
//   opens no further line. Inside a single line a line break and every other control
//   character below U+0020 is skipped (no ink, no advance). Characters the face lacks draw
//   its missing-glyph box.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv_ct {

// Where the DejaVu files are looked for: $QV_FONT_DIR when set (tests point it elsewhere),
// else the standard Debian folder.
std::string FontDir();

struct FaceInfo {
  std::string file;       // file name inside FontDir()
  std::string postscript; // e.g. "DejaVuSans-Bold"
  std::string display;    // e.g. "DejaVu Sans Bold"
  bool oblique = false;   // slant the upright outline
};

// Maps a face name ("Arial", "Monaco Bold", "DejaVuSans-Oblique"...) to a face; false
// when the name is unknown.
bool ResolveFace(const char* name, FaceInfo* out);

// Coverage image of one glyph: rows top-down, `left`/`top` place its top-left corner
// relative to the glyph origin on the baseline (top grows upwards), in pixels.
struct GlyphImage {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<uint8_t> coverage; // width x height bytes, 0-255 (only 0 and 255 when mono)
};

// One face at one size. Not thread-safe on its own: one thread uses a font at a time.
class Font {
public:
  // Null when the face's file is missing or unreadable.
  static Font* Create(const FaceInfo& info, double size);
  ~Font();

  double Size() const { return mSize; }
  double Ascent() const { return mAscent; }
  double Descent() const { return mDescent; }
  double Leading() const { return mLeading; }
  const FaceInfo& Info() const { return mInfo; }

  // Glyph index of a code point; 0 (the missing glyph) when the face lacks it.
  uint32_t GlyphFor(uint32_t codepoint);
  // Advance in pixels (unrounded).
  double Advance(uint32_t glyph);
  // The glyph's image, kept for the font's lifetime; null when FreeType fails.
  const GlyphImage* Image(uint32_t glyph, bool antialias);

private:
  Font() = default;
  struct Impl;
  Impl* mImpl = nullptr;
  FaceInfo mInfo;
  double mSize = 0, mAscent = 0, mDescent = 0, mLeading = 0;
};

// A run of glyphs laid out on one line, pen positions relative to the line's start.
struct LaidLine {
  std::vector<uint32_t> glyphs;
  std::vector<double> xs;
  double width = 0;
};

// Decodes text into code points by the project's one UTF-8 rule (WDL/utf8.h).
std::vector<uint32_t> DecodeUtf8(const char* text, size_t len);
// Lays out code points; `multiline` splits at line breaks (see above), otherwise one line.
std::vector<LaidLine> Layout(Font* font, const std::vector<uint32_t>& cps, bool multiline);

// A 32-bit memory surface, pixels 0xXXRRGGBB, rows top-down, `stride` in pixels. Drawing
// writes only inside [clipLeft, clipRight) x [clipTop, clipBottom) and keeps the top byte.
struct Surface {
  uint32_t* pixels = nullptr;
  int width = 0, height = 0, stride = 0;
  int clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
};

// Draws a laid-out line with its origin at (x, baseline) in surface pixels, in a colour of
// components 0..1 (alpha scales coverage).
void DrawLine(const Surface& s, Font* font, const LaidLine& line, double x, double baseline,
              const float rgba[4], bool antialias);

} // namespace qv_ct

// Records behind the CoreFoundation, CoreGraphics and CoreText handles that text uses.
#include "PlatformInternal.h"
#include <CoreText/CoreText.h>

#include <utility>

struct __CFString : PlatformObject {
  explicit __CFString(std::string t);
  std::string utf8;
};

struct __CFArray : PlatformObject {
  std::vector<const void*> values; // held through callBacks
  CFArrayCallBacks callBacks = kCFTypeArrayCallBacks;
  bool isMutable = false;
  CFIndex capacity = 0; // 0: unbounded
  ~__CFArray() override;
};

struct __CFDictionary : PlatformObject {
  std::vector<std::pair<const void*, const void*>> pairs; // both retained
  bool isMutable = false;
  CFIndex capacity = 0; // 0: unbounded
  ~__CFDictionary() override;
};

struct __CFAttributedString : PlatformObject {
  CFStringRef string = nullptr;         // retained
  CFDictionaryRef attributes = nullptr; // retained, may be null
  ~__CFAttributedString() override;
};

struct CGPath : PlatformObject {
  std::vector<CGRect> rects;
};

struct __CTFont : PlatformObject {
  qv_ct::Font* font = nullptr; // owned
  ~__CTFont() override;
};

struct __CTLine : PlatformObject {
  CTFontRef font = nullptr;   // retained
  CGColorRef color = nullptr; // retained, null for black
  qv_ct::LaidLine laid;
  ~__CTLine() override;
};

struct __CTFramesetter : PlatformObject {
  CFAttributedStringRef string = nullptr; // retained
  ~__CTFramesetter() override;
};

struct __CTFrame : PlatformObject {
  __CFArray* lines = nullptr; // owned
  ~__CTFrame() override;
};
