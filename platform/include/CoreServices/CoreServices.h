// Component Manager of the CoreServices stand-in: instances with their storage and the
// parameter block through which a component's entry function is called.
#pragma once

#include <CoreServices/MacTypes.h>

typedef struct ComponentInstanceRecord* ComponentInstance;
typedef struct ComponentRecord* Component;
typedef SInt32 ComponentResult;

enum : SInt16 {
  kComponentOpenSelect = -1,
  kComponentCloseSelect = -2,
  kComponentCanDoSelect = -3,
  kComponentVersionSelect = -4,
};

constexpr ComponentResult badComponentSelector = (ComponentResult)0x80008002;

// A call of a component's entry function. params holds one word per argument after the
// instance, the LAST argument first (params[0]), as the platform lays them out; paramSize
// is the byte size of those words. The array runs past its declared length: a caller
// allocates room for all words (ComponentCallBlock below).
struct ComponentParameters {
  UInt8 flags;
  UInt8 paramSize;
  SInt16 what;
  UInt32 padding;
  long params[1];
};

// Word i (counting from the call's first argument) of a call with nArgs arguments; 0 when
// i is out of range or the block holds fewer words.
inline long ComponentParameterArg(const ComponentParameters* p, int nArgs, int i) {
  if (!p || i < 0 || i >= nArgs || (int)(p->paramSize / sizeof(long)) < nArgs) return 0;
  const long* words = p->params;
  return words[nArgs - 1 - i];
}

// A 32-bit float argument travels as its bit pattern in the low 32 bits of its word.
inline long ComponentFloatArg(float f) {
  UInt32 bits;
  __builtin_memcpy(&bits, &f, sizeof(bits));
  return (long)bits;
}
inline float ComponentArgFloat(long word) {
  const UInt32 bits = (UInt32)word;
  float f;
  __builtin_memcpy(&f, &bits, sizeof(f));
  return f;
}

// Room for a call with up to 8 argument words, filled in the one order both sides use.
struct ComponentCallBlock {
  static constexpr int kMaxArgs = 8;
  union {
    ComponentParameters head;
    unsigned char bytes[sizeof(ComponentParameters) + (kMaxArgs - 1) * sizeof(long)];
  };
  // args: the call's arguments first to last (at most kMaxArgs; extra ones are dropped).
  ComponentCallBlock(SInt16 what, int nArgs, const long* args) : bytes{} {
    if (nArgs < 0) nArgs = 0;
    if (nArgs > kMaxArgs) nArgs = kMaxArgs;
    head.what = what;
    head.paramSize = (UInt8)(nArgs * sizeof(long));
    long* words = head.params;
    for (int i = 0; i < nArgs; ++i) words[nArgs - 1 - i] = args[i];
  }
  ComponentParameters* Get() { return &head; }
};

extern "C" {
// Storage a component keeps for one of its instances; nothing happens for a null or
// unknown instance. Main thread.
void SetComponentInstanceStorage(ComponentInstance instance, Handle storage);
// Null for a null or unknown instance. Any thread.
Handle GetComponentInstanceStorage(ComponentInstance instance);
}
