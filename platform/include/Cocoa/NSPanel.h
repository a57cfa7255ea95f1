// Open and save panels, the workspace, the pasteboard and the application of the Cocoa
// stand-in. Panels are modal: they take the answer a host or a test scripted
// (PlatformTest_ScriptPanel), or are cancelled when none is waiting, and record what they
// were asked.
#pragma once

#include <Cocoa/NSView.h>

enum : NSInteger {
  NSCancelButton = 0,
  NSOKButton = 1,
};

class NSSavePanel : public NSObject {
public:
  // Autoreleased.
  static NSSavePanel* savePanel();
  ~NSSavePanel() override;
  // Retains the array of extension strings; null allows every type.
  void setAllowedFileTypes(NSArray* types);
  void setAllowsOtherFileTypes(BOOL flag) { mAllowsOther = flag; }
  // NSOKButton or NSCancelButton.
  NSInteger runModalForDirectory(NSString* path, NSString* name);
  // The chosen file's path, null until a run ended with OK.
  NSString* filename() const { return mFilename; }
  NSURL* URL() const;
  // The folder the panel showed last: the chosen folder, or the chosen file's folder.
  NSURL* directoryURL() const;

protected:
  NSInteger RunModal(const char* kind, NSString* path, NSString* name, NSArray* types);
  NSArray* mTypes = nullptr; // retained
  bool mAllowsOther = true, mCanChooseFiles = true, mCanChooseDirectories = false,
       mResolvesAliases = true;
  NSString* mFilename = nullptr;  // retained
  NSString* mDirectory = nullptr; // retained
};

class NSOpenPanel : public NSSavePanel {
public:
  // Autoreleased.
  static NSOpenPanel* openPanel();
  void setCanChooseFiles(BOOL flag) { mCanChooseFiles = flag; }
  void setCanChooseDirectories(BOOL flag) { mCanChooseDirectories = flag; }
  void setResolvesAliases(BOOL flag) { mResolvesAliases = flag; }
  NSInteger runModalForDirectory(NSString* path, NSString* name, NSArray* fileTypes);
};

class NSRunningApplication : public NSObject {
public:
  BOOL hide();
  BOOL activateWithOptions(NSUInteger options);
};

class NSWorkspace : public NSObject {
public:
  // Lives for the process.
  static NSWorkspace* sharedWorkspace();
  // Records the URL; YES for a web URL or a file URL whose file exists, NO otherwise or
  // for null.
  BOOL openURL(NSURL* url);
  // Lives for the process.
  NSRunningApplication* frontmostApplication();
};

extern NSString* const NSStringPboardType;

class NSPasteboard : public NSObject {
public:
  // Lives for the process.
  static NSPasteboard* generalPasteboard();
  // Empties the pasteboard; returns its new change count.
  NSInteger clearContents();
  // Strings and URLs are written; NO for null or when an object is neither.
  BOOL writeObjects(NSArray* objects);
  BOOL setString(NSString* s, NSString* type);
  // Autoreleased; the string (or the first URL's text) on the pasteboard, null when none.
  NSString* stringForType(NSString* type);
};

// Prepares the application for windows in a plug-in; YES.
BOOL NSApplicationLoad(void);
