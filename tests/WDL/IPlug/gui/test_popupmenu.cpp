#include "WDL/IPlug/IPopupMenu.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(PopupMenu, InsertPositions) {
  for (auto [index, expect] :
       {std::pair{0, "xab"}, {-1, "abx"}, {7, "abx"}, {-5, "xab"}, {1, "axb"}}) {
    IPopupMenu m;
    m.AddItem("a");
    m.AddItem("b");
    m.AddItem(new IPopupMenuItem("x"), index);
    std::string texts;
    for (int i = 0; i < m.GetNItems(); ++i) texts += m.GetItemText(i);
    EXPECT_EQ(texts, expect) << "index " << index;
  }
}

TEST(PopupMenu, CheckingAndItemsOutOfRange) {
  IPopupMenu m;
  for (const char* t : {"a", "b", "c"}) m.AddItem(t);
  EXPECT_TRUE(m.CheckItem(0, true));
  EXPECT_TRUE(m.CheckItem(2, true));
  m.CheckItemAlone(1);
  EXPECT_EQ(std::vector<bool>({m.IsItemChecked(0), m.IsItemChecked(1), m.IsItemChecked(2)}),
            std::vector<bool>({false, true, false}));
  for (int i : {3, -1}) {
    EXPECT_STREQ(m.GetItemText(i), "");
    EXPECT_FALSE(m.CheckItem(i, true)) << i;
    EXPECT_FALSE(m.IsItemChecked(i)) << i;
    EXPECT_EQ(m.GetItem(i), nullptr) << i;
  }
}

TEST(PopupMenu, PrefixKeepsOnlyZeroToThree) {
  for (auto [set, expect] : {std::pair{3, 3}, {0, 0}, {2, 2}, {4, 1}, {-1, 1}}) {
    IPopupMenu m(1);
    m.SetPrefix(set);
    EXPECT_EQ(m.GetPrefix(), expect) << "SetPrefix(" << set << ")";
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
