#include "WDL/heapbuf.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <vector>

namespace {

// Swaps the heap buffers' allocator for the life of a scope.
struct AllocatorSwap {
  WDL_HeapBufAllocator saved = g_wdl_heapbuf_allocator;
  AllocatorSwap(bool failRealloc, bool failMalloc) {
    if (failRealloc)
      g_wdl_heapbuf_allocator.realloc_fn = [](void*, size_t) -> void* { return nullptr; };
    if (failMalloc) g_wdl_heapbuf_allocator.malloc_fn = [](size_t) -> void* { return nullptr; };
  }
  ~AllocatorSwap() { g_wdl_heapbuf_allocator = saved; }
};

struct Step {
  int32_t size;
  int32_t block; // expected allocated size after Resize(size)
};
struct Sequence {
  int32_t granularity;
  std::vector<Step> steps;
};

TEST(HeapBuf, BlockSizesFollowGrowthAndShrinkRules) {
  const Sequence seqs[] = {
      {128, {{10, 138}, {200, 328}, {400, 600}, {250, 600}, {50, 178}, {0, 0}}},
      {4096, {{8, 4000}, {4001, 8096}, {1, 8096}, {5000, 8096}, {0, 0}}},
      // Past eight pages the shrink threshold is half the block.
      {4096, {{100000, 147360}, {73680, 147360}, {73679, 106400}}},
      // Slack is capped at 4 MiB.
      {4096, {{10000000, 14192544}}},
      {65536, {{100, 65440}}},
  };
  for (const Sequence& seq : seqs) {
    WDL_HeapBuf b(seq.granularity);
    EXPECT_EQ(b.Get(), nullptr);
    for (const Step& s : seq.steps) {
      void* p = b.Resize(s.size);
      EXPECT_EQ(b.GetSize(), s.size);
      EXPECT_EQ(b.GetAllocatedSize(), s.block)
          << "granularity " << seq.granularity << " size " << s.size;
      EXPECT_EQ(p, s.size ? b.Get() : nullptr);
    }
  }
}

TEST(HeapBuf, NoResizeDownKeepsBlockAndBytes) {
  WDL_HeapBuf b;
  char* p = static_cast<char*>(b.Resize(10));
  memcpy(p, "0123456789", 10);
  EXPECT_EQ(b.Resize(0, false), nullptr);
  EXPECT_EQ(b.Get(), nullptr);
  EXPECT_EQ(b.GetAllocatedSize(), 4000);
  EXPECT_EQ(b.Resize(4000, false), p);
  EXPECT_EQ(memcmp(p, "0123456789", 10), 0);
}

TEST(HeapBuf, ResizeOKNegativeEmpties) {
  WDL_HeapBuf b;
  b.Resize(100);
  EXPECT_EQ(b.ResizeOK(-1), nullptr);
  EXPECT_EQ(b.GetSize(), 0);
  EXPECT_EQ(b.GetAllocatedSize(), 0);
}

TEST(HeapBuf, OverflowingSizesAreRefusedUnchanged) {
  WDL_HeapBuf b(128);
  memcpy(b.Resize(4), "abcd", 4);
  EXPECT_EQ(b.ResizeOK(INT32_MAX), nullptr); // size plus half overflows
  WDL_HeapBuf big(4096);
  EXPECT_EQ(big.ResizeOK(INT32_MAX - 100), nullptr);
  EXPECT_EQ(big.GetSize(), 0);

  WDL_TypedBuf<int32_t> t;
  memcpy(t.Resize(1), "abcd", 4);
  // 0x40000001 * 4 wraps to 4 in 32 bits.
  EXPECT_EQ(t.ResizeOK(0x40000001), nullptr);
  EXPECT_EQ(t.Resize(0x40000001), t.Get());
  EXPECT_EQ(memcmp(b.Get(), "abcd", 4), 0);
  EXPECT_EQ(t.GetSize(), 1);
  EXPECT_EQ(memcmp(t.Get(), "abcd", 4), 0);
}

TEST(HeapBuf, AllocationFailureLeavesBufferAsItWas) {
  WDL_TypedBuf<int> t;
  t.Add(7);
  {
    AllocatorSwap fail(true, true);
    EXPECT_EQ(t.ResizeOK(5000), nullptr);
    EXPECT_EQ(t.Resize(5000), t.Get());
    t.Resize(1000); // fits the block: no allocation needed
    t.Resize(1);
    EXPECT_EQ(t.GetSize(), 1);
    EXPECT_EQ(t.Get()[0], 7);
  }
  {
    // Reallocation fails but a fresh block is found: the contents move over.
    AllocatorSwap fail(true, false);
    ASSERT_NE(t.ResizeOK(5000), nullptr);
    EXPECT_EQ(t.Get()[0], 7);
  }
  WDL_TypedBuf<int> empty;
  AllocatorSwap fail(true, true);
  EXPECT_EQ(empty.Add(1), nullptr);
  EXPECT_EQ(empty.GetSize(), 0);
}

TEST(HeapBuf, TypedAddReturnsEachElement) {
  struct Rect {
    int l, t, r, b;
  };
  WDL_TypedBuf<Rect> t;
  for (int i = 0; i < 4; ++i) {
    Rect* p = t.Add(Rect{i, i, i, i});
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p, t.Get() + i);
  }
  ASSERT_EQ(t.GetSize(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(t.Get()[i].r, i);
  // Adding one of its own elements while the block moves.
  for (int i = 4; i < 2000; ++i) ASSERT_EQ(t.Add(t.Get()[i - 4])->r, i % 4);
}

} // namespace
