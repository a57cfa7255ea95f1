#include "coretext_internal.h"
#include "WDL/utf8.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <strings.h>
#include <unordered_map>

namespace qv_ct {

namespace {

// FreeType's library object and the file cache are shared by every font; creating and
// destroying faces goes through this lock.
std::mutex& EngineMutex() {
  static std::mutex m;
  return m;
}

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l)) l = nullptr;
    return l;
  }();
  return lib;
}

// Font files are read once per process and kept; faces are made from memory.
const std::vector<unsigned char>* FileBytes(const std::string& path) {
  static std::map<std::string, std::unique_ptr<std::vector<unsigned char>>> cache;
  auto it = cache.find(path);
  if (it != cache.end()) return it->second.get();
  std::unique_ptr<std::vector<unsigned char>> bytes;
  if (FILE* f = fopen(path.c_str(), "rb")) {
    bytes = std::make_unique<std::vector<unsigned char>>();
    unsigned char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes->insert(bytes->end(), buf, buf + n);
    fclose(f);
    if (bytes->empty()) bytes.reset();
  }
  // Failures are not cached: a test may point the font folder elsewhere and back.
  if (!bytes) return nullptr;
  auto* p = bytes.get();
  cache[path] = std::move(bytes);
  return p;
}

// A DejaVu family: its files are <stem>.ttf and <stem>-Bold.ttf; the slanted styles are
// made from those and named with the family's slant word.
struct Family {
  const char* stem;    // file and PostScript stem, e.g. "DejaVuSans"
  const char* display; // e.g. "DejaVu Sans"
  const char* slant;   // "Oblique" or "Italic"
};

const Family kSans = {"DejaVuSans", "DejaVu Sans", "Oblique"};
const Family kMono = {"DejaVuSansMono", "DejaVu Sans Mono", "Oblique"};
const Family kSerif = {"DejaVuSerif", "DejaVu Serif", "Italic"};

struct Alias {
  const char* name;
  const Family* family;
};

// Family names we answer to, compared without case; everything else is unknown.
const Alias kAliases[] = {
    {"DejaVu Sans", &kSans},
    {"DejaVuSans", &kSans},
    {"Arial", &kSans},
    {"ArialMT", &kSans},
    {"Helvetica", &kSans},
    {"Helvetica Neue", &kSans},
    {"Lucida Grande", &kSans},
    {"DejaVu Sans Mono", &kMono},
    {"DejaVuSansMono", &kMono},
    {"Monaco", &kMono},
    {"Menlo", &kMono},
    {"Courier", &kMono},
    {"Courier New", &kMono},
    {"DejaVu Serif", &kSerif},
    {"DejaVuSerif", &kSerif},
    {"Times", &kSerif},
    {"Times New Roman", &kSerif},
};

bool StripSuffix(std::string& s, const char* suffix) {
  size_t n = strlen(suffix);
  if (s.size() > n && strcasecmp(s.c_str() + s.size() - n, suffix) == 0) {
    s.resize(s.size() - n);
    return true;
  }
  return false;
}

constexpr FT_Int32 kLoadFlags = FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;

} // namespace

std::string FontDir() {
  const char* env = getenv("QV_FONT_DIR");
  std::string dir = env && *env ? env : "/usr/share/fonts/truetype/dejavu";
  if (dir.back() != '/') dir += '/';
  return dir;
}

