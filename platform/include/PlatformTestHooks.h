// Hooks through which tests and the stand-in host script the platform stand-ins.
#pragma once

extern "C" {
// Sets the directory that CFBundleGetMainBundle stands for (copied); null restores the
// default, the running program's directory.
void PlatformTest_SetMainBundlePath(const char* path);
// Sets the identifier of the main bundle (copied); null or "" leaves it without one.
void PlatformTest_SetMainBundleIdentifier(const char* identifier);
// Number of CoreFoundation-style objects alive now (leak checks in tests).
long PlatformTest_LiveObjectCount(void);
// The next n calls of CFAllocatorAllocate fail (0: none); for out-of-memory paths.
void PlatformTest_FailNextAllocations(int n);
}

// ---- AudioUnit and Component Manager ----
extern "C" {
// A Component Manager instance with no interface, for calling a component's entry function
// directly (open, close, selectors); it holds storage like any instance. Main thread.
struct ComponentInstanceRecord* PlatformTest_NewComponentInstance(void);
// Forgets the instance; nothing happens for an unknown one. Main thread.
void PlatformTest_DisposeComponentInstance(struct ComponentInstanceRecord* instance);
}
