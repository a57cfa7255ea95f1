// CoreFoundation stand-in: numbers, data, arrays with call-backs, mutable dictionaries, type
// ids, string helpers and formatted strings, allocators and the main bundle's identifier.
#include <CoreFoundation/CoreFoundation.h>
#include <PlatformTestHooks.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

std::string Text(CFStringRef s) {
  const char* p = CFStringGetCStringPtr(s, kCFStringEncodingUTF8);
  return p ? p : "(null)";
}

TEST(CFNumber, ConversionsSayWhenTheyLoseSomething) {
  struct Row {
    double in; // created as Float64
    CFNumberType to;
    bool exact;
    int64_t asInt; // the value written (integer targets)
  };
  const Row rows[] = {
      {3.0, kCFNumberSInt32Type, true, 3},           {3.5, kCFNumberSInt32Type, false, 3},
      {-2.0, kCFNumberSInt8Type, true, -2},          {300.0, kCFNumberSInt8Type, false, 44},
      {4e9, kCFNumberSInt32Type, false, -294967296}, {NAN, kCFNumberSInt32Type, false, 0},
      {1e30, kCFNumberSInt64Type, false, 0}};
  for (const Row& r : rows) {
    CFNumberRef n = CFNumberCreate(nullptr, kCFNumberFloat64Type, &r.in);
    int64_t out = 0;
    bool exact = false;
    if (r.to == kCFNumberSInt8Type) {
      int8_t v = 0;
      exact = CFNumberGetValue(n, r.to, &v);
      out = v;
    } else if (r.to == kCFNumberSInt32Type) {
      int32_t v = 0;
      exact = CFNumberGetValue(n, r.to, &v);
      out = v;
    } else {
      exact = CFNumberGetValue(n, r.to, &out);
    }
    EXPECT_EQ(exact, r.exact) << r.in;
    EXPECT_EQ(out, r.asInt) << r.in;
    EXPECT_TRUE(CFNumberIsFloatType(n));
    CFRelease(n);
  }
  SInt32 i = -7;
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &i);
  double d = 0;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberFloat64Type, &d));
  EXPECT_EQ(d, -7.0);
  EXPECT_EQ(CFNumberGetType(n), kCFNumberSInt32Type);
  EXPECT_FALSE(CFNumberGetValue(n, 99, &d));
  CFRelease(n);
  EXPECT_EQ(CFNumberCreate(nullptr, kCFNumberSInt32Type, nullptr), nullptr);
  EXPECT_EQ(CFNumberCreate(nullptr, 0, &i), nullptr);
}

TEST(CFData, CopiesItsBytes) {
  UInt8 bytes[] = {1, 2, 3};
  CFDataRef d = CFDataCreate(nullptr, bytes, 3);
  bytes[0] = 9;
  ASSERT_EQ(CFDataGetLength(d), 3);
  EXPECT_EQ(CFDataGetBytePtr(d)[0], 1);
  CFRelease(d);
  EXPECT_EQ(CFDataCreate(nullptr, nullptr, 2), nullptr);
  EXPECT_EQ(CFDataCreate(nullptr, bytes, -1), nullptr);
  CFDataRef empty = CFDataCreate(nullptr, nullptr, 0);
  EXPECT_EQ(CFDataGetLength(empty), 0);
  EXPECT_EQ(CFDataGetBytePtr(empty), nullptr);
  CFRelease(empty);
}

int gRetains = 0, gReleases = 0;
const void* CountRetain(CFAllocatorRef, const void* v) {
  ++gRetains;
  return v;
}
void CountRelease(CFAllocatorRef, const void*) {
  ++gReleases;
}
Boolean SameFirstByte(const void* a, const void* b) {
  return *(const char*)a == *(const char*)b;
}

