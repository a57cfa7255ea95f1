// Foundation values of the Cocoa stand-in: strings (UTF-8 inside), character sets, arrays,
// dictionaries, URLs, notifications, bundles and the standard folders.
#pragma once

#include <Cocoa/NSObject.h>

#include <string>
#include <vector>

typedef NSUInteger NSStringEncoding;
enum : NSStringEncoding {
  NSASCIIStringEncoding = 1,
  NSUTF8StringEncoding = 4,
};

class NSArray;
class NSError;

class NSString : public NSObject {
public:
  // Autoreleased; null for a null text or one not valid in the encoding (UTF-8 must be well
  // formed, ASCII below 0x80); other encodings are not supported and give null.
  static NSString* stringWithCString(const char* cString, NSStringEncoding encoding);
  static NSString* stringWithUTF8String(const char* s) {
    return stringWithCString(s, NSUTF8StringEncoding);
  }
  // Autoreleased copy; null for null.
  static NSString* stringWithString(NSString* s);
  // The file's text; null when it cannot be read or is not valid in the encoding.
  static NSString* stringWithContentsOfFile(NSString* path, NSStringEncoding encoding,
                                            NSError** error);

  // Valid while the string lives.
  const char* UTF8String() const { return mText.c_str(); }
  // In UTF-16 units, as the platform counts.
  NSUInteger length() const;
  // The UTF-16 unit at index; 0 out of range.
  unichar characterAtIndex(NSUInteger index) const;
  // The leading decimal integer, 0 when none; clamped to the int range.
  int intValue() const;
  BOOL isEqualToString(NSString* other) const { return other && other->mText == mText; }

  // Autoreleased results.
  NSArray* componentsSeparatedByString(NSString* separator) const;
  NSString* stringByAppendingString(NSString* s) const;
  NSString* lastPathComponent() const;
  NSString* stringByDeletingLastPathComponent() const;
  NSString* pathExtension() const;
  NSString* stringByDeletingPathExtension() const;
  NSString* stringByAppendingPathComponent(NSString* s) const;
  // "~" and "~/..." against the home folder; other texts unchanged.
  NSString* stringByExpandingTildeInPath() const;

  // Writes the UTF-8 text; atomically: through a temporary file renamed into place.
  BOOL writeToFile(NSString* path, BOOL atomically) const;

  const std::string& str() const { return mText; }
  explicit NSString(std::string text = std::string()) : mText(std::move(text)) {}

private:
  std::string mText;
};

class NSCharacterSet : public NSObject {
public:
  // Autoreleased set of the string's UTF-16 units; null for null.
  static NSCharacterSet* characterSetWithCharactersInString(NSString* s);
  BOOL characterIsMember(unichar c) const;

private:
  std::u16string mChars;
};

class NSArray : public NSObject {
public:
  // Autoreleased; the array retains its objects. Null objects are skipped.
  static NSArray* arrayWithObject(id obj);
  static NSArray* arrayWithObjects(const std::vector<id>& objs);
  ~NSArray() override;
  NSUInteger count() const { return mObjects.size(); }
  // Null out of range (the platform raises).
  id objectAtIndex(NSUInteger index) const;
  id firstObject() const { return objectAtIndex(0); }

protected:
  std::vector<id> mObjects;
};

class NSMutableArray : public NSArray {
public:
  static NSMutableArray* array();
  void addObject(id obj);
};

class NSDictionary : public NSObject {
public:
  // The system version file gives {"ProductVersion": the version a host set}; any other
  // file gives null: the stand-in reads no property lists.
  static NSDictionary* dictionaryWithContentsOfFile(NSString* path);
  ~NSDictionary() override;
  // Not retained for the caller; null when absent.
  id objectForKey(NSString* key) const;

private:
  std::vector<std::pair<std::string, id>> mEntries;
};

class NSURL : public NSObject {
public:
  // Autoreleased; null for null, an empty text, or a text with characters a URL cannot hold
  // (blanks, controls, non-ASCII, quotes, angle brackets, braces, | \ ^ `).
  static NSURL* URLWithString(NSString* s);
  // Autoreleased file URL of an absolute or relative path; null for null or "".
  static NSURL* fileURLWithPath(NSString* path);
  // Autoreleased.
  NSString* absoluteString() const;
  NSString* path() const;
  BOOL isFileURL() const { return mFile; }

private:
  std::string mText; // the URL text ("file://" + path for file URLs)
  std::string mPath;
  bool mFile = false;
};

class NSNotification : public NSObject {
public:
  // Autoreleased; retains the object.
  static NSNotification* notificationWithName(NSString* name, id object);
  ~NSNotification() override;
  id object() const { return mObject; }
  NSString* name() const { return mName; }

private:
  NSString* mName = nullptr;
  id mObject = nullptr;
};

class NSBundle : public NSObject {
public:
  // Autoreleased; null when no bundle is registered under the identifier.
  static NSBundle* bundleWithIdentifier(NSString* identifier);
  // <bundle>/Contents/Resources/<name>.<type> when that file exists, else null.
  NSString* pathForResource(NSString* name, NSString* type) const;
  // The bundle's shared object in Contents/MacOS, null when there is none.
  NSString* executablePath() const;
  NSString* bundlePath() const;
  NSString* bundleIdentifier() const;

private:
  std::string mPath, mIdentifier;
};

enum NSSearchPathDirectory : NSUInteger {
  NSDesktopDirectory = 12,
  NSApplicationSupportDirectory = 14,
};
enum NSSearchPathDomainMask : NSUInteger {
  NSUserDomainMask = 1,
  NSLocalDomainMask = 2,
  NSNetworkDomainMask = 4,
  NSSystemDomainMask = 8,
};

// Autoreleased array of one path ("~/Desktop", "~/Library/Application Support", or the
// system's "/Library/Application Support"); tildes expanded when asked.
NSArray* NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory,
                                             NSSearchPathDomainMask domains, BOOL expandTilde);
// The home folder (a test hook may move it); autoreleased.
NSString* NSHomeDirectory(void);
