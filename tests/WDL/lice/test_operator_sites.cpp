// Every public drawing call that picks a pixel operator, swept over every blend mode and a
// range of alphas on seeded random bitmaps and geometry. The pixels are hashed per (call, mode)
// and compared with hashes recorded before the operator dispatch was rewritten, so any change
// of result at any call site fails here; the vector fast paths must give the same hashes as
// the plain loops. QV_LICE_RECORD=<file> writes the table anew.
#include "WDL/lice/lice.h"
#include "WDL/lice/lice_glyph.h"
#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/lice_simd.h"
#include "WDL/lice/lice_text.h"
#include "WDL/swell/swell-functions.h"
#include "WDL/lice/lice_test_bitmaps.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Expected {
  const char* key;
  unsigned long long hash;
};
const Expected kExpected[] = {
#include "operator_site_hashes.inc"
};

// FNV-1a over the words.
void Mix(uint64_t* h, const std::vector<LICE_pixel>& px) {
  for (LICE_pixel p : px)
    for (int i = 0; i < 4; i++) {
      *h ^= (p >> (8 * i)) & 0xFF;
      *h *= 0x100000001b3ull;
    }
}

// One drawing call with random arguments around a small bitmap.
typedef std::function<void(TestBitmap& dest, TestBitmap& src, TestRng& rng, float alpha, int mode)>
    Draw;

struct Site {
  const char* name;
  std::vector<int> modes;
  Draw draw;
};

const std::vector<int> kSolidModes = {0, 1, 2, 3, 4, 5, 6, 0x10000, 0x10003};
const std::vector<int> kBlitModes = {0,       1,       2,       3,       4,       5,
                                     6,       0x10000, 0x10001, 0x10002, 0x10003, 0x10004,
                                     0x10005, 0x10006, 0x100,   0x10100, 0x10103, 0x105};
const float kAlphas[] = {1.0f,          0.5f, 0.25f, 0.75f, 0.251f, 0.4f,   0.99f,         0.003f,
                         1.0f / 256.0f, 0.0f, -0.3f, 1.5f,  2.0f,   0.126f, 0.7529411765f, -1.0f};

const int kW = 23, kH = 17;

int C(TestRng& r, int lo, int hi) {
  return r.Int(lo, hi);
}
float F(TestRng& r, float lo, float hi) {
  return r.Float(lo, hi);
}
LICE_pixel Colour(TestRng& r) {
  const int k = r.Int(0, 3);
  const LICE_pixel c = r.Next();
  return k == 0 ? c | 0xFF000000 : k == 1 ? c & 0x00FFFFFF : c;
}

LICE_CachedFont* Font(int flags) {
  static std::map<int, std::unique_ptr<LICE_CachedFont>> fonts;
  std::unique_ptr<LICE_CachedFont>& f = fonts[flags];
  if (!f) {
    f.reset(new LICE_CachedFont);
    f->SetFromHFont(CreateFont(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "Arial"), flags | 0x200);
  }
  return f.get();
}

