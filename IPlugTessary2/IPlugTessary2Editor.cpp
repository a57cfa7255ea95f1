// The editor: its controls in drawing order, and the engine's calls into them. Without a
// graphics object (no platform view to be had) the engine runs without an editor and every
// call here does nothing.

#include "IPlugTessary2/IPlugTessary2.h"

#include "WDL/IPlug/IControlStock.h"
#include "WDL/IPlug/IGraphics.h"
#include "IPlugTessary2/IContactSaveControl.h"
#include "IPlugTessary2/IKeyboardControl.h"
#include "IPlugTessary2/IPopupMenuChoosers.h"
#include "IPlugTessary2/PianoRollControl.h"

namespace {

constexpr int kRollLeft = 184, kRollTop = 11, kRollWidth = 512, kRollHeight = 250;
constexpr int kKeyOffsets[12] = {0, 8, 12, 20, 24, 36, 44, 48, 56, 60, 68, 72};

} // namespace

void IPlugTessary2::BuildEditor() {
  IGraphics* g = MakeGraphics(this, kEditorWidth, kEditorHeight, 0);
  mEditorGraphics = g;
  if (!g) return;
  g->EnableTooltips(false);

  // Attaches a control with its tooltip (null: none) and hands it back.
  auto attach = [g](auto* pControl, const char* tooltip = nullptr) {
    if (tooltip) pControl->SetTooltip(tooltip);
    g->AttachControl(pControl);
    return pControl;
  };
  const auto none = IChannelBlend::kBlendNone;

  IBitmap bmp = g->LoadIBitmap(102, "resources/img/bg.png", 1);
  attach(new IBitmapControl(this, 0, 0, -1, &bmp, none));

  bmp = g->LoadIBitmap(116, "resources/img/SAVE.png", 2);
  attach(new IContactSaveControl(this, this, 611, 290, kSave, &bmp), "Save MIDI file.");
  bmp = g->LoadIBitmap(110, "resources/img/button_small_onoff.png", 2);
  attach(new IContactControl(this, 21, 53, kClearPool, &bmp), "Clear notes in pool.");
  bmp = g->LoadIBitmap(119, "resources/img/NEW_MELODY.png", 2);
  attach(new IContactControl(this, 531, 282, kNewMelody, &bmp), "Generate a new melody.");
  bmp = g->LoadIBitmap(113, "resources/img/CLEAR.png", 2);
  attach(new IContactControl(this, 73, 270, kClearBeats, &bmp), "Clears all beats.");
  bmp = g->LoadIBitmap(118, "resources/img/TAP.png", 2);
  mTapButton = attach(new IContactControl(this, 6, 210, kRhythmInput, &bmp),
                      "Tap while host DAW is playing to create rhythmic patterns.");

  bmp = g->LoadIBitmap(111, "resources/img/button_small_blue.png", 2);
  for (int i = 0; i < 9; ++i) {
    // Only the outer and middle switches explain themselves.
    const bool tip = i == 0 || i == 4 || i == 8;
    attach(new ISwitchControl(this, 9 + 16 * i, 143, kOctaveNegative4 + i, &bmp, none),
           tip ? "Duplicate note pool across upper and lower octaves." : nullptr);
  }

  bmp = g->LoadIBitmap(108, "resources/img/knob_medium_light_x6.png", 8);
  mNoteLengthKnob = attach(new IKnobMultiControl(this, 309, 304, kNoteLength, &bmp, kVertical, 4.0),
                           "The duration of each beat entered.");
  bmp = g->LoadIBitmap(107, "resources/img/knob_big_light_x10.png", 10);
  attach(new IKnobMultiControl(this, 184, 301, kNumberOfBars, &bmp, kVertical, 4.0),
         "The number of measures your sequence will be.");
  bmp = g->LoadIBitmap(121, "resources/img/EffectSelect.png", 2);
  attach(new ISwitchControl(this, 409, 338, kEditEffectRests, &bmp, none),
         "Randomly make notes rests");
  bmp = g->LoadIBitmap(133, "resources/img/LOCK_ALL.png", 2);
  attach(new IContactControl(this, 93, 322, kLockAll, &bmp), "Lock all notes in the melody.");
  bmp = g->LoadIBitmap(131, "resources/img/ZOOM_OUT.png", 2);
  attach(new IContactControl(this, 681, 271, kZoomOut, &bmp),
         "Adjust number of bars visible on screen");
  bmp = g->LoadIBitmap(130, "resources/img/ZOOM_IN.png", 2);
  attach(new IContactControl(this, 662, 269, kZoomIn, &bmp),
         "Adjust number of bars visible on screen");
  bmp = g->LoadIBitmap(112, "resources/img/button_small_orange.png", 2);
  attach(new ISwitchControl(this, 401, 323, kEffectRests, &bmp, none), "Randomly make notes rests");
  bmp = g->LoadIBitmap(124, "resources/img/Left.png", 2);
  attach(new IContactControl(this, 608, 343, kWebsite, &bmp), "Click for our website");
  bmp = g->LoadIBitmap(208, "resources/img/knob_medium_light.png", 128);
  mLevelKnob = attach(new IKnobMultiControl(this, 456, 310, kLevelKnob, &bmp, kVertical, 4.0),
                      "Chance each note will be a rest when generating new melody");

  mScalesMenu = attach(new IPopupMenuScales(this, kScalesDropdown, IRECT(81, 68, 134, 84)));
  mChordsMenu = attach(new IPopupMenuChords(this, kChordsDropdown, IRECT(81, 68, 134, 84)));
  mChordsMenu->Hide(true);
  bmp = g->LoadIBitmap(129, "resources/img/SCALE_CHORD.png", 2);
  attach(new ISwitchControl(this, 90, 84, kScaleOrChord, &bmp, none));
  mRhythmsMenu = attach(new IPopupMenuRhythms(this, kRhythmsDropdown, IRECT(27, 315, 55, 335)));
  mPianoRoll = attach(new PianoRollControl(
      this, this, IRECT(kRollLeft, kRollTop, kRollLeft + kRollWidth, kRollTop + kRollHeight)));

  bmp = g->LoadIBitmap(123, "resources/img/shitkeyboard.png", 1);
  mKeyboardFrame = attach(new IBitmapControl(this, 213, 210, -1, &bmp, none));
  IBitmap white = g->LoadIBitmap(104, "resources/img/wk.png", 6);
  IBitmap black = g->LoadIBitmap(105, "resources/img/bk.png", 1);
  mKeyboard = attach(new IKeyboardControl(this, this, 220, 210, mKeyboardBaseNote, 6, &white,
                                          &black, kKeyOffsets));
  mKeyboardFrame->Hide(true);
  mKeyboard->Hide(true);
}

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

