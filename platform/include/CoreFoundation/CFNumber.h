// Numbers of the CoreFoundation stand-in: a value of one of the platform's number types.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct __CFNumber* CFNumberRef;

typedef CFIndex CFNumberType;
enum : CFNumberType {
  kCFNumberSInt8Type = 1,
  kCFNumberSInt16Type = 2,
  kCFNumberSInt32Type = 3,
  kCFNumberSInt64Type = 4,
  kCFNumberFloat32Type = 5,
  kCFNumberFloat64Type = 6,
  kCFNumberCharType = 7,
  kCFNumberShortType = 8,
  kCFNumberIntType = 9,
  kCFNumberLongType = 10,
  kCFNumberLongLongType = 11,
  kCFNumberFloatType = 12,
  kCFNumberDoubleType = 13,
};

extern "C" {
CFTypeID CFNumberGetTypeID(void);
// Null for a null value pointer or an unknown type.
CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType theType, const void* valuePtr);
// 0 for null.
CFNumberType CFNumberGetType(CFNumberRef number);
Boolean CFNumberIsFloatType(CFNumberRef number);
// Converts to theType; false (with the converted value written) when the conversion is lossy
// or out of range, false with nothing written for a null number or pointer or unknown type.
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr);
}
