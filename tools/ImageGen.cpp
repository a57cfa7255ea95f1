// Draws the editor's images into a folder: qv_imagegen <output folder>.
// Flat shapes with soft edges and the words of tools/Labels.h, frames stacked vertically, a
// marker pixel in every frame.

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/ImageTable.h"
#include "tools/Labels.h"

namespace {

Rgb Mix(Rgb a, Rgb b, double t) {
  return {(int)std::lround(a.r + (b.r - a.r) * t), (int)std::lround(a.g + (b.g - a.g) * t),
          (int)std::lround(a.b + (b.b - a.b) * t)};
}

Rgb Lighter(Rgb c, double t) {
  return Mix(c, {255, 255, 255}, t);
}

// One frame's pixels, straight alpha, 0xAARRGGBB.
class Canvas {
public:
  Canvas(int w, int h) : mW(w), mH(h), mPx((size_t)w * h, 0) {}
  int W() const { return mW; }
  int H() const { return mH; }
  uint32_t& At(int x, int y) { return mPx[(size_t)y * mW + x]; }

  // Source-over with the shape's coverage (0..1) as alpha.
  void Blend(int x, int y, Rgb c, double cover) {
    if (x < 0 || y < 0 || x >= mW || y >= mH || cover <= 0.0) return;
    cover = std::min(1.0, cover);
    const uint32_t d = At(x, y);
    const double da = (d >> 24) / 255.0;
    const double oa = cover + da * (1.0 - cover);
    auto ch = [&](int s, int shift) {
      const double dc = (d >> shift) & 0xFF;
      return oa > 0 ? (int)std::lround((s * cover + dc * da * (1.0 - cover)) / oa) : 0;
    };
    At(x, y) = ((uint32_t)std::lround(oa * 255) << 24) | ((uint32_t)ch(c.r, 16) << 16) |
               ((uint32_t)ch(c.g, 8) << 8) | (uint32_t)ch(c.b, 0);
  }

  // Fills where inside(px, py) holds within the box, 4 x 4 samples per pixel for soft edges.
  template <class F> void Shape(Rgb c, double l, double t, double r, double b, F inside) {
    const int x0 = std::max(0, (int)std::floor(l)), x1 = std::min(mW, (int)std::ceil(r));
    const int y0 = std::max(0, (int)std::floor(t)), y1 = std::min(mH, (int)std::ceil(b));
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        int n = 0;
        for (int sy = 0; sy < 4; ++sy)
          for (int sx = 0; sx < 4; ++sx)
            if (inside(x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0)) ++n;
        Blend(x, y, c, n / 16.0);
      }
  }

  void Rect(double l, double t, double r, double b, Rgb c) {
    Shape(c, l, t, r, b, [=](double x, double y) { return x >= l && x < r && y >= t && y < b; });
  }

  void RoundRect(double l, double t, double r, double b, double rad, Rgb c) {
    Shape(c, l, t, r, b, [=](double x, double y) {
      if (x < l || x >= r || y < t || y >= b) return false;
      const double cx = std::clamp(x, l + rad, r - rad), cy = std::clamp(y, t + rad, b - rad);
      return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= rad * rad;
    });
  }

  void Circle(double cx, double cy, double rad, Rgb c) {
    Shape(c, cx - rad, cy - rad, cx + rad, cy + rad, [=](double x, double y) {
      return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= rad * rad;
    });
  }

  // A line of the given width between two points, round ends.
  void Line(double x1, double y1, double x2, double y2, double width, Rgb c) {
    Shape(c, std::min(x1, x2) - width, std::min(y1, y2) - width, std::max(x1, x2) + width,
          std::max(y1, y2) + width, [=](double x, double y) {
            const double dx = x2 - x1, dy = y2 - y1, len2 = dx * dx + dy * dy;
            double t = len2 > 0 ? ((x - x1) * dx + (y - y1) * dy) / len2 : 0.0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = x1 + t * dx - x, ey = y1 + t * dy - y;
            return ex * ex + ey * ey <= width * width / 4.0;
          });
  }

  // Makes the rectangle transparent again.
  void Clear(int l, int t, int r, int b) {
    for (int y = std::max(0, t); y < std::min(mH, b); ++y)
      for (int x = std::max(0, l); x < std::min(mW, r); ++x) At(x, y) = 0;
  }

private:
  int mW, mH;
  std::vector<uint32_t> mPx;
};

// ---- Artwork ----

const Rgb kPanel{44, 48, 56}, kPanelDark{30, 32, 38}, kEdge{18, 19, 23}, kWell{14, 15, 18};

