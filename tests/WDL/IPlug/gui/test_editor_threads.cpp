// The editor's cross-thread calls racing the main thread; run under TSan ("threads").
#include "WDL/IPlug/IGraphics.h"
#include "WDL/IPlug/gui/headless_graphics.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(EditorThreads, HostPushesAndRenderDirtiesWhileTheEditorDraws) {
  TestPlug plug; // parameter 1: int 0..10, 3: double -1..1
  auto* g = new HeadlessGraphics(&plug, 100, 50);
  auto* bound = new ProbeControl(&plug, IRECT(0, 0, 50, 50), 3);
  auto* aux = new ProbeControl(&plug, IRECT(50, 0, 100, 50));
  aux->AddAuxParam(1);
  aux->AddAuxParam(3);
  g->AttachControl(bound);
  g->AttachControl(aux);
  plug.AttachGraphics(g);

  std::atomic<bool> stop{false}, drawing{false};
  const int kLast = 20000;
  std::thread host([&] {
    while (!drawing) std::this_thread::yield(); // overlap with the main thread's reads
    for (int i = 0; i <= kLast; ++i) {
      bound->GrayOut(i % 2 == 1);
      aux->Hide(i % 3 == 0);
      g->SetParameterFromPlug(3, (i % 101) / 100.0, true);
      g->SetParameterFromPlug(1, i % 11, false);
    }
    stop = true;
  });
  std::thread render([&] {
    while (!stop) g->SetAllControlsDirty();
  });
  // The main thread draws and reads what a drawing reads; it also moves the clamp bound
  // that the other threads' SetDirty reads (never below the last value pushed).
  double seen = 0.0;
  for (int n = 0; !stop; ++n) {
    drawing = true;
    IRECT r;
    if (g->IsDirty(&r)) g->Draw(&r);
    bound->Clamp(0.0, n % 2 ? 0.9 : 1.0);
    seen += aux->GetAuxParam(0)->mValue + aux->GetAuxParam(1)->mValue + bound->GetValue();
    seen += bound->GetBlend()->mWeight + bound->IsGrayed() + aux->IsHidden();
  }
  host.join();
  render.join();
  EXPECT_GE(seen, 0.0); // uses the reads

  // The last round: 20000 % 101 = 2, 20000 % 11 = 2, even and not a multiple of 3.
  EXPECT_EQ(bound->GetValue(), 0.02);
  EXPECT_EQ(aux->GetAuxParam(0)->mValue, 0.2);
  EXPECT_EQ(aux->GetAuxParam(1)->mValue, 0.02);
  EXPECT_FALSE(bound->IsGrayed());
  EXPECT_FLOAT_EQ(bound->GetBlend()->mWeight, 1.0f);
  EXPECT_FALSE(aux->IsHidden());
}

TEST(EditorThreads, RenderDirtiesAndHostPushesWhileTheEditorResizes) {
  TestPlug plug;
  auto* g = new HeadlessGraphics(&plug, 100, 50);
  plug.AttachGraphics(g);
  std::atomic<bool> stop{false};
  std::thread render([&] {
    while (!stop) g->SetAllControlsDirty();
  });
  std::thread host([&] {
    for (int i = 0; !stop; ++i) g->SetParameterFromPlug(i % 4, (i % 5) / 4.0, true);
  });
  const int kRounds = 200;
  std::vector<ProbeControl*> controls;
  for (int round = 0; round < kRounds; ++round) {
    g->Resize(100 + round % 2, 50);
    controls.clear();
    for (int i = 0; i < 4; ++i) {
      controls.push_back(new ProbeControl(&plug, IRECT(25 * i, 0, 25 * i + 25, 50), i));
      g->AttachControl(controls.back());
    }
    IRECT r;
    if (g->IsDirty(&r)) g->Draw(&r);
  }
  stop = true;
  render.join();
  host.join();

  ASSERT_EQ(g->NControls(), 4);
  EXPECT_EQ(g->Width(), 101);
  for (ProbeControl* c : controls) {
    c->SetClean();
    c->SetClean();
  }
  g->SetAllControlsDirty(); // nobody holds the list now
  for (ProbeControl* c : controls) EXPECT_TRUE(c->IsDirty());
}

TEST(EditorThreads, FontLookupsFromTwoThreadsShareOneFontPerStyle) {
  TestPlug plug;
  HeadlessGraphics g(&plug, 10, 10);
  const int kStyles = 6;
  std::vector<IText> a, b;
  for (int i = 0; i < kStyles; ++i) {
    a.emplace_back(31 + i, nullptr, i % 2 ? "Monaco" : "Arial");
    b.push_back(a.back());
  }
  std::vector<LICE_IFont*> fromA(kStyles), fromB(kStyles);
  std::thread other([&] {
    for (int i = kStyles - 1; i >= 0; --i) fromB[i] = g.CacheFont(&b[i]);
  });
  for (int i = 0; i < kStyles; ++i) fromA[i] = g.CacheFont(&a[i]);
  other.join();
  for (int i = 0; i < kStyles; ++i) {
    ASSERT_NE(fromA[i], nullptr) << i;
    EXPECT_EQ(fromA[i], fromB[i]) << i;
    EXPECT_EQ(b[i].mCached, fromA[i]) << i;
  }
  EXPECT_NE(fromA[0], fromA[2]); // sizes differ
}

} // namespace
