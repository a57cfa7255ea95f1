// Menus of the Cocoa stand-in and the modal pop-up that takes its answer from the script.

#include "cocoa_internal.h"

#include <algorithm>

NSMenuItem* NSMenuItem::separatorItem() {
  auto* item = new NSMenuItem;
  item->mSeparator = true;
  item->mTitle = new NSString("");
  item->mEnabled = false;
  return (NSMenuItem*)item->autorelease();
}

NSMenuItem* NSMenuItem::initWithTitle(NSString* title, SEL action, NSString* /*keyEquivalent*/) {
  if (mTitle) mTitle->release();
  mTitle = new NSString(title ? title->str() : "");
  mAction = action;
  return this;
}

NSMenuItem::~NSMenuItem() {
  if (mTitle) mTitle->release();
  if (mSubmenu) mSubmenu->release();
}

void NSMenuItem::setIndentationLevel(NSInteger level) {
  mIndentation = std::min<NSInteger>(15, std::max<NSInteger>(0, level));
}

void NSMenuItem::setSubmenu(NSMenu* submenu) {
  if (submenu) submenu->retain();
  if (mSubmenu) mSubmenu->release();
  mSubmenu = submenu;
}

NSMenu* NSMenu::initWithTitle(NSString* title) {
  if (mTitle) mTitle->release();
  mTitle = new NSString(title ? title->str() : "");
  return this;
}

NSMenu::~NSMenu() {
  for (NSMenuItem* item : mItems) {
    item->mMenu = nullptr;
    item->release();
  }
  if (mTitle) mTitle->release();
}

void NSMenu::addItem(NSMenuItem* item) {
  if (!item || item->mMenu) return;
  mItems.push_back((NSMenuItem*)item->retain());
  item->mMenu = this;
}

NSMenuItem* NSMenu::addItemWithTitle(NSString* title, SEL action, NSString* keyEquivalent) {
  auto* item = (new NSMenuItem)->initWithTitle(title, action, keyEquivalent);
  addItem(item);
  item->release(); // the menu holds it
  return item;
}

void NSMenu::setSubmenu(NSMenu* submenu, NSMenuItem* item) {
  if (item && indexOfItem(item) >= 0) item->setSubmenu(submenu);
}

NSMenuItem* NSMenu::itemAtIndex(NSInteger index) const {
  return index >= 0 && index < numberOfItems() ? mItems[(size_t)index] : nullptr;
}

NSInteger NSMenu::indexOfItem(NSMenuItem* item) const {
  auto it = std::find(mItems.begin(), mItems.end(), item);
  return it == mItems.end() ? -1 : (NSInteger)(it - mItems.begin());
}

namespace {
std::vector<PlatformTestMenuItem> Snapshot(NSMenu* menu) {
  std::vector<PlatformTestMenuItem> out;
  for (NSInteger i = 0; i < menu->numberOfItems(); ++i) {
    NSMenuItem* item = menu->itemAtIndex(i);
    PlatformTestMenuItem s;
    s.title = item->title() ? item->title()->str() : "";
    s.separator = item->isSeparatorItem();
    s.checked = item->state() == NSOnState;
    s.enabled = item->isEnabled();
    s.hasAction = item->action() != nullptr;
    s.indentation = (int)item->indentationLevel();
    if (item->submenu()) s.submenu = Snapshot(item->submenu());
    out.push_back(std::move(s));
  }
  return out;
}

// The item at the path, when a person could choose it: enabled, no separator, no submenu.
NSMenuItem* Resolve(NSMenu* menu, const std::vector<int>& path) {
  NSMenuItem* item = nullptr;
  for (size_t i = 0; i < path.size(); ++i) {
    if (!menu) return nullptr;
    item = menu->itemAtIndex(path[i]);
    if (!item || item->isSeparatorItem() || !item->isEnabled()) return nullptr;
    menu = item->submenu();
  }
  if (!item || item->hasSubmenu()) return nullptr;
  return item;
}
} // namespace

void NSMenu::popUpContextMenu(NSMenu* menu, NSEvent* event, NSView* view) {
  if (!menu) return;
  cocoa::Script& script = cocoa::TheScript();
  ++script.menusShown;
  script.lastMenu = PlatformTestMenu();
  script.lastMenu.items = Snapshot(menu);
  if (event) {
    script.lastMenu.x = event->locationInWindow().x;
    script.lastMenu.y = event->locationInWindow().y;
  }
  std::vector<int> path;
  if (!script.menuChoices.empty()) {
    path = script.menuChoices.front();
    script.menuChoices.pop_front();
  }
  NSMenuItem* item = Resolve(menu, path);
  if (!item || !item->action()) return; // dismissed
  SEL action = item->action();
  id target = item->target();
  if (!target) {
    // Along the responder chain from the view.
    for (NSResponder* r = view; r; r = r->nextResponder()) {
      if (r->respondsToSelector(action)) {
        target = r;
        break;
      }
    }
  }
  if (!target || !target->respondsToSelector(action)) return;
  script.lastMenu.chosen = true;
  item->retain();
  action->perform(target, item);
  item->release();
}
