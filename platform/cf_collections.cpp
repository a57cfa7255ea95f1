// Type ids, numbers, data, mutable arrays and dictionaries, and the string functions the
// AudioUnit binding needs (copies, comparison, sizes, formatted strings, constants).
#include "PlatformInternal.h"
#include "coretext_internal.h"

#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

namespace {
enum : CFTypeID {
  kStringTypeID = 7,
  kDictionaryTypeID = 18,
  kArrayTypeID = 19,
  kDataTypeID = 20,
  kNumberTypeID = 22,
  kOtherTypeID = 1, // a live object of a type without its own id here
};

const void* TypeRetain(CFAllocatorRef, const void* v) {
  return CFRetain(v);
}
void TypeRelease(CFAllocatorRef, const void* v) {
  CFRelease(v);
}
// Same object, or strings of the same text; a and b are live objects.
bool SameValue(const void* a, const void* b) {
  if (a == b) return true;
  auto* sa = dynamic_cast<const __CFString*>((const PlatformObject*)a);
  auto* sb = dynamic_cast<const __CFString*>((const PlatformObject*)b);
  return sa && sb && sa->utf8 == sb->utf8;
}
} // namespace

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2) {
  PlatformCheckObject(cf1, "CFEqual");
  PlatformCheckObject(cf2, "CFEqual");
  return SameValue(cf1, cf2);
}

CFHashCode CFHash(CFTypeRef cf) {
  auto* o = PlatformCheckObject(cf, "CFHash");
  if (auto* s = dynamic_cast<const __CFString*>(o)) return std::hash<std::string>()(s->utf8);
  return (CFHashCode)(uintptr_t)cf;
}

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, TypeRetain, TypeRelease, CFCopyDescription,
                                                CFEqual};

CFTypeID CFGetTypeID(CFTypeRef cf) {
  auto* o = PlatformCheckObject(cf, "CFGetTypeID");
  if (dynamic_cast<const __CFString*>(o)) return kStringTypeID;
  if (dynamic_cast<const __CFDictionary*>(o)) return kDictionaryTypeID;
  if (dynamic_cast<const __CFArray*>(o)) return kArrayTypeID;
  if (dynamic_cast<const __CFData*>(o)) return kDataTypeID;
  if (dynamic_cast<const __CFNumber*>(o)) return kNumberTypeID;
  return kOtherTypeID;
}

CFTypeID CFStringGetTypeID(void) {
  return kStringTypeID;
}
CFTypeID CFDictionaryGetTypeID(void) {
  return kDictionaryTypeID;
}
CFTypeID CFArrayGetTypeID(void) {
  return kArrayTypeID;
}
CFTypeID CFDataGetTypeID(void) {
  return kDataTypeID;
}
CFTypeID CFNumberGetTypeID(void) {
  return kNumberTypeID;
}

// ---- Numbers ----

namespace {
// Byte size and kind of a number type; 0 for an unknown type.
int NumberSize(CFNumberType t, bool* isFloat) {
  *isFloat = false;
  switch (t) {
  case kCFNumberSInt8Type:
  case kCFNumberCharType:
    return 1;
  case kCFNumberSInt16Type:
  case kCFNumberShortType:
    return 2;
  case kCFNumberSInt32Type:
  case kCFNumberIntType:
    return 4;
  case kCFNumberSInt64Type:
  case kCFNumberLongType:
  case kCFNumberLongLongType:
    return 8;
  case kCFNumberFloat32Type:
  case kCFNumberFloatType:
    *isFloat = true;
    return 4;
  case kCFNumberFloat64Type:
  case kCFNumberDoubleType:
    *isFloat = true;
    return 8;
  default:
    return 0;
  }
}

template <class T> bool StoreInt(int64_t v, void* out) {
  const T t = (T)v;
  memcpy(out, &t, sizeof(T));
  return (int64_t)t == v;
}
} // namespace

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType theType, const void* valuePtr) {
  bool isFloat;
  const int size = NumberSize(theType, &isFloat);
  if (!valuePtr || !size) return nullptr;
  auto* n = new __CFNumber;
  n->type = theType;
  n->isFloat = isFloat;
  if (isFloat) {
    if (size == 4) {
      float f;
      memcpy(&f, valuePtr, 4);
      n->d = f;
    } else {
      memcpy(&n->d, valuePtr, 8);
    }
  } else if (size == 1) {
    int8_t v;
    memcpy(&v, valuePtr, 1);
    n->i = v;
  } else if (size == 2) {
    int16_t v;
    memcpy(&v, valuePtr, 2);
    n->i = v;
  } else if (size == 4) {
    int32_t v;
    memcpy(&v, valuePtr, 4);
    n->i = v;
  } else {
    memcpy(&n->i, valuePtr, 8);
  }
  return n;
}

