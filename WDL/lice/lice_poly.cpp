// Convex fills: everything becomes trapezoids between two horizontal spans.
#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/lice_combine.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace {

// Row loops. Columns are kept in 64 bits: an edge that starts far outside the bitmap may
// travel far before it reaches it, and only the clipped range is ever touched.
struct TrapEdges {
  int64_t xa, xb;   // current left column and right column (exclusive)
  int stepa, stepb; // 16.16 magnitudes per row
  int erra, errb;   // 0..65535 after each carry
  int dira, dirb;   // +1 or -1
  void Advance() {
    erra += stepa;
    if (erra >= 65536) {
      xa += (int64_t)dira * (erra >> 16);
      erra &= 0xFFFF;
    }
    errb += stepb;
    if (errb >= 65536) {
      xb += (int64_t)dirb * (errb >> 16);
      errb &= 0xFFFF;
    }
  }
};

template <class COMBFUNC> struct _LICE_FillFast {
  static void FillClippedTrapezoidFAST(int W, int span, LICE_pixel* px, int nrows, TrapEdges e,
                                       LICE_pixel c) {
    while (nrows-- > 0) {
      const int64_t lo = std::max<int64_t>(e.xa, 0), hi = std::min<int64_t>(e.xb, W);
      for (int64_t x = lo; x < hi; x++) COMBFUNC::doPixFAST(px + x, c);
      e.Advance();
      px += span;
    }
  }
};

template <class COMBFUNC> struct _LICE_Fill {
  static void FillClippedTrapezoid(int W, int span, LICE_pixel* px, int nrows, TrapEdges e, int r,
                                   int g, int b, int a, int w) {
    while (nrows-- > 0) {
      const int64_t lo = std::max<int64_t>(e.xa, 0), hi = std::min<int64_t>(e.xb, W);
      for (int64_t x = lo; x < hi; x++) COMBFUNC::doPix((LICE_pixel_chan*)(px + x), r, g, b, a, w);
      e.Advance();
      px += span;
    }
  }
};

int ClampStep(double v) {
  if (v > 536870912.0) v = 536870912.0;
  if (v < -536870912.0) v = -536870912.0;
  return (int)v;
}

void SetupEdge(int x1, int x2, double f, int* step, int* dir) {
  *step = ClampStep(((double)x2 - (double)x1) * f);
  *dir = 1;
  if (*step < 0) {
    *step = -*step;
    *dir = -1;
  }
}

struct VPair {
  int x, y;
};

// Vertex order for the standard sort: by row, then by column.
bool _ysort(const VPair& a, const VPair& b) {
  return a.y < b.y || (a.y == b.y && a.x < b.x);
}

// The next vertex of the left (dir < 0) or right (dir > 0) boundary below xy[start]; start
// itself when that boundary has ended. Ties go to the later vertex.
int FindNextEdgeVertex(const VPair* xy, int start, int n, int dir) {
  const int xs = xy[start].x, ys = xy[start].y;
  int best = start;
  float bestslope = 0.0f;
  for (int i = start + 1; i < n; i++) {
    if (xy[i].y == ys) continue;
    const float s = (float)((double)xy[i].x - xs) / (float)((double)xy[i].y - ys);
    if (best == start || s == bestslope || (dir < 0 && s < bestslope) ||
        (dir > 0 && s > bestslope)) {
      best = i;
      bestslope = s;
    }
  }
  return best;
}

int SatInt(double v) {
  if (v >= (double)INT_MAX) return INT_MAX;
  if (v <= (double)INT_MIN) return INT_MIN;
  return (int)v;
}

int FindXOnSegment(int x1, int y1, int x2, int y2, int y) {
  if (y1 > y2) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  if (y <= y1) return x1;
  if (y >= y2) return x2;
  const float q = (float)((double)x2 - x1) / (float)((double)y2 - y1);
  return SatInt((double)x1 + (double)(int64_t)((float)((double)y - y1) * q));
}

} // namespace

