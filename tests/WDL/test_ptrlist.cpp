#include "WDL/ptrlist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Item;
std::vector<std::string> g_log; // "<name>:<list size while destroyed>"
const WDL_PtrList<Item>* g_watched = nullptr;

struct Item {
  std::string name;
  explicit Item(const char* n) : name(n) {}
  ~Item() { g_log.push_back(name + ":" + std::to_string(g_watched ? g_watched->GetSize() : -1)); }
};

class PtrList : public ::testing::Test {
protected:
  void SetUp() override { g_log.clear(); }
  void TearDown() override { g_watched = nullptr; }
  Item a{"a"}, b{"b"}, p{"p"};
};

std::string Names(const WDL_PtrList<Item>& l) {
  std::string s;
  for (int i = 0; i < l.GetSize(); ++i) s += l.Get(i) ? l.Get(i)->name : "-";
  return s;
}

TEST_F(PtrList, OutOfRangeAccess) {
  WDL_PtrList<Item> l;
  EXPECT_EQ(l.Get(-1), nullptr);
  EXPECT_EQ(l.Get(0), nullptr);
  EXPECT_EQ(l.GetList(), nullptr);
  l.Add(&a);
  l.Add(&b);
  EXPECT_EQ(l.Get(2), nullptr);
  EXPECT_EQ(l.Set(2, &p), nullptr);
  EXPECT_EQ(l.Set(-1, &p), nullptr);
  EXPECT_EQ(l.Set(1, &p), &p);
  EXPECT_EQ(Names(l), "ap");
  l.Delete(2, true);
  l.Delete(-1, true);
  EXPECT_EQ(Names(l), "ap");
  EXPECT_TRUE(g_log.empty());
}

TEST_F(PtrList, InsertClampsIndex) {
  const struct {
    int index;
    const char* want;
  } cases[] = {{-5, "pab"}, {0, "pab"}, {1, "apb"}, {2, "abp"}, {99, "abp"}};
  for (const auto& c : cases) {
    WDL_PtrList<Item> l;
    l.Add(&a);
    l.Add(&b);
    EXPECT_EQ(l.Insert(c.index, &p), &p);
    EXPECT_EQ(Names(l), c.want) << c.index;
  }
}

TEST_F(PtrList, DeleteAndEmptyWithDeletion) {
  WDL_PtrList<Item> l;
  g_watched = &l;
  l.Add(new Item("x"));
  l.Add(nullptr);
  l.Add(new Item("y"));
  l.Add(new Item("z"));
  l.Delete(0, true);
  EXPECT_EQ(g_log, std::vector<std::string>{"x:4"});
  l.Delete(0, true); // null slot: only removed
  EXPECT_EQ(Names(l), "yz");
  l.Add(new Item("w"));
  g_log.clear();
  // Last to first; each object goes while its entry is still the last one.
  l.Empty(true);
  EXPECT_EQ(g_log, (std::vector<std::string>{"w:3", "z:2", "y:1"}));
  EXPECT_EQ(l.GetSize(), 0);
}

TEST_F(PtrList, FreeFunctionGetsPointersAsStored) {
  static std::vector<void*> freed;
  freed.clear();
  auto rec = [](void* v) { freed.push_back(v); };
  WDL_PtrList<Item> l;
  l.Add(&a);
  l.Add(nullptr);
  l.Add(&b);
  l.Delete(1, true, rec); // null is passed through by Delete
  l.Empty(true, rec);
  EXPECT_EQ(freed, (std::vector<void*>{nullptr, &b, &a}));
  EXPECT_TRUE(g_log.empty());
}

TEST_F(PtrList, ListNeverOwnsImplicitlyAndKeepsItsBlock) {
  static int reallocs;
  reallocs = 0;
  WDL_HeapBufAllocator saved = g_wdl_heapbuf_allocator;
  g_wdl_heapbuf_allocator.realloc_fn = [](void* q, size_t n) {
    ++reallocs;
    return realloc(q, n);
  };
  {
    WDL_PtrList<Item> l;
    for (int i = 0; i < 500; ++i) l.Add(&a);
    EXPECT_EQ(reallocs, 1); // the first block holds 500 pointers
    l.Add(&b);
    EXPECT_EQ(reallocs, 2);
    l.Empty();
    EXPECT_EQ(l.GetList(), nullptr);
    for (int i = 0; i < 1012; ++i) l.Add(&b);
    l.Delete(5);
    l.Insert(3, &p);
    EXPECT_EQ(reallocs, 2);
  }
  g_wdl_heapbuf_allocator = saved;
  EXPECT_TRUE(g_log.empty()); // destroying the list deleted nothing
}

TEST_F(PtrList, FailedGrowthLeavesListUnchanged) {
  WDL_PtrList<Item> l;
  WDL_HeapBufAllocator saved = g_wdl_heapbuf_allocator;
  g_wdl_heapbuf_allocator.realloc_fn = [](void*, size_t) -> void* { return nullptr; };
  g_wdl_heapbuf_allocator.malloc_fn = [](size_t) -> void* { return nullptr; };
  EXPECT_EQ(l.Add(&a), nullptr);
  EXPECT_EQ(l.Insert(0, &b), &b);
  g_wdl_heapbuf_allocator = saved;
  EXPECT_EQ(l.GetSize(), 0);
}

} // namespace
