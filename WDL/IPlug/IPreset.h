#pragma once
// One preset slot of the plug-in base: a flag, a name and a stored state chunk.
// Owned by the base's preset list; read and written directly by its owner.

#include <cstring>

#include "WDL/IPlug/ByteChunk.h"

struct IPreset {
  static constexpr int kMaxNameLen = 255;

  bool mInitialized = false;
  char mName[kMaxNameLen + 1];
  ByteChunk mChunk; // a state chunk, one double per parameter

  // The index is the slot's place in the list; it is not kept.
  explicit IPreset(int /*idx*/) { std::strcpy(mName, "empty"); }
  IPreset(const IPreset&) = delete;
  IPreset& operator=(const IPreset&) = delete;

  // Copies at most kMaxNameLen bytes of name; a null name leaves the slot's name.
  void SetName(const char* name) {
    if (!name) return;
    size_t n = strnlen(name, kMaxNameLen);
    std::memmove(mName, name, n);
    mName[n] = '\0';
  }
};