bool ResolveFace(const char* name, FaceInfo* out) {
  if (!name || !*name) return false;
  std::string s(name);
  bool bold = false, italic = false;
  // Both the " Bold Italic" style of the GDI layer and PostScript "-BoldOblique" forms.
  for (bool again = true; again;) {
    again = false;
    for (const char* suf : {" Italic", " Oblique", "-Italic", "-Oblique"})
      if (StripSuffix(s, suf)) italic = again = true;
    for (const char* suf : {" Bold", "-Bold"})
      if (StripSuffix(s, suf)) bold = again = true;
    for (const char* suf : {"-BoldOblique", "-BoldItalic"})
      if (StripSuffix(s, suf)) bold = italic = again = true;
  }
  const Family* fam = nullptr;
  for (const Alias& a : kAliases)
    if (strcasecmp(a.name, s.c_str()) == 0) fam = a.family;
  if (!fam) return false;
  const std::string stem = fam->stem;
  out->file = stem + (bold ? "-Bold.ttf" : ".ttf");
  out->oblique = italic;
  // PostScript: DejaVuSans-Bold, DejaVuSans-Oblique, DejaVuSans-BoldOblique.
  out->postscript = stem;
  if (bold || italic)
    out->postscript += std::string("-") + (bold ? "Bold" : "") + (italic ? fam->slant : "");
  out->display = fam->display;
  if (bold) out->display += " Bold";
  if (italic) out->display += std::string(" ") + fam->slant;
  return true;
}

struct Font::Impl {
  FT_Face face = nullptr;
  std::unordered_map<uint32_t, double> advances;
  std::unordered_map<uint64_t, std::unique_ptr<GlyphImage>> images;
  std::unordered_map<uint32_t, uint32_t> cmap;
};

Font* Font::Create(const FaceInfo& info, double size) {
  if (info.file.empty() || !(size > 0)) return nullptr;
  std::lock_guard<std::mutex> lock(EngineMutex());
  FT_Library lib = Library();
  if (!lib) return nullptr;
  const std::vector<unsigned char>* bytes = FileBytes(FontDir() + info.file);
  if (!bytes) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Memory_Face(lib, bytes->data(), (FT_Long)bytes->size(), 0, &face)) return nullptr;
  // 26.6 char size at 72 dpi: one point is one pixel.
  if (FT_Set_Char_Size(face, 0, (FT_F26Dot6)std::lround(size * 64.0), 72, 72)) {
    FT_Done_Face(face);
    return nullptr;
  }
  if (info.oblique) {
    FT_Matrix shear = {0x10000, 0x0366A, 0, 0x10000}; // x += 0.2126 y
    FT_Set_Transform(face, &shear, nullptr);
  }
  Font* f = new Font;
  f->mImpl = new Impl;
  f->mImpl->face = face;
  f->mInfo = info;
  f->mSize = size;
  double upem = face->units_per_EM ? face->units_per_EM : 2048;
  f->mAscent = face->ascender * size / upem;
  f->mDescent = -face->descender * size / upem;
  int gap = face->height - (face->ascender - face->descender);
  f->mLeading = gap > 0 ? gap * size / upem : 0.0;
  return f;
}

Font::~Font() {
  if (!mImpl) return;
  {
    std::lock_guard<std::mutex> lock(EngineMutex());
    FT_Done_Face(mImpl->face);
  }
  delete mImpl;
}

uint32_t Font::GlyphFor(uint32_t cp) {
  auto it = mImpl->cmap.find(cp);
  if (it != mImpl->cmap.end()) return it->second;
  uint32_t g = FT_Get_Char_Index(mImpl->face, cp);
  mImpl->cmap.emplace(cp, g);
  return g;
}

double Font::Advance(uint32_t glyph) {
  auto it = mImpl->advances.find(glyph);
  if (it != mImpl->advances.end()) return it->second;
  double adv = 0;
  if (!FT_Load_Glyph(mImpl->face, glyph, kLoadFlags))
    adv = mImpl->face->glyph->linearHoriAdvance / 65536.0;
  mImpl->advances.emplace(glyph, adv);
  return adv;
}