void DrawBackground(Canvas& c) {
  for (int y = 0; y < c.H(); ++y)
    c.Rect(0, y, c.W(), y + 1, Mix(kPanel, kPanelDark, y / (double)c.H()));
  // Side panel with the pool, rhythm and tap controls; strip under the roll.
  c.RoundRect(4, 40, 160, 360, 6, Mix(kPanel, {60, 66, 78}, 0.6));
  c.RoundRect(176, 264, 706, 362, 6, Mix(kPanel, {60, 66, 78}, 0.4));
  c.Rect(166, 10, 697, 262, kEdge);
  // Wells under the text choosers.
  c.RoundRect(80, 67, 135, 85, 3, kEdge);
  c.RoundRect(81, 68, 134, 84, 3, kWell);
  c.RoundRect(26, 314, 56, 336, 3, kEdge);
  c.RoundRect(27, 315, 55, 335, 3, kWell);
  c.Rect(8, 139, 156, 140, kEdge);
}

// A two-frame push button: frame 1 at rest, frame 2 lit. Lit shows as a warm ring, the
// face only a little lighter, so the label keeps its contrast.
void DrawButton(Canvas& c, Rgb base, bool lit) {
  const double w = c.W(), h = c.H(), r = std::min(w, h) * 0.25;
  const Rgb face = lit ? Lighter(base, 0.15) : base;
  const double in = lit ? 2 : 1;
  c.RoundRect(0, 0, w, h, r, kEdge);
  if (lit) c.RoundRect(1, 1, w - 1, h - 1, r - 1, {250, 196, 80});
  c.RoundRect(in, in, w - in, h - in, r - in, face);
  c.RoundRect(in + 1, in + 1, w - in - 1, h / 2, std::max(0.0, r - in - 1), Lighter(face, 0.12));
}

// A small round light.
void DrawLight(Canvas& c, Rgb base, bool lit) {
  const double m = c.W() / 2.0;
  c.Circle(m, m, m - 0.5, kEdge);
  c.Circle(m, m, m - 1.5, lit ? Lighter(base, 0.3) : Mix(base, kPanelDark, 0.7));
  if (lit) c.Circle(m - 1.5, m - 1.5, m / 3.0, Lighter(base, 0.7));
}

void DrawKnob(Canvas& c, int frame, int frames) {
  const double m = c.W() / 2.0, rad = m - 2;
  c.Circle(m, m + 1, rad, kEdge);
  c.Circle(m, m, rad, {92, 98, 110});
  c.Circle(m, m, rad - 3, {122, 128, 140});
  const double pi = 3.14159265358979323846;
  const double a = -0.75 * pi + 1.5 * pi * (frames > 1 ? frame / (double)(frames - 1) : 0.0);
  c.Line(m + (rad * 0.25) * std::sin(a), m - (rad * 0.25) * std::cos(a),
         m + (rad - 4) * std::sin(a), m - (rad - 4) * std::cos(a), 2.5, {240, 240, 240});
}

// The buttons whose word says it all carry no picture; this one has no word.
void DrawIcon(Canvas& c, const std::string& file) {
  if (file == "EffectSelect.png") c.Circle(c.W() / 2.0, c.H() / 2.0, 3, {235, 238, 242});
}

// The labels of this frame (from 0) over its artwork; false when one fits nowhere.
bool DrawLabels(Canvas& c, const ImageInfo& s, int frame) {
  for (int i = 0; i < kNumLabels; ++i) {
    const LabelSpec& l = kLabels[i];
    if (std::string(l.file) != s.file || (l.frame != 0 && l.frame != frame + 1)) continue;
    PlacedLabel p;
    if (!PlaceLabel(l, &p)) {
      fprintf(stderr, "qv_imagegen: \"%s\" does not fit %s\n", l.text, s.file);
      return false;
    }
    const std::vector<uint8_t> cover = LabelCoverage(l, p, c.W(), c.H());
    for (int y = 0; y < c.H(); ++y)
      for (int x = 0; x < c.W(); ++x) c.Blend(x, y, l.colour, cover[(size_t)y * c.W() + x] / 255.0);
  }
  return true;
}

// White-key shapes: where the neighbouring black keys cut into the key's top.
struct KeyShape {
  bool notchLeft, notchRight;
};
const KeyShape kWhiteShapes[6] = {{false, true}, {true, true}, {true, false},
                                  {true, true},  {true, true}, {false, false}};
const Rgb kLitWhite{255, 170, 160}, kLitBlack{170, 40, 40}, kKeyEdge{40, 40, 44};

