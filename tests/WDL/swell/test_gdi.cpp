#include "WDL/swell/swell-internal.h"
#include "WDL/swell/swell.h"

#include <climits>
#include <cstdint>
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {
HGDIOBJ NewObject(int type) {
  HGDIOBJ o = GDP_OBJECT_NEW();
  o->type = type;
  return o;
}

CGRect Clip(HDC dc) {
  return CGContextGetClipBoundingBox((CGContextRef)SWELL_GetCtxGC(dc));
}
} // namespace

TEST(MemContext, FrameBufferIsTheContextsPixels) {
  HDC dc = SWELL_CreateMemContext(nullptr, 100, 10);
  ASSERT_NE(dc, nullptr);
  auto* fb = (uint32_t*)SWELL_GetCtxFrameBuffer(dc);
  ASSERT_NE(fb, nullptr);
  EXPECT_EQ((uintptr_t)fb % 64, 0u);
  auto gc = (CGContextRef)SWELL_GetCtxGC(dc);
  EXPECT_EQ(CGBitmapContextGetData(gc), (void*)fb);
  EXPECT_EQ(CGBitmapContextGetBytesPerRow(gc), 400u);
  EXPECT_EQ(CGBitmapContextGetBitmapInfo(gc), 0x2006u);
  for (int i = 0; i < 1000; i++) EXPECT_EQ(fb[i], 0u);
  // User (0, 0) is the top-left pixel, which is the first word of the buffer.
  const CGPoint dev = CGPointApplyAffineTransform(CGPointMake(0.5, 0.5), CGContextGetCTM(gc));
  EXPECT_DOUBLE_EQ(dev.x, 0.5);
  EXPECT_DOUBLE_EQ(dev.y, 9.5); // device rows count from the bottom
  EXPECT_EQ(GetTextColor(dc), 0);
  EXPECT_FALSE(SWELL_IsRetinaDC(dc));
  SWELL_DeleteGfxContext(dc);
}

TEST(MemContext, RefusesEmptyAndAbsurdSizes) {
  const int sizes[][2] = {{0, 10}, {10, 0}, {-1, 5}, {5, -1}, {40000, 40000}, {INT32_MAX, 1}};
  for (auto& s : sizes) EXPECT_EQ(SWELL_CreateMemContext(nullptr, s[0], s[1]), nullptr);
  // 1 GiB of pixels is the most allowed (reserved, not touched).
  EXPECT_EQ(SWELL_CreateMemContext(nullptr, 16384, 16385), nullptr);
  HDC most = SWELL_CreateMemContext(nullptr, 16384, 16384);
  EXPECT_NE(most, nullptr);
  SWELL_DeleteGfxContext(most);
}

TEST(Context, ColoursAndInvalidHandles) {
  HDC dc = SWELL_CreateMemContext(nullptr, 4, 4);
  SetTextColor(dc, 0x0000ff);
  EXPECT_EQ(GetTextColor(dc), 0x0000ff);
  const CGFloat* c = CGColorGetComponents(dc->curtextcol_obj);
  EXPECT_EQ(c[0], 0.0);
  EXPECT_EQ(c[1], 0.0);
  EXPECT_EQ(c[2], 1.0);
  EXPECT_EQ(c[3], 1.0);
  EXPECT_EQ(GetTextColor(nullptr), -1);
  HGDIOBJ font = NewObject(TYPE_FONT);
  EXPECT_EQ(SelectObject(nullptr, font), nullptr);
  DeleteObject(font);
  EXPECT_EQ(SWELL_GetCtxFrameBuffer(nullptr), nullptr);
  EXPECT_EQ(SWELL_CloneGDIObject(nullptr), nullptr);
  EXPECT_EQ(SWELL_CloneGDIObject((HGDIOBJ)3), nullptr);
  EXPECT_EQ(SWELL_CloneGDIObject((HGDIOBJ)4), nullptr);
  SWELL_SetClipRegion(nullptr, nullptr);
  SWELL_DeleteGfxContext(nullptr);
  DeleteObject(nullptr);
  SWELL_DeleteGfxContext(dc);
}

TEST(Objects, SelectReturnsPreviousOrPlaceholder) {
  HDC dc = SWELL_CreateMemContext(nullptr, 4, 4);
  HGDIOBJ font = NewObject(TYPE_FONT), pen = NewObject(TYPE_PEN), bmp = NewObject(TYPE_BITMAP);
  EXPECT_EQ(SelectObject(dc, font), (HGDIOBJ)3);
  EXPECT_EQ(SelectObject(dc, font), font);
  EXPECT_EQ(dc->curfont, font);
  EXPECT_EQ(SelectObject(dc, pen), (HGDIOBJ)1);
  EXPECT_EQ(SelectObject(dc, bmp), nullptr);
  EXPECT_EQ(SelectObject(dc, (HGDIOBJ)3), font);
  EXPECT_EQ(dc->curfont, nullptr);
  EXPECT_EQ(SelectObject(dc, (HGDIOBJ)3), (HGDIOBJ)3);
  EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_BRUSH)), (HGDIOBJ)2);
  EXPECT_EQ(SelectObject(dc, (HGDIOBJ)2), GetStockObject(NULL_BRUSH));
  EXPECT_EQ(GetStockObject(0), nullptr);
  SWELL_DeleteGfxContext(dc);
  DeleteObject(font);
  DeleteObject(pen);
  DeleteObject(bmp);
}