const GlyphImage* Font::Image(uint32_t glyph, bool antialias) {
  uint64_t key = (uint64_t)glyph << 1 | (antialias ? 1 : 0);
  auto it = mImpl->images.find(key);
  if (it != mImpl->images.end()) return it->second.get();
  FT_Face face = mImpl->face;
  FT_Int32 flags = kLoadFlags | (antialias ? 0 : FT_LOAD_TARGET_MONO);
  if (FT_Load_Glyph(face, glyph, flags) ||
      FT_Render_Glyph(face->glyph, antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO))
    return nullptr;
  auto img = std::make_unique<GlyphImage>();
  const FT_Bitmap& bm = face->glyph->bitmap;
  img->left = face->glyph->bitmap_left;
  img->top = face->glyph->bitmap_top;
  img->width = (int)bm.width;
  img->height = (int)bm.rows;
  img->coverage.resize((size_t)img->width * img->height);
  for (int y = 0; y < img->height; y++) {
    const unsigned char* row = bm.buffer + (ptrdiff_t)y * bm.pitch;
    uint8_t* out = img->coverage.data() + (size_t)y * img->width;
    for (int x = 0; x < img->width; x++) {
      if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
        out[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
      else
        out[x] = row[x];
    }
  }
  const GlyphImage* p = img.get();
  mImpl->images.emplace(key, std::move(img));
  return p;
}

std::vector<uint32_t> DecodeUtf8(const char* text, size_t len) {
  std::vector<uint32_t> out;
  out.reserve(len);
  const unsigned char* s = (const unsigned char*)text;
  for (size_t i = 0; i < len;) {
    uint32_t cp;
    i += (size_t)WDL_Utf8Decode(s + i, len - i, &cp);
    out.push_back(cp);
  }
  return out;
}

std::vector<LaidLine> Layout(Font* font, const std::vector<uint32_t>& cps, bool multiline) {
  std::vector<LaidLine> lines(1);
  for (size_t i = 0; i < cps.size(); i++) {
    uint32_t c = cps[i];
    bool brk = c == '\n' || c == '\r' || c == 0x2028;
    if (brk && multiline) {
      if (c == '\r' && i + 1 < cps.size() && cps[i + 1] == '\n') i++;
      if (i + 1 < cps.size()) lines.emplace_back();
      continue;
    }
    if (c < 0x20 || brk) continue;
    LaidLine& l = lines.back();
    uint32_t g = font->GlyphFor(c);
    l.glyphs.push_back(g);
    l.xs.push_back(l.width);
    l.width += font->Advance(g);
  }
  return lines;
}

void DrawLine(const Surface& s, Font* font, const LaidLine& line, double x, double baseline,
              const float rgba[4], bool antialias) {
  int cl = std::max(0, s.clipLeft), ct = std::max(0, s.clipTop);
  int cr = std::min(s.width, s.clipRight), cb = std::min(s.height, s.clipBottom);
  if (!s.pixels || cl >= cr || ct >= cb) return;
  auto chan = [](float v) { return (int)std::lround(std::min(1.0f, std::max(0.0f, v)) * 255); };
  int r = chan(rgba[0]), g = chan(rgba[1]), b = chan(rgba[2]), a = chan(rgba[3]);
  if (a == 0) return;
  int by = (int)std::floor(baseline + 0.5);
  for (size_t i = 0; i < line.glyphs.size(); i++) {
    const GlyphImage* img = font->Image(line.glyphs[i], antialias);
    if (!img || !img->width || !img->height) continue;
    int ox = (int)std::floor(x + line.xs[i] + 0.5) + img->left;
    int oy = by - img->top;
    int x0 = std::max(cl, ox), x1 = std::min(cr, ox + img->width);
    int y0 = std::max(ct, oy), y1 = std::min(cb, oy + img->height);
    for (int y = y0; y < y1; y++) {
      const uint8_t* cov = img->coverage.data() + (size_t)(y - oy) * img->width;
      uint32_t* row = s.pixels + (ptrdiff_t)y * s.stride;
      for (int px = x0; px < x1; px++) {
        int c = cov[px - ox];
        if (!c) continue;
        int w = c * a / 255; // 0..255
        uint32_t d = row[px];
        int dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
        dr = (dr * (255 - w) + r * w + 127) / 255;
        dg = (dg * (255 - w) + g * w + 127) / 255;
        db = (db * (255 - w) + b * w + 127) / 255;
        row[px] = (d & 0xFF000000u) | (uint32_t)dr << 16 | (uint32_t)dg << 8 | (uint32_t)db;
      }
    }
  }
}

} // namespace qv_ct
