// Bundles registered by identifier: the host registers the plug-in's bundle before loading
// it, and the plug-in finds its resources through it.

#include "PlatformInternal.h"
#include "PlatformTestHooks.h"

#include <climits>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace {
struct Registry {
  std::mutex lock;
  std::map<std::string, __CFBundle*> byId;
  // Every bundle ever registered stays alive: callers hold them without a reference.
  std::vector<std::unique_ptr<__CFBundle>> all;
};
Registry& Bundles() {
  static Registry* r = new Registry; // lives for the process, like the bundles
  return *r;
}
} // namespace

void PlatformTest_RegisterBundle(const char* identifier, const char* path) {
  if (!identifier || !path) return;
  Registry& r = Bundles();
  std::lock_guard<std::mutex> g(r.lock);
  // The same bundle registered again (each time a host loads it) keeps its record.
  auto it = r.byId.find(identifier);
  if (it != r.byId.end() && it->second->path == path) return;
  // A new record rather than a changed path: another thread may be reading the old one.
  auto b = std::make_unique<__CFBundle>();
  b->refs = LONG_MAX / 2; // a stray CFRelease must not free it
  b->path = path;
  b->identifier = CFStringCreateWithCString(nullptr, identifier, kCFStringEncodingUTF8);
  r.byId[identifier] = b.get();
  r.all.push_back(std::move(b));
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID) {
  const char* id = CFStringGetCStringPtr(bundleID, kCFStringEncodingUTF8);
  if (!id) return nullptr;
  Registry& r = Bundles();
  std::lock_guard<std::mutex> g(r.lock);
  auto it = r.byId.find(id);
  return it == r.byId.end() ? nullptr : it->second;
}
