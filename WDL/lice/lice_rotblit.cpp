// Rotated, delta and grid-transformed blits: the destination walks the source along
// per-pixel and per-row 16.16 steps; the operator is called through a pointer.
#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/lice_combine.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <cstdint>

namespace {

typedef int64_t fix_t;
typedef void (*DoPixFunc)(LICE_pixel_chan* dest, int r, int g, int b, int a, int w);

inline bool Inside(fix_t v, int lim) {
  return (uint64_t)v < (uint64_t)(unsigned)lim;
}

// The walk of one delta blit: destination rectangle, source window and 16.16 steps
// relative to the window's top-left pixel.
struct DeltaJob {
  LICE_pixel* dest;
  int dspan;
  const LICE_pixel* src;
  int sspan;
  int w, h;
  // 16.16, walked with wrapping sums (a far-off walk leaves the window, never the memory)
  uint64_t s, t, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy;
  int clipright, clipbottom;
  int filter; // mode & LICE_BLIT_FILTER_MASK
};

// Samples the window at (s, t); false when the sample lies outside.
inline bool Sample(const DeltaJob& j, uint64_t s, uint64_t t, int* r, int* g, int* b, int* a) {
  const fix_t sx = (fix_t)s >> 16, sy = (fix_t)t >> 16;
  if (!Inside(sx, j.clipright) || !Inside(sy, j.clipbottom)) return false;
  const LICE_pixel* p = j.src + sy * j.sspan + sx;
  if (j.filter == LICE_BLIT_FILTER_BILINEAR) {
    const bool lastrow = sy == j.clipbottom - 1, lastcol = sx == j.clipright - 1;
    const unsigned int fx = (unsigned int)(s & 0xFFFF), fy = (unsigned int)(t & 0xFFFF);
    __LICE_SampleBilinear(r, g, b, a, p, j.sspan, lastrow, lastcol, fx, fy);
    return true;
  }
  *r = LICE_GETR(*p);
  *g = LICE_GETG(*p);
  *b = LICE_GETB(*p);
  *a = LICE_GETA(*p);
  return true;
}

struct _LICE_Template_Blit3 {
  static void deltaBlit(DeltaJob j, int weight, DoPixFunc op) {
    LICE_pixel* drow = j.dest;
    uint64_t rs = j.s, rt = j.t;
    for (int y = 0; y < j.h; y++) {
      uint64_t s = rs, t = rt;
      for (int x = 0; x < j.w; x++, s += j.dsdx, t += j.dtdx) {
        int r, g, b, a;
        if (Sample(j, s, t, &r, &g, &b, &a)) op((LICE_pixel_chan*)(drow + x), r, g, b, a, weight);
      }
      j.dsdx += j.dsdxdy;
      j.dtdx += j.dtdxdy;
      rs += j.dsdy;
      rt += j.dtdy;
      drow += j.dspan;
    }
  }
};

// a >> 8 of a 16.16 weight, held where the operators' products stay inside an int.
inline int Weight(uint64_t a) {
  const fix_t w = (fix_t)a >> 8;
  return w > 4096 ? 4096 : w < -4096 ? -4096 : (int)w;
}

struct _LICE_Template_Blit4 {
  // a: 16.16 weight of the first pixel; the weight of a pixel is a >> 8.
  static void deltaBlitAlpha(DeltaJob j, uint64_t a0, uint64_t dadx, uint64_t dady, uint64_t dadxdy,
                             DoPixFunc op) {
    LICE_pixel* drow = j.dest;
    uint64_t rs = j.s, rt = j.t;
    for (int y = 0; y < j.h; y++) {
      uint64_t s = rs, t = rt, al = a0;
      for (int x = 0; x < j.w; x++, s += j.dsdx, t += j.dtdx, al += dadx) {
        int r, g, b, a;
        if (Sample(j, s, t, &r, &g, &b, &a))
          op((LICE_pixel_chan*)(drow + x), r, g, b, a, Weight(al));
      }
      j.dsdx += j.dsdxdy;
      j.dtdx += j.dtdxdy;
      dadx += dadxdy;
      a0 += dady;
      rs += j.dsdy;
      rt += j.dtdy;
      drow += j.dspan;
    }
  }
};

// v x 65536 truncated, held within 2^44 so that sums over any walk stay inside 64 bits.
fix_t ToFix(double v) {
  v *= 65536.0;
  const double lim = 17592186044416.0; // 2^44
  if (v > lim) v = lim;
  if (v < -lim) v = -lim;
  return (fix_t)v;
}

bool Finite(std::initializer_list<double> vals) {
  for (double v : vals)
    if (!std::isfinite(v)) return false;
  return true;
}

// Per-pixel, per-row and per-row-change steps of a walk, in source pixels.
struct Steps {
  double dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy;
};

// The weight walk of LICE_DeltaBlitAlpha, in weight units of 1.0 = full.
struct AlphaWalk {
  double a, dadx, dady, dadxdy;
};

// Where samples may come from, in source pixels.
struct ClipBox {
  double l, t, r, b;
};

// The whole source, or with clip_to_source only its part inside the source rectangle.
ClipBox SourceBox(LICE_IBitmap* src, bool clip_to_source, float srcx, float srcy, float srcw,
                  float srch) {
  ClipBox c = {0, 0, (double)src->getWidth(), (double)src->getHeight()};
  if (clip_to_source) {
    c.l = std::max(0.0, (double)srcx);
    c.t = std::max(0.0, (double)srcy);
    c.r = std::min(c.r, (double)srcx + srcw);
    c.b = std::min(c.b, (double)srcy + srch);
  }
  return c;
}

// Destination clipping, the source window and the walk. (dx, dy, dw, dh) has a positive
// size; (sx, sy) is the source position of its first pixel; box bounds the samples. aw null: a
// plain delta blit with the given alpha.
void RunDelta(LICE_IBitmap* dest, LICE_IBitmap* src, int64_t dx, int64_t dy, int64_t dw, int64_t dh,
              double sx, double sy, const Steps& st, const ClipBox& box, float alpha, int mode,
              AlphaWalk* aw) {
  if (dx < 0) {
    sx -= dx * st.dsdx;
    sy -= dx * st.dtdx;
    if (aw) aw->a -= dx * aw->dadx;
    dw += dx;
    dx = 0;
  }
  if (dy < 0) {
    sy -= dy * st.dtdy;
    sx -= dy * st.dsdy;
    if (aw) aw->a -= dy * aw->dady;
    dh += dy;
    dy = 0;
  }
  if (!__LICE_FitToBitmap(dest, dx, dy, &dw, &dh)) return;
  const int destH = dest->getHeight();

  LICE_pixel* dbits = dest->getBits();
  LICE_pixel* sbits = src->getBits();
  const int srcW = src->getWidth(), srcH = src->getHeight();
  if (!dbits || !sbits || srcW < 1 || srcH < 1) return;
  // The window: whole pixels of the clip box that lie inside the source.
  const double cl = std::max(0.0, std::min(box.l, (double)srcW));
  const double ct = std::max(0.0, std::min(box.t, (double)srcH));
  const double cr = std::max(0.0, std::min(box.r, (double)srcW));
  const double cb = std::max(0.0, std::min(box.b, (double)srcH));
  const int icl = (int)cl, ict = (int)ct;
  DeltaJob j;
  j.clipright = (int)cr - icl;
  j.clipbottom = (int)cb - ict;
  if (j.clipright < 1 || j.clipbottom < 1) return;

  j.src = __LICE_PixelAt(sbits, src->getRowSpan(), srcH, src->isFlipped(), icl, ict, &j.sspan);
  j.dest = __LICE_PixelAt(dbits, dest->getRowSpan(), destH, dest->isFlipped(), dx, dy, &j.dspan);
  j.w = (int)dw;
  j.h = (int)dh;
  j.s = ToFix(sx - icl);
  j.t = ToFix(sy - ict);
  j.dsdx = ToFix(st.dsdx);
  j.dtdx = ToFix(st.dtdx);
  j.dsdy = ToFix(st.dsdy);
  j.dtdy = ToFix(st.dtdy);
  j.dsdxdy = ToFix(st.dsdxdy);
  j.dtdxdy = ToFix(st.dtdxdy);
  j.filter = mode & LICE_BLIT_FILTER_MASK;

  if (aw) {
    // The weight may leave 0..256 along the walk: the clamping forms.
    LICE_DispatchOperator<LICE_CopyRule::Walk, true>(mode & LICE_BLIT_MODE_MASK, 0, [&](auto op) {
      _LICE_Template_Blit4::deltaBlitAlpha(j, ToFix(aw->a), ToFix(aw->dadx), ToFix(aw->dady),
                                           ToFix(aw->dadxdy), &decltype(op)::doPix);
    });
    return;
  }
  if (!_LICE_AlphaUsable(alpha)) return;
  const int w = (int)(alpha * 256.0f);
  LICE_DispatchOperator<LICE_CopyRule::Blit>(_LICE_BlitKey(mode), w, [&](auto op) {
    _LICE_Template_Blit3::deltaBlit(j, w, &decltype(op)::doPix);
  });
}

void DeltaCommon(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                 float srcx, float srcy, float srcw, float srch, const Steps& st,
                 bool clip_to_source, float alpha, int mode, AlphaWalk* aw) {
  if (!dest || !src || !dstw || !dsth) return;
  if (!Finite({srcx, srcy, srcw, srch, alpha, st.dsdx, st.dtdx, st.dsdy, st.dtdy, st.dsdxdy,
               st.dtdxdy}))
    return;
  if (aw && !Finite({aw->a, aw->dadx, aw->dady, aw->dadxdy})) return;
  const ClipBox box = SourceBox(src, clip_to_source, srcx, srcy, srcw, srch);
  // Mirroring moves only the start (the turned spans are dropped); the caller's steps already
  // carry the direction.
  int64_t dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  double sx = srcx, sy = srcy, sw = srcw, sh = srch;
  __LICE_MirrorAxis(&dx, &dw, &sx, &sw);
  __LICE_MirrorAxis(&dy, &dh, &sy, &sh);
  RunDelta(dest, src, dx, dy, dw, dh, sx, sy, st, box, alpha, mode, aw);
}

// A grid of source points drawn as one delta blit per cell. P(i) reads point i's x, y and
// (with alpha) its weight.
template <class P>
void TransformGrid(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                   const P& pt, int grid_cols, int grid_rows, float alpha, int mode,
                   bool with_alpha) {
  if (!dest || !src || dstw <= 0 || dsth <= 0 || grid_cols < 2 || grid_rows < 2) return;
  const float ystep = (float)dsth / (float)(grid_rows - 1);
  const float xstep = (float)dstw / (float)(grid_cols - 1);
  double ypos = dsty;
  int lasty = dsty;
  for (int row = 1; row < grid_rows; row++) {
    ypos += ystep;
    const int iy = (int)(ypos + 0.5);
    if (iy == lasty) continue;
    const double dhi = 1.0 / (iy - lasty);
    double xpos = dstx;
    int lastx = dstx;
    for (int col = 1; col < grid_cols; col++) {
      xpos += xstep;
      const int ix = (int)(xpos + 0.5);
      if (ix == lastx) continue;
      const double dwi = 1.0 / (ix - lastx);
      const int ip = (row - 1) * grid_cols + col - 1; // top left of the cell
      const int ipr = ip + 1, iq = ip + grid_cols, iqr = iq + 1;
      Steps st;
      st.dsdx = (pt.x(ipr) - pt.x(ip)) * dwi;
      st.dtdx = (pt.y(ipr) - pt.y(ip)) * dwi;
      st.dsdy = (pt.x(iq) - pt.x(ip)) * dhi;
      st.dtdy = (pt.y(iq) - pt.y(ip)) * dhi;
      st.dsdxdy = ((pt.x(iqr) - pt.x(iq)) * dwi - st.dsdx) * dhi;
      st.dtdxdy = ((pt.y(iqr) - pt.y(iq)) * dwi - st.dtdx) * dhi;
      const float sx = (float)pt.x(ip), sy = (float)pt.y(ip);
      const float sw = (float)(pt.x(ipr) - pt.x(ip)), sh = (float)(pt.y(ipr) - pt.y(ip));
      if (with_alpha) {
        AlphaWalk aw;
        aw.a = pt.a(ip);
        aw.dadx = (pt.a(ipr) - pt.a(ip)) * dwi;
        aw.dady = (pt.a(iq) - pt.a(ip)) * dhi;
        aw.dadxdy = ((pt.a(iqr) - pt.a(iq)) * dwi - aw.dadx) * dhi;
        DeltaCommon(dest, src, lastx, lasty, ix - lastx, iy - lasty, sx, sy, sw, sh, st, false,
                    1.0f, mode, &aw);
      } else {
        DeltaCommon(dest, src, lastx, lasty, ix - lastx, iy - lasty, sx, sy, sw, sh, st, false,
                    alpha, mode, nullptr);
      }
      lastx = ix;
    }
    lasty = iy;
  }
}

template <class T, int N> struct GridPoints {
  const T* p;
  double x(int i) const { return p[i * N]; }
  double y(int i) const { return p[i * N + 1]; }
  double a(int i) const { return N > 2 ? p[i * N + 2] : 1.0; }
};

} // namespace