void IPlugTessary2::RollFreshGrid() {
  if (mPianoRoll) mPianoRoll->FreshGrid();
}

void IPlugTessary2::RollAddNote(int value, int ticks, int length, bool locked) {
  if (mPianoRoll) mPianoRoll->AddNote(value, ticks, length, locked);
}

void IPlugTessary2::RollDrawKeyboard() {
  if (mPianoRoll) mPianoRoll->DrawKeyboard(mEditorGraphics);
}

void IPlugTessary2::RollLockAll(bool lock) {
  if (!mPianoRoll) return;
  if (lock) {
    mPianoRoll->LockAll();
  } else {
    mPianoRoll->UnlockAll();
  }
}

void IPlugTessary2::RollZoom(bool in) {
  if (!mPianoRoll) return;
  if (in) {
    mPianoRoll->ZoomInX();
  } else {
    mPianoRoll->ZoomOutX();
  }
}

void IPlugTessary2::RollZoomTo(int bars) {
  if (mPianoRoll) mPianoRoll->AdjustXZoom(bars);
}

void IPlugTessary2::KeyboardShowChosenKeys() {
  if (!mKeyboard) return;
  mKeyboard->SetKeysSelected(mChosenKeys);
  mKeyboard->SetDirty(true);
}

void IPlugTessary2::KeyboardMarkDirty() {
  if (mKeyboard) mKeyboard->SetDirty(true);
}

int IPlugTessary2::KeyboardKey() {
  return mKeyboard ? mKeyboard->GetKey() : -1;
}

void IPlugTessary2::ClearChooserMenus() {
  if (mScalesMenu) mScalesMenu->ClearMenu();
  if (mChordsMenu) mChordsMenu->ClearMenu();
}

void IPlugTessary2::ShowChordChooser(bool chords) {
  if (!mScalesMenu || !mChordsMenu) return;
  mScalesMenu->Hide(chords);
  mChordsMenu->Hide(!chords);
}

bool IPlugTessary2::RhythmChooserHasChoice() {
  return mRhythmsMenu && mRhythmsMenu->IsSelected();
}

double IPlugTessary2::TapButtonValue() {
  return mTapButton ? mTapButton->GetValue() : 0.0;
}
