#include "WDL/IPlug/IPopupMenu.h"

IPopupMenu::IPopupMenu(int prefix, bool multicheck)
    : mPrefix(prefix), mChosenItemIdx(-1), mCanMultiCheck(multicheck), mMenuItems(4096) {}

IPopupMenu::~IPopupMenu() {
  mMenuItems.Empty(true);
}

IPopupMenuItem* IPopupMenu::AddItem(IPopupMenuItem* pItem, int index) {
  if (index == -1)
    mMenuItems.Add(pItem);
  else
    mMenuItems.Insert(index, pItem);
  return pItem;
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, int itemFlags) {
  return AddItem(new IPopupMenuItem(text, itemFlags), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* pSubmenu) {
  return AddItem(new IPopupMenuItem(text, pSubmenu), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, IPopupMenu* pSubmenu) {
  return AddItem(text, -1, pSubmenu);
}

IPopupMenuItem* IPopupMenu::AddSeparator(int index) {
  return AddItem(new IPopupMenuItem("", IPopupMenuItem::kSeparator), index);
}

IPopupMenuItem* IPopupMenu::GetItem(int index) const {
  if (index < 0 || index >= mMenuItems.GetSize()) return nullptr;
  return mMenuItems.Get(index);
}

const char* IPopupMenu::GetItemText(int index) const {
  IPopupMenuItem* pItem = GetItem(index);
  return pItem ? pItem->GetText() : "";
}

void IPopupMenu::SetPrefix(int count) {
  if (count >= 0 && count <= 3) mPrefix = count;
}

bool IPopupMenu::CheckItem(int index, bool state) {
  IPopupMenuItem* pItem = GetItem(index);
  if (!pItem) return false;
  pItem->SetChecked(state);
  return true;
}

void IPopupMenu::CheckItemAlone(int index) {
  for (int i = 0; i < mMenuItems.GetSize(); ++i) mMenuItems.Get(i)->SetChecked(i == index);
}

bool IPopupMenu::IsItemChecked(int index) const {
  IPopupMenuItem* pItem = GetItem(index);
  return pItem && pItem->GetChecked();
}
