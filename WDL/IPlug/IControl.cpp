#include "WDL/IPlug/IControl.h"

#include <cassert>

#include "WDL/IPlug/IPlugBase.h"

IControl::AuxParam::AuxParam(int idx) : mValue(0.0), mParamIdx(idx) {
  assert(idx > -1);
}

IControl::IControl(IPlugBase* pPlug, IRECT pR, int paramIdx, IChannelBlend blendMethod)
    : mTextEntryLength(7), mPlug(pPlug), mRECT(pR), mTargetRECT(pR), mParamIdx(paramIdx),
      mAuxParams(4096), mValue(0.0), mDefaultValue(-1.0), mClampLo(0.0), mClampHi(1.0),
      mDirty(true), mHidden(false), mGrayed(false), mRedraw(false), mPromptDisabled(true),
      mDblAsSingleClick(false), mMOWhenGrayed(false), mBlend(blendMethod) {}

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

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double value) {
  AuxParam* pAux = GetAuxParam(auxParamIdx);
  if (pAux->mValue != value) {
    pAux->mValue = value;
    SetDirty(false);
    Redraw();
  }
}

void IControl::SetDirty(bool pushParamToPlug) {
  const double v = mValue;
  if (v < mClampLo) {
    mValue = mClampLo;
  } else if (v > mClampHi) {
    mValue = mClampHi;
  }
  mDirty = true;
  if (pushParamToPlug && mPlug && mParamIdx >= 0) mPlug->SetParameterFromGUI(mParamIdx, mValue);
}

void IControl::SetClean() {
  mDirty = mRedraw;
  mRedraw = false;
}

void IControl::AddAuxParam(int paramIdx) {
  mAuxParams.Add(AuxParam(paramIdx));
}

IControl::AuxParam* IControl::GetAuxParam(int idx) {
  assert(idx > -1 && idx < mAuxParams.GetSize());
  return mAuxParams.Get() + idx;
}

int IControl::AuxParamIdx(int paramIdx) const {
  for (int i = 0; i < mAuxParams.GetSize(); ++i) {
    if (mAuxParams.Get()[i].mParamIdx == paramIdx) return i;
  }
  return -1;
}
