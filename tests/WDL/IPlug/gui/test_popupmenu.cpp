#include "WDL/IPlug/IPopupMenu.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

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
  EXPECT_TRUE(m.CheckItem(0, true) && m.CheckItem(2, true));
  m.CheckItemAlone(1);
  EXPECT_EQ(std::vector<bool>({m.IsItemChecked(0), m.IsItemChecked(1), m.IsItemChecked(2)}),
            std::vector<bool>({false, true, false}));
  for (int i : {3, -1}) {
    EXPECT_STREQ(m.GetItemText(i), "");
    EXPECT_FALSE(m.CheckItem(i, true) || m.IsItemChecked(i) || m.GetItem(i));
  }
}

TEST(PopupMenu, FlagsAndBorrowedSubmenu) {
  IPopupMenu* sub = new IPopupMenu;
  {
    IPopupMenu m;
    m.AddItem("sub", sub);
    IPopupMenuItem* it = m.AddItem("t", -1, IPopupMenuItem::kTitle);
    it->SetChecked(true);
    it->SetChecked(false); // leaves the other flags alone
    EXPECT_EQ(it->GetFlags(), IPopupMenuItem::kTitle);
  }
  delete sub; // still alive after its parent went
}

} // namespace