TEST(CFArray, HoldsValuesThroughItsCallBacks) {
  const CFArrayCallBacks cb{0, CountRetain, CountRelease, nullptr, SameFirstByte};
  CFMutableArrayRef a = CFArrayCreateMutable(nullptr, 2, &cb);
  const char* x = "xa";
  const char* y = "yb";
  CFArrayAppendValue(a, x);
  CFArrayAppendValue(a, y);
  CFArrayAppendValue(a, x); // past the capacity
  EXPECT_EQ(CFArrayGetCount(a), 2);
  EXPECT_EQ(gRetains, 2);
  EXPECT_TRUE(CFArrayContainsValue(a, CFRangeMake(0, 2), "x?"));
  EXPECT_FALSE(CFArrayContainsValue(a, CFRangeMake(0, 1), "y?"));
  EXPECT_EQ(CFArrayGetValueAtIndex(a, 2), nullptr);
  CFRelease(a);
  EXPECT_EQ(gReleases, 2);

  // The CFType call-backs retain; an immutable array takes no more values.
  CFStringRef s = CFStringCreateWithCString(nullptr, "s", kCFStringEncodingUTF8);
  const void* vals[] = {s};
  CFArrayRef fixed = CFArrayCreate(nullptr, vals, 1, &kCFTypeArrayCallBacks);
  EXPECT_EQ(CFGetRetainCount(s), 2);
  CFArrayAppendValue((CFMutableArrayRef)fixed, s);
  EXPECT_EQ(CFArrayGetCount(fixed), 1);
  CFRelease(fixed);
  EXPECT_EQ(CFGetRetainCount(s), 1);
  CFRelease(s);
  EXPECT_EQ(CFArrayCreateMutable(nullptr, -1, nullptr), nullptr);
}

TEST(CFDictionary, MutableSetReplaceRemove) {
  const long base = PlatformTest_LiveObjectCount();
  CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 2, &kCFTypeDictionaryKeyCallBacks,
                                                       &kCFTypeDictionaryValueCallBacks);
  CFStringRef k1 = CFStringCreateWithCString(nullptr, "a", kCFStringEncodingUTF8);
  CFStringRef k1b = CFStringCreateWithCString(nullptr, "a", kCFStringEncodingUTF8);
  CFStringRef k2 = CFStringCreateWithCString(nullptr, "b", kCFStringEncodingUTF8);
  CFStringRef k3 = CFStringCreateWithCString(nullptr, "c", kCFStringEncodingUTF8);
  CFDictionarySetValue(d, k1, k2);
  CFDictionarySetValue(d, k1b, k3); // the same key by text: replaced
  EXPECT_EQ(CFDictionaryGetCount(d), 1);
  EXPECT_EQ(CFDictionaryGetValue(d, k1), k3);
  EXPECT_EQ(CFGetRetainCount(k2), 1);
  CFDictionarySetValue(d, k2, k2);
  CFDictionarySetValue(d, k3, k3); // past the capacity
  EXPECT_EQ(CFDictionaryGetCount(d), 2);
  CFDictionaryRemoveValue(d, k1b);
  EXPECT_EQ(CFDictionaryGetValue(d, k1), nullptr);
  EXPECT_EQ(CFDictionaryGetCount(d), 1);
  CFRelease(d);
  for (CFStringRef s : {k1, k1b, k2, k3}) CFRelease(s);
  EXPECT_EQ(PlatformTest_LiveObjectCount(), base);
}

TEST(CFType, IdsOfLiveObjectsOnly) {
  CFStringRef s = CFStringCreateWithCString(nullptr, "x", kCFStringEncodingUTF8);
  UInt8 b = 1;
  CFDataRef d = CFDataCreate(nullptr, &b, 1);
  CFMutableDictionaryRef m = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  CFMutableArrayRef a = CFArrayCreateMutable(nullptr, 0, nullptr);
  SInt32 i = 1;
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &i);
  EXPECT_EQ(CFGetTypeID(s), CFStringGetTypeID());
  EXPECT_EQ(CFGetTypeID(d), CFDataGetTypeID());
  EXPECT_EQ(CFGetTypeID(m), CFDictionaryGetTypeID());
  EXPECT_EQ(CFGetTypeID(a), CFArrayGetTypeID());
  EXPECT_EQ(CFGetTypeID(n), CFNumberGetTypeID());
  EXPECT_NE(CFStringGetTypeID(), CFDictionaryGetTypeID());
  for (CFTypeRef o : {(CFTypeRef)s, (CFTypeRef)d, (CFTypeRef)m, (CFTypeRef)a, (CFTypeRef)n})
    CFRelease(o);
}

