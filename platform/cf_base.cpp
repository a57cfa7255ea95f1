#include "PlatformInternal.h"
#include "PlatformTestHooks.h"

#include <climits>
#include <cstring>
#include <mutex>
#include <unistd.h>

static std::atomic<long> s_liveObjects{0};

PlatformObject::PlatformObject() {
  ++s_liveObjects;
}
PlatformObject::~PlatformObject() {
  --s_liveObjects;
}

CFTypeRef CFRetain(CFTypeRef cf) {
  if (cf) ++((PlatformObject*)cf)->refs;
  return cf;
}

void CFRelease(CFTypeRef cf) {
  if (!cf) return;
  auto* o = (PlatformObject*)cf;
  if (--o->refs == 0) delete o;
}

CFIndex CFGetRetainCount(CFTypeRef cf) {
  return cf ? ((const PlatformObject*)cf)->refs.load() : 0;
}

void PlatformCountLiveObject(long delta) {
  s_liveObjects += delta;
}

long PlatformTest_LiveObjectCount(void) {
  return s_liveObjects.load();
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8* path, CFIndex len,
                                                 Boolean isDirectory) {
  if (!path || len < 0) return nullptr;
  auto* u = new __CFURL;
  u->path.assign((const char*)path, (size_t)len);
  u->isDirectory = isDirectory != 0;
  return u;
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufLen) {
  if (!url || !buffer || maxBufLen < 1) return false;
  if ((CFIndex)url->path.size() + 1 > maxBufLen) return false;
  memcpy(buffer, url->path.c_str(), url->path.size() + 1);
  return true;
}

namespace {
struct MainBundle {
  std::mutex lock;
  __CFBundle bundle;
  bool pathSet = false;
};
MainBundle& Main() {
  // Lives for the whole process and is never released by callers.
  static MainBundle* m = [] {
    auto* b = new MainBundle;
    b->bundle.refs = LONG_MAX / 2; // a stray CFRelease must not free it
    return b;
  }();
  return *m;
}
std::string ProgramDirectory() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return std::string();
  buf[n] = 0;
  char* slash = strrchr(buf, '/');
  if (slash) *slash = 0;
  return buf;
}
} // namespace

void PlatformTest_SetMainBundlePath(const char* path) {
  MainBundle& m = Main();
  std::lock_guard<std::mutex> g(m.lock);
  m.bundle.path = path ? path : ProgramDirectory();
  m.pathSet = true;
}

CFBundleRef CFBundleGetMainBundle(void) {
  MainBundle& m = Main();
  std::lock_guard<std::mutex> g(m.lock);
  if (!m.pathSet) {
    m.bundle.path = ProgramDirectory();
    m.pathSet = true;
  }
  return &m.bundle;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
  if (!bundle) return nullptr;
  std::string p;
  {
    std::lock_guard<std::mutex> g(Main().lock);
    p = bundle->path;
  }
  return CFURLCreateFromFileSystemRepresentation(nullptr, (const UInt8*)p.data(), (CFIndex)p.size(),
                                                 true);
}
