// The stand-in is as strict as the platform: every function that needs a live object aborts,
// naming itself, on null and on a freed object; what the platform lets be null stays legal.
#include <CoreFoundation/CoreFoundation.h>
#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CoreText.h>
#include <Cocoa/Cocoa.h>
#include <ColorSync/ColorSync.h>
#include <PlatformTestHooks.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using Make = std::function<CFTypeRef()>;
using Call = std::function<void(CFTypeRef)>;

CFTypeRef Str() {
  return CFStringCreateWithCString(nullptr, "x", kCFStringEncodingUTF8);
}
CFTypeRef Num() {
  const SInt32 v = 7;
  return CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
}
CFTypeRef Data() {
  const UInt8 b[2] = {1, 2};
  return CFDataCreate(nullptr, b, 2);
}
CFTypeRef Arr() {
  return CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
}
CFTypeRef Dict() {
  return CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                   &kCFTypeDictionaryValueCallBacks);
}
CFTypeRef AStr() {
  return CFAttributedStringCreate(nullptr, CFSTR("ab"), nullptr);
}
CFTypeRef Url() {
  return CFURLCreateFromFileSystemRepresentation(nullptr, (const UInt8*)"/a", 2, false);
}
CFTypeRef Font() {
  return CTFontCreateWithName(CFSTR("DejaVu Sans"), 12, nullptr);
}
CFTypeRef Line() {
  CFTypeRef a = AStr();
  CTLineRef l = CTLineCreateWithAttributedString((CFAttributedStringRef)a);
  CFRelease(a);
  return l;
}
CFTypeRef Setter() {
  CFTypeRef a = AStr();
  CTFramesetterRef f = CTFramesetterCreateWithAttributedString((CFAttributedStringRef)a);
  CFRelease(a);
  return f;
}
CFTypeRef Frame() {
  CFTypeRef f = Setter();
  CGMutablePathRef p = CGPathCreateMutable();
  CGPathAddRect(p, nullptr, CGRectMake(0, 0, 50, 50));
  CTFrameRef fr = CTFramesetterCreateFrame((CTFramesetterRef)f, CFRangeMake(0, 0), p, nullptr);
  CFRelease(p);
  CFRelease(f);
  return fr;
}
CFTypeRef Path() {
  return CGPathCreateMutable();
}

// Made once, before any row frees an object, so no row's object is made at a freed address.
const CFTypeRef kDict = Dict();
const CFTypeRef kPath = Path();
const CFTypeRef kSetter = Setter();
const CFStringRef kConstants[] = {CFSTR("x"), CFSTR("k"), CFSTR("v")};

struct Row {
  const char* name; // the function named in the message
  Make make;        // an object of the type the function takes
  Call call;
};

#define S(o) ((CFStringRef)(o))

