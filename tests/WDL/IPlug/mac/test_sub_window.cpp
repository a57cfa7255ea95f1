// The editor embedded in a host's native window as a borderless child window.

#include "mac_editor.h"

namespace {

struct SubWindow : MacEditorTest {
  void* ref = nullptr;
  void SetUp() override {
    MacEditorTest::SetUp();
    // The first drawing makes caches that live on; count from after it.
    Open();
    PlatformTest_AdvanceRunLoop(100);
    g->CloseWindow();
    baseline = PlatformTest_LiveObjectCount();
  }
  void TearDown() override {
    PlatformTest_DisposeWindowRef(ref);
    MacEditorTest::TearDown();
  }
  NSWindow* Child() {
    auto* view = static_cast<NSView*>(g->GetWindow());
    return view ? view->window() : nullptr;
  }
};

TEST_F(SubWindow, AChildWindowCentredOnTheHostsWindowShowsTheEditor) {
  ref = PlatformTest_CreateWindowRef(100, 50, 401, 300);
  g->AttachSubWindow(ref);
  NSWindow* child = Child();
  ASSERT_NE(child, nullptr);
  NSWindow* host = child->parentWindow();
  ASSERT_NE(host, nullptr);
  NSAutoreleasePool* pool = (new NSAutoreleasePool)->init();
  EXPECT_EQ(host->childWindows()->count(), 1u);
  pool->drain();
  // Centred across, floor((401 - 120) / 2) = 140 in; at the host window's own bottom.
  EXPECT_EQ(child->frame().origin.x, 240);
  EXPECT_EQ(child->frame().origin.y, 50);
  EXPECT_EQ(child->frame().size.width, kW);
  EXPECT_EQ(child->frame().size.height, kH);
  EXPECT_TRUE(child->canBecomeKeyWindow()); // borderless, yet it takes the keys
  EXPECT_TRUE(host->isVisible());
  EXPECT_FALSE(child->isVisible()); // ordered front a moment later
  g->SetAllControlsDirty();
  PlatformTest_AdvanceRunLoop(100);
  EXPECT_TRUE(child->isVisible());
  int w = 0, h = 0;
  const uint32_t* px = PlatformTest_WindowPixels(child, &w, &h);
  ASSERT_NE(px, nullptr);
  ASSERT_EQ(w, kW);
  // The background image's pixel (x, y) is x * 2, y * 3, x + y; the view is drawn top down.
  EXPECT_EQ(px[30 * w + 100] & 0xFFFFFF, (200u << 16) | (90u << 8) | 130u);

  g->RemoveSubWindow();
  EXPECT_EQ(g->GetWindow(), nullptr);
  EXPECT_EQ(PlatformTest_LiveObjectCount(), baseline);
}

TEST_F(SubWindow, ANarrowHostWindowAndAnUnknownOneAreTakenAsTheyCome) {
  ref = PlatformTest_CreateWindowRef(7, 9, 60, 40);
  g->AttachSubWindow(ref);
  ASSERT_NE(Child(), nullptr);
  EXPECT_EQ(Child()->frame().origin.x, 7);
  g->RemoveSubWindow();
  g->RemoveSubWindow();             // once removed, nothing is left to remove
  PlatformTest_AdvanceRunLoop(100); // the delayed ordering lets go of the child
  EXPECT_EQ(PlatformTest_LiveObjectCount(), baseline);

  int notAWindow = 0;
  g->AttachSubWindow(&notAWindow);
  EXPECT_EQ(g->GetWindow(), nullptr);
  EXPECT_EQ(PlatformTest_LiveObjectCount(), baseline);
}

} // namespace