void DrawWhiteKey(Canvas& c, int x, int y, int w, int h, KeyShape s, Rgb fill, int blackH) {
  c.Rect(x, y, x + w, y + h, kKeyEdge);
  c.Rect(x + 1, y, x + w - 1, y + h - 1, fill);
  // The black keys beside it are drawn over these corners.
  if (s.notchLeft) c.Clear(x, y, x + 4, y + blackH);
  if (s.notchRight) c.Clear(x + w - 4, y, x + w, y + blackH);
}

void DrawBlackKey(Canvas& c, int x, int y, int w, int h, Rgb fill) {
  c.Rect(x, y, x + w, y + h, kKeyEdge);
  c.Rect(x + 1, y, x + w - 1, y + h - 1, fill);
}

// The keyboard picture under the on-screen keyboard, which starts 7 pixels in.
void DrawKeyboardFrame(Canvas& c) {
  c.RoundRect(0, 0, c.W(), c.H(), 4, kEdge);
  const int x0 = 7, ww = 12, wh = 48, bw = 8, bh = 30;
  const int whiteX[7] = {0, 12, 24, 36, 48, 60, 72}, blackX[5] = {8, 20, 44, 56, 68};
  for (int oct = 0; oct < 6; ++oct)
    for (int k : whiteX)
      DrawWhiteKey(c, x0 + oct * 84 + k, 0, ww, wh, {false, false}, {244, 244, 240}, 0);
  DrawWhiteKey(c, x0 + 6 * 84, 0, ww, wh, {false, false}, {244, 244, 240}, 0);
  for (int oct = 0; oct < 6; ++oct)
    for (int k : blackX) DrawBlackKey(c, x0 + oct * 84 + k, 0, bw, bh, {24, 24, 28});
}

void DrawFrame(Canvas& c, const ImageInfo& s, int frame) {
  const std::string f = s.file;
  const bool lit = frame == 1;
  if (f == "bg.png") {
    DrawBackground(c);
  } else if (f == "shitkeyboard.png") {
    DrawKeyboardFrame(c);
  } else if (f == "wk.png") {
    // Top key (frame 6) has no black key beside it; the others are cut where theirs lie.
    DrawWhiteKey(c, 0, 0, c.W(), c.H(), kWhiteShapes[frame], kLitWhite, 30);
  } else if (f == "bk.png") {
    DrawBlackKey(c, 0, 0, c.W(), c.H(), kLitBlack);
  } else if (f.rfind("knob", 0) == 0) {
    DrawKnob(c, frame, s.frames);
  } else if (f == "button_small_onoff.png") {
    DrawLight(c, {90, 200, 120}, lit);
  } else if (f == "button_small_blue.png") {
    DrawLight(c, {70, 140, 230}, lit);
  } else if (f == "button_small_orange.png") {
    DrawLight(c, {240, 150, 50}, lit);
  } else {
    Rgb base{76, 84, 100};
    if (f == "NEW_MELODY.png") base = {40, 120, 170};
    if (f == "CLEAR.png" || f == "LOCK_ALL.png") base = {110, 90, 80};
    if (f == "TAP.png") base = {150, 70, 70};
    DrawButton(c, base, lit);
    DrawIcon(c, f);
  }
}

bool WritePng(const std::string& path, const std::vector<uint32_t>& argb, int w, int h) {
  std::vector<png_byte> rgba((size_t)w * h * 4);
  for (size_t i = 0; i < argb.size(); ++i) {
    rgba[i * 4 + 0] = (png_byte)(argb[i] >> 16);
    rgba[i * 4 + 1] = (png_byte)(argb[i] >> 8);
    rgba[i * 4 + 2] = (png_byte)argb[i];
    rgba[i * 4 + 3] = (png_byte)(argb[i] >> 24);
  }
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  img.width = (png_uint_32)w;
  img.height = (png_uint_32)h;
  img.format = PNG_FORMAT_RGBA;
  const int ok = png_image_write_to_file(&img, path.c_str(), 0, rgba.data(), 0, nullptr);
  png_image_free(&img);
  return ok != 0;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: qv_imagegen <output folder>\n");
    return 2;
  }
  for (int i = 0; i < kNumImages; ++i) {
    const ImageInfo& s = kImageTable[i];
    std::vector<uint32_t> all;
    all.reserve((size_t)s.w * s.h * s.frames);
    for (int f = 0; f < s.frames; ++f) {
      Canvas c(s.w, s.h);
      DrawFrame(c, s, f);
      if (!DrawLabels(c, s, f)) return 1;
      c.At(0, s.h - 1) = MarkerPixel(i + 1, f + 1);
      for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x) all.push_back(c.At(x, y));
    }
    const std::string path = std::string(argv[1]) + "/" + s.file;
    if (!WritePng(path, all, s.w, s.h * s.frames)) {
      fprintf(stderr, "qv_imagegen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
