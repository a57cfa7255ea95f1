// Pens, brushes, shapes, lines, curves and blits of the GDI emulation, and its window, icon
// and image functions.
//
// Shapes are rasterised here, straight into the pixels of a context's bitmap: a path is
// turned into device space through the context's transformation, pixels whose centres lie
// inside it (non-zero winding) are covered once each, within the context's clip box, and
// covered pixels are mixed with the colour by its alpha (no anti-aliasing). Strokes are
// the union of a rectangle per segment (butt ends) and a square at each joint. Lines and
// curves run half a pen width right of and below the points they are given, so that a
// one-pixel pen covers the pixels those points name. The top byte of each pixel is left as it was,
// as the bitmap contexts of the emulation ignore it. Contexts without a 32-bit bitmap behind them
// draw nothing.
//
// Windows, icons, images and OpenGL contexts do not exist in this system: the functions
// about them check their arguments and answer null, 0 or false.
#include "WDL/swell/swell.h"
#include "WDL/swell/swell-internal.h"
#include "WDL/ptrlist.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

struct Pt {
  double x, y;
};
typedef std::vector<Pt> Poly;

// The pixels of a context and where drawing may go, in device space (origin bottom left).
struct Target {
  unsigned char* data;
  long W, H;
  size_t bpr;
  CGAffineTransform ctm;
  long cl, ct, cr, cb; // clip box in device pixels, right and bottom exclusive

  uint32_t* Pixel(long x, long y) const { return (uint32_t*)(data + (H - 1 - y) * bpr) + x; }
  Pt ToDevice(double x, double y) const {
    return {ctm.a * x + ctm.c * y + ctm.tx, ctm.b * x + ctm.d * y + ctm.ty};
  }
};

bool GetTarget(HDC ctx, Target* t) {
  if (!HDC_VALID(ctx) || !ctx->ctx) return false;
  CGContextRef gc = ctx->ctx;
  const CGBitmapInfo info = CGBitmapContextGetBitmapInfo(gc);
  const uint32_t alpha = info & kCGBitmapAlphaInfoMask;
  t->data = (unsigned char*)CGBitmapContextGetData(gc);
  t->W = (long)CGBitmapContextGetWidth(gc);
  t->H = (long)CGBitmapContextGetHeight(gc);
  t->bpr = CGBitmapContextGetBytesPerRow(gc);
  // Only the 32-bit little-endian layouts with the alpha (or unused) byte on top.
  if (!t->data || t->W < 1 || t->H < 1 ||
      (info & kCGBitmapByteOrderMask) != kCGBitmapByteOrder32Little ||
      (alpha != kCGImageAlphaNoneSkipFirst && alpha != kCGImageAlphaFirst &&
       alpha != kCGImageAlphaPremultipliedFirst))
    return false;
  t->ctm = CGContextGetCTM(gc);
  const CGRect clip = CGContextConvertRectToDeviceSpace(gc, CGContextGetClipBoundingBox(gc));
  const double l = std::max(0.0, std::ceil(clip.origin.x - 0.5));
  const double b = std::max(0.0, std::ceil(clip.origin.y - 0.5));
  const double r = std::min((double)t->W, std::ceil(clip.origin.x + clip.size.width - 0.5));
  const double tp = std::min((double)t->H, std::ceil(clip.origin.y + clip.size.height - 0.5));
  if (!(r > l && tp > b)) return false;
  t->cl = (long)l;
  t->ct = (long)b;
  t->cr = (long)r;
  t->cb = (long)tp;
  return true;
}

// Covered pixels of the clip box, marked once however many shapes cover them.
class Mask {
public:
  // Pixel centres are nudged against a flipped axis, so that a pixel on a shape's edge is
  // taken by the same rule (first edge in, last edge out) in user space as without a flip.
  explicit Mask(const Target& t)
      : m_t(t), m_w(t.cr - t.cl), m_bits((size_t)(t.cr - t.cl) * (t.cb - t.ct), 0),
        m_xbias(t.ctm.a < 0 ? -1e-7 : 0), m_ybias(t.ctm.d < 0 ? -1e-7 : 0) {}

