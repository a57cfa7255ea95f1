// Rendered text compared with images kept in golden/ (made once and looked at). Fonts allow
// small differences; a failing comparison writes the actual image into the build folder.
// QV_WRITE_GOLDEN=1 writes missing images instead of failing.
#include "WDL/lice/lice_text.h"
#include "WDL/swell/swell-functions.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

bool WritePng(const std::string& path, LICE_IBitmap& bm) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    fclose(f);
    return false;
  }
  png_init_io(png, f);
  const int w = bm.getWidth(), h = bm.getHeight();
  png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row((size_t)w * 3);
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++) {
      LICE_pixel p = LICE_GetPixel(&bm, x, y);
      row[x * 3] = (png_byte)LICE_GETR(p);
      row[x * 3 + 1] = (png_byte)LICE_GETG(p);
      row[x * 3 + 2] = (png_byte)LICE_GETB(p);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  fclose(f);
  return true;
}

// Reads an 8-bit RGB image as 0x00RRGGBB pixels; false when it cannot.
bool ReadPng(const std::string& path, int* w, int* h, std::vector<uint32_t>* px) {
  png_image img;
  memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path.c_str())) return false;
  img.format = PNG_FORMAT_RGB;
  std::vector<png_byte> buf(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, buf.data(), 0, nullptr)) return false;
  *w = (int)img.width;
  *h = (int)img.height;
  px->resize((size_t)*w * *h);
  for (size_t i = 0; i < px->size(); i++)
    (*px)[i] = (uint32_t)buf[i * 3] << 16 | (uint32_t)buf[i * 3 + 1] << 8 | buf[i * 3 + 2];
  return true;
}

// Every channel within 48 of the golden and the mean difference under 1.5 per channel.
void ExpectMatchesGolden(const char* name, LICE_IBitmap& bm) {
  const std::string golden = std::string(QV_SOURCE_DIR) + "/tests/WDL/lice/golden/" + name;
  int w = 0, h = 0;
  std::vector<uint32_t> ref;
  if (!ReadPng(golden, &w, &h, &ref)) {
    const char* write = getenv("QV_WRITE_GOLDEN");
    if (write && *write == '1') {
      ASSERT_TRUE(WritePng(golden, bm)) << golden;
      return;
    }
    FAIL() << "missing golden image " << golden;
  }
  ASSERT_EQ(w, bm.getWidth());
  ASSERT_EQ(h, bm.getHeight());
  long total = 0;
  int worst = 0;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      uint32_t a = LICE_GetPixel(&bm, x, y), b = ref[(size_t)y * w + x];
      for (int s = 0; s < 24; s += 8) {
        int d = std::abs((int)((a >> s) & 0xff) - (int)((b >> s) & 0xff));
        total += d;
        worst = std::max(worst, d);
      }
    }
  const double mean = (double)total / (3.0 * w * h);
  if (worst > 48 || mean > 1.5) {
    const std::string dir = std::string(QV_BINARY_DIR) + "/golden-actual";
    mkdir(dir.c_str(), 0755);
    WritePng(dir + "/" + name, bm);
    ADD_FAILURE() << name << ": worst channel difference " << worst << ", mean " << mean
                  << "; actual image written to " << dir;
  }
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
