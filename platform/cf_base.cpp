#include "PlatformInternal.h"
#include "PlatformTestHooks.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unistd.h>
#include <unordered_set>

static std::atomic<long> s_liveObjects{0};

namespace {
// Every live object by address, and every address an object was freed at (a live object
// there wins), so that a call on a stray or freed pointer is caught before anything reads
// through it.
struct LiveSet {
  std::mutex lock;
  std::unordered_set<const void*> objects;
  std::unordered_set<const void*> freed;
};
LiveSet& Live() {
  static LiveSet* s = new LiveSet; // lives until the process ends
  return *s;
}
} // namespace

PlatformObject::PlatformObject() {
  ++s_liveObjects;
  LiveSet& l = Live();
  std::lock_guard<std::mutex> g(l.lock);
  l.objects.insert(this);
}
PlatformObject::~PlatformObject() {
  --s_liveObjects;
  LiveSet& l = Live();
  std::lock_guard<std::mutex> g(l.lock);
  l.objects.erase(this);
  l.freed.insert(this);
}

void PlatformUncountImmortal() {
  --s_liveObjects;
}

void PlatformFatal(const char* function, const char* what) {
  fprintf(stderr, "%s() %s\n", function, what);
  fflush(stderr);
  abort();
}

const PlatformObject* PlatformCheckObject(CFTypeRef cf, const char* function) {
  if (!cf) PlatformFatal(function, "called with NULL");
  LiveSet& l = Live();
  bool live, freed;
  {
    std::lock_guard<std::mutex> g(l.lock);
    live = l.objects.count(cf) != 0;
    freed = !live && l.freed.count(cf) != 0;
  }
  if (freed) PlatformFatal(function, "called on an object already freed");
  if (!live) PlatformFatal(function, "called on something that is not an object");
  return (const PlatformObject*)cf;
}

void PlatformReleaseIfAny(CFTypeRef cf) {
  if (cf) CFRelease(cf);
}

CFTypeRef PlatformRetainIfAny(CFTypeRef cf) {
  return cf ? CFRetain(cf) : nullptr;
}

static std::atomic<int> s_failAllocations{0};

void PlatformTest_FailNextAllocations(int n) {
  s_failAllocations = n > 0 ? n : 0;
}

CFAllocatorRef CFAllocatorGetDefault(void) {
  return kCFAllocatorDefault;
}

void* CFAllocatorAllocate(CFAllocatorRef, CFIndex size, CFOptionFlags) {
  if (size <= 0) return nullptr;
  for (int n = s_failAllocations.load(); n > 0;)
    if (s_failAllocations.compare_exchange_weak(n, n - 1)) return nullptr;
  return malloc((size_t)size);
}

void CFAllocatorDeallocate(CFAllocatorRef, void* ptr) {
  free(ptr);
}

CFTypeRef CFRetain(CFTypeRef cf) {
  ++const_cast<PlatformObject*>(PlatformCheckObject(cf, "CFRetain"))->refs;
  return cf;
}

void CFRelease(CFTypeRef cf) {
  auto* o = const_cast<PlatformObject*>(PlatformCheckObject(cf, "CFRelease"));
  if (--o->refs == 0) delete o;
}

CFIndex CFGetRetainCount(CFTypeRef cf) {
  return PlatformCheckObject(cf, "CFGetRetainCount")->refs.load();
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
  PlatformCheck<__CFURL>(url, "CFURLGetFileSystemRepresentation");
  if (!buffer || maxBufLen < 1) return false;
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

void PlatformTest_SetMainBundleIdentifier(const char* identifier) {
  MainBundle& m = Main();
  std::lock_guard<std::mutex> g(m.lock);
  PlatformReleaseIfAny(m.bundle.identifier);
  m.bundle.identifier = identifier && *identifier
                            ? CFStringCreateWithCString(nullptr, identifier, kCFStringEncodingUTF8)
                            : nullptr;
}

__CFBundle::~__CFBundle() {
  PlatformReleaseIfAny(identifier);
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle) {
  PlatformCheck<__CFBundle>(bundle, "CFBundleGetIdentifier");
  std::lock_guard<std::mutex> g(Main().lock);
  return bundle->identifier;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
  PlatformCheck<__CFBundle>(bundle, "CFBundleCopyBundleURL");
  std::string p;
  {
    std::lock_guard<std::mutex> g(Main().lock);
    p = bundle->path;
  }
  return CFURLCreateFromFileSystemRepresentation(nullptr, (const UInt8*)p.data(), (CFIndex)p.size(),
                                                 true);
}
