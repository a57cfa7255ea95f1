// Quadratic and cubic Bezier curves: outlines as chains of float lines, and the areas
// between a cubic and a row or column as one-column (one-row) slices of convex fills.
#include "WDL/lice/lice_shapes.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <initializer_list>

namespace {

bool Finite(std::initializer_list<double> vals) {
  for (double v : vals)
    if (!std::isfinite(v)) return false;
  return true;
}

// Truncation toward zero, held within +-2^30 so that the fills' +1 steps cannot wrap; a
// coordinate that far out lies beyond any bitmap either way.
int Trunc(double v) {
  const double lim = 1073741824.0;
  if (!(v < lim)) return (int)lim;
  if (!(v > -lim)) return -(int)lim;
  return (int)v;
}

float Dist(double x1, double y1, double x2, double y2) {
  return sqrtf((float)((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1)));
}

// Segments per curve: from the length and tolerance, at least 1, and no more than a bitmap
// of this size can show (a curve reaching far outside would otherwise ask for millions).
int SegmentCount(double len, double tol, int W, int H) {
  if (tol <= 0) tol = 1.0;
  const double cap = 8.0 * ((double)W + H) + 64.0;
  const double n = std::min(len / tol, cap);
  return n >= 1.0 ? (int)n : 1;
}

struct Cubic {
  double ax, bx, cx, dx, ay, by, cy, dy;
  double X(double t) const { return ((ax * t + bx) * t + cx) * t + dx; }
  double Y(double t) const { return ((ay * t + by) * t + cy) * t + dy; }
};

// Shared preparation of the cubic functions: orders the curve along the basis axis, cuts it
// at x = 0 and x = W, and answers the segment count (0: nothing to draw).
int CBezPrep(LICE_IBitmap* dest, double xstart, double ystart, double xctl1, double yctl1,
             double xctl2, double yctl2, double xend, double yend, double tol, bool xbasis,
             Cubic* c, double* xlo, double* xhi, double* ylo, double* yhi, double* tlo,
             double* thi) {
  if (!dest) return 0;
  const int W = dest->getWidth(), H = dest->getHeight();
  if (xbasis ? xstart > xend : ystart > yend) {
    std::swap(xstart, xend);
    std::swap(ystart, yend);
    std::swap(xctl1, xctl2);
    std::swap(yctl1, yctl2);
  }
  const double len = (double)Dist(xstart, ystart, xctl1, yctl1) +
                     (double)Dist(xctl1, yctl1, xctl2, yctl2) +
                     (double)Dist(xctl2, yctl2, xend, yend);
  LICE_CBezier_GetCoeffs(xstart, xctl1, xctl2, xend, ystart, yctl1, yctl2, yend, &c->ax, &c->bx,
                         &c->cx, &c->ay, &c->by, &c->cy);
  c->dx = xstart;
  c->dy = ystart;
  *xlo = xstart;
  *ylo = ystart;
  *xhi = xend;
  *yhi = yend;
  *tlo = 0;
  *thi = 1;
  if (*xlo < 0) {
    double hi = *tlo;
    *xlo = 0;
    *ylo = LICE_CBezier_GetY(xstart, xctl1, xctl2, xend, ystart, yctl1, yctl2, yend, 0.0f, nullptr,
                             nullptr, nullptr, &hi);
    *tlo = hi;
  }
  if (*xhi > W) {
    double hi = *thi;
    *xhi = W;
    *yhi = LICE_CBezier_GetY(xstart, xctl1, xctl2, xend, ystart, yctl1, yctl2, yend, (float)W,
                             nullptr, nullptr, nullptr, &hi);
    *thi = hi;
  }
  if (xbasis ? *xlo > *xhi : *ylo > *yhi) return 0;
  return SegmentCount((*thi - *tlo) * len, tol, W, H);
}

// Fills one slice between the chord (u1, v1)-(u2, v2) and the line v = fill, where u is the
// axis the curve is walked along (x when xbasis, else y) and v the other. The walk by x covers
// the columns u1..u2; the walk by y takes its far row as u2 + 1.
void DoBezierFillSegment(LICE_IBitmap* dest, bool xbasis, int u1, int v1, int u2, int v2, int fill,
                         LICE_pixel color, float alpha, int mode) {
  auto X = [&](int u, int v) { return xbasis ? u : v; };
  auto Y = [&](int u, int v) { return xbasis ? v : u; };
  if (u1 > u2) return;
  if (u1 == u2) {
    int vb = std::max(v2, fill);
    if (vb != fill) vb--;
    const int va = std::min(v1, fill);
    LICE_Line(dest, X(u1, va), Y(u1, va), X(u1, vb), Y(u1, vb), color, alpha, mode, false);
    return;
  }
  if ((v1 < fill) == (v2 < fill)) {
    const int vf = v1 < fill ? fill + 1 : fill, uf = xbasis ? u2 : u2 + 1;
    const int xs[4] = {X(u1, v1), X(u1, vf), X(uf, v2), X(uf, vf)};
    const int ys[4] = {Y(u1, v1), Y(u1, vf), Y(uf, v2), Y(uf, vf)};
    LICE_FillConvexPolygon(dest, xs, ys, 4, color, alpha, mode);
    return;
  }
  const int uc = u1 + Trunc(((double)fill - v1) * ((double)u2 - u1) / ((double)v2 - v1));
  const int vf1 = v1 < fill ? fill + 1 : fill, vf2 = v2 < fill ? fill + 1 : fill;
  LICE_FillTriangle(dest, X(u1, v1), Y(u1, v1), X(u1, vf1), Y(u1, vf1), X(uc, vf1), Y(uc, vf1),
                    color, alpha, mode);
  LICE_FillTriangle(dest, X(uc, vf2), Y(uc, vf2), X(u2, vf2), Y(u2, vf2), X(u2, v2), Y(u2, v2),
                    color, alpha, mode);
}

// The area between a cubic and the row (xbasis) or column fill, as slices one pixel wide
// along the walked axis, each covered once.
void FillCBezierAlong(LICE_IBitmap* dest, bool xbasis, float xstart, float ystart, float xctl1,
                      float yctl1, float xctl2, float yctl2, float xend, float yend, int fill,
                      LICE_pixel color, float alpha, int mode, float tol) {
  if (!Finite({xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, alpha, tol})) return;
  Cubic c;
  double xlo, xhi, ylo, yhi, tlo, thi;
  const int n = CBezPrep(dest, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, tol, xbasis,
                         &c, &xlo, &xhi, &ylo, &yhi, &tlo, &thi);
  if (!n) return;
  fill = Trunc(fill);
  const double ulo = xbasis ? xlo : ylo, vlo = xbasis ? ylo : xlo;
  const double uhi = xbasis ? xhi : yhi, vhi = xbasis ? yhi : xhi;
  const double dt = (thi - tlo) / n;
  double t = tlo + dt;
  int pu = Trunc(ulo), pv = Trunc(vlo + 0.5);
  for (int i = 1; i < n - 1; i++, t += dt) {
    const float x = (float)c.X(t), y = (float)c.Y(t);
    const float u = xbasis ? x : y, v = xbasis ? y : x;
    if (Trunc(u) >= pu) {
      const int ui = Trunc(u), vi = Trunc(v + 0.5);
      DoBezierFillSegment(dest, xbasis, pu, pv, ui, vi, fill, color, alpha, mode);
      pu = ui + 1;
      pv = vi;
    }
  }
  if (pu <= Trunc(uhi - 1.0))
    DoBezierFillSegment(dest, xbasis, pu, pv, Trunc(uhi - 1.0), Trunc(vhi + 0.5), fill, color,
                        alpha, mode);
}

} // namespace

