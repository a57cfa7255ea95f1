#pragma once
// What the binding shares with its own view factory and with test hosts, beyond the
// platform's properties.

#include <AudioUnit/AUComponent.h>

#include <cstddef>

// The plug-in object (an IPlugAU*, read-only, global scope, element 0): how the view factory
// finds the plug-in behind the unit a host hands it.
constexpr AudioUnitPropertyID kIPlugObjectPropertyID = (AudioUnitPropertyID)-101;

// Whether a host buffer of room bytes takes a property value of size bytes; never for a
// missing buffer. Every property read and write checks its size through this.
inline bool PropertyFits(const void* pData, size_t room, size_t size) {
  return pData && room >= size;
}
