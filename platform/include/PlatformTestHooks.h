// Hooks through which tests and the stand-in host script the platform stand-ins.
#pragma once

extern "C" {
// Sets the directory that CFBundleGetMainBundle stands for (copied); null restores the
// default, the running program's directory.
void PlatformTest_SetMainBundlePath(const char* path);
// Number of CoreFoundation-style objects alive now (leak checks in tests).
long PlatformTest_LiveObjectCount(void);
}
