#pragma once
// The words the image generator writes on the editor's images: labels on the buttons and
// captions on the background beside the knobs and small buttons. Each is set in DejaVu Sans
// Bold through the CoreText stand-in (so the font folder is found as everywhere else), at the
// largest size up to its own whose extents (advance width, ascent + descent) fit its area
// less kLabelMargin on every side.

#include <cstdint>
#include <vector>

struct Rgb {
  int r, g, b;
};

// A rectangle in one frame's pixels: left and top inside, right and bottom outside.
struct Box {
  double l, t, r, b;
};

enum class Align { kLeft, kCentre, kRight };

struct LabelSpec {
  const char* file; // the image it is drawn on
  int frame;        // 0: every frame; otherwise only this one, from 1
  const char* text; // UTF-8, one line
  Box area;         // where the text may lie
  Align align;      // across the area; always centred top to bottom
  double maxSize;   // pixels
  Rgb colour;
};

extern const LabelSpec kLabels[];
extern const int kNumLabels;

// Clear pixels kept between a label's extents and its area's edges.
inline constexpr double kLabelMargin = 2.0;
// Below this a label is no longer legible: the generator fails rather than draw it.
inline constexpr double kMinLabelSize = 7.0;

struct PlacedLabel {
  double size = 0;                // pixels
  double x = 0, baseline = 0;     // pen origin, whole pixels
  double width = 0;               // sum of advances
  double ascent = 0, descent = 0; // the font's, at the size
  Box Extents() const { return {x, baseline - ascent, x + width, baseline + descent}; }
};

// Lays a label out; false when it fits at no size down to kMinLabelSize or the font is
// missing.
bool PlaceLabel(const LabelSpec& spec, PlacedLabel* out);

// The font's extents of text at size: width (sum of advances), ascent and descent; false
// when the font is missing.
bool MeasureText(const char* text, double size, double* width, double* ascent, double* descent);

// The text's anti-aliased coverage (0..255) over a w x h frame, rows top-down.
std::vector<uint8_t> LabelCoverage(const LabelSpec& spec, const PlacedLabel& placed, int w, int h);