void LICE_RotatedBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                      float srcx, float srcy, float srcw, float srch, float angle,
                      bool clip_to_source, float alpha, int mode, float centre_dx,
                      float centre_dy) {
  if (!dest || !src || !dstw || !dsth) return;
  if (!Finite({srcx, srcy, srcw, srch, angle, alpha, centre_dx, centre_dy})) return;
  const ClipBox box = SourceBox(src, clip_to_source, srcx, srcy, srcw, srch);
  int64_t dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  __LICE_MirrorAxis(&dx, &dw, &srcx, &srcw);
  __LICE_MirrorAxis(&dy, &dh, &srcy, &srch);
  const float cosa = cosf(angle), sina = sinf(angle);
  const float xsc = srcw / (float)dw, ysc = srch / (float)dh;
  Steps st;
  st.dsdx = xsc * cosa;
  st.dtdy = ysc * cosa;
  st.dsdy = xsc * sina;
  st.dtdx = ysc * -sina;
  st.dsdxdy = st.dtdxdy = 0;
  // The centre of the destination maps to the centre of the source plus the offset.
  const double sx = srcx - (((double)dw * st.dsdx + (double)dh * st.dsdy - srcw) * 0.5 - centre_dx);
  const double sy = srcy - (((double)dh * st.dtdy + (double)dw * st.dtdx - srch) * 0.5 - centre_dy);
  RunDelta(dest, src, dx, dy, dw, dh, sx, sy, st, box, alpha, mode, nullptr);
}