// The statement runs only in the dying child, so objects it makes on the way are not leaks.
const Row kRows[] = {
    {"CFRetain", Str, [](CFTypeRef o) { CFRetain(o); }},
    {"CFRelease", Str, [](CFTypeRef o) { CFRelease(o); }},
    {"CFGetRetainCount", Str, [](CFTypeRef o) { CFGetRetainCount(o); }},
    {"CFGetTypeID", Num, [](CFTypeRef o) { CFGetTypeID(o); }},
    {"CFEqual", Str, [](CFTypeRef o) { CFEqual(o, CFSTR("x")); }},
    {"CFEqual", Str, [](CFTypeRef o) { CFEqual(CFSTR("x"), o); }},
    {"CFHash", Str, [](CFTypeRef o) { CFHash(o); }},
    {"CFCopyDescription", Num, [](CFTypeRef o) { CFCopyDescription(o); }},
    {"CFStringGetLength", Str, [](CFTypeRef o) { CFStringGetLength(S(o)); }},
    {"CFStringGetCString", Str,
     [](CFTypeRef o) {
       char b[8];
       CFStringGetCString(S(o), b, 8, kCFStringEncodingUTF8);
     }},
    {"CFStringGetCStringPtr", Str,
     [](CFTypeRef o) { CFStringGetCStringPtr(S(o), kCFStringEncodingUTF8); }},
    {"CFStringCreateCopy", Str, [](CFTypeRef o) { CFStringCreateCopy(nullptr, S(o)); }},
    {"CFStringCompare", Str, [](CFTypeRef o) { CFStringCompare(S(o), CFSTR("x"), 0); }},
    {"CFStringCompare", Str, [](CFTypeRef o) { CFStringCompare(CFSTR("x"), S(o), 0); }},
    {"CFStringCreateWithFormat", Str,
     [](CFTypeRef o) { CFStringCreateWithFormat(nullptr, nullptr, S(o)); }},
    {"CFNumberGetValue", Num,
     [](CFTypeRef o) {
       SInt32 v;
       CFNumberGetValue((CFNumberRef)o, kCFNumberSInt32Type, &v);
     }},
    {"CFNumberGetType", Num, [](CFTypeRef o) { CFNumberGetType((CFNumberRef)o); }},
    {"CFNumberIsFloatType", Num, [](CFTypeRef o) { CFNumberIsFloatType((CFNumberRef)o); }},
    {"CFDataGetLength", Data, [](CFTypeRef o) { CFDataGetLength((CFDataRef)o); }},
    {"CFDataGetBytePtr", Data, [](CFTypeRef o) { CFDataGetBytePtr((CFDataRef)o); }},
    {"CFArrayGetCount", Arr, [](CFTypeRef o) { CFArrayGetCount((CFArrayRef)o); }},
    {"CFArrayGetValueAtIndex", Arr, [](CFTypeRef o) { CFArrayGetValueAtIndex((CFArrayRef)o, 0); }},
    {"CFArrayAppendValue", Arr,
     [](CFTypeRef o) { CFArrayAppendValue((CFMutableArrayRef)o, CFSTR("v")); }},
    {"CFArrayContainsValue", Arr,
     [](CFTypeRef o) { CFArrayContainsValue((CFArrayRef)o, CFRangeMake(0, 1), CFSTR("v")); }},
    {"CFDictionaryGetCount", Dict, [](CFTypeRef o) { CFDictionaryGetCount((CFDictionaryRef)o); }},
    {"CFDictionaryGetValue", Dict,
     [](CFTypeRef o) { CFDictionaryGetValue((CFDictionaryRef)o, CFSTR("k")); }},
    {"CFDictionaryGetValue", Str,
     [](CFTypeRef o) {
       CFDictionaryGetValue((CFDictionaryRef)kDict, o); // the key
     }},
    {"CFDictionarySetValue", Dict,
     [](CFTypeRef o) { CFDictionarySetValue((CFMutableDictionaryRef)o, CFSTR("k"), CFSTR("v")); }},
    {"CFDictionarySetValue", Str,
     [](CFTypeRef o) { CFDictionarySetValue((CFMutableDictionaryRef)kDict, CFSTR("k"), o); }},
    {"CFDictionaryRemoveValue", Dict,
     [](CFTypeRef o) { CFDictionaryRemoveValue((CFMutableDictionaryRef)o, CFSTR("k")); }},
    {"CFAttributedStringCreate", Str,
     [](CFTypeRef o) { CFAttributedStringCreate(nullptr, S(o), nullptr); }},
    {"CFAttributedStringGetString", AStr,
     [](CFTypeRef o) { CFAttributedStringGetString((CFAttributedStringRef)o); }},
    {"CFAttributedStringGetLength", AStr,
     [](CFTypeRef o) { CFAttributedStringGetLength((CFAttributedStringRef)o); }},
    {"CFAttributedStringGetAttributes", AStr,
     [](CFTypeRef o) { CFAttributedStringGetAttributes((CFAttributedStringRef)o, 0, nullptr); }},
    {"CFURLGetFileSystemRepresentation", Url,
     [](CFTypeRef o) {
       UInt8 b[8];
       CFURLGetFileSystemRepresentation((CFURLRef)o, true, b, 8);
     }},
    {"CTFontCopyPostScriptName", Font, [](CFTypeRef o) { CTFontCopyPostScriptName((CTFontRef)o); }},
    {"CTFontCopyDisplayName", Font, [](CFTypeRef o) { CTFontCopyDisplayName((CTFontRef)o); }},
    {"CTFontGetSize", Font, [](CFTypeRef o) { CTFontGetSize((CTFontRef)o); }},
    {"CTFontGetAscent", Font, [](CFTypeRef o) { CTFontGetAscent((CTFontRef)o); }},
    {"CTFontGetDescent", Font, [](CFTypeRef o) { CTFontGetDescent((CTFontRef)o); }},
    {"CTFontGetLeading", Font, [](CFTypeRef o) { CTFontGetLeading((CTFontRef)o); }},
    {"CTFontGetGlyphsForCharacters", Font,
     [](CFTypeRef o) {
       const UniChar c = 'a';
       CGGlyph g;
       CTFontGetGlyphsForCharacters((CTFontRef)o, &c, &g, 1);
     }},
    {"CTLineCreateWithAttributedString", AStr,
     [](CFTypeRef o) { CTLineCreateWithAttributedString((CFAttributedStringRef)o); }},
    {"CTLineGetTypographicBounds", Line,
     [](CFTypeRef o) { CTLineGetTypographicBounds((CTLineRef)o, nullptr, nullptr, nullptr); }},
    {"CTLineDraw", Line, [](CFTypeRef o) { CTLineDraw((CTLineRef)o, nullptr); }},
    {"CTFramesetterCreateWithAttributedString", AStr,
     [](CFTypeRef o) { CTFramesetterCreateWithAttributedString((CFAttributedStringRef)o); }},
    {"CTFramesetterCreateFrame", Setter,
     [](CFTypeRef o) {
       CTFramesetterCreateFrame((CTFramesetterRef)o, CFRangeMake(0, 0), (CGPathRef)kPath, nullptr);
     }},
    {"CTFramesetterCreateFrame", Path,
     [](CFTypeRef o) {
       CTFramesetterCreateFrame((CTFramesetterRef)kSetter, CFRangeMake(0, 0), (CGPathRef)o,
                                nullptr);
     }},
    {"CTFrameGetLines", Frame, [](CFTypeRef o) { CTFrameGetLines((CTFrameRef)o); }},
    {"CMCloseProfile", nullptr, [](CFTypeRef o) { CMCloseProfile((CMProfileRef)o); }},
};

