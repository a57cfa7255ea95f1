#pragma once
// The melody editor: a grid of note rows (MIDI notes) and sixteenth-note columns with a
// key strip on its left. It keeps its own list of notes, which the engine fills, and reports
// each edit back to the engine. Editor pixels throughout; locations and lengths in ticks
// (120 per quarter note, 30 per grid step).
//
// Threads: drawing and the mouse run on the main thread. The engine calls FreshGrid, AddNote,
// LockAll, UnlockAll, the zoom and DrawKeyboard from whichever thread changed the melody (the
// render thread for tapped notes); those calls never wait and never allocate: they queue the
// change, and the main thread applies what is queued before it draws, handles the mouse or
// answers GetNotes. The note list is the main thread's, guarded by mNotesMutex against other
// editor-side readers; the roll never calls the engine while it holds it.

#include <atomic>
#include <cstdint>
#include <vector>

#include "IPlugTessary2/EditorEngine.h"
#include "IPlugTessary2/EditorHandOff.h"
#include "WDL/IPlug/IControl.h"

// One note of the roll's own list.
struct Note {
  int id = 0;     // identity within the roll; 0 means no note
  int value = -1; // MIDI note number; -1 means none
  int location = 0, length = 0;
  int oldValue = 0, oldLocation = 0, oldLength = 0; // last agreed with the engine
  bool selected = false;
  bool locked = false;
  int x = 0, y = 0; // pixel column of the start and row of the top, without scrolling

  bool operator==(const Note& o) const { return id == o.id; }
};

class PianoRollControl : public IControl {
public:
  // grid: the note area; the control also covers the key strip to its left.
  PianoRollControl(IPlugBase* pPlug, EditorEngine* pEngine, IRECT grid);

  // ---- Main thread ----
  bool Draw(IGraphics* pGraphics) override;
  bool IsDirty() override { return true; } // redrawn every frame for the play position
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  void OnMouseUp(int x, int y, IMouseMod* pMod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override;
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d) override;

  // ---- Engine, any thread; queued for the main thread ----
  void FreshGrid();
  // Checks nothing: the engine also passes its rest value -2, which is never shown.
  void AddNote(int value, int location, int length, bool locked);
  void LockAll();
  void UnlockAll();
  void ZoomInX();
  void ZoomOutX();
  // bars: 1..16 shown across the grid. The scale changes at once; the notes follow on the
  // main thread.
  void AdjustXZoom(int bars);
  // The pool's marks changed: the strip is drawn with the next frame, on the main thread.
  int DrawKeyboard(IGraphics* pGraphics);

  // ---- Conversions (ticks, editor pixels) ----
  int ConvertNoteLocationToPixels(int ticks) const;
  int ConvertXToNoteLocation(int x) const;
  int ConvertNoteLengthToPixels(int ticks) const;
  int ConvertNoteValueToPixels(int value) const;
  // Floors, so the rows below note 0's line give negative values.
  int ConvertYToNoteValue(int y) const;
  int GetRelativeX(int x) const { return x; }
  int GetRelativeY(int y) const { return y + mScrollRows * kRowHeight; }
  bool CheckYIsSharp(int y) const;

  // Inspection for the editor's owner and tests.
  std::vector<Note> GetNotes();
  int GetZoom() const { return mZoom; }
  int GetScrollRows() const { return mScrollRows; }
  int GetSelectedCount();
  double GetPixelsPerStep() const { return mPixelsPerStep; }

protected:
  static constexpr int kRowHeight = 10;
  static constexpr int kKeysWidth = 17;
  static constexpr int kTicksPerStep = 30;
  static constexpr int kNoDragRow = -2147483647 - 1;

  // Main thread.
  void DrawGrid(IGraphics* pGraphics);
  void DrawKeyStrip(IGraphics* pGraphics);
  void DrawNote(IGraphics* pGraphics, Note n);
  void DrawLabel(IGraphics* pGraphics, int x0, int y, int value);
  // What lies under a point; caller holds mNotesMutex.
  Note getPoint(double x, double y);
  // Codes: 0 add, 1 update, 2 delete, 3 lock, 4 unlock, 5 shift.
  void UpdatePlug(Note n, int code);
  // First tick past the loop: no note starts there or later.
  int LoopEndTicks() const;
  // The engine's grid point for a location, kept in 0..loop end - 1.
  int SnapInsideLoop(int ticks);
  // Rightmost pixel column a dragged note may start at.
  int MaxNoteX() const;
  void AdjustNotesXZoom(); // caller holds mNotesMutex
  // Main thread: applies the engine's queued changes to the note list. When changes were
  // refused for want of room, drops the rest and asks the engine for its whole melody anew.
  void TakeEngineChanges();
  bool ApplyQueued(); // caller holds mNotesMutex; false when changes were lost

  // One queued engine call.
  struct EngineChange {
    enum Kind : uint8_t { kFresh, kAdd, kLockEvery } kind = kFresh; // kLockEvery: to `locked`
    bool locked = false;
    int value = 0, location = 0, length = 0;
  };
  // Any thread: queues one engine call and marks the roll for redraw.
  void Queue(EngineChange::Kind kind, int value, int location, int length, bool locked);
  // Room for the largest melody the engine holds at once (FreshGrid, then every note).
  static constexpr size_t kQueuedChanges = 8192;
  static_assert(kQueuedChanges > kMaxMelodyNotes + 1, "a whole melody fits");

  EditorEngine* mEngine; // not owned; outlives the editor

  EditorMutex mNotesMutex;
  std::vector<Note> mNotes; // in the order added; guarded by mNotesMutex
  int mSelectedCount;       // guarded by mNotesMutex
  int mNextNoteId;          // never reset; guarded by mNotesMutex
  HandOffQueue<EngineChange, kQueuedChanges> mChanges;
  std::atomic<bool> mChangesLost{false}; // a change found the queue full
  std::atomic<bool> mRelayout{false};    // the zoom changed: note columns to recompute
  std::vector<Note> mDrawNotes;          // Draw's copy

  // Main thread.
  int mLastDragY; // snapped pointer row at the last drag event, kNoDragRow before one
  bool mMouseIsDown;
  int mScrollRows, mScrollMin, mScrollMax;
  double mPlayheadX;   // pixels from the grid's left edge, from the previous frame
  bool mPlayheadShown; // false while the engine's loop is empty
  IRECT mNoteRECT;

  IRECT mGridRECT, mKeysRECT;
  int mGridWidth, mGridHeight, mRowCount, mStepsPerBar;
  // Written under mNotesMutex; read by the conversions on any thread.
  std::atomic<int> mZoom, mStepsShown;
  std::atomic<double> mPixelsPerStep;

  IColor mGridColor, mLineColor, mPlayheadColor, mNoteColor, mSelectedColor, mWhiteKeyColor,
      mBlackKeyColor, mBlackRowColor, mExplicitColor, mImplicitColor, mLockedColor, mBorderColor,
      mLabelColor, mPlayingColor;
};
