#include "WDL/lice/lice.h"
#include "WDL/lice/lice_test_bitmaps.h"

#include <PlatformTestHooks.h>

#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <png.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>
#include <zlib.h>

namespace {
struct Image {
  std::vector<unsigned char> png;
  std::vector<LICE_pixel> expect; // 0xAARRGGBB, worked out from the samples
  int w, h;
};

void WriteToVector(png_structp png, png_bytep data, png_size_t n) {
  auto* v = (std::vector<unsigned char>*)png_get_io_ptr(png);
  v->insert(v->end(), data, data + n);
}

// Random samples at the given colour type and depth, written with libpng's writer; the
// expected pixels are computed from the samples alone.
Image Make(int type, int depth, bool trns, bool interlace, std::mt19937& rng) {
  Image im;
  im.w = 1 + rng() % 13;
  im.h = 1 + rng() % 9;
  const int chans = type == 0 ? 1 : type == 2 ? 3 : type == 3 ? 1 : type == 4 ? 2 : 4;
  const int maxv = (1 << depth) - 1;
  auto to8 = [&](int v) { return depth == 16 ? v >> 8 : v * 255 / maxv; };
  const int npal = 1 + rng() % (maxv + 1 < 256 ? maxv + 1 : 256);
  std::vector<png_color> pal(npal);
  std::vector<png_byte> palAlpha(rng() % (npal + 1));
  for (auto& c : pal) c = {(png_byte)rng(), (png_byte)rng(), (png_byte)rng()};
  for (auto& a : palAlpha) a = (png_byte)rng();
  auto sample = [&] { return (png_uint_16)(rng() % (maxv + 1)); };
  const png_color_16 key = {0, sample(), sample(), sample(), sample()}; // index, r, g, b, grey
  std::vector<std::vector<png_byte>> rows(im.h);
  for (int y = 0; y < im.h; y++) {
    rows[y].assign((im.w * chans * depth + 7) / 8, 0);
    for (int x = 0; x < im.w; x++) {
      int s[4];
      for (int c = 0; c < chans; c++) s[c] = (int)(rng() % (maxv + 1));
      if (type == 3) s[0] %= npal;
      if (trns && (type == 0 || type == 2) && rng() % 3 == 0) {
        s[0] = type == 0 ? key.gray : key.red; // hit the transparent colour now and then
        if (type == 2) s[1] = key.green, s[2] = key.blue;
      }
      const int g = to8(s[0]), i = s[0];
      LICE_pixel e = type == 3   ? LICE_RGBA(pal[i].red, pal[i].green, pal[i].blue,
                                           trns && i < (int)palAlpha.size() ? palAlpha[i] : 255)
                     : chans < 3 ? LICE_RGBA(g, g, g, type == 4 ? to8(s[1]) : 255)
                                 : LICE_RGBA(g, to8(s[1]), to8(s[2]), type == 6 ? to8(s[3]) : 255);
      if (trns && ((type == 0 && s[0] == key.gray) ||
                   (type == 2 && s[0] == key.red && s[1] == key.green && s[2] == key.blue)))
        e &= 0xFFFFFF;
      im.expect.push_back(e);
      for (int c = 0; c < chans; c++) { // packed big-endian at the bit depth
        const int bit = (x * chans + c) * depth;
        if (depth == 16)
          rows[y][bit / 8] = (png_byte)(s[c] >> 8), rows[y][bit / 8 + 1] = (png_byte)s[c];
        else
          rows[y][bit / 8] |= (png_byte)(s[c] << (8 - depth - bit % 8));
      }
    }
  }

  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    ADD_FAILURE() << "writer failed";
    png_destroy_write_struct(&png, &info);
    return im;
  }
  png_set_write_fn(png, &im.png, WriteToVector, nullptr);
  png_set_IHDR(png, info, im.w, im.h, depth, type,
               interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (type == 3) png_set_PLTE(png, info, pal.data(), npal);
  if (trns && type == 3 && !palAlpha.empty())
    png_set_tRNS(png, info, palAlpha.data(), (int)palAlpha.size(), nullptr);
  if (trns && (type == 0 || type == 2)) png_set_tRNS(png, info, nullptr, 0, &key);
  png_write_info(png, info);
  if (interlace) png_set_interlace_handling(png);
  std::vector<png_bytep> ptrs;
  for (auto& r : rows) ptrs.push_back(r.data());
  png_write_image(png, ptrs.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  if (trns && type == 3 && palAlpha.empty()) im.png.clear(); // nothing to test
  return im;
}

std::vector<LICE_pixel> Pixels(LICE_IBitmap* bm) {
  std::vector<LICE_pixel> v;
  for (int y = 0; y < bm->getHeight(); y++)
    for (int x = 0; x < bm->getWidth(); x++) v.push_back(LICE_GetPixel(bm, x, y));
  return v;
}

std::string TempPath(const char* name) {
  return std::string(QV_BINARY_DIR) + "/" + name;
}

void WriteFile(const std::string& path, const std::vector<unsigned char>& data) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  if (!data.empty()) fwrite(data.data(), 1, data.size(), f);
  fclose(f);
}

void Be32(std::vector<unsigned char>& to, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) to.push_back((unsigned char)(x >> s));
}

