#include "WDL/assocarray.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

std::vector<std::string> g_log;

void LogVal(int* v) {
  g_log.push_back(v ? std::to_string(*v) : "null");
  delete v;
}

// Index of each one-letter probe key, '-' when absent.
std::string Where(const WDL_StringKeyedArray<int>& arr, const char* probes) {
  std::string s;
  for (const char* k = probes; *k; ++k) {
    bool match;
    const int i = arr.LowerBound(std::string(1, *k).c_str(), &match);
    s += match ? char('0' + i) : '-';
  }
  return s;
}

TEST(AssocArray, InsertReplaceAndDispose) {
  const std::tuple<const char*, int, const char*> cases[] = {
      {"c", 1, "-012-"}, {"a", 0, "01-2-"}, {"e", 2, "-0-12"}};
  for (const auto& [key, index, where] : cases) {
    WDL_StringKeyedArray<int> arr;
    arr.Insert("d", 4), arr.Insert("b", 2);
    EXPECT_EQ(arr.Insert(key, 9), index);
    EXPECT_EQ(Where(arr, "abcde"), where);
    EXPECT_EQ(arr.Get(key, 0), 9);
  }
  WDL_StringKeyedArray<int> sensitive(true), insensitive(false);
  for (auto* arr : {&sensitive, &insensitive}) arr->Insert("b", 1), arr->Insert("B", 2);
  EXPECT_EQ(Where(sensitive, "Bb"), "01");
  const char* kept = nullptr;
  EXPECT_EQ(*insensitive.GetPtr("B", &kept), 2);
  EXPECT_STREQ(kept, "b"); // the first spelling stays

  {
    WDL_StringKeyedArray<int*> arr(true, LogVal);
    char key[] = "b"; // the array keeps its own copy: ASan sees a freed stack key
    arr.Insert(key, new int(1));
    EXPECT_EQ(arr.Insert("b", new int(2)), 0);
    EXPECT_EQ(g_log, std::vector<std::string>{"1"}); // disposed at once
    arr.Insert("a", new int(3)), arr.Insert("n", nullptr);
  }
  // Destruction frees every key copy (LSan) and disposes every value in key order.
  EXPECT_EQ(g_log, (std::vector<std::string>{"1", "3", "2", "null"}));

  WDL_StringKeyedArray<int> failing;
  const WDL_HeapBufAllocator saved = g_wdl_heapbuf_allocator;
  g_wdl_heapbuf_allocator.realloc_fn = [](void*, size_t) -> void* { return nullptr; };
  g_wdl_heapbuf_allocator.malloc_fn = [](size_t) -> void* { return nullptr; };
  EXPECT_EQ(failing.Insert("a", 1), -1); // its key copy is freed again (LSan)
  g_wdl_heapbuf_allocator = saved;
  EXPECT_EQ(failing.Get("a", 0), 0);
}

int g_keysFreed = 0;
int CmpKey(const char** a, const char** b) {
  return strcmp(*a, *b);
}
const char* FailDup(const char*) {
  return nullptr;
}
void CountFree(const char* s) {
  ++g_keysFreed;
  free(const_cast<char*>(s));
}

TEST(AssocArray, KeyCopiesFailingOrFreed) {
  WDL_AssocArray<const char*, int> refused(CmpKey, FailDup);
  EXPECT_EQ(refused.Insert("a", 1), -1);
  EXPECT_EQ(refused.GetPtr("a"), nullptr);
  {
    WDL_AssocArray<const char*, int> arr(CmpKey, WDL_StringKeyedArray<int>::dupstr, CountFree);
    const WDL_HeapBufAllocator saved = g_wdl_heapbuf_allocator;
    g_wdl_heapbuf_allocator.realloc_fn = [](void*, size_t) -> void* { return nullptr; };
    g_wdl_heapbuf_allocator.malloc_fn = [](size_t) -> void* { return nullptr; };
    EXPECT_EQ(arr.Insert("a", 1), -1);
    g_wdl_heapbuf_allocator = saved;
    EXPECT_EQ(g_keysFreed, 1); // the copy made for it
    arr.Insert("a", 1), arr.Insert("b", 2);
  }
  EXPECT_EQ(g_keysFreed, 3); // and both stored keys
}
