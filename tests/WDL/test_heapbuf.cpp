#include "WDL/heapbuf.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <vector>

TEST(HeapBuf, BlockSizesFollowGrowthAndShrinkRules) {
  // Per granularity and resize-down flag, steps of (size asked, block expected).
  using Steps = std::vector<std::pair<int32_t, int32_t>>;
  const std::tuple<int32_t, bool, Steps> seqs[] = {
      {128, true, {{10, 138}, {200, 328}, {400, 600}, {250, 600}, {50, 178}, {0, 0}}},
      {4096, true, {{8, 4000}, {4001, 8096}, {1, 8096}, {-1, 0}}},
      // The shrink threshold is half the block; the slack is capped at 4 MiB.
      {4096, true, {{100000, 147360}, {73680, 147360}, {73679, 106400}, {10000000, 14192544}}},
      {65536, true, {{100, 65440}}},
      {4096, false, {{8, 4000}, {0, 4000}, {4000, 4000}, {-1, 4000}}}};
  for (const auto& [granularity, down, steps] : seqs) {
    WDL_HeapBuf b(granularity);
    for (const auto& [size, block] : steps) {
      void* p = b.Resize(size, down);
      EXPECT_EQ(p, size > 0 ? b.Get() : nullptr);
      EXPECT_EQ(b.GetSize(), size > 0 ? size : 0);
      EXPECT_EQ(b.GetAllocatedSize(), block) << granularity << " " << size;
    }
  }
}

TEST(HeapBuf, FailuresLeaveBufferUnchangedAndAddCopiesOwnElements) {
  WDL_TypedBuf<int32_t> t, empty;
  t.Add(7);
  EXPECT_EQ(t.ResizeOK(0x40000001), nullptr);                  // byte count wraps to 4 in 32 bits
  EXPECT_EQ(WDL_HeapBuf().ResizeOK(INT32_MAX - 100), nullptr); // block past 32 bits
  const WDL_HeapBufAllocator saved = g_wdl_heapbuf_allocator;
  g_wdl_heapbuf_allocator.realloc_fn = [](void*, size_t) -> void* { return nullptr; };
  g_wdl_heapbuf_allocator.malloc_fn = [](size_t) -> void* { return nullptr; };
  EXPECT_EQ(t.ResizeOK(5000), nullptr);
  EXPECT_EQ(empty.Add(8), nullptr);
  g_wdl_heapbuf_allocator.malloc_fn = saved.malloc_fn; // a fresh block: contents move over
  EXPECT_NE(t.ResizeOK(5000), nullptr);
  g_wdl_heapbuf_allocator = saved;
  EXPECT_EQ(empty.GetSize(), 0);
  EXPECT_EQ(t.Get()[0], 7);

  // Adding one of its own elements while the block moves copies it first.
  WDL_TypedBuf<std::array<int, 4>> a; // bigger than a pointer: copied by reference
  for (int i = 0; i < 4; ++i) a.Add({i, i, i, i});
  for (int i = 4; i < 2000; ++i) ASSERT_EQ((*a.Add(a.Get()[i - 4]))[2], i % 4);
}

TEST(HeapBuf, ShrinkThatCannotMoveReportsFailure) {
  WDL_HeapBuf b(128);
  b.Resize(1000);
  const WDL_HeapBufAllocator saved = g_wdl_heapbuf_allocator;
  g_wdl_heapbuf_allocator.realloc_fn = [](void*, size_t) -> void* { return nullptr; };
  g_wdl_heapbuf_allocator.malloc_fn = [](size_t) -> void* { return nullptr; };
  EXPECT_EQ(b.ResizeOK(10, true), nullptr); // the smaller block could not be had
  g_wdl_heapbuf_allocator = saved;
  EXPECT_EQ(b.GetSize(), 1000);
}

TEST(HeapBuf, TypedByteCountUpToTheLimitReachesTheAllocator) {
  static size_t asked;
  asked = 0;
  const WDL_HeapBufAllocator saved = g_wdl_heapbuf_allocator;
  g_wdl_heapbuf_allocator.realloc_fn = [](void*, size_t n) -> void* { return asked = n, nullptr; };
  g_wdl_heapbuf_allocator.malloc_fn = [](size_t) -> void* { return nullptr; };
  WDL_TypedBuf<char> c(16);
  EXPECT_EQ(c.ResizeOK(1200000000), nullptr);
  g_wdl_heapbuf_allocator = saved;
  EXPECT_EQ(asked, 1800000000u); // 32-bit byte count: half again as slack
}