std::string Message(const char* name, const char* what) {
  return std::string("^") + name + "\\(\\) " + what;
}

TEST(CFStrictDeathTest, EveryCheckedFunctionAbortsOnNullAndOnAFreedObject) {
  for (const Row& r : kRows) {
    SCOPED_TRACE(r.name);
    EXPECT_DEATH(r.call(nullptr), Message(r.name, "called with NULL"));
    CFTypeRef o = nullptr;
    if (r.make) {
      o = r.make();
    } else {
      CMGetSystemProfile((CMProfileRef*)&o);
    }
    ASSERT_NE(o, nullptr);
    CFRelease(o);
    EXPECT_DEATH(r.call(o), Message(r.name, "called on an object already freed"));
  }
}

TEST(CFStrictDeathTest, TypedAccessorsAbortOnAnotherTypeAndOnWhatIsNoObject) {
  CFTypeRef n = Num();
  EXPECT_DEATH(CFStringGetLength((CFStringRef)n),
               Message("CFStringGetLength", "called on an object of another type"));
  EXPECT_DEATH(CFDictionaryGetCount((CFDictionaryRef)n),
               Message("CFDictionaryGetCount", "called on an object of another type"));
  static int notAnObject;
  EXPECT_DEATH(CFGetTypeID(&notAnObject),
               Message("CFGetTypeID", "called on something that is not an object"));
  CFRelease(n);
}

TEST(CFStrict, WhatThePlatformAllowsToBeNullStaysLegal) {
  const long live = PlatformTest_LiveObjectCount();
  CFTypeRef d = Dict();
  EXPECT_EQ(CFDictionaryGetValue((CFDictionaryRef)d, CFSTR("missing")), nullptr);
  CFRelease(d);
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xE9", kCFStringEncodingUTF8), nullptr);
  EXPECT_EQ(CFAllocatorAllocate(nullptr, 0, 0), nullptr);
  CGColorRelease(nullptr);
  CGColorSpaceRelease(nullptr);
  CGContextRelease(nullptr);
  CGImageRelease(nullptr);
  CGDataProviderRelease(nullptr);
  CGPathRelease(nullptr);
  EXPECT_EQ(CGColorRetain(nullptr), nullptr);
  EXPECT_EQ(CGPathRetain(nullptr), nullptr);
  // An attributed string without attributes, and a line drawn into no context.
  CFTypeRef line = Line();
  CTLineDraw((CTLineRef)line, nullptr);
  CFRelease(line);
  EXPECT_EQ(PlatformTest_LiveObjectCount(), live);
}

} // namespace

namespace {

// The platform takes only well-formed UTF-8; a menu or a field gets text the plug-in made
// well-formed first. Each bound of the one rule, seen through the platform's strings.
TEST(CFStrict, StringsTakeWellFormedUtf8Only) {
  struct Row {
    const char* bytes;
    bool taken;
  };
  const Row rows[] = {
      {"\xED\x9F\xBF", true},     {"\xED\xA0\x80", false},     {"\xED\xBF\xBF", false},
      {"\xEE\x80\x80", true},     {"\xE0\x9F\xBF", false},     {"\xE0\xA0\x80", true},
      {"\xF4\x8F\xBF\xBF", true}, {"\xF4\x90\x80\x80", false}, {"\xE9", false}};
  for (const Row& r : rows) {
    CFStringRef s = CFStringCreateWithCString(nullptr, r.bytes, kCFStringEncodingUTF8);
    EXPECT_EQ(s != nullptr, r.taken) << r.bytes;
    if (s) CFRelease(s);
  }
}

} // namespace

namespace {

TEST(CFStrictDeathTest, ATextFieldTakesNoNilString) {
  NSTextField* field = (new NSTextField)->initWithFrame(NSMakeRect(0, 0, 10, 10));
  EXPECT_DEATH(field->setStringValue(nullptr),
               "^NSTextField::setStringValue\\(\\) called with nil");
  field->release();
}

} // namespace
