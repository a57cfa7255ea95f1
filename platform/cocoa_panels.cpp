// Open and save panels, the workspace and the pasteboard of the Cocoa stand-in.

#include "cocoa_internal.h"
#include "PlatformInternal.h"

#include <sys/stat.h>

namespace {
template <class T> T* Singleton() {
  static T* s = [] {
    T* t = new T;
    PlatformCountLiveObject(-1); // never goes away, so not counted as live
    return t;
  }();
  return s;
}
NSString* Make(const std::string& s) {
  return (NSString*)(new NSString(s))->autorelease();
}
void Assign(NSString*& field, NSString* value) {
  if (value) value->retain();
  if (field) field->release();
  field = value;
}
} // namespace

NSSavePanel* NSSavePanel::savePanel() {
  return (NSSavePanel*)(new NSSavePanel)->autorelease();
}

NSSavePanel::~NSSavePanel() {
  if (mTypes) mTypes->release();
  if (mFilename) mFilename->release();
  if (mDirectory) mDirectory->release();
}

void NSSavePanel::setAllowedFileTypes(NSArray* types) {
  if (types) types->retain();
  if (mTypes) mTypes->release();
  mTypes = types;
}

NSInteger NSSavePanel::RunModal(const char* kind, NSString* path, NSString* name, NSArray* types) {
  cocoa::Script& script = cocoa::TheScript();
  ++script.panelsShown;
  PlatformTestPanel& asked = script.lastPanel;
  asked = PlatformTestPanel();
  asked.kind = kind;
  asked.directory = path ? path->str() : "";
  asked.name = name ? name->str() : "";
  asked.typesGiven = types != nullptr;
  for (NSUInteger i = 0; types && i < types->count(); ++i)
    if (auto* t = dynamic_cast<NSString*>(types->objectAtIndex(i))) asked.types.push_back(t->str());
  asked.allowsOtherFileTypes = mAllowsOther;
  asked.canChooseFiles = mCanChooseFiles;
  asked.canChooseDirectories = mCanChooseDirectories;
  asked.resolvesAliases = mResolvesAliases;

  if (script.panelAnswers.empty()) return NSCancelButton;
  const auto answer = script.panelAnswers.front();
  script.panelAnswers.pop_front();
  if (!answer.first || answer.second.empty()) return NSCancelButton;
  NSString* chosen = Make(answer.second);
  Assign(mFilename, chosen);
  const bool folderChooser = mCanChooseDirectories && !mCanChooseFiles;
  Assign(mDirectory, folderChooser ? chosen : chosen->stringByDeletingLastPathComponent());
  return NSOKButton;
}

NSInteger NSSavePanel::runModalForDirectory(NSString* path, NSString* name) {
  return RunModal("save", path, name, mTypes);
}

NSURL* NSSavePanel::URL() const {
  return mFilename ? NSURL::fileURLWithPath(mFilename) : nullptr;
}

NSURL* NSSavePanel::directoryURL() const {
  return mDirectory ? NSURL::fileURLWithPath(mDirectory) : nullptr;
}

NSOpenPanel* NSOpenPanel::openPanel() {
  auto* p = new NSOpenPanel;
  p->mAllowsOther = false;
  return (NSOpenPanel*)p->autorelease();
}

NSInteger NSOpenPanel::runModalForDirectory(NSString* path, NSString* name, NSArray* fileTypes) {
  return RunModal("open", path, name, fileTypes);
}

BOOL NSRunningApplication::hide() {
  return YES;
}

BOOL NSRunningApplication::activateWithOptions(NSUInteger /*options*/) {
  return YES;
}

NSWorkspace* NSWorkspace::sharedWorkspace() {
  return Singleton<NSWorkspace>();
}

BOOL NSWorkspace::openURL(NSURL* url) {
  if (!url) return NO;
  cocoa::TheScript().openedURLs.push_back(url->absoluteString()->str());
  if (url->isFileURL()) {
    struct stat st;
    return stat(url->path()->UTF8String(), &st) == 0;
  }
  const std::string& t = url->absoluteString()->str();
  return t.compare(0, 7, "http://") == 0 || t.compare(0, 8, "https://") == 0;
}

NSRunningApplication* NSWorkspace::frontmostApplication() {
  return Singleton<NSRunningApplication>();
}

NSString* const NSStringPboardType = [] {
  auto* s = new NSString("NSStringPboardType");
  PlatformCountLiveObject(-1);
  return s;
}();

namespace {
struct Board {
  bool has = false;
  std::string text;
  NSInteger changes = 0;
};
Board& TheBoard() {
  static Board* b = new Board;
  return *b;
}
} // namespace

NSPasteboard* NSPasteboard::generalPasteboard() {
  return Singleton<NSPasteboard>();
}

NSInteger NSPasteboard::clearContents() {
  TheBoard().has = false;
  TheBoard().text.clear();
  return ++TheBoard().changes;
}

BOOL NSPasteboard::writeObjects(NSArray* objects) {
  if (!objects || objects->count() == 0) return NO;
  std::string text;
  for (NSUInteger i = 0; i < objects->count(); ++i) {
    id o = objects->objectAtIndex(i);
    if (auto* s = dynamic_cast<NSString*>(o)) {
      if (i == 0) text = s->str();
    } else if (auto* u = dynamic_cast<NSURL*>(o)) {
      if (i == 0) text = u->absoluteString()->str();
    } else {
      return NO;
    }
  }
  TheBoard().has = true;
  TheBoard().text = text;
  ++TheBoard().changes;
  return YES;
}

BOOL NSPasteboard::setString(NSString* s, NSString* type) {
  if (!s || !type || !type->isEqualToString(NSStringPboardType)) return NO;
  TheBoard().has = true;
  TheBoard().text = s->str();
  ++TheBoard().changes;
  return YES;
}

NSString* NSPasteboard::stringForType(NSString* type) {
  if (!type || !type->isEqualToString(NSStringPboardType) || !TheBoard().has) return nullptr;
  return Make(TheBoard().text);
}

BOOL NSApplicationLoad(void) {
  return YES;
}
