// Lines, frames and string attributes of the CoreText stand-in.
#pragma once

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFAttributedString.h>
#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGPath.h>
#include <CoreText/CTFont.h>

typedef const struct __CTLine* CTLineRef;
typedef const struct __CTFramesetter* CTFramesetterRef;
typedef const struct __CTFrame* CTFrameRef;

extern "C" {
// Attribute keys: a CTFontRef (absent: DejaVu Sans 12) and a CGColorRef (absent: black).
extern const CFStringRef kCTFontAttributeName;
extern const CFStringRef kCTForegroundColorAttributeName;

// The whole string as one line: line breaks and other control characters are skipped.
CTLineRef CTLineCreateWithAttributedString(CFAttributedStringRef string);
// Returns the width (sum of advances, trailing blanks included); ascent, descent and
// leading of the line's font through the pointers that are given.
double CTLineGetTypographicBounds(CTLineRef line, CGFloat* ascent, CGFloat* descent,
                                  CGFloat* leading);
// Draws the line with its origin at the context's text position through the text matrix
// and the transformation, clipped, anti-aliased unless the context says otherwise. Glyphs
// are drawn upright at their own size: the matrices place the origin only.
void CTLineDraw(CTLineRef line, CGContextRef context);

CTFramesetterRef CTFramesetterCreateWithAttributedString(CFAttributedStringRef string);
// Lays the string out as lines broken at line breaks only; the path's width is not used to
// wrap. A null path gives null.
CTFrameRef CTFramesetterCreateFrame(CTFramesetterRef framesetter, CFRange range, CGPathRef path,
                                    CFDictionaryRef attributes);
// The frame's lines (CTLineRef), owned by the frame.
CFArrayRef CTFrameGetLines(CTFrameRef frame);
}
