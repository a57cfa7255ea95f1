#ifndef _IPOPUPMENU_
#define _IPOPUPMENU_

// Platform-independent popup menu: a control fills it, the graphics object shows it and
// writes back the chosen index. Main thread only.

#include "WDL/ptrlist.h"
#include "WDL/wdlstring.h"

class IPopupMenu;

class IPopupMenuItem {
public:
  enum Flags { kNoFlags = 0, kDisabled = 1, kTitle = 2, kChecked = 4, kSeparator = 8 };

  IPopupMenuItem(const char* text, int flags = kNoFlags)
      : mText(text), mSubmenu(nullptr), mFlags(flags) {}
  // The submenu is borrowed: the item never deletes it.
  IPopupMenuItem(const char* text, IPopupMenu* pSubMenu)
      : mText(text), mSubmenu(pSubMenu), mFlags(kNoFlags) {}
  ~IPopupMenuItem() {}

  void SetText(const char* text) { mText.Set(text); }
  const char* GetText() const { return mText.Get(); }
  IPopupMenu* GetSubmenu() const { return mSubmenu; }
  int GetFlags() const { return mFlags; }

  bool GetEnabled() const { return !(mFlags & kDisabled); }
  bool GetIsTitle() const { return (mFlags & kTitle) != 0; }
  bool GetChecked() const { return (mFlags & kChecked) != 0; }
  bool GetIsSeparator() const { return (mFlags & kSeparator) != 0; }

  void SetChecked(bool state) {
    if (state)
      mFlags |= kChecked;
    else
      mFlags &= ~kChecked;
  }

private:
  WDL_String mText;
  IPopupMenu* mSubmenu;
  int mFlags;
};

class IPopupMenu {
public:
  // prefix 0-3: no numbering, "%1d: ", "%02d: ", "%03d: " before each item text.
  IPopupMenu(int prefix = 0, bool multicheck = false);
  ~IPopupMenu(); // deletes the items, not their submenus

  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // index -1 appends; other negatives insert at 0; past the end appends. The menu owns the item.
  IPopupMenuItem* AddItem(IPopupMenuItem* pItem, int index = -1);
  IPopupMenuItem* AddItem(const char* text, int index = -1,
                          int itemFlags = IPopupMenuItem::kNoFlags);
  IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* pSubmenu);
  IPopupMenuItem* AddItem(const char* text, IPopupMenu* pSubmenu);
  IPopupMenuItem* AddSeparator(int index = -1);

  int GetNItems() const { return mMenuItems.GetSize(); }
  IPopupMenuItem* GetItem(int index) const;
  // "" for an index out of range.
  const char* GetItemText(int index) const;

  void SetPrefix(int count);
  int GetPrefix() const { return mPrefix; }
  void SetMultiCheck(bool multicheck) { mCanMultiCheck = multicheck; }
  bool GetCanMultiCheck() const { return mCanMultiCheck; }

  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }
  int GetChosenItemIdx() const { return mChosenItemIdx; }

  bool CheckItem(int index, bool state);
  void CheckItemAlone(int index);
  bool IsItemChecked(int index) const;

private:
  int mPrefix;
  int mChosenItemIdx;
  bool mCanMultiCheck;
  WDL_PtrList<IPopupMenuItem> mMenuItems;
};

#endif