void LICE_Bezier(double x1, double x2, double x3, double y1, double y2, double y3, double t,
                 float* x, float* y) {
  const double u = 1.0 - t;
  if (x) *x = (float)(u * u * x1 + 2 * u * t * x2 + t * t * x3);
  if (y) *y = (float)(u * u * y1 + 2 * u * t * y2 + t * t * y3);
}

double LICE_Bezier_GetY(double x1, double x2, double x3, double y1, double y2, double y3, float x,
                        double* t) {
  double tt;
  if (x <= x1) {
    tt = 0;
  } else if (x >= x3) {
    tt = 1;
  } else {
    const double a = x1 - 2 * x2 + x3;
    if (a != 0) {
      const double b = x2 - x1;
      // A curve whose x turns back has no single t for x: the root is taken at its limit.
      const double disc = std::max(0.0, b * b - a * (x1 - x));
      tt = (-b + sqrt(disc)) / a;
    } else {
      tt = x1 != x3 ? (x - x1) / (x3 - x1) : 0.0;
    }
    tt = std::min(1.0, std::max(0.0, tt));
  }
  if (t) *t = tt;
  if (x <= x1) return y1;
  if (x >= x3) return y3;
  const double u = 1.0 - tt;
  return u * u * y1 + tt * (2 * u * y2 + tt * y3);
}

void LICE_CBezier_GetCoeffs(double x1, double x2, double x3, double x4, double y1, double y2,
                            double y3, double y4, double* ax, double* bx, double* cx, double* ay,
                            double* by, double* cy) {
  const double cxx = 3 * (x2 - x1), bxx = 3 * (x3 - x2) - cxx;
  const double cyy = 3 * (y2 - y1), byy = 3 * (y3 - y2) - cyy;
  if (cx) *cx = cxx;
  if (bx) *bx = bxx;
  if (ax) *ax = x4 - x1 - cxx - bxx;
  if (cy) *cy = cyy;
  if (by) *by = byy;
  if (ay) *ay = y4 - y1 - cyy - byy;
}

