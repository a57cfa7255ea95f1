#pragma once
// PNG files for tests, through libpng's simplified interface, and the comparison of a
// drawn bitmap with a reference image kept under tests/. QV_UPDATE_GOLDEN=1 rewrites
// the reference instead of comparing; a failing comparison writes the actual image to
// <build folder>/golden-actual/ to be looked at. Bitmap pixels in memory are B, G, R, A.

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "WDL/lice/lice.h"

#ifndef QV_BINARY_DIR
#error "png_test_io.h needs QV_BINARY_DIR (set for every test program)"
#endif

namespace qvtest {

// withAlpha false writes RGB (the alpha bytes of the bitmap are dropped).
inline bool WritePng(LICE_IBitmap* bmp, const std::string& path, bool withAlpha = true) {
  if (!bmp || !bmp->getBits()) return false;
  const int w = bmp->getWidth(), h = bmp->getHeight(), span = bmp->getRowSpan();
  const int bpp = withAlpha ? 4 : 3;
  std::vector<png_byte> buf((size_t)w * h * bpp);
  for (int y = 0; y < h; ++y) {
    const LICE_pixel* row = bmp->getBits() + (size_t)(bmp->isFlipped() ? h - 1 - y : y) * span;
    for (int x = 0; x < w; ++x) {
      png_byte* o = &buf[((size_t)y * w + x) * bpp];
      o[0] = (png_byte)LICE_GETB(row[x]);
      o[1] = (png_byte)LICE_GETG(row[x]);
      o[2] = (png_byte)LICE_GETR(row[x]);
      if (withAlpha) o[3] = (png_byte)LICE_GETA(row[x]);
    }
  }
  png_image img;
  memset(&img, 0, sizeof(img));
  img.version = PNG_IMAGE_VERSION;
  img.width = (png_uint_32)w;
  img.height = (png_uint_32)h;
  img.format = withAlpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
  return png_image_write_to_file(&img, path.c_str(), 0, buf.data(), 0, nullptr) != 0;
}

// A new bitmap (caller owns it), alpha 255 where the file has none; null when unreadable.
inline LICE_MemBitmap* ReadPng(const std::string& path) {
  png_image img;
  memset(&img, 0, sizeof(img));
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path.c_str())) return nullptr;
  img.format = PNG_FORMAT_BGRA;
  LICE_MemBitmap* bmp = new LICE_MemBitmap(img.width, img.height);
  if (!bmp->getBits() ||
      !png_image_finish_read(&img, nullptr, bmp->getBits(), bmp->getRowSpan() * 4, nullptr)) {
    png_image_free(&img);
    delete bmp;
    return nullptr;
  }
  return bmp;
}

// How far a drawing may stray from its reference: a pixel is off when one of its channels
// differs by more than channelTolerance; at most maxPixelsOff such pixels, and the mean
// difference per channel at most maxMean.
struct GoldenTolerance {
  int channelTolerance;
  int maxPixelsOff;
  double maxMean;
  bool compareAlpha;
};

// Compares the bitmap with the reference image at goldenPath (withAlpha as for WritePng
// when the reference is rewritten).
inline ::testing::AssertionResult MatchesGolden(LICE_IBitmap* actual, const std::string& goldenPath,
                                                const GoldenTolerance& tol, bool withAlpha) {
  const char* update = getenv("QV_UPDATE_GOLDEN");
  if (update && *update && strcmp(update, "0") != 0) {
    if (!WritePng(actual, goldenPath, withAlpha))
      return ::testing::AssertionFailure() << "cannot write " << goldenPath;
    return ::testing::AssertionSuccess() << "wrote " << goldenPath;
  }
  const size_t slash = goldenPath.find_last_of('/');
  const std::string name = slash == std::string::npos ? goldenPath : goldenPath.substr(slash + 1);
  const std::string actualDir = std::string(QV_BINARY_DIR) + "/golden-actual";
  auto failure = [&]() {
    mkdir(actualDir.c_str(), 0755);
    WritePng(actual, actualDir + "/" + name, withAlpha);
    return ::testing::AssertionFailure() << goldenPath << ": ";
  };

  LICE_MemBitmap* expected = ReadPng(goldenPath);
  if (!expected)
    return failure() << "no reference image (QV_UPDATE_GOLDEN=1 writes it); actual image in "
                     << actualDir;
  const int w = expected->getWidth(), h = expected->getHeight();
  if (w != actual->getWidth() || h != actual->getHeight()) {
    delete expected;
    return failure() << "reference is " << w << " x " << h << ", drawing " << actual->getWidth()
                     << " x " << actual->getHeight();
  }
  const int channels = tol.compareAlpha ? 4 : 3;
  long total = 0;
  int worst = 0, off = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const LICE_pixel a = LICE_GetPixel(actual, x, y), e = LICE_GetPixel(expected, x, y);
      bool pixelOff = false;
      for (int c = 0; c < channels; ++c) {
        const int d = std::abs((int)((a >> (8 * c)) & 0xFF) - (int)((e >> (8 * c)) & 0xFF));
        total += d;
        worst = std::max(worst, d);
        pixelOff = pixelOff || d > tol.channelTolerance;
      }
      off += pixelOff;
    }
  delete expected;
  const double mean = w > 0 && h > 0 ? (double)total / ((double)channels * w * h) : 0.0;
  if (off > tol.maxPixelsOff || mean > tol.maxMean)
    return failure() << off << " pixels off, worst channel difference " << worst << ", mean "
                     << mean << "; actual image in " << actualDir;
  return ::testing::AssertionSuccess();
}

} // namespace qvtest
