// Fonts of the CoreText stand-in (DejaVu faces through FreeType).
#pragma once

#include <CoreFoundation/CFString.h>
#include <CoreGraphics/CGGeometry.h>

typedef const struct __CTFont* CTFontRef;
typedef UInt16 UniChar;
typedef UInt16 CGGlyph;

typedef UInt32 CTFontUIFontType;
enum : CTFontUIFontType {
  kCTFontUIFontSystem = 2,
  kCTFontUIFontLabel = 10,
};

extern "C" {
// A new font of the named face ("Arial", "Monaco Bold", "DejaVuSans-Oblique"...) at size
// pixels (0 gives 12). Unknown names, missing font files and a non-identity matrix give
// null: the stand-in makes no substitute of its own.
CTFontRef CTFontCreateWithName(CFStringRef name, CGFloat size, const CGAffineTransform* matrix);
// The user-interface fonts (label and system: DejaVu Sans) at size (0 gives 10).
CTFontRef CTFontCreateUIFontForLanguage(CTFontUIFontType type, CGFloat size, CFStringRef language);
// New strings for the caller to release.
CFStringRef CTFontCopyPostScriptName(CTFontRef font);
CFStringRef CTFontCopyDisplayName(CTFontRef font);
CGFloat CTFontGetSize(CTFontRef font);
// Vertical metrics in pixels, from the face's units scaled to the size.
CGFloat CTFontGetAscent(CTFontRef font);
CGFloat CTFontGetDescent(CTFontRef font);
CGFloat CTFontGetLeading(CTFontRef font);
// Glyph of each UTF-16 unit (surrogates are not paired); true only when every character
// has a glyph; characters without one get glyph 0.
bool CTFontGetGlyphsForCharacters(CTFontRef font, const UniChar* characters, CGGlyph* glyphs,
                                  CFIndex count);
}
