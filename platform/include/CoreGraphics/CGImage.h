// Data providers and images of the CoreGraphics stand-in: 8 bits per component, 32 bits
// per pixel, in the layouts bitmap contexts take; enough to copy an offscreen bitmap into
// a window.
#pragma once

#include <CoreGraphics/CGContext.h>

typedef struct CGDataProvider* CGDataProviderRef;
typedef struct CGImage* CGImageRef;
typedef void (*CGDataProviderReleaseDataCallback)(void* info, const void* data, size_t size);

enum CGColorRenderingIntent : int32_t {
  kCGRenderingIntentDefault = 0,
  kCGRenderingIntentAbsoluteColorimetric = 1,
  kCGRenderingIntentRelativeColorimetric = 2,
  kCGRenderingIntentPerceptual = 3,
  kCGRenderingIntentSaturation = 4,
};

extern "C" {
// Provides size bytes at data without copying them; the callback (may be null) runs when
// the provider is destroyed. Null for null data.
CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData);
CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider);
void CGDataProviderRelease(CGDataProviderRef provider);

// Retains the space and the provider. Null when an argument is missing, the layout is not
// 8/32 with a first/last alpha or skip byte, the rows are shorter than width x 4, or the
// provider holds fewer bytes than the image needs.
CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel,
                         size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo,
                         CGDataProviderRef provider, const CGFloat* decode, bool shouldInterpolate,
                         CGColorRenderingIntent intent);
CGImageRef CGImageRetain(CGImageRef image);
void CGImageRelease(CGImageRef image);
size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);

// Draws the image scaled into the rectangle (user space), its first row at the top, inside
// the clip: each pixel whose centre the rectangle covers takes the image pixel under it
// (nearest), composited over the destination by its alpha.
void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image);
}
