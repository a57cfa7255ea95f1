#include "WDL/assocarray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

int CmpInt(int* a, int* b) {
  return *a - *b;
}
void LogKey(int k) {
  g_log.push_back("k" + std::to_string(k));
}
void LogVal(int* v) {
  g_log.push_back(v ? "v" + std::to_string(*v) : "null");
  delete v;
}

std::string Keys(const WDL_StringKeyedArray<int>& arr, std::vector<const char*> probe) {
  std::string s;
  for (const char* k : probe) {
    bool match;
    const int i = arr.LowerBound(k, &match);
    s += std::to_string(match ? i : -1);
  }
  return s;
}

TEST(AssocArray, EmptyArray) {
  WDL_StringKeyedArray<int> arr;
  bool match = true;
  EXPECT_EQ(arr.LowerBound("x", &match), 0);
  EXPECT_FALSE(match);
  EXPECT_EQ(arr.Get("x", 42), 42);
  EXPECT_EQ(arr.GetPtr("x"), nullptr);
}

TEST(AssocArray, InsertKeepsKeyOrder) {
  const struct {
    const char* key;
    int index;
    const char* order; // indices of a, b, c, d, e (-1 absent)
  } cases[] = {{"c", 1, "-1012-1"}, {"a", 0, "01-12-1"}, {"e", 2, "-10-112"}};
  for (const auto& c : cases) {
    WDL_StringKeyedArray<int> arr;
    arr.Insert("d", 4);
    arr.Insert("b", 2);
    EXPECT_EQ(arr.Insert(c.key, 9), c.index);
    EXPECT_EQ(Keys(arr, {"a", "b", "c", "d", "e"}), c.order);
    EXPECT_EQ(arr.Get("d", 0), 4);
    EXPECT_EQ(arr.Get(c.key, 0), 9);
  }
}

TEST(AssocArray, ReplaceDisposesOldValueAndKeepsKeyCopy) {
  g_log.clear();
  WDL_StringKeyedArray<int*> arr(true, LogVal);
  char key[] = "Arial";
  arr.Insert(key, new int(1));
  const char* stored = nullptr;
  ASSERT_NE(arr.GetPtr(key, &stored), nullptr);
  EXPECT_NE(stored, key);
  EXPECT_STREQ(stored, "Arial");

  EXPECT_EQ(arr.Insert("Arial", new int(2)), 0);
  EXPECT_EQ(g_log, std::vector<std::string>{"v1"});
  const char* again = nullptr;
  EXPECT_EQ(*arr.Get("Arial", nullptr), 2);
  arr.GetPtr("Arial", &again);
  EXPECT_EQ(again, stored);
  // A stored null is returned as null, not as the default.
  int dflt = 0;
  arr.Insert("Null", nullptr);
  EXPECT_EQ(arr.Get("Null", &dflt), nullptr);
}

TEST(AssocArray, LetterCase) {
  WDL_StringKeyedArray<int> sensitive(true), insensitive(false);
  for (auto* arr : {&sensitive, &insensitive}) {
    arr->Insert("arial", 1);
    arr->Insert("Arial", 2);
  }
  EXPECT_EQ(Keys(sensitive, {"Arial", "arial"}), "01");
  EXPECT_EQ(sensitive.Get("arial", 0), 1);
  const char* kept = nullptr;
  EXPECT_EQ(*insensitive.GetPtr("ARIAL", &kept), 2);
  EXPECT_STREQ(kept, "arial");
}

TEST(AssocArray, DisposalInKeyOrderKeyBeforeValue) {
  g_log.clear();
  {
    WDL_AssocArray<int, int*> arr(CmpInt, nullptr, LogKey, LogVal);
    for (int k : {3, 1, 2}) arr.Insert(k, new int(k * 10));
    arr.DeleteAll(true);
    EXPECT_EQ(g_log, (std::vector<std::string>{"k1", "v10", "k2", "v20", "k3", "v30"}));
    g_log.clear();
    arr.Insert(5, new int(50));
  }
  EXPECT_EQ(g_log, (std::vector<std::string>{"k5", "v50"}));

  WDL_AssocArray<int, int> plain(CmpInt);
  plain.Insert(1, 1);
  plain.DeleteAll();
  EXPECT_EQ(plain.Get(1, -1), -1);
}

TEST(AssocArray, FailedInsertLeavesArrayIntact) {
  WDL_StringKeyedArray<int> arr;
  arr.Insert("a", 1);
  WDL_HeapBufAllocator saved = g_wdl_heapbuf_allocator;
  g_wdl_heapbuf_allocator.realloc_fn = [](void*, size_t) -> void* { return nullptr; };
  g_wdl_heapbuf_allocator.malloc_fn = [](size_t) -> void* { return nullptr; };
  // Enough keys to need a larger block; the key copies made are freed again.
  int failed = -1;
  for (int i = 0; i < 300 && failed < 0; ++i)
    if (arr.Insert(("k" + std::to_string(i)).c_str(), i) < 0) failed = i;
  g_wdl_heapbuf_allocator = saved;
  ASSERT_GE(failed, 0);
  EXPECT_EQ(arr.Get("a", 0), 1);
  EXPECT_EQ(arr.Get(("k" + std::to_string(failed)).c_str(), -1), -1);
}

} // namespace
