// The system colour profile of the ColorSync stand-in.
#pragma once

#include <cstdint>

typedef struct OpaqueCMProfileRef* CMProfileRef;
typedef int32_t CMError;

extern "C" {
// A new reference to the display's profile (close it with CMCloseProfile); 0 on success,
// -50 for a null argument.
CMError CMGetSystemProfile(CMProfileRef* prof);
CMError CMCloseProfile(CMProfileRef prof);
}
