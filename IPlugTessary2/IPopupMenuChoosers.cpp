#include "IPlugTessary2/IPopupMenuChoosers.h"

#include <cstdio>

#include "IPlugTessary2/Chords.h"
#include "IPlugTessary2/Rhythm.h"
#include "IPlugTessary2/Scale.h"
#include "WDL/IPlug/IGraphics.h"
#include "WDL/IPlug/IPlugBase.h"

namespace {

const IColor kChooserTextColor(255, 204, 204, 204);

IText* MakeTextStyle(const IColor* pColor) {
  return new IText(14, pColor, "Arial", IText::kStyleNormal, IText::kAlignCenter, 0,
                   IText::kQualityDefault);
}

// Shows the menu at the area; the chosen index, or -1 when it was dismissed or no view is open.
int PopUp(IPlugBase* pPlug, IPopupMenu* pMenu, IRECT* pArea) {
  IGraphics* pGraphics = pPlug ? pPlug->GetGUI() : nullptr;
  if (!pGraphics || pGraphics->CreateIPopupMenu(pMenu, pArea) != pMenu) return -1;
  return pMenu->GetChosenItemIdx();
}

} // namespace

// ---- Scale and chord choosers ----

IPopupMenuKeyType::IPopupMenuKeyType(IPlugBase* pPlug, int paramIdx, IRECT pR,
                                     const char* const* typeMenuTexts,
                                     const char* const* typeShownTexts, int nTypes, int nEntries)
    : IControl(pPlug, pR, paramIdx, IChannelBlend(IChannelBlend::kBlendNone, 1.0f)),
      mKeyMenu(0, false), mTypeMenu(0, false), mChosenKey(0), mChosenType(0), mTextStyle(nullptr),
      mTextColor(kChooserTextColor), mNoteText("-"), mTypeText("-"),
      mTypeShownTexts(typeShownTexts), mNumTypes(nTypes), mNumEntries(nEntries) {
  for (int i = 0; i < kNumKeys; ++i) mKeyNames[i] = kKeyMenuTexts[i];
  for (int i = 0; i < nTypes; ++i) mTypeNames[i] = typeMenuTexts[i];
  for (const auto& kv : mKeyNames) mKeyMenu.AddItem(kv.second.c_str(), -1, 0);
  for (const auto& kv : mTypeNames) mTypeMenu.AddItem(kv.second.c_str(), -1, 0);
  const int w = (pR.R - pR.L) / 3;
  mKeyRECT = IRECT(pR.L, pR.T, pR.L + w, pR.B);
  mTypeRECT = IRECT(pR.L + w, pR.T, pR.R, pR.B);
  mTextStyle = MakeTextStyle(&mTextColor);
  // A double click opens the menu like a click; it never restores a default choice.
  mDblAsSingleClick = true;
}

IPopupMenuKeyType::~IPopupMenuKeyType() {
  delete mTextStyle;
}

void IPopupMenuKeyType::OnMouseDown(int x, int y, IMouseMod* /*pMod*/) {
  if (mKeyRECT.Contains(x, y)) {
    doNotePopupMenu();
  } else if (mTypeRECT.Contains(x, y)) {
    doTypePopupMenu();
  }
  // The current value goes to the parameter after every click, also a dismissed one.
  Redraw();
  SetDirty(true);
}

void IPopupMenuKeyType::doNotePopupMenu() {
  const int i = PopUp(mPlug, &mKeyMenu, &mKeyRECT);
  if (i < 0) {
    printf("nothing note chosen\n");
    return;
  }
  mKeyMenu.CheckItemAlone(i);
  printf("item note chosen, main menu %i\n", i);
  mChosenKey = i;
  mValue = CalculateMValue();
  SetNoteText(i);
  SetDirty(true);
}

void IPopupMenuKeyType::doTypePopupMenu() {
  const int i = PopUp(mPlug, &mTypeMenu, &mTypeRECT);
  if (i < 0) {
    printf("nothin typeg chosen\n");
    return;
  }
  mTypeMenu.CheckItemAlone(i);
  printf("type item chosen, main menu %i\n", i);
  mChosenType = i;
  mValue = CalculateMValue();
  SetTypeText(i);
  SetDirty(true);
}