void LICE_DeltaBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                    float srcx, float srcy, float srcw, float srch, double dsdx, double dtdx,
                    double dsdy, double dtdy, double dsdxdy, double dtdxdy, bool clip_to_source,
                    float alpha, int mode) {
  const Steps st = {dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy};
  DeltaCommon(dest, src, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, st, clip_to_source, alpha,
              mode, nullptr);
}

void LICE_DeltaBlitAlpha(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw,
                         int dsth, float srcx, float srcy, float srcw, float srch, double dsdx,
                         double dtdx, double dsdy, double dtdy, double dsdxdy, double dtdxdy,
                         bool clip_to_source, float alpha, int mode, double dadx, double dady,
                         double dadxdy) {
  const Steps st = {dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy};
  AlphaWalk aw = {alpha, dadx, dady, dadxdy};
  DeltaCommon(dest, src, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, st, clip_to_source, alpha,
              mode, &aw);
}

void LICE_TransformBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw,
                        int dsth, const float* points, int grid_cols, int grid_rows, float alpha,
                        int mode) {
  if (!points) return;
  TransformGrid(dest, src, dstx, dsty, dstw, dsth, GridPoints<float, 2>{points}, grid_cols,
                grid_rows, alpha, mode, false);
}

void LICE_TransformBlit2(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw,
                         int dsth, const double* points, int grid_cols, int grid_rows, float alpha,
                         int mode) {
  if (!points) return;
  TransformGrid(dest, src, dstx, dsty, dstw, dsth, GridPoints<double, 2>{points}, grid_cols,
                grid_rows, alpha, mode, false);
}

void LICE_TransformBlit2Alpha(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw,
                              int dsth, const double* points, int grid_cols, int grid_rows,
                              int mode) {
  if (!points) return;
  TransformGrid(dest, src, dstx, dsty, dstw, dsth, GridPoints<double, 3>{points}, grid_cols,
                grid_rows, 1.0f, mode, true);
}
