// Text fields of the Cocoa stand-in: typing goes through the formatter as it does when a
// person types, and ending the edit tells the delegate.

#include "cocoa_internal.h"
#include "PlatformInternal.h"

NSTextField* NSTextField::initWithFrame(NSRect frame) {
  NSView::initWithFrame(frame);
  if (!mString) mString = new NSString("");
  if (!mCell) mCell = new NSCell;
  return this;
}

NSTextField::~NSTextField() {
  for (NSObject* o : {(NSObject*)mString, (NSObject*)mFont, (NSObject*)mFormatter, (NSObject*)mCell,
                      (NSObject*)mTextColor, (NSObject*)mBackgroundColor})
    if (o) o->release();
}

namespace {
template <class T> void Assign(T*& field, T* value) {
  if (value) value->retain();
  if (field) field->release();
  field = value;
}
} // namespace

// The platform refuses nil here (it raises), so the stand-in stops as well.
void NSTextField::setStringValue(NSString* s) {
  if (!s) PlatformFatal("NSTextField::setStringValue", "called with nil");
  if (mString) mString->release();
  mString = new NSString(s->str());
}

void NSTextField::setFont(NSFont* font) {
  Assign(mFont, font);
}
void NSTextField::setFormatter(NSFormatter* formatter) {
  Assign(mFormatter, formatter);
}
void NSTextField::setTextColor(NSColor* c) {
  Assign(mTextColor, c);
}
void NSTextField::setBackgroundColor(NSColor* c) {
  Assign(mBackgroundColor, c);
}

bool NSTextField::typeCharacter(const std::string& utf8Char) {
  const std::string proposed = (mSelectAll ? std::string() : mString->str()) + utf8Char;
  if (mFormatter) {
    auto* partial = (NSString*)(new NSString(proposed))->autorelease();
    NSString* replacement = nullptr;
    NSString* error = nullptr;
    if (!mFormatter->isPartialStringValid(partial, &replacement, &error)) {
      if (replacement) setStringValue(replacement);
      return false;
    }
  }
  setStringValue((NSString*)(new NSString(proposed))->autorelease());
  mSelectAll = false;
  return true;
}

bool NSTextField::endEditing() {
  auto* d = dynamic_cast<NSTextFieldDelegate*>(mDelegate);
  if (!d) return false;
  if (mFormatter) {
    id value = nullptr;
    NSString* error = nullptr;
    if (!mFormatter->getObjectValue(&value, mString, &error)) return false;
  }
  retain(); // the delegate may let go of the field
  d->controlTextDidEndEditing(NSNotification::notificationWithName(
      (NSString*)(new NSString("NSControlTextDidEndEditingNotification"))->autorelease(), this));
  release();
  return true;
}

void NSTextField::keyDown(NSEvent* e) {
  if (!e) return;
  if (e->keyCode() == 36) {
    endEditing();
    return;
  }
  NSString* chars = e->characters();
  for (const std::string& c : cocoa::Utf8Characters(chars ? chars->str() : "")) typeCharacter(c);
}