  // Marks the pixels whose centres lie inside the polygons (device space, non-zero winding).
  void Fill(const std::vector<Poly>& polys) {
    double ylo = 1e300, yhi = -1e300;
    for (const Poly& p : polys)
      for (const Pt& q : p) {
        if (!std::isfinite(q.x) || !std::isfinite(q.y)) return;
        ylo = std::min(ylo, q.y);
        yhi = std::max(yhi, q.y);
      }
    const long y0 = std::max(m_t.ct, (long)std::max(-1.0, std::floor(ylo - 0.5)));
    const long y1 = std::min(m_t.cb, (long)std::min(1e9, std::ceil(yhi)));
    std::vector<std::pair<double, int>> xs;
    for (long y = y0; y < y1; y++) {
      // The nudged centre picks the edges; crossings are taken at the true centre, or a
      // sloped edge through a pixel centre would move across it.
      const double yc = y + 0.5, ycn = yc + m_ybias;
      xs.clear();
      for (const Poly& p : polys)
        for (size_t i = 0; i < p.size(); i++) {
          const Pt& a = p[i];
          const Pt& b = p[(i + 1) % p.size()];
          if ((a.y <= ycn && ycn < b.y) || (b.y <= ycn && ycn < a.y))
            xs.push_back({a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y), b.y > a.y ? 1 : -1});
        }
      std::sort(xs.begin(), xs.end());
      int wind = 0;
      for (size_t i = 0; i + 1 < xs.size(); i++) {
        wind += xs[i].second;
        if (!wind) continue;
        // Pixels whose centre x + 0.5 lies in [xa, xb).
        const double xa = std::ceil(xs[i].first - 0.5 - m_xbias);
        const double xb = std::ceil(xs[i + 1].first - 0.5 - m_xbias);
        const long from = (long)std::max((double)m_t.cl, std::min(xa, (double)m_t.cr));
        const long to = (long)std::min((double)m_t.cr, std::max(xb, (double)m_t.cl));
        if (from >= to) continue;
        unsigned char* row = &m_bits[(size_t)(y - m_t.ct) * m_w];
        for (long x = from; x < to; x++) row[x - m_t.cl] = 1;
        m_x0 = std::min(m_x0, from);
        m_x1 = std::max(m_x1, to);
        m_y0 = std::min(m_y0, y);
        m_y1 = std::max(m_y1, y + 1);
      }
    }
  }

  // Mixes the colour (straight alpha) into every marked pixel.
  void Paint(const CGFloat* rgba) const {
    const int a = (int)std::lround(std::min(1.0, std::max(0.0, (double)rgba[3])) * 255);
    if (!a) return;
    int c[3];
    for (int i = 0; i < 3; i++)
      c[i] = (int)std::lround(std::min(1.0, std::max(0.0, (double)rgba[i])) * 255);
    for (long y = m_y0; y < m_y1; y++) {
      const unsigned char* row = &m_bits[(size_t)(y - m_t.ct) * m_w];
      for (long x = m_x0; x < m_x1; x++) {
        if (!row[x - m_t.cl]) continue;
        uint32_t* px = m_t.Pixel(x, y);
        const uint32_t d = *px;
        const int dr = (d >> 16) & 255, dg = (d >> 8) & 255, db = d & 255;
        const int r = (dr * (255 - a) + c[0] * a + 127) / 255;
        const int g = (dg * (255 - a) + c[1] * a + 127) / 255;
        const int b = (db * (255 - a) + c[2] * a + 127) / 255;
        *px = (d & 0xFF000000u) | (uint32_t)r << 16 | (uint32_t)g << 8 | (uint32_t)b;
      }
    }
  }

private:
  const Target& m_t;
  long m_w;
  std::vector<unsigned char> m_bits;
  double m_xbias, m_ybias;
  long m_x0 = LONG_MAX, m_x1 = LONG_MIN, m_y0 = LONG_MAX, m_y1 = LONG_MIN; // marked box
};

Poly ToDevice(const Target& t, const Poly& user) {
  Poly out;
  out.reserve(user.size());
  for (const Pt& p : user) out.push_back(t.ToDevice(p.x, p.y));
  return out;
}

