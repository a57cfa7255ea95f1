// Types and constants of the GDI emulation: Win32 names over the platform's graphics.
#pragma once

#include <cstdint>

typedef int BOOL;
typedef unsigned int UINT;
typedef unsigned int DWORD;
typedef unsigned short WORD;
typedef unsigned char BYTE;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LPARAM;
typedef uintptr_t WPARAM;
typedef intptr_t LRESULT;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Handles point to pooled records of the emulation (see swell-internal.h).
typedef struct HWND__* HWND;
typedef struct HDC__* HDC;
typedef struct HGDIOBJ__* HGDIOBJ;
typedef HGDIOBJ HFONT;
typedef HGDIOBJ HBRUSH;
typedef HGDIOBJ HPEN;
typedef HGDIOBJ HBITMAP;
typedef HGDIOBJ HICON;
typedef void* HINSTANCE;
typedef void* HMODULE;
typedef void* HIMAGELIST;

// Integer rectangle; right and bottom are exclusive.
struct RECT {
  int left, top, right, bottom;
};
typedef RECT* LPRECT;
struct POINT {
  int x, y;
};
typedef POINT* LPPOINT;

struct LOGFONT {
  int lfHeight;
  int lfWidth;
  int lfEscapement;
  int lfOrientation;
  int lfWeight;
  char lfItalic;
  char lfUnderline;
  char lfStrikeOut;
  char lfCharSet;
  char lfOutPrecision;
  char lfClipPrecision;
  char lfQuality;
  char lfPitchAndFamily;
  char lfFaceName[32];
};

struct TEXTMETRIC {
  int tmHeight;
  int tmAscent;
  int tmDescent;
  int tmInternalLeading;
  int tmAveCharWidth;
};

struct ICONINFO {
  BOOL fIcon;
  DWORD xHotspot;
  DWORD yHotspot;
  HBITMAP hbmMask;
  HBITMAP hbmColor;
};

struct BITMAP {
  int bmType;
  int bmWidth;
  int bmHeight;
  int bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  void* bmBits;
};

// Colour word 0x00RRGGBB (red in bits 16-23, blue in bits 0-7).
#define RGB(r, g, b) (((int)(r) << 16) | ((int)(g) << 8) | (int)(b))
#define GetRValue(x) (((x) >> 16) & 0xff)
#define GetGValue(x) (((x) >> 8) & 0xff)
#define GetBValue(x) ((x)&0xff)

// Object kinds of a GDI record.
#define TYPE_PEN 1
#define TYPE_BRUSH 2
#define TYPE_FONT 3
#define TYPE_BITMAP 4

// Stock objects.
#define NULL_PEN 1
#define NULL_BRUSH 2

// Background modes.
#define OPAQUE 1
#define TRANSPARENT 0

// DrawText flags.
#define DT_TOP 0x0
#define DT_LEFT 0x0
#define DT_CENTER 0x1
#define DT_RIGHT 0x2
#define DT_VCENTER 0x4
#define DT_BOTTOM 0x8
#define DT_WORDBREAK 0x10
#define DT_SINGLELINE 0x20
#define DT_NOCLIP 0x100
#define DT_CALCRECT 0x400
#define DT_NOPREFIX 0x800

// Font weights and qualities.
#define FW_NORMAL 400
#define FW_BOLD 700
#define DEFAULT_QUALITY 0
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4

#define PS_SOLID 0
#define SRCCOPY 0