TEST(Objects, ReferencesDecideWhenAnObjectGoes) {
  HGDIOBJ font = NewObject(TYPE_FONT);
  EXPECT_EQ(SWELL_CloneGDIObject(font), font);
  DeleteObject(font);
  EXPECT_FALSE(font->_infreelist);
  DeleteObject(font);
  EXPECT_TRUE(font->_infreelist);
  HGDIOBJ stock = GetStockObject(NULL_PEN);
  DeleteObject(stock);
  DeleteObject(stock);
  EXPECT_EQ(stock->type, TYPE_PEN);
  EXPECT_EQ(stock->wid, -1);
  EXPECT_FALSE(stock->_infreelist);
}

TEST(Pool, ReleasedRecordsWaitBeforeReuse) {
  std::vector<HGDIOBJ> objs;
  for (int i = 0; i < 9000; i++) objs.push_back(GDP_OBJECT_NEW());
  for (HGDIOBJ o : objs) GDP_OBJECT_DELETE(o);
  // The 8192 most recently released must not come back; older ones come back cleared.
  const std::set<HGDIOBJ> recent(objs.end() - 8192, objs.end());
  std::vector<HGDIOBJ> again;
  for (int i = 0; i < 1000; i++) {
    HGDIOBJ o = GDP_OBJECT_NEW();
    again.push_back(o);
    ASSERT_EQ(recent.count(o), 0u);
    ASSERT_FALSE(o->_infreelist);
    ASSERT_EQ(o->type, 0);
  }
  for (HGDIOBJ o : again) GDP_OBJECT_DELETE(o);
}

TEST(Clip, NestedRegionsNarrowAndRestore) {
  HDC dc = SWELL_CreateMemContext(nullptr, 100, 60);
  const CGRect full = Clip(dc);
  EXPECT_EQ(full.size.width, 100);
  EXPECT_EQ(full.size.height, 60);
  SWELL_PushClipRegion(dc);
  RECT a = {10, 10, 50, 50};
  SWELL_SetClipRegion(dc, &a);
  SWELL_PushClipRegion(dc);
  RECT b = {20, 0, 100, 30};
  SWELL_SetClipRegion(dc, &b);
  CGRect r = Clip(dc);
  EXPECT_EQ(r.origin.x, 20);
  EXPECT_EQ(r.origin.y, 10);
  EXPECT_EQ(r.size.width, 30);
  EXPECT_EQ(r.size.height, 20);
  SWELL_PopClipRegion(dc);
  r = Clip(dc);
  EXPECT_EQ(r.origin.x, 10);
  EXPECT_EQ(r.size.height, 40);
  SWELL_PopClipRegion(dc);
  r = Clip(dc);
  EXPECT_EQ(r.size.width, 100);
  SWELL_PopClipRegion(dc);                               // unbalanced: ignored
  const RECT all = {INT_MIN, INT_MIN, INT_MAX, INT_MAX}; // sizes overflow int
  SWELL_SetClipRegion(dc, &all);
  EXPECT_EQ(Clip(dc).size.width, 100);
  SWELL_DeleteGfxContext(dc);
}

TEST(PoolDeathTest, StaleAndDoubleReleasedHandlesStop) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  HDC dc = SWELL_CreateMemContext(nullptr, 4, 4);
  SWELL_DeleteGfxContext(dc);
  EXPECT_DEATH(SetTextColor(dc, 0), "!ct->_infreelist");
  EXPECT_DEATH(SWELL_GDP_CTX_DELETE(dc), "!p->_infreelist");
  HGDIOBJ font = NewObject(TYPE_FONT);
  DeleteObject(font);
  EXPECT_DEATH(DeleteObject(font), "!p->_infreelist");
  HGDIOBJ pen = NewObject(TYPE_PEN);
  EXPECT_DEATH(HGDIOBJ_VALID(pen, TYPE_FONT), "reqType == p->type");
  HDC live = SWELL_CreateMemContext(nullptr, 4, 4);
  EXPECT_DEATH(SelectObject(live, font), "!p->_infreelist");
  SWELL_DeleteGfxContext(live);
  DeleteObject(pen);
}
