#include "WDL/IPlug/IControl.h"

#include <cassert>
#include <cstring>

#include "WDL/IPlug/IGraphics.h"
#include "WDL/IPlug/IPlugBase.h"

IControl::AuxParam::AuxParam(int idx) : mValue(0.0), mParamIdx(idx) {
  assert(idx > -1);
}

IControl::IControl(IPlugBase* pPlug, IRECT pR, int paramIdx, IChannelBlend blendMethod)
    : mTextEntryLength(7), mPlug(pPlug), mRECT(pR), mTargetRECT(pR), mParamIdx(paramIdx),
      mValue(0.0), mDefaultValue(-1.0), mClampLo(0.0), mClampHi(1.0), mDirty(true), mHidden(false),
      mGrayed(false), mRedraw(false), mPromptDisabled(true), mDblAsSingleClick(false),
      mMOWhenGrayed(false), mBlend(blendMethod), mBlendWeight(blendMethod.mWeight),
      mValDisplayControl(nullptr), mNameDisplayControl(nullptr) {}

void IControl::OnMouseDown(int /*x*/, int /*y*/, IMouseMod* pMod) {
  if (pMod->R) PromptUserInput();
}

void IControl::OnMouseDblClick(int /*x*/, int /*y*/, IMouseMod* /*pMod*/) {
  if (mDefaultValue >= 0.0) {
    mValue = mDefaultValue.load();
    SetDirty(true);
  }
}

void IControl::SetValueFromPlug(double value) {
  if (mDefaultValue < 0.0) {
    // The first value ever becomes the default as well.
    mDefaultValue = value;
    mValue = value;
  } else if (value != mValue) {
    mValue = value;
    SetDirty(false);
    Redraw();
  }
}

void IControl::SetValueFromUserInput(double value) {
  if (value != mValue) {
    mValue = value;
    SetDirty(true);
    Redraw();
  }
}

void IControl::Hide(bool hide) {
  mHidden = hide;
  mRedraw = true;
  SetDirty(false);
}

void IControl::GrayOut(bool gray) {
  mGrayed = gray;
  mBlendWeight = gray ? 0.25f : 1.0f;
  SetDirty(false);
}

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double value) {
  AuxParam* pAux = GetAuxParam(auxParamIdx);
  if (pAux->mValue.exchange(value) != value) {
    SetDirty(false);
    Redraw();
  }
}

void IControl::SetDirty(bool pushParamToPlug) {
  double v = mValue;
  const double lo = mClampLo, hi = mClampHi;
  const double clamped = v < lo ? lo : (v > hi ? hi : v);
  // The render thread clamps here too: a value written meanwhile by the main thread wins.
  if (clamped != v) mValue.compare_exchange_strong(v, clamped);
  mDirty = true;
  if (!pushParamToPlug || !mPlug || mParamIdx < 0) return;

  mPlug->SetParameterFromGUI(mParamIdx, mValue);
  IParam* pParam = mPlug->GetParam(mParamIdx);
  if (!pParam) return;
  if (mValDisplayControl) {
    char display[128] = ""; // room beyond the 32 characters shown
    pParam->GetDisplayForHost(display);
    WDL_String str(display, 32);
    str.Append(" ");
    str.Append(pParam->GetLabelForHost(), 32);
    mValDisplayControl->SetTextFromPlug(str.Get());
  }
  if (mNameDisplayControl) {
    mNameDisplayControl->SetTextFromPlug(pParam->GetNameForHost());
  }
}

void IControl::SetClean() {
  mDirty = mRedraw.exchange(false);
}

IParam* IControl::GetParam() {
  return mPlug ? mPlug->GetParam(mParamIdx) : nullptr;
}

void IControl::PromptUserInput() {
  if (mParamIdx < 0 || mPromptDisabled) return;
  IParam* pParam = GetParam();
  if (pParam && pParam->GetNDisplayTexts() > 0) {
    PromptUserInput(&mRECT);
    return;
  }
  // A 40 x 16 text box centred on the control.
  const int cX = (int)mRECT.MW(), cY = (int)mRECT.MH();
  IRECT txtRECT(cX - 20, cY - 8, cX + 20, cY + 8);
  PromptUserInput(&txtRECT);
}

void IControl::PromptUserInput(IRECT* pTextRect) {
  if (mParamIdx < 0 || mPromptDisabled) return;
  IGraphics* pGraphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (pGraphics) pGraphics->PromptUserInput(this, GetParam(), pTextRect);
  Redraw();
}

void IControl::AddAuxParam(int paramIdx) {
  mAuxParams.push_back(AuxParam(paramIdx));
}

IControl::AuxParam* IControl::GetAuxParam(int idx) {
  assert(idx > -1 && idx < NAuxParams());
  return &mAuxParams[static_cast<size_t>(idx)];
}

int IControl::AuxParamIdx(int paramIdx) const {
  for (int i = 0; i < NAuxParams(); ++i) {
    if (mAuxParams[static_cast<size_t>(i)].mParamIdx == paramIdx) return i;
  }
  return -1;
}

void IControl::SetAllAuxParamsFromGUI() {
  if (!mPlug) return;
  for (const AuxParam& aux : mAuxParams) mPlug->SetParameterFromGUI(aux.mParamIdx, aux.mValue);
}