std::vector<Site> Sites() {
  std::vector<Site> s;
  s.push_back(
      {"CombinePixels", kBlitModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
         for (auto& p : d.raw()) p = LICE_CombinePixels(p, Colour(r), a, m);
       }});
  s.push_back(
      {"CombinePixels2", kBlitModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
         const int w = (int)(a * 256.0f) + r.Int(-2, 2);
         for (auto& p : d.raw()) {
           const int c[] = {r.Int(-20, 300), r.Int(0, 255), r.Int(0, 255), r.Int(0, 255)};
           LICE_CombinePixels2(&p, c[0], c[1], c[2], c[3], w, m);
         }
       }});
  s.push_back({"CombinePixels2Clamp", kBlitModes,
               [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
                 const int w = (int)(a * 256.0f) + r.Int(-2, 2);
                 for (auto& p : d.raw()) {
                   const int c[] = {r.Int(-20, 300), r.Int(0, 255), r.Int(0, 255), r.Int(0, 255)};
                   LICE_CombinePixels2Clamp(&p, c[0], c[1], c[2], c[3], w, m);
                 }
               }});
  std::vector<int> blitModes = kBlitModes;
  for (int m : {0xF0, 0xF3, 0xF6, 0xFD}) blitModes.push_back(m);
  s.push_back({"Blit", blitModes, [](TestBitmap& d, TestBitmap& src, TestRng& r, float a, int m) {
                 const int v[] = {C(r, -5, 20), C(r, -5, 14), C(r, -3, 8),
                                  C(r, -3, 8),  C(r, 0, 30),  C(r, 0, 20)};
                 LICE_Blit(&d, &src, v[0], v[1], v[2], v[3], v[4], v[5], a, m);
               }});
  s.push_back({"BlitSelf", kBlitModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
                 const int v[] = {C(r, -3, 8), C(r, -3, 8), C(r, 0, 8),
                                  C(r, 0, 8),  C(r, 1, 16), C(r, 1, 10)};
                 LICE_Blit(&d, &d, v[0], v[1], v[2], v[3], v[4], v[5], a, m);
               }});
  s.push_back({"FillRect", kSolidModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
                 const int v[] = {C(r, -5, 20), C(r, -5, 14), C(r, 0, 30), C(r, 0, 20)};
                 LICE_FillRect(&d, v[0], v[1], v[2], v[3], Colour(r), a, m);
               }});
  s.push_back({"PutPixel", kSolidModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
                 for (int i = 0; i < 40; i++) {
                   const int v[] = {C(r, -2, kW + 1), C(r, -2, kH + 1)};
                   LICE_PutPixel(&d, v[0], v[1], Colour(r), a, m);
                 }
               }});
  s.push_back({"Line", kSolidModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
                 const LICE_pixel c = Colour(r);
                 const int x = C(r, -4, 26), y = C(r, -4, 20), k = C(r, 0, 3);
                 const int n = C(r, -12, 12);
                 const int x2 = k == 0 ? x + n : k == 2 ? x + n : C(r, -4, 26);
                 const int y2 = k == 1 ? y + n : k == 2 ? y + (C(r, 0, 1) ? n : -n) : C(r, -4, 20);
                 LICE_Line(&d, x, y, k == 1 ? x : x2, k == 0 ? y : y2, c, a, m, C(r, 0, 1));
               }});
  s.push_back({"DrawRect", kSolidModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
                 const int v[] = {C(r, -3, 15), C(r, -3, 12), C(r, 0, 20), C(r, 0, 16)};
                 const LICE_pixel c[] = {Colour(r), Colour(r)};
                 LICE_BorderedRect(&d, v[0], v[1], v[2], v[3], c[0], c[1], a, m);
               }});
  s.push_back({"Circle", kSolidModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
                 const float rad = C(r, 0, 2) ? F(r, 0.0f, 12.0f) : 1.5f + 0.5f * C(r, 0, 5);
                 const float cx = F(r, -4, 26), cy = F(r, -4, 20);
                 const bool aa = C(r, 0, 1);
                 const int k = C(r, 0, 2);
                 const LICE_pixel c = Colour(r);
                 const float ang[] = {F(r, -7, 7), F(r, -7, 7)};
                 if (k == 0)
                   LICE_Circle(&d, cx, cy, rad, c, a, m, aa);
                 else if (k == 1)
                   LICE_FillCircle(&d, cx, cy, rad, c, a, m, aa);
                 else
                   LICE_Arc(&d, cx, cy, rad, ang[0], ang[1], c, a, m, aa);
               }});
  s.push_back(
      {"RoundRect", kSolidModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
         const float v[] = {F(r, -3, 10), F(r, -3, 8), F(r, 2, 20), F(r, 2, 16)};
         const int k[] = {C(r, 0, 6), C(r, 0, 1)};
         LICE_RoundRect(&d, v[0], v[1], v[2], v[3], k[0], Colour(r), a, m, k[1]);
       }});
  s.push_back({"GradRect", kSolidModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
                 const bool flat = C(r, 0, 1);
                 auto step = [&] { return flat ? 0.0f : F(r, -0.1f, 0.1f); };
                 const int v[] = {C(r, -5, 20), C(r, -5, 14), C(r, 0, 30), C(r, 0, 20)};
                 const float c[] = {F(r, -0.2f, 1.2f), F(r, -0.2f, 1.2f), F(r, -0.2f, 1.2f)};
                 const float s[] = {step(), step(), step(), step(), step(), step(), step(), step()};
                 LICE_GradRect(&d, v[0], v[1], v[2], v[3], c[0], c[1], c[2], a, s[0], s[1], s[2],
                               s[3], s[4], s[5], s[6], s[7], m);
               }});
  s.push_back(
      {"Glyph", kSolidModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
         unsigned char mask[12 * 9];
         for (auto& v : mask) v = C(r, 0, 2) ? (unsigned char)r.Next() : 0;
         const int v[] = {C(r, -8, 22), C(r, -6, 16), C(r, 0, 1), C(r, 0, 1), C(r, 1, 12 * 8)};
         const LICE_pixel c = Colour(r);
         if (v[2])
           LICE_DrawGlyphEx(&d, v[0], v[1], c, mask, 12, v[3] ? 12 : -12, 9, a, m);
         else
           LICE_DrawMonoGlyph(&d, v[0], v[1], c, mask, v[4], 12, 9, a, m);
       }});
  s.push_back({"FLine", kSolidModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
                 const float v[] = {F(r, -5, 28), F(r, -5, 22), F(r, -5, 28), F(r, -5, 22)};
                 const LICE_pixel c = Colour(r);
                 LICE_FLine(&d, v[0], v[1], v[2], v[3], c, a, m, C(r, 0, 3) != 0);
               }});
  s.push_back(
      {"DashedLine", kSolidModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
         const int x = C(r, -3, 25), y = C(r, -3, 19), n = C(r, -20, 20);
         const bool vert = C(r, 0, 1);
         const int on = C(r, 0, 3), off = C(r, 0, 2);
         LICE_DashedLine(&d, x, y, vert ? x : x + n, vert ? y + n : y, on, off, Colour(r), a, m);
       }});
  s.push_back({"Polygon", kSolidModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
                 if (C(r, 0, 1)) {
                   const int v[] = {C(r, -5, 26), C(r, -5, 26), C(r, -4, 18),
                                    C(r, -5, 26), C(r, -5, 26), C(r, -4, 20)};
                   LICE_FillTrapezoid(&d, v[0], v[1], v[2], v[3], v[4], v[5], Colour(r), a, m);
                 } else {
                   int xs[5], ys[5];
                   for (int i = 0; i < 5; i++) {
                     xs[i] = C(r, -6, 28);
                     ys[i] = C(r, -6, 22);
                   }
                   const int n = C(r, 3, 5);
                   LICE_FillConvexPolygon(&d, xs, ys, n, Colour(r), a, m);
                 }
               }});
  s.push_back(
      {"Bezier", kSolidModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
         float v[8];
         for (int i = 0; i < 8; i++) v[i] = i & 1 ? F(r, -3, 20) : F(r, -3, 26);
         const int k[] = {C(r, 0, 1), C(r, 0, 1), C(r, 0, 17)};
         const LICE_pixel c = Colour(r);
         if (k[0])
           LICE_DrawCBezier(&d, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], c, a, m, k[1]);
         else
           LICE_FillCBezier(&d, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], k[2], c, a, m);
       }});
  s.push_back(
      {"ScaledBlit", kBlitModes, [](TestBitmap& d, TestBitmap& src, TestRng& r, float a, int m) {
         const int k = C(r, 0, 3);
         const float sc = k == 0 ? 0.5f : k == 1 ? 2.0f : k == 2 ? 0.25f : F(r, 0.3f, 3);
         int w = C(r, 1, 24), h = C(r, 1, 18);
         if (C(r, 0, 3) == 0) w = -w;
         if (C(r, 0, 3) == 0) h = -h;
         const int p[] = {C(r, -6, 22), C(r, -6, 16)};
         const float s[] = {F(r, -2, 6), F(r, -2, 6)};
         LICE_ScaledBlit(&d, &src, p[0], p[1], w, h, s[0], s[1], std::abs(w) / sc, std::abs(h) / sc,
                         a, m);
       }});
  s.push_back(
      {"RotatedBlit", kBlitModes, [](TestBitmap& d, TestBitmap& src, TestRng& r, float a, int m) {
         const int v[] = {C(r, -6, 20), C(r, -6, 14), C(r, -20, 24), C(r, -16, 18), C(r, 0, 1)};
         const float f[] = {F(r, -2, 6), F(r, -2, 6), F(r, 1, 20), F(r, 1, 16),
                            F(r, -4, 4), F(r, -2, 2), F(r, -2, 2)};
         LICE_RotatedBlit(&d, &src, v[0], v[1], v[2], v[3], f[0], f[1], f[2], f[3], f[4], v[4], a,
                          m, f[5], f[6]);
       }});
  s.push_back({"DeltaBlitAlpha", kSolidModes,
               [](TestBitmap& d, TestBitmap& src, TestRng& r, float a, int m) {
                 const int v[] = {C(r, -6, 20), C(r, -6, 14), C(r, 1, 24),
                                  C(r, 1, 18),  C(r, 0, 1),   C(r, 0, 1)};
                 const float f[] = {F(r, -2, 6),         F(r, -2, 6),       F(r, 1, 20),
                                    F(r, 1, 16),         F(r, -1, 1.5f),    F(r, -0.5f, 0.5f),
                                    F(r, -0.5f, 0.5f),   F(r, -1, 1.5f),    F(r, -0.05f, 0.05f),
                                    F(r, -0.05f, 0.05f), F(r, -0.1f, 0.1f), F(r, -0.1f, 0.1f),
                                    F(r, -0.01f, 0.01f)};
                 LICE_DeltaBlitAlpha(&d, &src, v[0], v[1], v[2], v[3], f[0], f[1], f[2], f[3], f[4],
                                     f[5], f[6], f[7], f[8], f[9], v[4], a, m | (v[5] << 8), f[10],
                                     f[11], f[12]);
               }});
  s.push_back(
      {"TransformBlit", kBlitModes, [](TestBitmap& d, TestBitmap& src, TestRng& r, float a, int m) {
         float pts[3 * 3 * 2];
         for (int i = 0; i < 18; i++) pts[i] = F(r, -2, 18);
         const int v[] = {C(r, -4, 10), C(r, -4, 8), C(r, 1, 24), C(r, 1, 18)};
         LICE_TransformBlit(&d, &src, v[0], v[1], v[2], v[3], pts, 3, 3, a, m);
       }});
  s.push_back(
      {"CachedText", kSolidModes, [](TestBitmap& d, TestBitmap&, TestRng& r, float a, int m) {
         const int kinds[] = {0, LICE_FONT_FLAG_FX_MONO, LICE_FONT_FLAG_FX_SHADOW,
                              LICE_FONT_FLAG_FX_OUTLINE};
         LICE_CachedFont* f = Font(kinds[C(r, 0, 3)]);
         f->SetTextColor(Colour(r));
         f->SetBkColor(Colour(r));
         f->SetEffectColor(Colour(r));
         f->SetBkMode(C(r, 0, 3) == 0);
         f->SetCombineMode(m, a);
         RECT rc = {C(r, -6, 10), C(r, -6, 8), C(r, 0, 30), C(r, 0, 24)};
         const int k[] = {C(r, 0, 1), C(r, 0, 1), C(r, 0, 3)};
         const UINT fl =
             (k[0] ? DT_CENTER : 0) | (k[1] ? LICE_DT_USEFGALPHA : 0) | (k[2] ? 0 : DT_NOCLIP);
         f->DrawText(&d, C(r, 0, 1) ? "Ag&" : "W\xc3\xa9y", -1, &rc, fl);
       }});
  return s;
}