void Chunk(std::vector<unsigned char>& to, const char* type, std::vector<unsigned char> data) {
  Be32(to, (uint32_t)data.size());
  data.insert(data.begin(), type, type + 4);
  to.insert(to.end(), data.begin(), data.end());
  Be32(to, (uint32_t)crc32(0, data.data(), (uInt)data.size()));
}

// The signature and the header of an RGBA image at the given depth.
std::vector<unsigned char> Start(uint32_t w, uint32_t h, unsigned char depth = 8) {
  std::vector<unsigned char> v = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::vector<unsigned char> ihdr;
  Be32(ihdr, w);
  Be32(ihdr, h);
  ihdr.insert(ihdr.end(), {depth, 6, 0, 0, 0});
  Chunk(v, "IHDR", ihdr);
  return v;
}

// A PNG of the given size whose chunks are valid but whose image data is empty: the
// header reads cleanly, so the size alone decides.
std::vector<unsigned char> HeaderOnly(uint32_t w, uint32_t h) {
  std::vector<unsigned char> v = Start(w, h);
  Chunk(v, "IDAT", {});
  Chunk(v, "IEND", {});
  return v;
}

long PeakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}
} // namespace

TEST(Png, EveryColourTypeAndDepthDecodesToTheSamples) {
  const struct {
    int type;
    std::vector<int> depths;
  } kinds[] = {{0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
  std::mt19937 rng(1);
  for (const auto& k : kinds)
    for (int depth : k.depths)
      for (bool trns : {false, true})
        for (bool interlace : {false, true}) {
          if (trns && (k.type == 4 || k.type == 6)) continue;
          const Image im = Make(k.type, depth, trns, interlace, rng);
          if (im.png.empty()) continue;
          SCOPED_TRACE("type " + std::to_string(k.type) + " depth " + std::to_string(depth) +
                       (trns ? " tRNS" : "") + (interlace ? " interlaced" : ""));
          LICE_IBitmap* bm = LICE_LoadPNGFromMemory(im.png.data(), (int)im.png.size());
          ASSERT_NE(bm, nullptr);
          EXPECT_EQ(bm->getWidth(), im.w);
          EXPECT_EQ(Pixels(bm), im.expect);
          delete bm;
          // Into a caller's bitmap stored bottom-up, and from a file.
          TestBitmap flipped(im.w, im.h, true);
          ASSERT_EQ(LICE_LoadPNGFromMemory(im.png.data(), (int)im.png.size(), &flipped), &flipped);
          EXPECT_EQ(Pixels(&flipped), im.expect);
          const std::string path = TempPath("png_test.png");
          WriteFile(path, im.png);
          LICE_MemBitmap other(3, 3);
          ASSERT_EQ(LICE_LoadPNG(path.c_str(), &other), &other);
          EXPECT_EQ(Pixels(&other), im.expect);
        }
}

TEST(Png, TruncatedCorruptAndForeignDataFail) {
  std::mt19937 rng(2);
  const Image im = Make(6, 8, false, true, rng);
  // Cut anywhere before the last chunk's checksum and the closing chunk (16 bytes), which
  // are not needed for the pixels.
  for (size_t n = 0; n + 16 < im.png.size(); n += 1 + n / 8) {
    LICE_MemBitmap mine(2, 2); // the error path frees only what the call made
    EXPECT_EQ(LICE_LoadPNGFromMemory(im.png.data(), (int)n, n % 2 ? &mine : nullptr), nullptr) << n;
    const std::string path = TempPath("png_truncated.png");
    WriteFile(path, std::vector<unsigned char>(im.png.begin(), im.png.begin() + n));
    EXPECT_EQ(LICE_LoadPNG(path.c_str()), nullptr);
  }
  for (size_t i = 8; i < im.png.size(); i += 3) {
    std::vector<unsigned char> bad = im.png;
    bad[i] ^= 0x5A;
    delete LICE_LoadPNGFromMemory(bad.data(), (int)bad.size()); // any outcome but a crash or leak
  }
  std::vector<unsigned char> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0};
  LICE_MemBitmap untouched(2, 2);
  LICE_Clear(&untouched, 0x12345678);
  EXPECT_EQ(LICE_LoadPNGFromMemory(jpeg.data(), (int)jpeg.size(), &untouched), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromMemory(im.png.data(), 7, &untouched), nullptr);
  EXPECT_EQ(untouched.getWidth(), 2);
  EXPECT_EQ(LICE_GetPixel(&untouched, 1, 1), 0x12345678u);
  EXPECT_EQ(LICE_LoadPNG(TempPath("no_such_file.png").c_str()), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromResource(nullptr, "x", nullptr), nullptr);
}

TEST(Png, TheLastReadMayTakeExactlyTheBytesLeft) {
  // Two RGBA pixels; the decoder's last read is the image data's checksum, so the
  // closing chunk may be missing but not one byte before it.
  const std::vector<unsigned char> raw = {0, 1, 2, 3, 4, 5, 6, 7, 8};
  uLongf n = compressBound((uLong)raw.size());
  std::vector<unsigned char> z(n);
  ASSERT_EQ(compress(z.data(), &n, raw.data(), (uLong)raw.size()), Z_OK);
  z.resize(n);
  std::vector<unsigned char> v = Start(2, 1);
  Chunk(v, "IDAT", z);
  ASSERT_EQ(v.size(), 33 + 12 + z.size());
  LICE_IBitmap* bm = LICE_LoadPNGFromMemory(v.data(), (int)v.size());
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(LICE_GetPixel(bm, 0, 0), LICE_RGBA(1, 2, 3, 4));
  EXPECT_EQ(LICE_GetPixel(bm, 1, 0), LICE_RGBA(5, 6, 7, 8));
  delete bm;
  // The last byte is there in memory, so only the length given refuses it.
  LICE_MemBitmap mine(2, 2);
  EXPECT_EQ(LICE_LoadPNGFromMemory(v.data(), (int)v.size() - 1, &mine), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromMemory(v.data(), (int)v.size() - 1), nullptr);
}

TEST(Png, AbsurdSizesFailLikeAllocationFailures) {
  for (auto sz : {std::make_pair(40000u, 40000u), std::make_pair(1000000u, 1000u)}) {
    const std::vector<unsigned char> v = HeaderOnly(sz.first, sz.second);
    EXPECT_EQ(LICE_LoadPNGFromMemory(v.data(), (int)v.size()), nullptr);
    LICE_SysBitmap sys(2, 2);
    EXPECT_EQ(LICE_LoadPNGFromMemory(v.data(), (int)v.size(), &sys), nullptr);
    LICE_MemBitmap mine(2, 2); // refuses the size instead of keeping a short block
    EXPECT_EQ(LICE_LoadPNGFromMemory(v.data(), (int)v.size(), &mine), nullptr);
    EXPECT_EQ(mine.getBits(), nullptr);
  }
}

TEST(Png, ChunksClaimingHugeSizesCostNoMemoryAndWideRowsStillDecode) {
  // A chunk that claims almost 2 GB and brings none of it.
  std::vector<unsigned char> v = Start(3, 3);
  Be32(v, 0x73737373);
  v.insert(v.end(), {'s', 'P', 'L', 'T'});
  const long before = PeakRssKb();
  EXPECT_EQ(LICE_LoadPNGFromMemory(v.data(), (int)v.size()), nullptr);
  EXPECT_LT(PeakRssKb() - before, 256 * 1024);

  // The widest row libpng accepts, at 16 bits a channel, needs the largest block a real
  // image asks for.
  const uint32_t w = 1000000;
  std::vector<unsigned char> raw(1 + (size_t)w * 8, 0);
  for (size_t i = 1; i < raw.size(); i += 8) raw[i] = raw[i + 6] = 0xFF; // red, opaque
  uLongf n = compressBound((uLong)raw.size());
  std::vector<unsigned char> z(n);
  ASSERT_EQ(compress(z.data(), &n, raw.data(), (uLong)raw.size()), Z_OK);
  z.resize(n);
  std::vector<unsigned char> wide = Start(w, 1, 16);
  Chunk(wide, "IDAT", z);
  Chunk(wide, "IEND", {});
  LICE_IBitmap* bm = LICE_LoadPNGFromMemory(wide.data(), (int)wide.size());
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(bm->getWidth(), (int)w);
  EXPECT_EQ(LICE_GetPixel(bm, 0, 0), LICE_RGBA(255, 0, 0, 255));
  EXPECT_EQ(LICE_GetPixel(bm, (int)w - 1, 0), LICE_RGBA(255, 0, 0, 255));
  delete bm;
}

TEST(Png, LoaderRecordAndNamedResources) {
  ASSERT_NE(LICE_ImageLoader_list, nullptr);
  EXPECT_EQ(LICE_ImageLoader_list->loadfunc, &LICE_PNGLoader::loadfunc);
  std::mt19937 rng(3);
  const Image im = Make(2, 8, false, false, rng);
  const std::string bundle = TempPath("png_test.bundle"), res = bundle + "/Contents/Resources/";
  for (const std::string& d : {bundle, bundle + "/Contents", res}) mkdir(d.c_str(), 0755);
  // With the extension check only a name ending in .png loads; without, any.
  for (auto c : {std::make_pair("Img.PNG", true), {"img.png.txt", false}, {"noext", false}}) {
    WriteFile(res + c.first, im.png);
    for (bool check : {true, false}) {
      LICE_IBitmap* bm = LICE_PNGLoader::loadfunc((res + c.first).c_str(), check, nullptr);
      EXPECT_EQ(bm != nullptr, c.second || !check) << c.first;
      delete bm;
    }
  }

  PlatformTest_SetMainBundlePath(bundle.c_str());
  LICE_IBitmap* bm = LICE_LoadPNGFromNamedResource("Img.PNG");
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(Pixels(bm), im.expect);
  delete bm;
  EXPECT_EQ(LICE_LoadPNGFromNamedResource(std::string(401, 'a').c_str()), nullptr);
  PlatformTest_SetMainBundlePath(nullptr);
}
