// Foundation of the Cocoa stand-in: counted objects, autorelease pools, the class registry,
// strings, collections, URLs, bundles and the standard folders.

#include "cocoa_internal.h"
#include "PlatformInternal.h"
#include "WDL/utf8.h"

#include <CoreFoundation/CFBundle.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

// ---- Objects and pools

NSObject::NSObject() : mRefs(1) {
  PlatformCountLiveObject(1);
}

NSObject::~NSObject() {
  PlatformCountLiveObject(-1);
}

id NSObject::retain() {
  ++mRefs;
  return this;
}

void NSObject::release() {
  if (--mRefs == 0) delete this;
}

NSUInteger NSObject::retainCount() const {
  return (NSUInteger)mRefs;
}

namespace {
thread_local std::vector<NSAutoreleasePool*> t_pools;
}

id NSObject::autorelease() {
  if (t_pools.empty()) {
    fprintf(stderr, "autorelease with no pool in place: object %p just leaks\n", (void*)this);
    return this;
  }
  t_pools.back()->addObject(this);
  return this;
}

void NSObject::performSelector(SEL s, id arg) {
  if (s) s->perform(this, arg);
}

void NSObject::performSelector(SEL s, id arg, NSTimeInterval afterDelay) {
  if (!s) return;
  NSTimer* t = NSTimer::timerWithTimeInterval(afterDelay, this, s, arg, NO);
  t->mSendUserInfo = true;
  NSRunLoop::currentRunLoop()->addTimer(t, NSDefaultRunLoopMode);
}

struct NSAutoreleasePool::Entries {
  std::vector<id> objects;
};

NSAutoreleasePool* NSAutoreleasePool::init() {
  if (!mPushed) {
    mEntries = new Entries;
    t_pools.push_back(this);
    mPushed = true;
  }
  return this;
}

void NSAutoreleasePool::addObject(id obj) {
  if (mEntries && obj) mEntries->objects.push_back(obj);
}

NSAutoreleasePool::~NSAutoreleasePool() {
  if (!mPushed) return;
  // Pools pushed later go first, as on the platform.
  while (!t_pools.empty() && t_pools.back() != this) t_pools.back()->release();
  // Releasing may autorelease more into this pool: drain until it stays empty.
  while (!mEntries->objects.empty()) {
    std::vector<id> batch;
    batch.swap(mEntries->objects);
    for (id o : batch) o->release();
  }
  if (!t_pools.empty()) t_pools.pop_back();
  delete mEntries;
}

namespace {
struct ClassRegistry {
  std::mutex lock;
  std::map<std::string, const objc_class*> classes;
};
ClassRegistry& Classes() {
  static ClassRegistry* r = new ClassRegistry;
  return *r;
}
} // namespace

bool PlatformRegisterClass(const objc_class* cls) {
  if (!cls || !cls->name || !cls->allocInit) return false;
  ClassRegistry& r = Classes();
  std::lock_guard<std::mutex> g(r.lock);
  return r.classes.emplace(cls->name, cls).second;
}

void PlatformUnregisterClass(const objc_class* cls) {
  if (!cls || !cls->name) return;
  ClassRegistry& r = Classes();
  std::lock_guard<std::mutex> g(r.lock);
  auto it = r.classes.find(cls->name);
  if (it != r.classes.end() && it->second == cls) r.classes.erase(it);
}

Class NSClassFromString(NSString* name) {
  if (!name) return nullptr;
  ClassRegistry& r = Classes();
  std::lock_guard<std::mutex> g(r.lock);
  auto it = r.classes.find(name->str());
  return it == r.classes.end() ? nullptr : it->second;
}

// ---- Settings made by hosts and tests

namespace {
std::mutex s_settingsLock;
std::string s_home;
bool s_homeSet = false;
std::string s_osVersion = "10.12.1";
} // namespace

void PlatformTest_SetHomeDirectory(const char* path) {
  std::lock_guard<std::mutex> g(s_settingsLock);
  s_homeSet = path != nullptr;
  s_home = path ? path : "";
}

void PlatformTest_SetOSVersion(const char* version) {
  std::lock_guard<std::mutex> g(s_settingsLock);
  s_osVersion = version ? version : "10.12.1";
}