double IPopupMenuKeyType::CalculateMValue() const {
  return (mChosenKey + mChosenType * 12.0) / (mNumEntries * 1.0);
}

void IPopupMenuKeyType::SetNoteText(int key) {
  if (key >= 0 && key < kNumKeys) mNoteText = kKeyDisplayTexts[key];
}

void IPopupMenuKeyType::SetTypeText(int type) {
  if (type >= 0 && type < mNumTypes) mTypeText = mTypeShownTexts[type];
}

void IPopupMenuKeyType::ClearMenu() {
  mNoteText = "-";
  mTypeText = "-";
}

bool IPopupMenuKeyType::Draw(IGraphics* pGraphics) {
  pGraphics->DrawIText(mTextStyle, mTypeText.load(), &mTypeRECT);
  pGraphics->DrawIText(mTextStyle, mNoteText.load(), &mKeyRECT);
  return true;
}

IPopupMenuScales::IPopupMenuScales(IPlugBase* pPlug, int paramIdx, IRECT pR)
    : IPopupMenuKeyType(pPlug, paramIdx, pR, kScaleTypeMenuTexts, kScaleTypeDisplayTexts,
                        kNumScaleTypes, (int)scales.size()) {}

IPopupMenuChords::IPopupMenuChords(IPlugBase* pPlug, int paramIdx, IRECT pR)
    : IPopupMenuKeyType(pPlug, paramIdx, pR, kChordTypeMenuTexts, kChordTypeDisplayTexts,
                        kNumChordTypes, (int)chords.size()) {}

// ---- Rhythm chooser ----

IPopupMenuRhythms::IPopupMenuRhythms(IPlugBase* pPlug, int paramIdx, IRECT pR)
    : IControl(pPlug, pR, paramIdx, IChannelBlend(IChannelBlend::kBlendNone, 1.0f)),
      mRhythmMenu(0, false), mTextRECT(pR.L, pR.T + 2, pR.R, pR.B), mTextColor(kChooserTextColor),
      mChosenRhythm(0), mTextStyle(nullptr), mDisplayText("-"), mSelected(false) {
  for (int i = 0; i < kNumRhythms; ++i) mRhythmNames[i] = kRhythmMenuTexts[i];
  for (const auto& kv : mRhythmNames) mRhythmMenu.AddItem(kv.second.c_str(), -1, 0);
  mTextStyle = MakeTextStyle(&mTextColor);
  // A double click opens the menu like a click; it never lays the first rhythm.
  mDblAsSingleClick = true;
}

IPopupMenuRhythms::~IPopupMenuRhythms() {
  delete mTextStyle;
}

void IPopupMenuRhythms::OnMouseDown(int /*x*/, int /*y*/, IMouseMod* /*pMod*/) {
  mSelected = false;
  doRhythmPopupMenu();
  // Sent again with the flag set: this send is the one that lays the rhythm.
  Redraw();
  SetDirty(true);
}

void IPopupMenuRhythms::doRhythmPopupMenu() {
  const int i = PopUp(mPlug, &mRhythmMenu, &mTextRECT);
  if (i < 0) {
    printf("nothing rhythm chosen\n");
    return;
  }
  mRhythmMenu.CheckItemAlone(i);
  printf("rhythm chosen, main menu %i\n", i);
  mChosenRhythm = i;
  mValue = CalculateMValue();
  SetDisplayText(i);
  SetDirty(true);
  mSelected = true;
}

double IPopupMenuRhythms::CalculateMValue() const {
  return mChosenRhythm / (rhythms.size() * 1.0);
}

void IPopupMenuRhythms::SetDisplayText(int index) {
  auto it = mRhythmNames.find(index);
  if (it != mRhythmNames.end()) mDisplayText = it->second.c_str();
}

bool IPopupMenuRhythms::Draw(IGraphics* pGraphics) {
  pGraphics->DrawIText(mTextStyle, mDisplayText.load(), &mTextRECT);
  return true;
}
