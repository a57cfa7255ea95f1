#include "WDL/IPlug/IPopupMenu.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string Texts(const IPopupMenu& m) {
  std::string s;
  for (int i = 0; i < m.GetNItems(); ++i) s += m.GetItemText(i);
  return s;
}

TEST(PopupMenu, InsertPositions) {
  struct Case {
    int index;
    const char* expect;
  } cases[] = {{0, "xab"}, {-1, "abx"}, {7, "abx"}, {-5, "xab"}, {1, "axb"}};
  for (const Case& c : cases) {
    IPopupMenu m;
    m.AddItem("a");
    m.AddItem("b");
    m.AddItem(new IPopupMenuItem("x"), c.index);
    EXPECT_EQ(Texts(m), c.expect) << "index " << c.index;
  }
}

TEST(PopupMenu, CheckingAndItemsOutOfRange) {
  IPopupMenu m;
  for (const char* t : {"a", "b", "c"}) m.AddItem(t);
  EXPECT_TRUE(m.CheckItem(0, true));
  EXPECT_TRUE(m.CheckItem(2, true));
  m.CheckItemAlone(1);
  EXPECT_FALSE(m.IsItemChecked(0));
  EXPECT_TRUE(m.IsItemChecked(1));
  EXPECT_FALSE(m.IsItemChecked(2));
  m.CheckItemAlone(5);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(m.IsItemChecked(i));
  for (int i : {3, -1}) {
    EXPECT_EQ(m.GetItem(i), nullptr);
    EXPECT_STREQ(m.GetItemText(i), "");
    EXPECT_FALSE(m.CheckItem(i, true));
    EXPECT_FALSE(m.IsItemChecked(i));
  }
}

TEST(PopupMenu, FlagsAndSeparator) {
  IPopupMenu m;
  IPopupMenuItem* sep = m.AddSeparator();
  EXPECT_TRUE(sep->GetEnabled());
  EXPECT_TRUE(sep->GetIsSeparator());
  EXPECT_STREQ(sep->GetText(), "");
  IPopupMenuItem* it = m.AddItem("t", -1, IPopupMenuItem::kDisabled | IPopupMenuItem::kTitle);
  EXPECT_FALSE(it->GetEnabled());
  EXPECT_TRUE(it->GetIsTitle());
  it->SetChecked(true);
  it->SetChecked(false);
  EXPECT_EQ(it->GetFlags(), IPopupMenuItem::kDisabled | IPopupMenuItem::kTitle);
}

TEST(PopupMenu, PrefixKeepsOnlyValidValues) {
  IPopupMenu m;
  m.SetPrefix(2);
  m.SetPrefix(4);
  m.SetPrefix(-1);
  EXPECT_EQ(m.GetPrefix(), 2);
  EXPECT_EQ(m.GetChosenItemIdx(), -1);
}

TEST(PopupMenu, SubmenuIsNotOwned) {
  IPopupMenu* sub = new IPopupMenu;
  sub->AddItem("s");
  {
    IPopupMenu m;
    m.AddItem("sub", sub);
    EXPECT_EQ(m.GetItem(0)->GetSubmenu(), sub);
  }
  EXPECT_EQ(sub->GetNItems(), 1); // still alive after its parent went
  delete sub;
}

} // namespace
