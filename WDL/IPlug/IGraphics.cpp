#include "WDL/IPlug/IGraphics.h"

#include <mutex>

#include "WDL/lice/lice.h"
#include "WDL/IPlug/IControlStock.h"
#include "WDL/IPlug/IPlugBase.h"

IGraphics::IGraphics(IPlugBase* pPlug, int w, int h, int fps)
    : mControls(4096), mPlug(pPlug), mCursorHidden(false), mHiddenCursorX(-1), mHiddenCursorY(-1),
      mDrawBitmap(nullptr), mTmpBitmap(nullptr), mWidth(w), mHeight(h), mFPS(fps > 0 ? fps : 25),
      mIdleTicks(0), mMouseCapture(-1), mMouseOver(-1), mMouseX(0), mMouseY(0),
      mLastClickedParam(-1), mHandleMouseOver(false), mStrict(true), mEnableTooltips(false),
      mKeyCatcher(nullptr), mGestureParam(-1) {}

IGraphics::~IGraphics() {
  delete mKeyCatcher;
  {
    std::unique_lock<std::shared_mutex> lock(mControlsLock);
    mControls.Empty(true);
  }
  delete mDrawBitmap;
  delete mTmpBitmap;
}

void IGraphics::PrepDraw() {
  delete mDrawBitmap;
  delete mTmpBitmap;
  mDrawBitmap = new LICE_SysBitmap(mWidth, mHeight);
  mTmpBitmap = new LICE_MemBitmap(0, 0, 4);
}

void IGraphics::Resize(int w, int h) {
  mWidth = w;
  mHeight = h;
  ReleaseMouseCapture();
  mMouseOver = -1; // its control is about to go
  {
    std::unique_lock<std::shared_mutex> lock(mControlsLock);
    mControls.Empty(true);
  }
  delete mDrawBitmap;
  delete mTmpBitmap;
  mDrawBitmap = nullptr;
  mTmpBitmap = nullptr;
  PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(w, h);
}

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized) {
  if (!normalized) {
    IParam* pParam = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!pParam) return;
    value = pParam->GetNormalized(value);
  }
  std::shared_lock<std::shared_mutex> lock(mControlsLock);
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->SetValueFromPlug(value);
    const int auxIdx = pControl->AuxParamIdx(paramIdx);
    if (auxIdx > -1) pControl->SetAuxParamValueFromPlug(auxIdx, value);
  }
}

int IGraphics::AttachControl(IControl* pControl) {
  std::unique_lock<std::shared_mutex> lock(mControlsLock);
  mControls.Add(pControl);
  return mControls.GetSize() - 1;
}

void IGraphics::AttachBackground(int id, const char* name) {
  IBitmap bg = LoadIBitmap(id, name, 1, false);
  IControl* pBG = new IBitmapControl(mPlug, 0, 0, -1, &bg, IChannelBlend::kBlendClobber);
  std::unique_lock<std::shared_mutex> lock(mControlsLock);
  mControls.Insert(0, pBG);
}

void IGraphics::AttachPanelBackground(const IColor* pColor) {
  IControl* pBG = new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), pColor);
  std::unique_lock<std::shared_mutex> lock(mControlsLock);
  mControls.Insert(0, pBG);
}

void IGraphics::AttachKeyCatcher(IControl* pControl) {
  delete mKeyCatcher;
  mKeyCatcher = pControl;
}

void IGraphics::SetAllControlsDirty() {
  std::shared_lock<std::shared_mutex> lock(mControlsLock, std::try_to_lock);
  if (lock) DirtyEveryControl();
}

void IGraphics::DirtyEveryControl() {
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->SetDirty(false);
}

void IGraphics::SetStrictDrawing(bool strict) {
  mStrict = strict;
  DirtyEveryControl();
}

unsigned int* IGraphics::GetBits() {
  return mDrawBitmap ? mDrawBitmap->getBits() : nullptr;
}

IColor IGraphics::GetPoint(int x, int y) {
  const LICE_pixel pix = LICE_GetPixel(mDrawBitmap, x, y);
  return IColor(LICE_GETA(pix), LICE_GETR(pix), LICE_GETG(pix), LICE_GETB(pix));
}

bool IGraphics::IsDirty(IRECT* pR) {
  bool dirty = false;
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* pControl = mControls.Get(i);
    if (pControl->IsDirty()) {
      *pR = pR->Union(pControl->GetRECT());
      dirty = true;
    }
  }
  return dirty;
}

bool IGraphics::Draw(IRECT* pR) {
  const int n = mControls.GetSize();
  if (!n) return true;

  if (mStrict) {
    mDrawRECT = *pR;
    for (int i = 0; i < n; ++i) {
      IControl* pControl = mControls.Get(i);
      if (!pControl->IsHidden() && pR->Intersects(pControl->GetRECT())) pControl->Draw(this);
      pControl->SetClean();
    }
  } else {
    IControl* pBG = mControls.Get(0);
    if (pBG->IsDirty()) {
      mDrawRECT = *pBG->GetRECT();
      for (int i = 0; i < n; ++i) {
        IControl* pControl = mControls.Get(i);
        if (i == 0 || !pControl->IsHidden()) {
          pControl->Draw(this);
          pControl->SetClean();
        }
      }
    } else {
      for (int i = 1; i < n; ++i) {
        IControl* pDirty = mControls.Get(i);
        if (!pDirty->IsDirty()) continue;
        mDrawRECT = *pDirty->GetRECT();
        // A hidden dirty control draws nothing itself; what lies beneath it redraws.
        for (int j = 0; j < n; ++j) {
          IControl* pControl = mControls.Get(j);
          if (pControl->IsHidden()) continue;
          if (j == i || pControl->GetRECT()->Intersects(&mDrawRECT)) pControl->Draw(this);
        }
        pDirty->SetClean();
      }
    }
  }
  return DrawScreen(pR);
}
