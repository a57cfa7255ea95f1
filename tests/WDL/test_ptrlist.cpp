#include "WDL/ptrlist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct Item;
std::vector<std::string> g_log; // "<name>:<list size while destroyed>"
const WDL_PtrList<Item>* g_watched = nullptr;

struct Item {
  std::string name;
  explicit Item(const char* n) : name(n) {}
  ~Item() { g_log.push_back(name + ":" + std::to_string(g_watched ? g_watched->GetSize() : -1)); }
};

std::string Names(const WDL_PtrList<Item>& l) {
  std::string s;
  for (int i = 0; i < l.GetSize(); ++i) s += l.Get(i) ? l.Get(i)->name : "-";
  return s;
}

TEST(PtrList, InsertClampingDeletionOrderAndOwnership) {
  Item a("a"), b("b"), p("p"); // a list that deleted one of them would fail under ASan
  const std::pair<int, const char*> inserts[] = {{-5, "pab"}, {1, "apb"}, {2, "abp"}, {99, "abp"}};
  for (const auto& [index, want] : inserts) {
    WDL_PtrList<Item> l;
    for (Item* i : {&a, &b}) l.Add(i);
    EXPECT_EQ(l.Insert(index, &p), &p);
    EXPECT_EQ(Names(l), want) << index;
    EXPECT_EQ(l.Get(-1), nullptr);
    EXPECT_EQ(l.Get(3), nullptr);
    EXPECT_FALSE(l.Set(3, &a));
    EXPECT_FALSE(l.Set(-1, &a));
    l.Delete(3, true);
    l.Delete(-1, true);
  }
  {
    // Shortening leaves the old pointer in the slot past the end.
    WDL_PtrList<Item> l;
    for (Item* i : {&a, &b, &p}) l.Add(i);
    l.Delete(2);
    EXPECT_EQ(l.Get(2), nullptr);
    l.Insert(99, &a);
    EXPECT_EQ(Names(l), "aba");
  }

  WDL_PtrList<Item> l;
  g_watched = &l;
  for (const char* n : {"x", "", "y", "z"}) l.Add(*n ? new Item(n) : nullptr);
  for (int k = 0; k < 2; ++k) l.Delete(0, true); // a null slot is only removed
  EXPECT_EQ(Names(l), "yz");
  l.Add(new Item("w"));
  // Last to first; each object goes while its entry is still the last one.
  l.Empty(true);
  EXPECT_EQ(g_log, (std::vector<std::string>{"x:4", "w:3", "z:2", "y:1"}));
  g_watched = nullptr;
  // A free function receives the pointers as stored (Delete passes null on too).
  static std::vector<void*> freed;
  for (Item* i : {&a, (Item*)nullptr, &b}) l.Add(i);
  l.Delete(1, true, [](void* v) { freed.push_back(v); });
  l.Add(nullptr); // Empty skips a null
  l.Empty(true, [](void* v) { freed.push_back(v); });
  EXPECT_EQ(freed, (std::vector<void*>{nullptr, &b, &a}));
}
