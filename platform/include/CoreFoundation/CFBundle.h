// Bundles of the CoreFoundation stand-in.
#pragma once

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>

typedef struct __CFBundle* CFBundleRef;

extern "C" {
// The process's main bundle (not retained; valid for the whole process). Its directory is
// the running program's directory unless a test hook set another one.
CFBundleRef CFBundleGetMainBundle(void);
// A new URL of the bundle's directory (caller releases); null for a null bundle.
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
// The bundle's identifier (not retained; valid while the bundle lives); null when it has none.
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
}

#include <CoreFoundation/CFString.h>

extern "C" {
// The bundle registered under the identifier (not retained; valid for the whole process);
// null when none is.
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);
}
