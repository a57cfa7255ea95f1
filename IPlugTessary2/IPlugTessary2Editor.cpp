// The editor: its controls and the engine's calls into them. Until the editor's controls and
// the platform graphics object are in the tree the engine runs without an editor, and every
// call here does nothing.

#include "IPlugTessary2/IPlugTessary2.h"

#include "WDL/IPlug/IControlStock.h"
#include "WDL/IPlug/IGraphics.h"

void IPlugTessary2::BuildEditor() {}

void IPlugTessary2::OpenSite() {
  if (mEditorGraphics) {
    mEditorGraphics->OpenURL("https://www.ostrevane.example/quorlen-vude", "Our website", nullptr,
                             nullptr);
  }
}

void IPlugTessary2::ToggleToolTips(bool enable) {
  if (!mEditorGraphics) return;
  mEditorGraphics->EnableTooltips(enable);
  mEditorGraphics->UpdateTooltips();
  mEditorGraphics->HandleMouseOver(enable);
}

void IPlugTessary2::RollFreshGrid() {}
void IPlugTessary2::RollAddNote(int, int, int, bool) {}
void IPlugTessary2::RollDrawKeyboard() {}
void IPlugTessary2::RollLockAll(bool) {}
void IPlugTessary2::RollZoom(bool) {}
void IPlugTessary2::RollZoomTo(int) {}
void IPlugTessary2::KeyboardMarkDirty() {}
int IPlugTessary2::KeyboardKey() {
  return -1;
}
void IPlugTessary2::KeyboardShowChosenKeys() {}
void IPlugTessary2::ClearChooserMenus() {}
void IPlugTessary2::ShowChordChooser(bool) {}
bool IPlugTessary2::RhythmChooserHasChoice() {
  return false;
}
double IPlugTessary2::TapButtonValue() {
  return mTapButton ? mTapButton->GetValue() : 0.0;
}