void LICE_FillTrapezoid(LICE_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2,
                        unsigned int color, float alpha, int mode) {
  if (!dest || !_LICE_AlphaUsable(alpha)) return;
  if (y1 > y2) {
    std::swap(y1, y2);
    std::swap(x1a, x2a);
    std::swap(x1b, x2b);
  }
  if (x1a > x1b) std::swap(x1a, x1b);
  if (x2a > x2b) std::swap(x2a, x2b);
  const int W = dest->getWidth(), H = dest->getHeight();
  if ((x1b < 0 && x2b < 0) || (x1a >= W && x2a >= W)) return;
  if (x1a <= 0 && x2a <= 0) x1a = x2a = 0;
  if (x1b >= W - 1 && x2b >= W - 1) x1b = x2b = W - 1;
  if (y2 < 0 || y1 >= H) return;
  LICE_pixel* bits = dest->getBits();
  const int span = dest->getRowSpan();
  if (!bits || W < 1 || H < 1 || span < 1) return;

  const int w = (int)(alpha * 256.0f);
  const double f = y1 == y2 ? 0.0 : 65536.0 / ((double)y2 - (double)y1);
  TrapEdges e;
  SetupEdge(x1a, x2a, f, &e.stepa, &e.dira);
  SetupEdge(x1b, x2b, f, &e.stepb, &e.dirb);
  e.xa = x1a;
  e.xb = (int64_t)x1b + 1; // exclusive from here on
  e.erra = e.errb = 0;
  if (y1 < 0) {
    // Rows cut off above: advance both edges as the rows would have.
    const int64_t skip = -(int64_t)y1;
    const int64_t ea = (int64_t)e.stepa * skip, eb = (int64_t)e.stepb * skip;
    e.xa += e.dira * (ea >> 16);
    e.erra = (int)(ea & 0xFFFF);
    e.xb += e.dirb * (eb >> 16);
    e.errb = (int)(eb & 0xFFFF);
    y1 = 0;
  }
  if (y2 > H - 1) y2 = H - 1;
  LICE_pixel* px = bits + (size_t)y1 * span;
  const int nrows = y2 - y1 + 1;
  const int op = mode & LICE_BLIT_MODE_MASK;
  if (op == LICE_BLIT_MODE_COPY && LICE_DispatchWholeWord(w, color, [&](auto opc, LICE_pixel c) {
        _LICE_FillFast<decltype(opc)>::FillClippedTrapezoidFAST(W, span, px, nrows, e, c);
      }))
    return;
  const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color), a = LICE_GETA(color);
  LICE_DispatchOperator<LICE_CopyRule::Copy>(op, w, [&](auto opc) {
    _LICE_Fill<decltype(opc)>::FillClippedTrapezoid(W, span, px, nrows, e, r, g, b, a, w);
  });
}

void LICE_FillConvexPolygon(LICE_IBitmap* dest, const int* x, const int* y, int npoints,
                            unsigned int color, float alpha, int mode) {
  if (!dest || !x || !y || npoints < 3) return;
  VPair local[512];
  VPair* xy = local;
  if (npoints > 512) {
    xy = (VPair*)malloc(sizeof(VPair) * (size_t)npoints);
    if (!xy) return; // no room to sort the vertices: draw nothing
  }
  const int H = dest->getHeight();
  const bool flip = dest->isFlipped();
  // Bounds start from the first vertex, so a shape wholly left of the bitmap stays there.
  int minx = x[0], maxx = x[0];
  for (int i = 0; i < npoints; i++) {
    minx = std::min(minx, x[i]);
    maxx = std::max(maxx, x[i]);
    xy[i].x = x[i];
    xy[i].y = flip ? SatInt((double)H - y[i] - 1) : y[i];
  }
  const int n = npoints;
  std::sort(xy, xy + n, _ysort);

  if (xy[0].y == xy[n - 1].y) {
    const int row = xy[0].y;
    if (row >= 0 && row < H && minx <= maxx)
      LICE_FillTrapezoid(dest, minx, maxx, row, minx, maxx, row, color, alpha, mode);
  } else {
    int cy = xy[0].y;
    int a1 = 0, b1 = 0;
    for (int i = 1; i < n && xy[i].y == cy; i++) {
      b1 = i;
      if (xy[i].x == xy[0].x) a1 = i;
    }
    int a2 = FindNextEdgeVertex(xy, a1, n, -1);
    int b2 = FindNextEdgeVertex(xy, b1, n, 1);
    while (a1 != a2 || b1 != b2) {
      const int ya = xy[a2].y, yb = xy[b2].y;
      const int ylo = std::min(ya, yb);
      const int txa = FindXOnSegment(xy[a1].x, xy[a1].y, xy[a2].x, ya, cy);
      const int txb = FindXOnSegment(xy[b1].x, xy[b1].y, xy[b2].x, yb, cy);
      const int bxa = FindXOnSegment(xy[a1].x, xy[a1].y, xy[a2].x, ya, ylo);
      const int bxb = FindXOnSegment(xy[b1].x, xy[b1].y, xy[b2].x, yb, ylo);
      LICE_FillTrapezoid(dest, txa, txb, cy, bxa, bxb, ylo, color, alpha, mode);
      const bool down = cy <= ylo;
      if (ya == ylo) {
        a1 = a2;
        a2 = FindNextEdgeVertex(xy, a2, n, -1);
      }
      if (yb == ylo) {
        b1 = b2;
        b2 = FindNextEdgeVertex(xy, b2, n, 1);
      }
      if (down ? ylo == INT_MAX : ylo == INT_MIN) break; // no row beyond the last one
      cy = down ? ylo + 1 : ylo - 1;
    }
  }
  if (xy != local) free(xy);
}

void LICE_FillTriangle(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                       unsigned int color, float alpha, int mode) {
  const int x[3] = {x1, x2, x3}, y[3] = {y1, y2, y3};
  LICE_FillConvexPolygon(dest, x, y, 3, color, alpha, mode);
}