// The outline of polylines (user space) of the given width, as device polygons.
std::vector<Poly> StrokePolys(const Target& t, const std::vector<Poly>& lines, double width,
                              bool closed) {
  std::vector<Poly> out;
  const double h = width * 0.5;
  for (const Poly& l : lines) {
    const size_t n = l.size(), segs = closed ? n : (n ? n - 1 : 0);
    for (size_t i = 0; i < segs; i++) {
      const Pt a = l[i], b = l[(i + 1) % n];
      const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
      if (!(len > 0)) continue;
      const double nx = -dy / len * h, ny = dx / len * h;
      out.push_back(ToDevice(t, {{a.x + nx, a.y + ny},
                                 {b.x + nx, b.y + ny},
                                 {b.x - nx, b.y - ny},
                                 {a.x - nx, a.y - ny}}));
    }
    // Joints (every vertex of a closed path) get a square, so corners are filled.
    for (size_t i = closed ? 0 : 1; i + (closed ? 0 : 1) < n; i++) {
      const Pt p = l[i];
      out.push_back(ToDevice(
          t, {{p.x - h, p.y - h}, {p.x + h, p.y - h}, {p.x + h, p.y + h}, {p.x - h, p.y + h}}));
    }
  }
  return out;
}

bool UsablePen(HGDIOBJ pen) {
  return HGDIOBJ_VALID(pen, TYPE_PEN) && pen->wid >= 0;
}
bool UsableBrush(HGDIOBJ br) {
  return HGDIOBJ_VALID(br, TYPE_BRUSH) && br->wid >= 0;
}

const CGFloat* ColorOf(HGDIOBJ obj) {
  static const CGFloat kBlack[4] = {0, 0, 0, 1};
  const CGFloat* c = obj->color ? CGColorGetComponents(obj->color) : nullptr;
  return c ? c : kBlack;
}

void FillUser(HDC ctx, const std::vector<Poly>& polys, HGDIOBJ brush) {
  Target t;
  if (!GetTarget(ctx, &t)) return;
  std::vector<Poly> dev;
  for (const Poly& p : polys) dev.push_back(ToDevice(t, p));
  Mask m(t);
  m.Fill(dev);
  m.Paint(ColorOf(brush));
}

void StrokeUser(HDC ctx, const std::vector<Poly>& lines, HGDIOBJ pen, bool closed) {
  Target t;
  if (!GetTarget(ctx, &t)) return;
  Mask m(t);
  // Each piece on its own: pieces of opposite turning would cancel under one winding count.
  for (const Poly& p : StrokePolys(t, lines, std::max(pen->wid, 1), closed)) m.Fill({p});
  m.Paint(ColorOf(pen));
}

HGDIOBJ NewPenOrBrush(int type, int width, int color, float alpha) {
  HGDIOBJ__* p = GDP_OBJECT_NEW();
  if (!p) return nullptr;
  p->type = type;
  p->wid = width;
  p->color = CreateColor(color, alpha);
  return p;
}

// Points of a cubic from a to d through the controls b and c.
void AddCubic(Poly* out, Pt a, Pt b, Pt c, Pt d) {
  const double len = std::hypot(b.x - a.x, b.y - a.y) + std::hypot(c.x - b.x, c.y - b.y) +
                     std::hypot(d.x - c.x, d.y - c.y);
  const int n = (int)std::min(1024.0, std::max(4.0, len / 2));
  for (int i = 1; i <= n; i++) {
    const double t = (double)i / n, u = 1 - t;
    out->push_back({u * u * u * a.x + 3 * u * u * t * b.x + 3 * u * t * t * c.x + t * t * t * d.x,
                    u * u * u * a.y + 3 * u * u * t * b.y + 3 * u * t * t * c.y + t * t * t * d.y});
  }
}

} // namespace

HPEN CreatePen(int style, int width, int color) {
  return CreatePenAlpha(style, width, color, 1.0f);
}

HPEN CreatePenAlpha(int, int width, int color, float alpha) {
  return NewPenOrBrush(TYPE_PEN, std::max(width, 0), color, alpha);
}

HBRUSH CreateSolidBrush(int color) {
  return CreateSolidBrushAlpha(color, 1.0f);
}

