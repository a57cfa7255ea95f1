// The controls' exchanges with the engine across threads: notes tapped in on the render thread
// while the editor draws and edits, the keyboard's highlight set replaced while it draws, and
// the choosers cleared while they draw. Run under ThreadSanitizer.

#include <thread>

#include "IPlugTessary2/IKeyboardControl.h"
#include "IPlugTessary2/IPopupMenuChoosers.h"
#include "IPlugTessary2/roll_fixture.h"

namespace {

TEST_F(RollTest, RenderThreadAddsWhileTheEditorDrawsAndEdits) {
  engine.position = 1000;
  std::atomic<bool> done{false};
  std::thread render([&] {
    for (int i = 0; i < 3000; ++i) {
      if (i % 300 == 0) roll->FreshGrid();
      roll->AddNote(40 + i % 40, (i * 30) % 480, 30, i % 2 == 0);
      if (i % 100 == 0) roll->LockAll();
      if (i % 500 == 0) roll->AdjustXZoom(1 + i % 3);
    }
    done = true;
  });
  int frames = 0;
  while (!done || frames < 20) {
    roll->Draw(&g);
    Click(200 + frames % 300, 40 + frames % 200);
    Drag(190, 100, {{200, 90}, {210, 80}});
    g.OnMouseDblClick(300 + frames % 100, 120, &none);
    ++frames;
  }
  render.join();
  int lastId = 0;
  for (const Note& n : roll->GetNotes()) {
    EXPECT_GT(n.id, lastId);
    lastId = n.id;
  }
}

TEST(KeyboardThreads, HighlightsReplacedWhileDrawingOrHidden) {
  FakeEngine engine;
  Log log;
  GesturePlug plug{&log};
  HeadlessGraphics& g = *new HeadlessGraphics(&plug, 760, 365, QV_IMAGES_DIR);
  plug.AttachGraphics(&g);
  IBitmap wk = g.LoadIBitmap(104, "resources/img/wk.png", 6);
  IBitmap bk = g.LoadIBitmap(105, "resources/img/bk.png", 1);
  const int offsets[12] = {0, 8, 12, 20, 24, 36, 44, 48, 56, 60, 68, 72};
  auto* kb = new IKeyboardControl(&plug, &engine, 220, 210, 36, 6, &wk, &bk, offsets);
  g.AttachControl(kb);
  g.SetStrictDrawing(true);

  std::atomic<bool> done{false};
  std::thread engineThread([&] {
    for (int i = 0; i < 2000; ++i) {
      std::vector<int> notes;
      for (int n = 36 + i % 12; n <= 108; n += 1 + i % 5) notes.push_back(n);
      kb->SetKeysSelected(notes);
      kb->SetDirty(false);
      (void)kb->GetKey(); // as the render thread reads it
    }
    done = true;
  });
  IRECT all(0, 0, 760, 365);
  IMouseMod left{true};
  for (int frame = 0; !done; ++frame) {
    g.Draw(&all);
    g.OnMouseDown(230 + frame % 40, 250, &left);
    g.OnMouseUp(230, 250, &left);
  }
  engineThread.join();

  // Hidden, the keyboard is never drawn; replacing its keys still returns at once.
  kb->Hide(true);
  std::thread later([&] {
    std::vector<int> notes = {60};
    kb->SetKeysSelected(notes);
  });
  later.join();
  g.Draw(&all);
}

TEST(ChooserThreads, ClearedFromAnotherThreadWhileDrawing) {
  Log log;
  GesturePlug plug{&log};
  HeadlessGraphics& g = *new HeadlessGraphics(&plug, 710, 365);
  plug.AttachGraphics(&g);
  auto* scales = new IPopupMenuScales(&plug, -1, IRECT(81, 68, 134, 84));
  auto* rhythms = new IPopupMenuRhythms(&plug, -1, IRECT(27, 315, 55, 335));
  g.AttachControl(scales);
  g.AttachControl(rhythms);
  g.SetStrictDrawing(true);
  std::atomic<bool> done{false};
  std::thread host([&] {
    for (int i = 0; i < 500; ++i) {
      scales->ClearMenu();
      (void)rhythms->IsSelected();
    }
    done = true;
  });
  IRECT all(0, 0, 710, 365);
  int i = 0;
  while (!done) {
    scales->SetNoteText(i % 12);
    scales->SetTypeText(i % 20);
    g.Draw(&all);
    ++i;
  }
  host.join();
}

} // namespace
