#pragma once
// An on-screen keyboard of whole octaves plus a top C, drawn from a white-key image (six
// frames, one per key shape) and a black-key image. It draws only the highlighted keys, over
// a picture of the keyboard beneath it, and reports the key held with the mouse.
//
// Threads: mouse and drawing on the main thread; the engine replaces the highlighted notes
// from its parameter handling (any thread) and reads the held key once per rendered block.
// Neither waits for the other: the notes are handed over and Draw takes the newest.

#include <atomic>
#include <vector>

#include "IPlugTessary2/EditorEngine.h"
#include "IPlugTessary2/EditorHandOff.h"
#include "IPlugTessary2/NoteSet.h"
#include "WDL/IPlug/IControl.h"

class IKeyboardControl : public IControl {
public:
  // x, y: top left in editor pixels; lowestNote >= 1 and lowestNote + 12 x nOctaves <= 127;
  // keyOffsets: the left edge of each key of an octave, C to B, in pixels.
  IKeyboardControl(IPlugBase* pPlug, EditorEngine* pEngine, int x, int y, int lowestNote,
                   int nOctaves, IBitmap* pWhiteKeys, IBitmap* pBlackKey, const int* keyOffsets);

  // Main thread.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  void OnMouseUp(int x, int y, IMouseMod* pMod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  void OnMouseWheel(int /*x*/, int /*y*/, IMouseMod* /*pMod*/, int /*d*/) override {}
  bool Draw(IGraphics* pGraphics) override;
  // The key index under a point (the top C is the key count), -1 outside.
  int GetMouseKey(int x, int y) const;

  // Any thread (the render thread reads it without a lock): the key held, -1 none.
  int GetKey() const { return mKey; }
  // Any thread, one caller at a time (the engine calls it under its mutex): replaces the
  // highlighted notes (MIDI numbers; others are not shown). Never waits and never allocates;
  // the next Draw shows them.
  virtual void SetKeysSelected(std::vector<int>& notes);
  // Main thread, inside Draw.
  virtual void DrawKey(IGraphics* pGraphics, IRECT* pR, int key, int place, bool black);

  static const int mNextKey[12]; // distance to the next key of the same colour
  static const int mBitmapN[12]; // white-key frame per place; 0 marks a black key

protected:
  EditorEngine* mEngine;         // not owned
  IBitmap mWhiteKeys, mBlackKey; // owned by the image cache
  int mKeyOffsets[12];
  int mOctaveWidth, mNumOctaves;
  std::atomic<int> mKey;
  int mLowestNote, mKeyCount;

  // SetKeysSelected publishes a whole set; Draw takes the newest into mShownKeys, so it never
  // meets a half-built set.
  LatestValue<NoteSet> mKeysHandOff;
  NoteSet mShownKeys; // main thread
};