HBRUSH CreateSolidBrushAlpha(int color, float alpha) {
  return NewPenOrBrush(TYPE_BRUSH, 0, color, alpha);
}

void SWELL_FillRect(HDC ctx, const RECT* r, HBRUSH brush) {
  if (!HDC_VALID(ctx) || !r || !UsableBrush(brush)) return;
  FillUser(ctx,
           {{{(double)r->left, (double)r->top},
             {(double)r->right, (double)r->top},
             {(double)r->right, (double)r->bottom},
             {(double)r->left, (double)r->bottom}}},
           brush);
}

void Rectangle(HDC ctx, int l, int t, int r, int b) {
  if (!HDC_VALID(ctx)) return;
  if (UsableBrush(ctx->curbrush))
    FillUser(ctx,
             {{{(double)l, (double)t},
               {(double)r, (double)t},
               {(double)r, (double)b},
               {(double)l, (double)b}}},
             ctx->curbrush);
  if (UsablePen(ctx->curpen)) {
    // The outline runs through the centres of the rectangle's outer pixels.
    const double h = std::max(ctx->curpen->wid, 1) * 0.5;
    StrokeUser(ctx, {{{l + h, t + h}, {r - h, t + h}, {r - h, b - h}, {l + h, b - h}}}, ctx->curpen,
               true);
  }
}

void Ellipse(HDC ctx, int l, int t, int r, int b) {
  if (!HDC_VALID(ctx)) return;
  const double cx = (l + (double)r) * 0.5, cy = (t + (double)b) * 0.5;
  const double rx = std::fabs((double)r - l) * 0.5, ry = std::fabs((double)b - t) * 0.5;
  const int n = (int)std::min(4096.0, std::max(16.0, (rx + ry) * 2));
  Poly p;
  for (int i = 0; i < n; i++) {
    const double a = 2 * M_PI * i / n;
    p.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
  }
  if (UsableBrush(ctx->curbrush)) FillUser(ctx, {p}, ctx->curbrush);
  if (UsablePen(ctx->curpen)) StrokeUser(ctx, {p}, ctx->curpen, true);
}

void RoundRect(HDC ctx, int l, int t, int r, int b, int w, int h) {
  if (!HDC_VALID(ctx)) return;
  // Corners in 64 bits, held to the int range, so far-out arguments cannot wrap.
  auto pt = [](int64_t x, int64_t y) {
    auto c = [](int64_t v) {
      return (int)std::max<int64_t>(INT_MIN, std::min<int64_t>(INT_MAX, v));
    };
    return POINT{c(x), c(y)};
  };
  const int64_t w3 = w / 3, h3 = h / 3;
  POINT pts[10] = {pt(l + w3, t), pt(r - w3, t), pt(r, t + h3), pt(r, b - h3), pt(r - w3, b),
                   pt(l + w3, b), pt(l, b - h3), pt(l, t + h3), pt(l + w3, t), pt(r - w3, t)};
  SWELL_Polygon(ctx, pts, 10);
}

void SWELL_Polygon(HDC ctx, POINT* pts, int npts) {
  if (!HDC_VALID(ctx) || !pts || npts < 2) return;
  const bool fill = UsableBrush(ctx->curbrush), stroke = UsablePen(ctx->curpen);
  if (!fill && !stroke) return;
  Poly p;
  for (int i = 0; i < npts; i++) p.push_back({(double)pts[i].x, (double)pts[i].y});
  if (fill) FillUser(ctx, {p}, ctx->curbrush);
  if (stroke) StrokeUser(ctx, {p}, ctx->curpen, true);
}

void MoveToEx(HDC ctx, int x, int y, POINT* old) {
  if (!HDC_VALID(ctx)) return;
  if (old) {
    old->x = (int)ctx->lastpos_x;
    old->y = (int)ctx->lastpos_y;
  }
  ctx->lastpos_x = (float)x;
  ctx->lastpos_y = (float)y;
}

