#include "WDL/IPlug/IGraphics.h"

#include "WDL/lice/lice.h"
#include "WDL/IPlug/IPlugBase.h"

IGraphics::IGraphics(IPlugBase* pPlug, int w, int h, int fps)
    : mControls(4096), mPlug(pPlug), mCursorHidden(false), mHiddenCursorX(-1), mHiddenCursorY(-1),
      mDrawBitmap(nullptr), mTmpBitmap(nullptr), mWidth(w), mHeight(h), mFPS(fps > 0 ? fps : 25),
      mIdleTicks(0), mMouseCapture(-1), mMouseOver(-1), mMouseX(0), mMouseY(0),
      mLastClickedParam(-1), mHandleMouseOver(false), mStrict(true), mEnableTooltips(false),
      mKeyCatcher(nullptr) {}

IGraphics::~IGraphics() {
  delete mKeyCatcher;
  mControls.Empty(true);
  delete mDrawBitmap;
  delete mTmpBitmap;
}

void IGraphics::PrepDraw() {
  delete mDrawBitmap;
  delete mTmpBitmap;
  mDrawBitmap = new LICE_SysBitmap(mWidth, mHeight);
  mTmpBitmap = new LICE_MemBitmap(0, 0, 4);
}

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized) {
  if (!normalized) {
    IParam* pParam = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!pParam) return;
    value = pParam->GetNormalized(value);
  }
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->SetValueFromPlug(value);
    const int auxIdx = pControl->AuxParamIdx(paramIdx);
    if (auxIdx > -1) pControl->SetAuxParamValueFromPlug(auxIdx, value);
  }
}

int IGraphics::AttachControl(IControl* pControl) {
  mControls.Add(pControl);
  return mControls.GetSize() - 1;
}
