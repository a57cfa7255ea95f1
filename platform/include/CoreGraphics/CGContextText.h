// Text state and rectangle filling of the CoreGraphics stand-in's contexts.
#pragma once

#include <CoreGraphics/CGContext.h>

extern "C" {
// The text matrix maps glyph space into user space; like the platform's, it is not part of
// the saved graphics state. The identity draws glyphs y-up in user space.
void CGContextSetTextMatrix(CGContextRef c, CGAffineTransform t);
CGAffineTransform CGContextGetTextMatrix(CGContextRef c);
// Where the next line's origin (on its baseline) goes, in user space: the translation of
// the text matrix.
void CGContextSetTextPosition(CGContextRef c, CGFloat x, CGFloat y);
CGPoint CGContextGetTextPosition(CGContextRef c);
// Fills the rectangle (user space) with the fill colour, inside the clip: the pixels whose
// centres it covers, blended by the colour's alpha. Pixels keep their top (skipped) byte.
void CGContextFillRect(CGContextRef c, CGRect r);
}
