#pragma once
// The property ids the stress and the property fuzzers ask: every one the binding answers, the
// private one, and ids no unit knows.

#include "WDL/IPlug/IPlugAU_Private.h"

#include <AudioToolbox/AudioToolbox.h>

#include <cstdint>

inline constexpr UInt32 kAskedPropertyIds[] = {kIPlugObjectPropertyID,
                                               0,
                                               1,
                                               2,
                                               3,
                                               4,
                                               5,
                                               8,
                                               11,
                                               12,
                                               13,
                                               14,
                                               16,
                                               18,
                                               19,
                                               20,
                                               21,
                                               22,
                                               23,
                                               24,
                                               25,
                                               27,
                                               28,
                                               30,
                                               31,
                                               32,
                                               33,
                                               34,
                                               35,
                                               36,
                                               37,
                                               38,
                                               46,
                                               47,
                                               48,
                                               1000,
                                               1001};
inline constexpr uint32_t kNumAskedPropertyIds =
    sizeof(kAskedPropertyIds) / sizeof(kAskedPropertyIds[0]);
