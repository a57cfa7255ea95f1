// Menus of the Cocoa stand-in. A pop-up menu is modal: it takes the answer a host or a test
// scripted (PlatformTest_ScriptMenuChoice), or is dismissed when none is waiting.
#pragma once

#include <Cocoa/NSView.h>

#include <vector>

class NSMenu;

enum : NSInteger {
  NSOffState = 0,
  NSOnState = 1,
  NSMixedState = -1,
};

class NSMenuItem : public NSObject {
public:
  // Autoreleased separator.
  static NSMenuItem* separatorItem();
  NSMenuItem* initWithTitle(NSString* title, SEL action, NSString* keyEquivalent);
  ~NSMenuItem() override;

  NSString* title() const { return mTitle; }
  SEL action() const { return mAction; }
  void setAction(SEL action) { mAction = action; }
  // Not retained.
  id target() const { return mTarget; }
  void setTarget(id target) { mTarget = target; }
  NSInteger state() const { return mState; }
  void setState(NSInteger state) { mState = state; }
  BOOL isEnabled() const { return mEnabled; }
  void setEnabled(BOOL flag) { mEnabled = flag; }
  NSInteger indentationLevel() const { return mIndentation; }
  // 0 to 15, as the platform clamps.
  void setIndentationLevel(NSInteger level);
  BOOL isSeparatorItem() const { return mSeparator; }
  NSMenu* submenu() const { return mSubmenu; }
  BOOL hasSubmenu() const { return mSubmenu != nullptr; }
  // Retains the submenu.
  void setSubmenu(NSMenu* submenu);
  // The menu the item belongs to (not retained).
  NSMenu* menu() const { return mMenu; }

private:
  friend class NSMenu;
  NSString* mTitle = nullptr; // retained
  SEL mAction = nullptr;
  id mTarget = nullptr;
  NSInteger mState = NSOffState, mIndentation = 0;
  bool mEnabled = true, mSeparator = false;
  NSMenu* mSubmenu = nullptr; // retained
  NSMenu* mMenu = nullptr;
};

class NSMenu : public NSObject {
public:
  NSMenu* initWithTitle(NSString* title);
  ~NSMenu() override;
  void setAutoenablesItems(BOOL flag) { mAutoenables = flag; }
  BOOL autoenablesItems() const { return mAutoenables; }
  // Retains the item; an item already in a menu is refused.
  void addItem(NSMenuItem* item);
  // The new item belongs to the menu.
  NSMenuItem* addItemWithTitle(NSString* title, SEL action, NSString* keyEquivalent);
  void setSubmenu(NSMenu* submenu, NSMenuItem* item);
  NSInteger numberOfItems() const { return (NSInteger)mItems.size(); }
  // Null out of range.
  NSMenuItem* itemAtIndex(NSInteger index) const;
  // -1 when the item is not in this menu.
  NSInteger indexOfItem(NSMenuItem* item) const;
  NSString* title() const { return mTitle; }

  // Shows the menu at the event's location in the view's window and returns when it
  // closes. A chosen item sends its action to its target or, without one, along the
  // responder chain that starts at the view.
  static void popUpContextMenu(NSMenu* menu, NSEvent* event, NSView* view);

private:
  NSString* mTitle = nullptr; // retained
  std::vector<NSMenuItem*> mItems;
  bool mAutoenables = true;
};