CFNumberType CFNumberGetType(CFNumberRef number) {
  return PlatformCheck<__CFNumber>(number, "CFNumberGetType")->type;
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
  return PlatformCheck<__CFNumber>(number, "CFNumberIsFloatType")->isFloat;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr) {
  PlatformCheck<__CFNumber>(number, "CFNumberGetValue");
  bool toFloat;
  const int size = NumberSize(theType, &toFloat);
  if (!valuePtr || !size) return false;
  if (toFloat) {
    const double d = number->isFloat ? number->d : (double)number->i;
    if (size == 4) {
      const float f = (float)d;
      memcpy(valuePtr, &f, 4);
      return !std::isfinite(d) || (double)f == d;
    }
    memcpy(valuePtr, &d, 8);
    return number->isFloat || (int64_t)d == number->i;
  }
  int64_t v;
  bool exact = true;
  if (number->isFloat) {
    const double d = number->d;
    // Out of range and not-a-number values convert to 0 rather than overflowing.
    if (!(d > -9223372036854775808.0 && d < 9223372036854775808.0)) {
      v = 0;
      exact = false;
    } else {
      v = (int64_t)d;
      exact = (double)v == d;
    }
  } else {
    v = number->i;
  }
  bool fits;
  switch (size) {
  case 1:
    fits = StoreInt<int8_t>(v, valuePtr);
    break;
  case 2:
    fits = StoreInt<int16_t>(v, valuePtr);
    break;
  case 4:
    fits = StoreInt<int32_t>(v, valuePtr);
    break;
  default:
    fits = StoreInt<int64_t>(v, valuePtr);
    break;
  }
  return exact && fits;
}

// ---- Data ----

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length) {
  if (length < 0 || (!bytes && length > 0)) return nullptr;
  auto* d = new __CFData;
  if (length > 0) d->bytes.assign(bytes, bytes + length);
  return d;
}

CFIndex CFDataGetLength(CFDataRef theData) {
  return (CFIndex)PlatformCheck<__CFData>(theData, "CFDataGetLength")->bytes.size();
}

const UInt8* CFDataGetBytePtr(CFDataRef theData) {
  auto* d = PlatformCheck<__CFData>(theData, "CFDataGetBytePtr");
  return d->bytes.empty() ? nullptr : d->bytes.data();
}

// ---- Arrays ----

CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks) {
  if (numValues < 0 || (numValues > 0 && !values)) return nullptr;
  auto* a = new __CFArray;
  a->callBacks = callBacks ? *callBacks : CFArrayCallBacks{0, nullptr, nullptr, nullptr, nullptr};
  for (CFIndex i = 0; i < numValues; ++i)
    a->values.push_back(a->callBacks.retain ? a->callBacks.retain(nullptr, values[i]) : values[i]);
  return a;
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity,
                                       const CFArrayCallBacks* callBacks) {
  if (capacity < 0) return nullptr;
  auto* a = new __CFArray;
  a->callBacks = callBacks ? *callBacks : CFArrayCallBacks{0, nullptr, nullptr, nullptr, nullptr};
  a->isMutable = true;
  a->capacity = capacity;
  return a;
}

void CFArrayAppendValue(CFMutableArrayRef theArray, const void* value) {
  if (!PlatformCheck<__CFArray>(theArray, "CFArrayAppendValue")->isMutable) return;
  if (theArray->capacity && (CFIndex)theArray->values.size() >= theArray->capacity) return;
  const CFArrayRetainCallBack retain = theArray->callBacks.retain;
  theArray->values.push_back(retain ? retain(nullptr, value) : value);
}

Boolean CFArrayContainsValue(CFArrayRef theArray, CFRange range, const void* value) {
  PlatformCheck<__CFArray>(theArray, "CFArrayContainsValue");
  if (range.location < 0 || range.length < 0) return false;
  const CFIndex n = (CFIndex)theArray->values.size();
  const CFIndex end = range.location + range.length > n ? n : range.location + range.length;
  for (CFIndex i = range.location; i < end; ++i) {
    const void* v = theArray->values[(size_t)i];
    if (v == value || (theArray->callBacks.equal && theArray->callBacks.equal(v, value)))
      return true;
  }
  return false;
}

// ---- Mutable dictionaries ----

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks*,
                                                 const CFDictionaryValueCallBacks*) {
  if (capacity < 0) return nullptr;
  auto* d = new __CFDictionary;
  d->isMutable = true;
  d->capacity = capacity;
  return d;
}

namespace {
// Index of the pair whose key equals key (by identity, or by text for strings); -1.
long FindKey(CFDictionaryRef d, const void* key) {
  for (size_t i = 0; i < d->pairs.size(); ++i)
    if (SameValue(d->pairs[i].first, key)) return (long)i;
  return -1;
}
} // namespace