namespace cocoa {

std::string HomeDirectory() {
  std::lock_guard<std::mutex> g(s_settingsLock);
  if (s_homeSet) return s_home;
  const char* h = getenv("HOME");
  return h && *h ? h : "/";
}

std::string OSVersion() {
  std::lock_guard<std::mutex> g(s_settingsLock);
  return s_osVersion;
}

bool DecodeUTF8(const std::string& s, std::u16string* out) {
  out->clear();
  for (size_t i = 0; i < s.size();) {
    uint32_t cp;
    bool ok;
    i += (size_t)WDL_Utf8Decode((const unsigned char*)s.data() + i, s.size() - i, &cp, &ok);
    if (!ok) return false;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out->push_back((char16_t)(0xD800 + (cp >> 10)));
      out->push_back((char16_t)(0xDC00 + (cp & 0x3FF)));
    } else {
      out->push_back((char16_t)cp);
    }
  }
  return true;
}

std::vector<std::string> Utf8Characters(const std::string& text) {
  std::vector<std::string> out;
  for (size_t i = 0; i < text.size();) {
    uint32_t cp;
    i += (size_t)WDL_Utf8Decode((const unsigned char*)text.data() + i, text.size() - i, &cp);
    out.emplace_back();
    WDL_Utf8Append(&out.back(), cp);
  }
  return out;
}

std::string EncodeUTF8(const std::u16string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t cp = s[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    WDL_Utf8Append(&out, cp);
  }
  return out;
}

} // namespace cocoa

// ---- Strings

namespace {
NSString* Make(std::string s) {
  return (NSString*)(new NSString(std::move(s)))->autorelease();
}
bool ValidIn(const std::string& s, NSStringEncoding enc) {
  std::u16string u;
  if (enc == NSUTF8StringEncoding) return cocoa::DecodeUTF8(s, &u);
  if (enc == NSASCIIStringEncoding)
    return std::all_of(s.begin(), s.end(), [](char c) { return (unsigned char)c < 0x80; });
  return false;
}
// Trailing slashes go, except for the root itself.
std::string TrimSlashes(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}
} // namespace

NSString* NSString::stringWithCString(const char* cString, NSStringEncoding encoding) {
  if (!cString || !ValidIn(cString, encoding)) return nullptr;
  return Make(cString);
}

NSString* NSString::stringWithString(NSString* s) {
  return s ? Make(s->mText) : nullptr;
}

NSString* NSString::stringWithContentsOfFile(NSString* path, NSStringEncoding encoding,
                                             NSError** /*error*/) {
  if (!path) return nullptr;
  std::ifstream f(path->mText, std::ios::binary);
  if (!f) return nullptr;
  std::stringstream ss;
  ss << f.rdbuf();
  if (f.bad()) return nullptr;
  std::string text = ss.str();
  if (!ValidIn(text, encoding)) return nullptr;
  return Make(std::move(text));
}

NSUInteger NSString::length() const {
  std::u16string u;
  cocoa::DecodeUTF8(mText, &u);
  return u.size();
}

unichar NSString::characterAtIndex(NSUInteger index) const {
  std::u16string u;
  cocoa::DecodeUTF8(mText, &u);
  return index < u.size() ? (unichar)u[index] : 0;
}

