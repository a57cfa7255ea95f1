// PNG decoding into 32-bit bitmaps.
#include "WDL/lice/lice.h"

#include <CoreFoundation/CoreFoundation.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <png.h>
#include <strings.h>

_LICE_ImageLoader_rec* LICE_ImageLoader_list;

LICE_PNGLoader::LICE_PNGLoader() {
  rec.loadfunc = loadfunc;
  rec.get_extlist = get_extlist;
  rec._next = LICE_ImageLoader_list;
  LICE_ImageLoader_list = &rec;
}

LICE_PNGLoader LICE_pngldr;

LICE_IBitmap* LICE_PNGLoader::loadfunc(const char* filename, bool checkFileName,
                                       LICE_IBitmap* bmpbase) {
  if (!filename) return nullptr;
  if (checkFileName) {
    const char* p = filename + strlen(filename);
    while (p > filename && *p != '.' && *p != '/' && *p != '\\') p--;
    if (strcasecmp(p, ".png")) return nullptr;
  }
  return LICE_LoadPNG(filename, bmpbase);
}

const char* LICE_PNGLoader::get_extlist() {
  return "PNG files (*.PNG)\0*.PNG\0";
}

namespace {

struct MemReader {
  const unsigned char* p;
  int left;
};

// A source that runs short is a decoding error, never silent zeros.
void staticPngReadFunc(png_structp png, png_bytep data, png_size_t length) {
  MemReader* r = (MemReader*)png_get_io_ptr(png);
  if (!r || r->left < 0 || length > (png_size_t)r->left) png_error(png, "read past end of data");
  memcpy(data, r->p, length);
  r->p += length;
  r->left -= (int)length;
}

// libpng allocates (and clears) a block of the size a chunk claims before reading it, so a
// few bytes can cost gigabytes. No block a real image needs is larger than a row buffer (at
// most 1,000,000 pixels of 8 bytes), so larger requests fail as out of memory.
constexpr png_alloc_size_t kMaxDecodeBlock = 16u << 20;

png_voidp BoundedMalloc(png_structp, png_alloc_size_t size) {
  return size <= kMaxDecodeBlock ? malloc(size) : nullptr;
}

void Free(png_structp, png_voidp p) {
  free(p);
}

// Decodes from fp (closed here in every case) or from mem.
LICE_IBitmap* Decode(FILE* fp, MemReader* mem, LICE_IBitmap* bmp) {
  png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr,
                                             nullptr, BoundedMalloc, Free);
  if (!png) {
    if (fp) fclose(fp);
    return nullptr;
  }
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    if (fp) fclose(fp);
    return nullptr;
  }
  // Changed after setjmp, so volatile: the error path must see their current values.
  LICE_IBitmap* volatile created = nullptr;
  png_bytep* volatile rows = nullptr;
  if (setjmp(*png_set_longjmp_fn(png, longjmp, sizeof(jmp_buf)))) {
    png_destroy_read_struct(&png, &info, nullptr);
    free(rows);
    delete created; // never the caller's bitmap
    if (fp) fclose(fp);
    return nullptr;
  }

  if (fp)
    png_init_io(png, fp);
  else
    png_set_read_fn(png, mem, staticPngReadFunc);
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int bit_depth = 0, color_type = 0;
  png_get_IHDR(png, info, &width, &height, &bit_depth, &color_type, nullptr, nullptr, nullptr);

  if (color_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (color_type == PNG_COLOR_TYPE_GRAY && bit_depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_set_tRNS_to_alpha(png);
    color_type |= PNG_COLOR_MASK_ALPHA;
  }
  if (bit_depth == 16) png_set_strip_16(png);
  if (bit_depth < 8) png_set_packing(png);
  if (color_type == PNG_COLOR_TYPE_GRAY || color_type == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  if (color_type & PNG_COLOR_MASK_ALPHA)
    png_set_swap_alpha(png);
  else
    png_set_filler(png, 0xff, PNG_FILLER_BEFORE);
  // Every decoded pixel is now four bytes A, R, G, B.

  LICE_IBitmap* bm = bmp;
  if (bm) {
    bm->resize((int)width, (int)height);
  } else {
    created = new (std::nothrow) LICE_MemBitmap((int)width, (int)height, 4);
    bm = created;
  }
  LICE_pixel* bits = bm ? bm->getBits() : nullptr;
  const int span = bm ? bm->getRowSpan() : 0;
  if (!bits || bm->getWidth() != (int)width || bm->getHeight() != (int)height || span < (int)width)
    png_error(png, "no bitmap of the image's size");
  rows = (png_bytep*)malloc(sizeof(png_bytep) * height);
  if (!rows) png_error(png, "out of memory");
  const bool flipped = bm->isFlipped();
  for (png_uint_32 i = 0; i < height; i++)
    rows[i] = (png_bytep)(bits + (size_t)(flipped ? height - 1 - i : i) * (size_t)span);
  png_read_image(png, rows);
  png_destroy_read_struct(&png, &info, nullptr);
  if (fp) fclose(fp);

  for (png_uint_32 i = 0; i < height; i++) {
    unsigned char* p = rows[i];
    for (png_uint_32 x = 0; x < width; x++, p += 4)
      *(LICE_pixel*)p = LICE_RGBA(p[1], p[2], p[3], p[0]);
  }
  free(rows);
  return bm;
}

} // namespace

LICE_IBitmap* LICE_LoadPNG(const char* filename, LICE_IBitmap* bmp) {
  if (!filename) return nullptr;
  FILE* fp = fopen(filename, "rb");
  if (!fp) return nullptr;
  return Decode(fp, nullptr, bmp);
}

LICE_IBitmap* LICE_LoadPNGFromMemory(const void* data, int buflen, LICE_IBitmap* bmp) {
  if (!data || buflen < 8 || png_sig_cmp((png_const_bytep)data, 0, 8)) return nullptr;
  MemReader r = {(const unsigned char*)data, buflen};
  return Decode(nullptr, &r, bmp);
}

LICE_IBitmap* LICE_LoadPNGFromNamedResource(const char* name, LICE_IBitmap* bmp) {
  if (!name || strlen(name) > 400) return nullptr;
  char path[2048];
  path[0] = 0;
  CFURLRef url = CFBundleCopyBundleURL(CFBundleGetMainBundle());
  if (url) {
    if (!CFURLGetFileSystemRepresentation(url, true, (UInt8*)path, 1536)) path[0] = 0;
    CFRelease(url);
  }
  if (!path[0]) return nullptr;
  strcat(path, "/Contents/Resources/");
  strcat(path, name);
  return LICE_LoadPNG(path, bmp);
}

LICE_IBitmap* LICE_LoadPNGFromResource(HINSTANCE, const char*, LICE_IBitmap*) {
  return nullptr;
}