void SWELL_LineTo(HDC ctx, int x, int y) {
  if (!HDC_VALID(ctx)) return;
  if (UsablePen(ctx->curpen)) {
    // Shifted by half the width, so a one-pixel pen runs through pixel centres.
    const double h = std::max(ctx->curpen->wid, 1) * 0.5;
    StrokeUser(ctx, {{{ctx->lastpos_x + h, ctx->lastpos_y + h}, {x + h, y + h}}}, ctx->curpen,
               false);
  }
  ctx->lastpos_x = (float)x;
  ctx->lastpos_y = (float)y;
}

void PolyPolyline(HDC ctx, POINT* pts, unsigned int* counts, int ncounts) {
  if (!HDC_VALID(ctx) || !pts || !counts || ncounts < 1 || !UsablePen(ctx->curpen)) return;
  const double h = std::max(ctx->curpen->wid, 1) * 0.5;
  std::vector<Poly> lines;
  for (int i = 0; i < ncounts; i++) {
    Poly l;
    for (unsigned int k = 0; k < counts[i]; k++, pts++) l.push_back({pts->x + h, pts->y + h});
    if (l.size() > 1) lines.push_back(l); // a single point draws nothing
  }
  StrokeUser(ctx, lines, ctx->curpen, false);
}

void PolyBezierTo(HDC ctx, POINT* pts, int np) {
  if (!HDC_VALID(ctx) || !pts || np < 3 || !UsablePen(ctx->curpen)) return;
  const double h = std::max(ctx->curpen->wid, 1) * 0.5;
  Poly l = {{ctx->lastpos_x + h, ctx->lastpos_y + h}};
  for (int i = 0; i + 2 < np; i += 3) {
    AddCubic(&l, l.back(), {pts[i].x + h, pts[i].y + h}, {pts[i + 1].x + h, pts[i + 1].y + h},
             {pts[i + 2].x + h, pts[i + 2].y + h});
    ctx->lastpos_x = (float)pts[i + 2].x;
    ctx->lastpos_y = (float)pts[i + 2].y;
  }
  StrokeUser(ctx, {l}, ctx->curpen, false);
}

void SWELL_SetPixel(HDC ctx, int x, int y, int color) {
  // The pixel whose top-left corner is (x, y), in the colour word, opaque.
  Target t;
  if (!GetTarget(ctx, &t)) return;
  const Pt d = t.ToDevice(x + 0.5, y + 0.5);
  if (!(d.x >= t.cl && d.x < t.cr && d.y >= t.ct && d.y < t.cb)) return;
  uint32_t* px = t.Pixel((long)d.x, (long)d.y);
  *px = (*px & 0xFF000000u) | (uint32_t)(color & 0xFFFFFF);
}

void SWELL_FillDialogBackground(HDC ctx, const RECT* r, int) {
  // The stand-in's dialog background is a plain light grey.
  if (!HDC_VALID(ctx) || !r) return;
  HBRUSH br = CreateSolidBrush(RGB(0xEC, 0xEC, 0xEC));
  SWELL_FillRect(ctx, r, br);
  DeleteObject(br);
}

HDC SWELL_CreateGfxContext(void* graphicsContext) {
  // The caller's platform graphics context, used as it is and not owned.
  if (!graphicsContext) return nullptr;
  HDC__* ctx = SWELL_GDP_CTX_NEW();
  if (!ctx) return nullptr;
  ctx->ctx = (CGContextRef)graphicsContext;
  SetTextColor(ctx, 0);
  return ctx;
}

// No windows exist in this system: there is no view to draw into or to ask.
HDC GetDC(HWND) {
  return nullptr;
}
HDC GetWindowDC(HWND) {
  return nullptr;
}
void ReleaseDC(HWND, HDC) {}
bool SWELL_IsRetinaHWND(HWND) {
  return false;
}

void StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int xin, int yin, int srcw, int srch,
                int mode) {
  Target t;
  if (!GetTarget(dest, &t) || w < 1 || h < 1 || srcw < 1 || srch < 1) return;
  // The source must be a memory context: its rows are the frame buffer's, top down.
  const uint32_t* sbits = (const uint32_t*)SWELL_GetCtxFrameBuffer(src);
  if (!sbits) return;
  const long sw = (long)CGBitmapContextGetWidth(src->ctx),
             sh = (long)CGBitmapContextGetHeight(src->ctx);
  const CGAffineTransform inv = CGAffineTransformInvert(t.ctm);
  const bool keepAlpha = (unsigned int)mode == 0xdeadbeefu;
  for (long dy = t.ct; dy < t.cb; dy++)
    for (long dx = t.cl; dx < t.cr; dx++) {
      const double px = dx + 0.5, py = dy + 0.5;
      const double ux = inv.a * px + inv.c * py + inv.tx, uy = inv.b * px + inv.d * py + inv.ty;
      if (!(ux >= x && ux < (double)x + w && uy >= y && uy < (double)y + h)) continue;
      const double fsx = xin + (ux - x) * srcw / w, fsy = yin + (uy - y) * srch / h;
      // Clipped to the source bitmap: samples outside it leave the pixel.
      if (!(fsx >= 0 && fsy >= 0 && fsx < sw && fsy < sh)) continue;
      const uint32_t s = sbits[(size_t)fsy * sw + (size_t)fsx];
      uint32_t* d = t.Pixel(dx, dy);
      if (!keepAlpha) {
        *d = (*d & 0xFF000000u) | (s & 0xFFFFFF);
        continue;
      }
      const int a = (int)(s >> 24);
      int out[3];
      for (int c = 0; c < 3; c++) {
        const int sc = (s >> (8 * c)) & 255, dc = (*d >> (8 * c)) & 255;
        out[c] = (dc * (255 - a) + sc * a + 127) / 255;
      }
      *d = (*d & 0xFF000000u) | (uint32_t)out[2] << 16 | (uint32_t)out[1] << 8 | (uint32_t)out[0];
    }
}

void BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int xin, int yin, int mode) {
  StretchBlt(dest, x, y, w, h, src, xin, yin, w, h, mode);
}

// Images and icons need the platform's image objects, which this system does not have:
// none can be made, so the calls that take one find it invalid.
HBITMAP CreateBitmap(int, int, int, int, unsigned char*) {
  return nullptr;
}
HICON CreateIconIndirect(ICONINFO*) {
  return nullptr;
}
void* GetNSImageFromHICON(HICON icon) {
  return HGDIOBJ_VALID(icon, TYPE_BITMAP) ? icon->bitmapptr : nullptr;
}
int GetObject(HGDIOBJ, int, void*) {
  return 0;
}
HICON LoadNamedImage(const char*, bool) {
  return nullptr;
}
void DrawImageInRect(HDC, HGDIOBJ, const RECT*) {}

// An image list holds bitmap objects, owned by the list.
HIMAGELIST ImageList_CreateEx() {
  return new WDL_PtrList<HGDIOBJ__>(16);
}

// Adding or replacing copies a bitmap object's image into a new object; as no bitmap object
// can exist here, the image is always found invalid and nothing is added.
int ImageList_Add(HIMAGELIST, HBITMAP, HBITMAP) {
  return -1;
}
int ImageList_ReplaceIcon(HIMAGELIST, int, HICON) {
  return -1;
}

BOOL ImageList_Remove(HIMAGELIST list, int idx) {
  auto* l = (WDL_PtrList<HGDIOBJ__>*)list;
  if (!l) return 0;
  if (idx == -1) {
    while (l->GetSize()) {
      DeleteObject(l->Get(l->GetSize() - 1));
      l->Delete(l->GetSize() - 1);
    }
    return 1;
  }
  if (idx < 0 || idx >= l->GetSize()) return 0;
  DeleteObject(l->Get(idx));
  l->Delete(idx);
  return 1;
}

void ImageList_Destroy(HIMAGELIST list) {
  if (!list) return;
  ImageList_Remove(list, -1);
  delete (WDL_PtrList<HGDIOBJ__>*)list;
}

int GetSysColor(int idx) {
  switch (idx) {
  case 0:
    return 0x606060;
  case 1:
    return 0xe0e0e0;
  case 2:
  case 4:
  case 7:
    return 0xc0c0c0;
  case 5:
    return 0x202020;
  case 6:
    return 0x303030;
  case 8:
    return 0xfff0c8;
  default:
    return 0;
  }
}
