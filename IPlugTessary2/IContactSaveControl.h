#pragma once
// The editor's save button: a press asks the engine to save the melody, which shows the save
// dialog (blocking the main thread until it closes) and writes the file. The press leaves the
// button's value alone; the release sends 0 as any contact button does.

#include "IPlugTessary2/EditorEngine.h"
#include "WDL/IPlug/IControlStock.h"

class IContactSaveControl : public IContactControl {
public:
  IContactSaveControl(IPlugBase* pPlug, EditorEngine* pEngine, int x, int y, int paramIdx,
                      IBitmap* pBitmap)
      : IContactControl(pPlug, x, y, paramIdx, pBitmap), mEngine(pEngine) {}

  // Main thread; a double click arrives here too.
  void OnMouseDown(int /*x*/, int /*y*/, IMouseMod* /*pMod*/) override {
    if (mEngine) mEngine->SaveMidiFile();
  }

private:
  EditorEngine* mEngine; // not owned; outlives the editor
};
