// Basic scalar types and status words of the platform, as its headers spell them.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef int8_t SInt8;
typedef int16_t SInt16;
typedef int64_t SInt64;
typedef uint64_t UInt64;
typedef float Float32;
typedef double Float64;
typedef uint8_t Byte;
typedef SInt32 OSStatus;
typedef SInt16 OSErr;
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef char* Ptr;
typedef Ptr* Handle;

constexpr OSStatus noErr = 0;

// Four-byte version number; the fields are in the little-endian order of the platform.
struct NumVersion {
  UInt8 nonRelRev;
  UInt8 stage;
  UInt8 minorAndBugRev; // minor in the high nibble, bug fix in the low
  UInt8 majorRev;
};

struct Float32Point {
  Float32 x, y;
};
