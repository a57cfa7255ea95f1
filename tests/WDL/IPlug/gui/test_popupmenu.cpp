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
  m.CheckItemAlone(5);
  EXPECT_FALSE(m.IsItemChecked(1));
  for (int i : {3, -1}) {
    EXPECT_STREQ(m.GetItemText(i), "");
    EXPECT_FALSE(m.CheckItem(i, true) || m.IsItemChecked(i) || m.GetItem(i));
  }
}

TEST(PopupMenu, FlagsPrefixAndBorrowedSubmenu) {
  IPopupMenu* sub = new IPopupMenu;
  {
    IPopupMenu m;
    EXPECT_TRUE(m.AddSeparator()->GetIsSeparator());
    IPopupMenuItem* it = m.AddItem("t", -1, IPopupMenuItem::kDisabled | IPopupMenuItem::kTitle);
    it->SetChecked(true);
    it->SetChecked(false); // leaves the other flags alone
    EXPECT_EQ(it->GetFlags(), IPopupMenuItem::kDisabled | IPopupMenuItem::kTitle);
    for (int prefix : {2, 4, -1}) m.SetPrefix(prefix);
    EXPECT_EQ(m.GetPrefix(), 2); // only 0-3 are kept
    m.AddItem("sub", sub);
    sub->AddItem("s");
  }
  EXPECT_EQ(sub->GetNItems(), 1); // still alive after its parent went
  delete sub;
}

} // namespace