double LICE_CBezier_GetY(double x1, double x2, double x3, double x4, double y1, double y2,
                         double y3, double y4, float x, float* nextx, float* dydx, double* tlo,
                         double* thi) {
  if (x1 > x) {
    if (nextx) *nextx = (float)x1;
    if (dydx) *dydx = 0;
    return y1;
  }
  if (x >= x4) {
    if (nextx) *nextx = (float)x4;
    if (dydx) *dydx = 0;
    return y4;
  }
  Cubic c;
  LICE_CBezier_GetCoeffs(x1, x2, x3, x4, y1, y2, y3, y4, &c.ax, &c.bx, &c.cx, &c.ay, &c.by, &c.cy);
  c.dx = x1;
  c.dy = y1;
  double lo = 0, hi = 1, xlo = 0, xhi = 0, t = 0;
  bool exact = false;
  for (int i = 0; i < 8; i++) {
    t = (lo + hi) * 0.5;
    const double xt = c.X(t);
    if (x > xt) {
      lo = t;
      xlo = xt;
    } else if (xt > x) {
      hi = t;
      xhi = xt;
    } else {
      exact = true;
      break;
    }
  }
  if (exact) {
    lo = t;
    xlo = c.X(t);
    hi = std::min(1.0, t + 1.0 / 256);
    xhi = c.X(hi);
  }
  if (lo == 0) xlo = c.X(0);
  if (hi == 1) xhi = c.X(1);
  const double ylo = c.Y(lo), yhi = c.Y(hi);
  const double slope = xhi != xlo ? (yhi - ylo) / (xhi - xlo) : 0.0;
  if (nextx) *nextx = (float)xhi;
  if (dydx) *dydx = (float)slope;
  if (tlo) *tlo = lo;
  if (thi) *thi = hi;
  return ylo + (x - xlo) * slope;
}

void LICE_DrawQBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl, float yctl,
                      float xend, float yend, LICE_pixel color, float alpha, int mode, bool aa,
                      float tol) {
  if (!dest || !Finite({xstart, ystart, xctl, yctl, xend, yend, alpha, tol})) return;
  const int W = dest->getWidth(), H = dest->getHeight();
  if (xend < xstart) {
    std::swap(xstart, xend);
    std::swap(ystart, yend);
  }
  double len = (double)Dist(xstart, ystart, xctl, yctl) + (double)Dist(xctl, yctl, xend, yend);
  double xa = xstart, ya = ystart, xb = xend, yb = yend, ta = 0, tb = 1;
  if (xstart < 0) {
    xa = 0;
    ya = LICE_Bezier_GetY(xstart, xctl, xend, ystart, yctl, yend, 0.0f, &ta);
  }
  if (xend >= W) {
    xb = W - 1;
    yb = LICE_Bezier_GetY(xstart, xctl, xend, ystart, yctl, yend, (float)xb, &tb);
  }
  if (xa > xb) return;
  len *= tb - ta;
  const int n = SegmentCount(len, tol, W, H);
  const double dt = (tb - ta) / n;
  float px = (float)xa, py = (float)ya;
  double t = ta;
  for (int i = 1; i < n; i++) {
    t += dt;
    float x, y;
    LICE_Bezier(xstart, xctl, xend, ystart, yctl, yend, t, &x, &y);
    LICE_FLine(dest, px, py, x, y, color, alpha, mode, aa);
    px = x;
    py = y;
  }
  LICE_FLine(dest, px, py, (float)xb, (float)yb, color, alpha, mode, aa);
}

void LICE_DrawCBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                      float xctl2, float yctl2, float xend, float yend, LICE_pixel color,
                      float alpha, int mode, bool aa, float tol) {
  if (!Finite({xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, alpha, tol})) return;
  Cubic c;
  double xlo, xhi, ylo, yhi, tlo, thi;
  const int n = CBezPrep(dest, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, tol, true,
                         &c, &xlo, &xhi, &ylo, &yhi, &tlo, &thi);
  if (!n) return;
  const double dt = (thi - tlo) / n;
  double t = tlo + dt;
  float px = (float)xlo, py = (float)ylo;
  for (int i = 1; i < n - 1; i++, t += dt) {
    const float x = (float)c.X(t), y = (float)c.Y(t);
    LICE_FLine(dest, px, py, x, y, color, alpha, mode, aa);
    px = x;
    py = y;
  }
  LICE_FLine(dest, px, py, (float)xhi, (float)yhi, color, alpha, mode, aa);
}

void LICE_FillCBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                      float xctl2, float yctl2, float xend, float yend, int yfill, LICE_pixel color,
                      float alpha, int mode, float tol) {
  FillCBezierAlong(dest, true, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, yfill, color,
                   alpha, mode, tol);
}

void LICE_FillCBezierX(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                       float xctl2, float yctl2, float xend, float yend, int xfill,
                       LICE_pixel color, float alpha, int mode, float tol) {
  FillCBezierAlong(dest, false, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, xfill,
                   color, alpha, mode, tol);
}
