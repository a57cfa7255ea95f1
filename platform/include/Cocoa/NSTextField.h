// Text fields and formatters of the Cocoa stand-in. A field being edited is its window's
// first responder; a host or a test types into it and commits it through the test hooks.
#pragma once

#include <Cocoa/NSView.h>

class NSFormatter : public NSObject {
public:
  // The text shown for an object value; null when the value cannot be shown.
  virtual NSString* stringForObjectValue(id obj) = 0;
  // The object value for a text; NO refuses the text.
  virtual BOOL getObjectValue(id* obj, NSString* string, NSString** error) = 0;
  // Whether the text as it would be after an edit is acceptable; NO keeps the old text.
  virtual BOOL isPartialStringValid(NSString* partialString, NSString** newString,
                                    NSString** error) {
    (void)partialString, (void)newString, (void)error;
    return YES;
  }
};

// What a text field's delegate hears (the platform's informal protocol).
class NSTextFieldDelegate {
public:
  // controlTextDidEndEditing:; the notification's object is the field.
  virtual void controlTextDidEndEditing(NSNotification* notification) = 0;

protected:
  ~NSTextFieldDelegate() = default;
};

enum NSTextAlignment : NSUInteger {
  NSLeftTextAlignment = 0,
  NSRightTextAlignment = 1,
  NSCenterTextAlignment = 2,
};
enum NSLineBreakMode : NSUInteger {
  NSLineBreakByWordWrapping = 0,
  NSLineBreakByCharWrapping = 1,
  NSLineBreakByClipping = 2,
  NSLineBreakByTruncatingHead = 3,
  NSLineBreakByTruncatingTail = 4,
  NSLineBreakByTruncatingMiddle = 5,
};
enum NSFocusRingType : NSUInteger {
  NSFocusRingTypeDefault = 0,
  NSFocusRingTypeNone = 1,
  NSFocusRingTypeExterior = 2,
};

class NSCell : public NSObject {
public:
  void setLineBreakMode(NSLineBreakMode mode) { mLineBreak = mode; }
  NSLineBreakMode lineBreakMode() const { return mLineBreak; }

private:
  NSLineBreakMode mLineBreak = NSLineBreakByWordWrapping;
};

class NSTextField : public NSView {
public:
  NSTextField* initWithFrame(NSRect frame);
  ~NSTextField() override;
  BOOL acceptsFirstResponder() override { return YES; }

  NSString* stringValue() const { return mString; }
  // Copies the text; null gives "".
  void setStringValue(NSString* s); // s must not be nil
  NSFont* font() const { return mFont; }
  void setFont(NSFont* font);
  NSTextAlignment alignment() const { return mAlignment; }
  void setAlignment(NSTextAlignment a) { mAlignment = a; }
  NSFormatter* formatter() const { return mFormatter; }
  // Retains the formatter.
  void setFormatter(NSFormatter* formatter);
  NSCell* cell() const { return mCell; }
  NSColor* textColor() const { return mTextColor; }
  void setTextColor(NSColor* c);
  NSColor* backgroundColor() const { return mBackgroundColor; }
  void setBackgroundColor(NSColor* c);
  void setBordered(BOOL flag) { mBordered = flag; }
  BOOL isBordered() const { return mBordered; }
  void setFocusRingType(NSFocusRingType t) { mFocusRing = t; }
  NSFocusRingType focusRingType() const { return mFocusRing; }
  void setAllowsEditingTextAttributes(BOOL flag) { mEditsAttributes = flag; }
  BOOL allowsEditingTextAttributes() const { return mEditsAttributes; }
  // Not retained; must be an NSTextFieldDelegate (anything else is ignored).
  void setDelegate(id delegate) { mDelegate = delegate; }
  id delegate() const { return mDelegate; }
  // Characters are typed; return (key code 36) ends editing.
  void keyDown(NSEvent* e) override;
  // Clicks inside the field stay with it (they place the caret).
  void mouseDown(NSEvent*) override {}
  void mouseUp(NSEvent*) override {}
  void mouseDragged(NSEvent*) override {}

  // Stand-in typing: one character as a person types it. The first character after the
  // field became first responder replaces the whole (selected) text. False when the
  // formatter refused it.
  bool typeCharacter(const std::string& utf8Char);
  void didBecomeFirstResponder() { mSelectAll = true; }
  // Ends editing: the delegate hears controlTextDidEndEditing:. False without a delegate.
  bool endEditing();

private:
  NSString* mString = nullptr;
  NSFont* mFont = nullptr;
  NSTextAlignment mAlignment = NSLeftTextAlignment;
  NSFormatter* mFormatter = nullptr;
  NSCell* mCell = nullptr;
  NSColor* mTextColor = nullptr;
  NSColor* mBackgroundColor = nullptr;
  bool mBordered = true, mEditsAttributes = false, mSelectAll = false;
  NSFocusRingType mFocusRing = NSFocusRingTypeDefault;
  id mDelegate = nullptr;
};