void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
  if (!PlatformCheck<__CFDictionary>(theDict, "CFDictionarySetValue")->isMutable) return;
  // Keys and values are retained, so both must be objects.
  PlatformCheckObject(key, "CFDictionarySetValue");
  PlatformCheckObject(value, "CFDictionarySetValue");
  const long i = FindKey(theDict, key);
  if (i >= 0) {
    CFRetain(value);
    CFRelease(theDict->pairs[(size_t)i].second);
    theDict->pairs[(size_t)i].second = value;
    return;
  }
  if (theDict->capacity && (CFIndex)theDict->pairs.size() >= theDict->capacity) return;
  theDict->pairs.emplace_back(CFRetain(key), CFRetain(value));
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef theDict, const void* key) {
  if (!PlatformCheck<__CFDictionary>(theDict, "CFDictionaryRemoveValue")->isMutable) return;
  PlatformCheckObject(key, "CFDictionaryRemoveValue");
  const long i = FindKey(theDict, key);
  if (i < 0) return;
  auto kv = theDict->pairs[(size_t)i];
  theDict->pairs.erase(theDict->pairs.begin() + i);
  CFRelease(kv.first);
  CFRelease(kv.second);
}

// ---- Strings ----

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef theString) {
  PlatformCheck<__CFString>(theString, "CFStringCreateCopy");
  return (CFStringRef)CFRetain(theString);
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding) {
  if (length < 0) return -1;
  CFIndex perUnit;
  if (encoding == kCFStringEncodingUTF8)
    perUnit = 3; // a UTF-16 unit never takes more than 3 bytes
  else if (encoding == kCFStringEncodingASCII)
    perUnit = 1;
  else
    return -1;
  if (length > INT64_MAX / perUnit) return -1;
  return length * perUnit;
}

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags) {
  PlatformCheck<__CFString>(a, "CFStringCompare");
  PlatformCheck<__CFString>(b, "CFStringCompare");
  // Byte order of UTF-8 is code point order.
  const int c = a->utf8.compare(b->utf8);
  return c < 0 ? kCFCompareLessThan : c > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo;
}

namespace {
// Text of an object for %@.
std::string Describe(CFTypeRef cf) {
  if (!cf) return "(null)";
  auto* o = PlatformCheckObject(cf, "CFStringCreateWithFormat");
  if (auto* s = dynamic_cast<const __CFString*>(o)) return s->utf8;
  if (auto* n = dynamic_cast<const __CFNumber*>(o)) {
    char buf[64];
    if (n->isFloat)
      snprintf(buf, sizeof(buf), "%g", n->d);
    else
      snprintf(buf, sizeof(buf), "%" PRId64, n->i);
    return buf;
  }
  char buf[64];
  snprintf(buf, sizeof(buf), "<object %p>", cf);
  return buf;
}
} // namespace

CFStringRef CFCopyDescription(CFTypeRef cf) {
  PlatformCheckObject(cf, "CFCopyDescription");
  return new __CFString(Describe(cf));
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef, CFDictionaryRef, CFStringRef format, ...) {
  PlatformCheck<__CFString>(format, "CFStringCreateWithFormat");
  std::string out;
  va_list args;
  va_start(args, format);
  const std::string& f = format->utf8;
  bool ok = true;
  for (size_t i = 0; i < f.size() && ok; ++i) {
    if (f[i] != '%') {
      out += f[i];
      continue;
    }
    // One conversion: flags, width, precision and length letters, then its letter.
    size_t j = i + 1;
    while (j < f.size() && strchr("-+ #0123456789.hlqjzt", f[j])) ++j;
    if (j >= f.size()) {
      ok = false;
      break;
    }
    const char conv = f[j];
    std::string spec = f.substr(i, j - i + 1);
    const bool isLong = spec.find('l') != std::string::npos || spec.find('q') != std::string::npos;
    char buf[512];
    switch (conv) {
    case '%':
      out += '%';
      break;
    case '@':
      out += Describe(va_arg(args, CFTypeRef));
      break;
    case 's': {
      const char* s = va_arg(args, const char*);
      out += s ? s : "(null)";
      break;
    }
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o':
    case 'c':
      if (isLong && conv == 'c')
        ok = false;
      else if (isLong)
        snprintf(buf, sizeof(buf), spec.c_str(), va_arg(args, long));
      else
        snprintf(buf, sizeof(buf), spec.c_str(), va_arg(args, int));
      if (ok) out += buf;
      break;
    case 'f':
    case 'g':
    case 'e':
    case 'G':
    case 'E':
      snprintf(buf, sizeof(buf), spec.c_str(), va_arg(args, double));
      out += buf;
      break;
    case 'p':
      snprintf(buf, sizeof(buf), "%p", va_arg(args, void*));
      out += buf;
      break;
    default:
      ok = false;
      break;
    }
    i = j;
  }
  va_end(args);
  if (!ok) return nullptr;
  return new __CFString(out);
}

CFStringRef __CFStringMakeConstantString(const char* cStr) {
  if (!cStr) return nullptr;
  static std::mutex lock;
  static auto* table = new std::map<std::string, __CFString*>; // lives until the process ends
  std::lock_guard<std::mutex> g(lock);
  auto it = table->find(cStr);
  if (it != table->end()) return it->second;
  auto* s = new __CFString(cStr);
  s->refs = LONG_MAX / 2; // a stray CFRelease must not free it
  PlatformUncountImmortal();
  (*table)[cStr] = s;
  return s;
}