TEST(CFString, CompareSizesCopiesAndFormats) {
  CFStringRef a = CFStringCreateWithCString(nullptr, "abc", kCFStringEncodingUTF8);
  CFStringRef b = CFStringCreateWithCString(nullptr, "abd", kCFStringEncodingUTF8);
  EXPECT_EQ(CFStringCompare(a, b, 0), kCFCompareLessThan);
  EXPECT_EQ(CFStringCompare(b, a, 0), kCFCompareGreaterThan);
  CFStringRef c = CFStringCreateCopy(nullptr, a);
  EXPECT_EQ(CFStringCompare(a, c, 0), kCFCompareEqualTo);
  CFRelease(c);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(5, kCFStringEncodingUTF8), 15);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(5, kCFStringEncodingASCII), 5);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(-1, kCFStringEncodingUTF8), -1);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(1L << 62, kCFStringEncodingUTF8), -1);

  SInt32 v = 42;
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
  struct Row {
    CFStringRef s;
    const char* text;
  };
  const Row rows[] = {
      {CFStringCreateWithFormat(nullptr, nullptr, CFSTR("n=%d %s %@ %@"), -3, "t", a, n),
       "n=-3 t abc 42"},
      {CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%05x|%-3d|%%|%@"), 255, 7, nullptr),
       "000ff|7  |%|(null)"},
      {CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%.2f %ld"), 2.5, 1L << 40),
       "2.50 1099511627776"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Text(r.s), r.text);
    CFRelease(r.s);
  }
  EXPECT_EQ(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%n"), &v), nullptr);
  EXPECT_EQ(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("50%"), 1), nullptr);
  CFRelease(n);
  CFRelease(a);
  CFRelease(b);
}

TEST(CFString, ConstantsAreSharedAndImmortal) {
  const long base = PlatformTest_LiveObjectCount();
  CFStringRef a = CFSTR("constant text");
  EXPECT_EQ(a, CFSTR("constant text"));
  CFRelease(a);
  EXPECT_EQ(Text(CFSTR("constant text")), "constant text");
  EXPECT_EQ(PlatformTest_LiveObjectCount(), base);
}

TEST(CFAllocator, FailsWhenAskedTo) {
  void* p = CFAllocatorAllocate(nullptr, 16, 0);
  ASSERT_NE(p, nullptr);
  CFAllocatorDeallocate(nullptr, p);
  EXPECT_EQ(CFAllocatorAllocate(nullptr, 0, 0), nullptr);
  PlatformTest_FailNextAllocations(2);
  EXPECT_EQ(CFAllocatorAllocate(nullptr, 16, 0), nullptr);
  EXPECT_EQ(CFAllocatorAllocate(nullptr, 16, 0), nullptr);
  p = CFAllocatorAllocate(nullptr, 16, 0);
  EXPECT_NE(p, nullptr);
  CFAllocatorDeallocate(nullptr, p);
}

TEST(CFBundle, MainBundleIdentifier) {
  CFBundleRef main = CFBundleGetMainBundle();
  PlatformTest_SetMainBundleIdentifier("com.example.tests");
  EXPECT_EQ(Text(CFBundleGetIdentifier(main)), "com.example.tests");
  PlatformTest_SetMainBundleIdentifier("");
  EXPECT_EQ(CFBundleGetIdentifier(main), nullptr);
}

} // namespace