// Hashes of every (site, mode) for the current fast-path setting.
std::map<std::string, uint64_t> Sweep() {
  std::map<std::string, uint64_t> out;
  for (const Site& site : Sites())
    for (int mode : site.modes) {
      uint64_t h = 0xcbf29ce484222325ull;
      uint32_t seed = 1;
      for (float alpha : kAlphas)
        for (int rep = 0; rep < 16; rep++, seed++) {
          TestRng r(seed * 2654435761u + (uint32_t)mode);
          TestBitmap d(kW, kH, rep & 1, kW + (rep & 2)), src(13, 11, rep & 4, 13 + (rep & 1));
          d.Randomize(r.Next());
          src.Randomize(r.Next());
          // Sources with clear and opaque pixels as well as translucent ones.
          for (auto& p : src.raw()) {
            const int k = (int)(p % 3);
            if (k == 0) p |= 0xFF000000;
            if (k == 1) p &= 0x00FFFFFF;
          }
          site.draw(d, src, r, alpha, mode);
          Mix(&h, d.raw());
        }
      char key[64];
      snprintf(key, sizeof key, "%s/%#x", site.name, mode);
      out[key] = h;
    }
  return out;
}

} // namespace

TEST(OperatorSites, PixelsMatchTheRecordedHashes) {
  const std::map<std::string, uint64_t> got = Sweep();
  if (const char* path = getenv("QV_LICE_RECORD")) {
    FILE* f = fopen(path, "w");
    ASSERT_TRUE(f);
    for (auto& kv : got)
      fprintf(f, "{\"%s\", 0x%016llxull},\n", kv.first.c_str(), (unsigned long long)kv.second);
    fclose(f);
  }
  std::map<std::string, uint64_t> want;
  for (const Expected& e : kExpected) want[e.key] = e.hash;
  EXPECT_EQ(got.size(), want.size());
  for (auto& kv : got) {
    auto it = want.find(kv.first);
    ASSERT_NE(it, want.end()) << kv.first;
    EXPECT_EQ(kv.second, it->second) << kv.first;
  }
}

TEST(OperatorSites, EveryInstructionSetGivesThePlainLoopsHashes) {
  LICE_fastpaths_enabled = false;
  const std::map<std::string, uint64_t> plain = Sweep();
  LICE_fastpaths_enabled = true;
  const int top = LICE_GetSimdLevelSupported();
  for (int level = LICE_SIMD_NONE; level <= top; level++) {
    ASSERT_TRUE(LICE_SetSimdLevel(level));
    const std::map<std::string, uint64_t> fast = Sweep();
    for (auto& kv : fast)
      EXPECT_EQ(kv.second, plain.at(kv.first)) << kv.first << " level " << level;
  }
  EXPECT_FALSE(LICE_SetSimdLevel(top + 1));
  EXPECT_EQ(LICE_GetSimdLevel(), top);
}
