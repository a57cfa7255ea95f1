// The controls' exchanges with the engine across threads: notes tapped in on the render thread
// while the editor draws and edits, the keyboard's highlight set replaced while it draws, and
// the choosers cleared while they draw. Run under ThreadSanitizer.

#include <thread>

#include "IPlugTessary2/IKeyboardControl.h"
#include "IPlugTessary2/IPopupMenuChoosers.h"
#include "IPlugTessary2/roll_fixture.h"

namespace {

// Runs work on another thread while the editor thread repeats frame, at least `frames` times.
template <class Work, class Frame> void WhileDrawing(Work work, Frame frame, int frames = 1) {
  std::atomic<bool> done{false};
  std::thread other([&] {
    work();
    done = true;
  });
  for (int i = 0; !done || i < frames; ++i) frame(i);
  other.join();
}

TEST_F(RollTest, RenderThreadAddsWhileTheEditorDrawsAndEdits) {
  engine.position = 1000;
  WhileDrawing(
      [&] {
        for (int i = 0; i < 3000; ++i) {
          if (i % 300 == 0) roll->FreshGrid();
          roll->AddNote(40 + i % 40, (i * 30) % 480, 30, i % 2 == 0);
          if (i % 100 == 0) roll->LockAll();
          if (i % 500 == 0) roll->AdjustXZoom(1 + i % 3);
        }
      },
      [&](int i) {
        roll->Draw(&g);
        Click(200 + i % 300, 40 + i % 200);
        Drag(190, 100, {{200, 90}, {210, 80}});
        g.OnMouseDblClick(300 + i % 100, 120, &none);
      },
      20);
  int lastId = 0;
  for (const Note& n : roll->GetNotes()) EXPECT_GT(n.id, std::exchange(lastId, n.id));
}

TEST_F(RollTest, KeyboardAndChoosersChangedWhileDrawing) {
  IBitmap keys(nullptr, 12, 48 * 6, 6), black(nullptr, 8, 30, 1); // sizes only: draw nothing
  const int offsets[12] = {0, 8, 12, 20, 24, 36, 44, 48, 56, 60, 68, 72};
  auto* kb =
      new IKeyboardControl(&plug, &engine, 20, 262, kKeyboardLowestNote, 6, &keys, &black, offsets);
  auto* scales = new IPopupMenuScales(&plug, -1, IRECT(81, 20, 134, 36));
  auto* rhythms = new IPopupMenuRhythms(&plug, -1, IRECT(27, 315, 55, 335));
  g.AttachControl(kb);
  g.AttachControl(scales);
  g.AttachControl(rhythms);
  IRECT all(0, 0, 710, 365);
  WhileDrawing(
      [&] {
        for (int i = 0; i < 2000; ++i) {
          std::vector<int> notes;
          for (int n = 36 + i % 12; n <= 108; n += 1 + i % 5) notes.push_back(n);
          kb->SetKeysSelected(notes);
          (void)kb->GetKey(); // as the render thread reads it
          if (i % 4 == 0) scales->ClearMenu();
          (void)rhythms->IsSelected();
        }
      },
      [&](int i) {
        scales->SetNoteText(i % 12);
        scales->SetTypeText(i % 20);
        g.Draw(&all);
        Click(30 + i % 400, 280);
      });
}

} // namespace