int NSString::intValue() const {
  const char* p = mText.c_str();
  while (*p == ' ' || *p == '\t' || *p == '\n') ++p;
  errno = 0;
  const long long v = strtoll(p, nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return (int)v;
}

NSArray* NSString::componentsSeparatedByString(NSString* separator) const {
  std::vector<id> parts;
  const std::string sep = separator ? separator->mText : "";
  if (sep.empty()) {
    parts.push_back(new NSString(mText));
  } else {
    size_t start = 0;
    for (;;) {
      const size_t at = mText.find(sep, start);
      parts.push_back(new NSString(mText.substr(start, at - start)));
      if (at == std::string::npos) break;
      start = at + sep.size();
    }
  }
  NSArray* a = NSArray::arrayWithObjects(parts);
  for (id p : parts) p->release();
  return a;
}

NSString* NSString::stringByAppendingString(NSString* s) const {
  return Make(mText + (s ? s->mText : ""));
}

NSString* NSString::lastPathComponent() const {
  const std::string t = TrimSlashes(mText);
  if (t == "/") return Make(t);
  const size_t slash = t.rfind('/');
  return Make(slash == std::string::npos ? t : t.substr(slash + 1));
}

NSString* NSString::stringByDeletingLastPathComponent() const {
  const std::string t = TrimSlashes(mText);
  if (t == "/") return Make(t);
  const size_t slash = t.rfind('/');
  if (slash == std::string::npos) return Make("");
  if (slash == 0) return Make("/");
  return Make(t.substr(0, slash));
}

NSString* NSString::pathExtension() const {
  const std::string last = lastPathComponent()->mText;
  const size_t dot = last.rfind('.');
  return Make(dot == std::string::npos || dot == 0 ? "" : last.substr(dot + 1));
}

NSString* NSString::stringByDeletingPathExtension() const {
  const std::string t = TrimSlashes(mText);
  const size_t slash = t.rfind('/');
  const size_t dot = t.rfind('.');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (dot == std::string::npos || dot <= nameStart) return Make(t);
  return Make(t.substr(0, dot));
}

NSString* NSString::stringByAppendingPathComponent(NSString* s) const {
  std::string t = TrimSlashes(mText);
  const std::string add = s ? s->mText : "";
  if (add.empty()) return Make(t);
  if (!t.empty() && t.back() != '/') t += '/';
  return Make(t + (add[0] == '/' ? add.substr(1) : add));
}

NSString* NSString::stringByExpandingTildeInPath() const {
  if (mText == "~") return Make(cocoa::HomeDirectory());
  if (mText.compare(0, 2, "~/") == 0) return Make(cocoa::HomeDirectory() + mText.substr(1));
  return Make(mText);
}

BOOL NSString::writeToFile(NSString* path, BOOL atomically) const {
  if (!path || path->mText.empty()) return NO;
  const std::string target = path->mText;
  const std::string tmp = atomically ? target + ".stand-in-tmp" : target;
  FILE* f = fopen(tmp.c_str(), "wb");
  if (!f) return NO;
  const bool ok = fwrite(mText.data(), 1, mText.size(), f) == mText.size();
  if (fclose(f) != 0 || !ok) {
    remove(tmp.c_str());
    return NO;
  }
  if (atomically && rename(tmp.c_str(), target.c_str()) != 0) {
    remove(tmp.c_str());
    return NO;
  }
  return YES;
}

NSCharacterSet* NSCharacterSet::characterSetWithCharactersInString(NSString* s) {
  if (!s) return nullptr;
  auto* set = new NSCharacterSet;
  cocoa::DecodeUTF8(s->str(), &set->mChars);
  return (NSCharacterSet*)set->autorelease();
}

BOOL NSCharacterSet::characterIsMember(unichar c) const {
  return mChars.find((char16_t)c) != std::u16string::npos;
}

// ---- Collections

NSArray* NSArray::arrayWithObject(id obj) {
  return arrayWithObjects({obj});
}

NSArray* NSArray::arrayWithObjects(const std::vector<id>& objs) {
  auto* a = new NSArray;
  for (id o : objs)
    if (o) a->mObjects.push_back(o->retain());
  return (NSArray*)a->autorelease();
}

NSArray::~NSArray() {
  for (id o : mObjects) o->release();
}

id NSArray::objectAtIndex(NSUInteger index) const {
  return index < mObjects.size() ? mObjects[index] : nullptr;
}

NSMutableArray* NSMutableArray::array() {
  return (NSMutableArray*)(new NSMutableArray)->autorelease();
}

void NSMutableArray::addObject(id obj) {
  if (obj) mObjects.push_back(obj->retain());
}

NSDictionary* NSDictionary::dictionaryWithContentsOfFile(NSString* path) {
  if (!path || path->str() != "/System/Library/CoreServices/SystemVersion.plist") return nullptr;
  auto* d = new NSDictionary;
  d->mEntries.emplace_back("ProductVersion", new NSString(cocoa::OSVersion()));
  return (NSDictionary*)d->autorelease();
}

NSDictionary::~NSDictionary() {
  for (auto& e : mEntries) e.second->release();
}

id NSDictionary::objectForKey(NSString* key) const {
  if (!key) return nullptr;
  for (auto& e : mEntries)
    if (e.first == key->str()) return e.second;
  return nullptr;
}

// ---- URLs and notifications

namespace {
bool URLCharAllowed(unsigned char c) {
  if (c <= 0x20 || c >= 0x7F) return false;
  return !strchr("\"<>\\^`{|}", c);
}
bool IsHex(char c) {
  return isxdigit((unsigned char)c) != 0;
}
std::string PercentEncodePath(const std::string& p) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : p) {
    if (isalnum(c) || strchr("/-._~!$&'()*+,;=:@", c)) {
      out += (char)c;
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}
} // namespace

NSURL* NSURL::URLWithString(NSString* s) {
  if (!s || s->str().empty()) return nullptr;
  const std::string& t = s->str();
  for (size_t i = 0; i < t.size(); ++i) {
    if (!URLCharAllowed((unsigned char)t[i])) return nullptr;
    if (t[i] == '%' && (i + 2 >= t.size() || !IsHex(t[i + 1]) || !IsHex(t[i + 2]))) return nullptr;
  }
  auto* u = new NSURL;
  u->mText = t;
  u->mFile = t.compare(0, 5, "file:") == 0;
  const size_t scheme = t.find("://");
  size_t pathStart = scheme == std::string::npos ? 0 : t.find('/', scheme + 3);
  if (pathStart != std::string::npos) {
    const size_t end = t.find_first_of("?#", pathStart);
    u->mPath = t.substr(pathStart, end == std::string::npos ? std::string::npos : end - pathStart);
  }
  return (NSURL*)u->autorelease();
}

NSURL* NSURL::fileURLWithPath(NSString* path) {
  if (!path || path->str().empty()) return nullptr;
  std::string p = path->str();
  if (p[0] != '/') {
    char cwd[4096];
    if (!getcwd(cwd, sizeof(cwd))) return nullptr;
    p = std::string(cwd) + "/" + p;
  }
  auto* u = new NSURL;
  u->mFile = true;
  u->mPath = p;
  u->mText = "file://" + PercentEncodePath(p);
  return (NSURL*)u->autorelease();
}

NSString* NSURL::absoluteString() const {
  return Make(mText);
}

NSString* NSURL::path() const {
  return Make(mPath);
}

NSNotification* NSNotification::notificationWithName(NSString* name, id object) {
  auto* n = new NSNotification;
  n->mName = name ? (NSString*)name->retain() : nullptr;
  n->mObject = object ? object->retain() : nullptr;
  return (NSNotification*)n->autorelease();
}

NSNotification::~NSNotification() {
  if (mName) mName->release();
  if (mObject) mObject->release();
}

// ---- Bundles and folders

NSBundle* NSBundle::bundleWithIdentifier(NSString* identifier) {
  if (!identifier) return nullptr;
  CFStringRef cf =
      CFStringCreateWithCString(nullptr, identifier->UTF8String(), kCFStringEncodingUTF8);
  CFBundleRef b = CFBundleGetBundleWithIdentifier(cf);
  CFRelease(cf);
  if (!b) return nullptr;
  CFURLRef url = CFBundleCopyBundleURL(b);
  char path[4096];
  const bool ok = url && CFURLGetFileSystemRepresentation(url, true, (UInt8*)path, sizeof(path));
  if (url) CFRelease(url);
  if (!ok) return nullptr;
  auto* nb = new NSBundle;
  nb->mPath = path;
  nb->mIdentifier = identifier->str();
  return (NSBundle*)nb->autorelease();
}

namespace {
bool IsRegularFile(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
} // namespace

NSString* NSBundle::pathForResource(NSString* name, NSString* type) const {
  if (!name || name->str().empty()) return nullptr;
  std::string p = mPath + "/Contents/Resources/" + name->str();
  if (type && !type->str().empty()) p += "." + type->str();
  return IsRegularFile(p) ? Make(p) : nullptr;
}

NSString* NSBundle::executablePath() const {
  const std::string dir = mPath + "/Contents/MacOS/";
  std::string base = TrimSlashes(mPath);
  base = base.substr(base.rfind('/') + 1);
  const size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) base.resize(dot);
  if (IsRegularFile(dir + base)) return Make(dir + base);
  // Otherwise the first file there by name.
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (IsRegularFile(dir + e->d_name)) names.push_back(e->d_name);
    closedir(d);
  }
  if (names.empty()) return nullptr;
  std::sort(names.begin(), names.end());
  return Make(dir + names[0]);
}

NSString* NSBundle::bundlePath() const {
  return Make(mPath);
}

NSString* NSBundle::bundleIdentifier() const {
  return Make(mIdentifier);
}

NSArray* NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory,
                                             NSSearchPathDomainMask domains, BOOL expandTilde) {
  std::vector<std::string> paths;
  if (domains & NSUserDomainMask) {
    if (directory == NSDesktopDirectory) paths.push_back("~/Desktop");
    if (directory == NSApplicationSupportDirectory)
      paths.push_back("~/Library/Application Support");
  }
  if ((domains & NSLocalDomainMask) && directory == NSApplicationSupportDirectory)
    paths.push_back("/Library/Application Support");
  if ((domains & NSSystemDomainMask) && directory == NSApplicationSupportDirectory)
    paths.push_back("/System/Library/Application Support");
  std::vector<id> objs;
  for (auto& p : paths) {
    if (expandTilde && p[0] == '~') p = cocoa::HomeDirectory() + p.substr(1);
    objs.push_back(new NSString(p));
  }
  NSArray* a = NSArray::arrayWithObjects(objs);
  for (id o : objs) o->release();
  return a;
}

NSString* NSHomeDirectory(void) {
  return Make(cocoa::HomeDirectory());
}
