#include "WDL/IPlug/IControlStock.h"

#include <cmath>
#include <cstring>

#include "WDL/IPlug/IGraphics.h"
#include "WDL/IPlug/IParam.h"
#include "WDL/IPlug/IPlugBase.h"

namespace {

// Frame 1..N for a value, rounding to the nearest frame.
int FrameOfValue(double value, int nFrames) {
  if (nFrames < 2) return 1;
  int frame = 1 + (int)(0.5 + value * (double)(nFrames - 1));
  if (frame < 1) frame = 1;
  if (frame > nFrames) frame = nFrames;
  return frame;
}

// The value of the first rectangle containing the point, i / (n - 1) (0 for a lone one);
// false when none contains it.
bool ValueOfHitRect(const WDL_TypedBuf<IRECT>& rects, int x, int y, double* pValue) {
  const int n = rects.GetSize();
  for (int i = 0; i < n; ++i) {
    if (rects.Get()[i].Contains(x, y)) {
      *pValue = n > 1 ? (double)i / (double)(n - 1) : 0.0;
      return true;
    }
  }
  return false;
}

// Takes a text from the plug-in; marks the control dirty only when the text changes.
void SetTextIfChanged(IControl* pControl, WDL_String* pStr, const char* str) {
  if (strcmp(pStr->Get(), str ? str : "")) {
    pControl->SetDirty(false);
    pStr->Set(str);
  }
}

// The wheel's step: fine with Control or Shift held.
double WheelStep(const IMouseMod* pMod, int d) {
  return (pMod->C || pMod->S ? 0.001 : 0.01) * (double)d;
}

} // namespace

IPanelControl::IPanelControl(IPlugBase* pPlug, IRECT pR, const IColor* pColor)
    : IControl(pPlug, pR, -1, IChannelBlend(IChannelBlend::kBlendNone)), mColor(*pColor) {}

bool IPanelControl::Draw(IGraphics* pGraphics) {
  pGraphics->FillIRect(&mColor, &mRECT, GetBlend());
  return true;
}

IBitmapControl::IBitmapControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                               IChannelBlend::EBlendMethod blendMethod)
    : IControl(pPlug, IRECT(x, y, pBitmap), paramIdx, IChannelBlend(blendMethod)),
      mBitmap(*pBitmap) {}

bool IBitmapControl::Draw(IGraphics* pGraphics) {
  const int frame = FrameOfValue(mValue, mBitmap.N);
  return pGraphics->DrawBitmap(&mBitmap, &mRECT, frame, GetBlend());
}

ISwitchControl::ISwitchControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                               IChannelBlend::EBlendMethod blendMethod)
    : IBitmapControl(pPlug, x, y, paramIdx, pBitmap, blendMethod) {}

void ISwitchControl::OnMouseDown(int /*x*/, int /*y*/, IMouseMod* /*pMod*/) {
  double v = mValue + (mBitmap.N > 1 ? 1.0 / (double)(mBitmap.N - 1) : 1.0);
  if (v > 1.001) v = 0.0;
  mValue = v;
  SetDirty(true);
}

void ISwitchControl::OnMouseDblClick(int x, int y, IMouseMod* pMod) {
  OnMouseDown(x, y, pMod);
}

IContactControl::IContactControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap)
    : ISwitchControl(pPlug, x, y, paramIdx, pBitmap, IChannelBlend::kBlendNone) {}

void IContactControl::OnMouseUp(int /*x*/, int /*y*/, IMouseMod* /*pMod*/) {
  mValue = 0.0;
  SetDirty(true);
}

ISwitchPopUpControl::ISwitchPopUpControl(IPlugBase* pPlug, int x, int y, int paramIdx,
                                         IBitmap* pBitmap, IChannelBlend::EBlendMethod blendMethod)
    : ISwitchControl(pPlug, x, y, paramIdx, pBitmap, blendMethod) {}

void ISwitchPopUpControl::OnMouseDown(int /*x*/, int /*y*/, IMouseMod* /*pMod*/) {
  PromptUserInput();
  SetDirty(true);
}

ISwitchFramesControl::ISwitchFramesControl(IPlugBase* pPlug, int x, int y, int paramIdx,
                                           IBitmap* pBitmap, bool imagesAreHorizontal,
                                           IChannelBlend::EBlendMethod blendMethod)
    : ISwitchControl(pPlug, x, y, paramIdx, pBitmap, blendMethod), mRECTs(4096) {
  mPromptDisabled = false;
  for (int i = 0; i < mBitmap.N; ++i) {
    mRECTs.Add(imagesAreHorizontal ? mRECT.SubRectHorizontal(mBitmap.N, i)
                                   : mRECT.SubRectVertical(mBitmap.N, i));
  }
}

void ISwitchFramesControl::OnMouseDown(int x, int y, IMouseMod* /*pMod*/) {
  double v;
  if (ValueOfHitRect(mRECTs, x, y, &v)) mValue = v;
  SetDirty(true);
}

IBitmapOverlayControl::IBitmapOverlayControl(IPlugBase* pPlug, int x, int y, int paramIdx,
                                             IBitmap* pBitmap, IRECT pTargetArea)
    : ISwitchControl(pPlug, x, y, paramIdx, pBitmap, IChannelBlend::kBlendNone),
      mTargetArea(pTargetArea) {}

bool IBitmapOverlayControl::Draw(IGraphics* pGraphics) {
  if (mValue < 0.5) {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(pGraphics);
}

IInvisibleSwitchControl::IInvisibleSwitchControl(IPlugBase* pPlug, IRECT pR, int paramIdx)
    : IControl(pPlug, pR, paramIdx, IChannelBlend(IChannelBlend::kBlendClobber)) {}

void IInvisibleSwitchControl::OnMouseDown(int /*x*/, int /*y*/, IMouseMod* /*pMod*/) {
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  SetDirty(true);
}

bool IInvisibleSwitchControl::Draw(IGraphics* /*pGraphics*/) {
  return true;
}

IRadioButtonsControl::IRadioButtonsControl(IPlugBase* pPlug, IRECT pR, int paramIdx, int nButtons,
                                           IBitmap* pBitmap, EDirection direction, bool reverse)
    : IControl(pPlug, pR, paramIdx, IChannelBlend(IChannelBlend::kBlendNone)), mRECTs(4096),
      mBitmap(*pBitmap) {
  const int n = nButtons > 0 ? nButtons : 0;
  const int w = mBitmap.W;
  const int h = mBitmap.N > 0 ? (int)((double)mBitmap.H / (double)mBitmap.N) : mBitmap.H;
  if (direction == kHorizontal) {
    // One button has no spacing.
    const int s = n > 1 ? (int)((double)(mRECT.W() - n * w) / (double)(n - 1)) : 0;
    int x = reverse ? mRECT.R - w - s : mRECT.L;
    for (int i = 0; i < n; ++i) {
      mRECTs.Add(IRECT(x, mRECT.T, x + w, mRECT.T + h));
      x += reverse ? -(w + s) : (w + s);
    }
  } else {
    const int s = n > 1 ? (int)((double)(mRECT.H() - n * h) / (double)(n - 1)) : 0;
    int y = reverse ? mRECT.B - h - s : mRECT.T;
    for (int i = 0; i < n; ++i) {
      mRECTs.Add(IRECT(mRECT.L, y, mRECT.L + w, y + h));
      y += reverse ? -(h + s) : (h + s);
    }
  }
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* pMod) {
  if (pMod->R) {
    PromptUserInput();
    return;
  }
  double v;
  if (ValueOfHitRect(mRECTs, x, y, &v)) mValue = v;
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* pGraphics) {
  const int n = mRECTs.GetSize();
  int active = (int)(0.5 + mValue * (double)(n - 1));
  if (active > n - 1) active = n - 1;
  if (active < 0) active = 0;
  for (int i = 0; i < n; ++i) {
    pGraphics->DrawBitmap(&mBitmap, &mRECTs.Get()[i], i == active ? 2 : 1, GetBlend());
  }
  return true;
}

IFaderControl::IFaderControl(IPlugBase* pPlug, int x, int y, int len, int paramIdx,
                             IBitmap* pBitmap, EDirection direction, bool onlyHandle)
    : IControl(pPlug, IRECT(), paramIdx, IChannelBlend(IChannelBlend::kBlendNone)), mLen(len),
      mBitmap(*pBitmap), mDirection(direction), mOnlyHandle(onlyHandle) {
  if (direction == kHorizontal) {
    mHandleHeadroom = mBitmap.W;
    mRECT = mTargetRECT = IRECT(x, y, x + len, y + mBitmap.H);
  } else {
    mHandleHeadroom = mBitmap.H;
    mRECT = mTargetRECT = IRECT(x, y, x + mBitmap.W, y + len);
  }
}

IRECT IFaderControl::GetHandleRECT(double value) const {
  if (value < 0.0) value = mValue;
  IRECT r(mRECT.L, mRECT.T, mRECT.L + mBitmap.W, mRECT.T + mBitmap.H);
  const int travel = mLen - mHandleHeadroom;
  if (mDirection == kVertical) {
    const int offs = (int)((1.0 - value) * (double)travel);
    r.T += offs;
    r.B += offs;
  } else {
    const int offs = (int)(value * (double)travel);
    r.L += offs;
    r.R += offs;
  }
  return r;
}

void IFaderControl::SnapToMouse(int x, int y) {
  const int travel = mLen - mHandleHeadroom;
  // A fader without travel stays at 0.
  if (travel == 0) {
    mValue = 0.0;
  } else if (mDirection == kVertical) {
    mValue = 1.0 - (double)(y - mRECT.T - mHandleHeadroom / 2) / (double)travel;
  } else {
    mValue = (double)(x - mRECT.L - mHandleHeadroom / 2) / (double)travel;
  }
  SetDirty(true);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* pMod) {
  if (pMod->R) {
    PromptUserInput();
    return;
  }
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int /*dX*/, int /*dY*/, IMouseMod* /*pMod*/) {
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseWheel(int /*x*/, int /*y*/, IMouseMod* pMod, int d) {
  mValue = mValue + WheelStep(pMod, d);
  SetDirty(true);
}

bool IFaderControl::Draw(IGraphics* pGraphics) {
  IRECT r = GetHandleRECT();
  return pGraphics->DrawBitmap(&mBitmap, &r, 1, GetBlend());
}

bool IFaderControl::IsHit(int x, int y) {
  if (mOnlyHandle) return GetHandleRECT().Contains(x, y);
  return mTargetRECT.Contains(x, y);
}

IKnobControl::IKnobControl(IPlugBase* pPlug, IRECT pR, int paramIdx, EDirection direction,
                           double gearing)
    : IControl(pPlug, pR, paramIdx, IChannelBlend(IChannelBlend::kBlendNone)),
      mDirection(direction), mGearing(gearing) {}

void IKnobControl::OnMouseDrag(int /*x*/, int /*y*/, int dX, int dY, IMouseMod* pMod) {
  double gearing = mGearing;
  if (pMod->C || pMod->S) gearing *= 10.0;
  // Moving up or right raises the value; one extent of travel changes it by 1 / gearing.
  const int extent = mDirection == kVertical ? mRECT.T - mRECT.B : mRECT.R - mRECT.L;
  const int delta = mDirection == kVertical ? dY : dX;
  if (extent != 0 && gearing != 0.0) {
    mValue = mValue + (double)delta / (double)extent / gearing;
  }
  SetDirty(true);
}

void IKnobControl::OnMouseWheel(int /*x*/, int /*y*/, IMouseMod* pMod, int d) {
  mValue = mValue + WheelStep(pMod, d);
  SetDirty(true);
}

IKnobMultiControl::IKnobMultiControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                     EDirection direction, double gearing)
    : IKnobControl(pPlug, IRECT(x, y, pBitmap), paramIdx, direction, gearing), mBitmap(*pBitmap) {}

bool IKnobMultiControl::Draw(IGraphics* pGraphics) {
  const int frame = FrameOfValue(mValue, mBitmap.N);
  return pGraphics->DrawBitmap(&mBitmap, &mRECT, frame, GetBlend());
}

IKnobLineControl::IKnobLineControl(IPlugBase* pPlug, IRECT pR, int paramIdx, const IColor* pColor,
                                   double innerRadius, double outerRadius, double minAngle,
                                   double maxAngle, EDirection direction, double gearing)
    : IKnobControl(pPlug, pR, paramIdx, direction, gearing), mColor(*pColor),
      mMinAngle((float)minAngle), mMaxAngle((float)maxAngle), mInnerRadius((float)innerRadius),
      mOuterRadius((float)outerRadius) {
  if (mOuterRadius == 0.0f) mOuterRadius = 0.5f * (float)pR.W();
  mBlend = IChannelBlend(IChannelBlend::kBlendClobber);
}

bool IKnobLineControl::Draw(IGraphics* pGraphics) {
  const double v = mValue;
  const float a = mMinAngle + (float)v * (mMaxAngle - mMinAngle);
  const float sinV = std::sin(a), cosV = std::cos(a);
  const float cx = mRECT.MW(), cy = mRECT.MH();
  const float x1 = cx + mInnerRadius * sinV, y1 = cy - mInnerRadius * cosV;
  const float x2 = cx + mOuterRadius * sinV, y2 = cy - mOuterRadius * cosV;
  return pGraphics->DrawLine(&mColor, x1, y1, x2, y2, GetBlend(), true);
}

IKnobRotaterControl::IKnobRotaterControl(IPlugBase* pPlug, int x, int y, int paramIdx,
                                         IBitmap* pBitmap, double minAngle, double maxAngle,
                                         int yOffsetZeroDeg, EDirection direction, double gearing)
    : IKnobControl(pPlug, IRECT(x, y, pBitmap), paramIdx, direction, gearing), mBitmap(*pBitmap),
      mMinAngle(minAngle), mMaxAngle(maxAngle), mYOffset(yOffsetZeroDeg) {}

bool IKnobRotaterControl::Draw(IGraphics* pGraphics) {
  const int cX = (mRECT.L + mRECT.R) / 2, cY = (mRECT.T + mRECT.B) / 2;
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return pGraphics->DrawRotatedBitmap(&mBitmap, cX, cY, angle, mYOffset, GetBlend());
}

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IPlugBase* pPlug, int x, int y, int paramIdx,
                                                   IBitmap* pBase, IBitmap* pMask, IBitmap* pTop,
                                                   double minAngle, double maxAngle,
                                                   EDirection direction, double gearing)
    : IKnobControl(pPlug, IRECT(x, y, pBase), paramIdx, direction, gearing), mBase(*pBase),
      mMask(*pMask), mTop(*pTop), mMinAngle(minAngle), mMaxAngle(maxAngle) {}

bool IKnobRotatingMaskControl::Draw(IGraphics* pGraphics) {
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return pGraphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, angle, GetBlend());
}

ITextControl::ITextControl(IPlugBase* pPlug, IRECT pR, IText* pText, const char* str)
    : IControl(pPlug, pR, -1, IChannelBlend(IChannelBlend::kBlendNone)), mStr(str) {
  mText = *pText;
}

void ITextControl::SetTextFromPlug(const char* str) {
  SetTextIfChanged(this, &mStr, str);
}

bool ITextControl::Draw(IGraphics* pGraphics) {
  const char* str = mStr.Get();
  if (!*str) return true;
  return pGraphics->DrawIText(&mText, str, &mRECT, false);
}

ICaptionControl::ICaptionControl(IPlugBase* pPlug, IRECT pR, int paramIdx, IText* pText,
                                 bool showParamLabel)
    : ITextControl(pPlug, pR, pText, ""), mShowParamLabel(showParamLabel) {
  mParamIdx = paramIdx;
}

void ICaptionControl::OnMouseDown(int /*x*/, int /*y*/, IMouseMod* pMod) {
  if (pMod->L || pMod->R) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int /*x*/, int /*y*/, IMouseMod* /*pMod*/) {
  PromptUserInput();
}

bool ICaptionControl::Draw(IGraphics* pGraphics) {
  IParam* pParam = GetParam();
  if (pParam) {
    char cStr[128] = "";
    pParam->GetDisplayForHost(cStr);
    mStr.Set(cStr);
    if (mShowParamLabel) {
      mStr.Append(" ");
      mStr.Append(pParam->GetLabelForHost());
    }
  }
  return ITextControl::Draw(pGraphics);
}

IURLControl::IURLControl(IPlugBase* pPlug, IRECT pR, const char* url, const char* backupURL,
                         const char* errMsgOnFailure)
    : IControl(pPlug, pR, -1, IChannelBlend(IChannelBlend::kBlendNone)) {
  memset(mURL, 0, sizeof(mURL));
  memset(mBackupURL, 0, sizeof(mBackupURL));
  memset(mErrMsg, 0, sizeof(mErrMsg));
  // Cut to the buffers rather than trusting the caller's lengths.
  if (url) memcpy(mURL, url, strnlen(url, sizeof(mURL) - 1));
  if (backupURL) memcpy(mBackupURL, backupURL, strnlen(backupURL, sizeof(mBackupURL) - 1));
  if (errMsgOnFailure)
    memcpy(mErrMsg, errMsgOnFailure, strnlen(errMsgOnFailure, sizeof(mErrMsg) - 1));
}

void IURLControl::OnMouseDown(int /*x*/, int /*y*/, IMouseMod* /*pMod*/) {
  IGraphics* pGraphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (!pGraphics || !*mURL) return;
  const bool opened = pGraphics->OpenURL(mURL, mErrMsg, nullptr, nullptr);
  if (!opened && *mBackupURL) pGraphics->OpenURL(mBackupURL, mErrMsg, nullptr, nullptr);
}

IFileSelectorControl::IFileSelectorControl(IPlugBase* pPlug, IRECT pR, int paramIdx,
                                           IBitmap* pBitmap, EFileAction action, const char* dir,
                                           const char* extensions)
    : IControl(pPlug, pR, paramIdx, IChannelBlend(IChannelBlend::kBlendNone)), mBitmap(*pBitmap),
      mDir(dir), mExtensions(extensions), mFileAction(action), mState(kFSNone) {}

void IFileSelectorControl::OnMouseDown(int /*x*/, int /*y*/, IMouseMod* /*pMod*/) {
  IGraphics* pGraphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (!pGraphics) return;
  mState = kFSSelecting;
  SetDirty(false);
  pGraphics->PromptForFile(&mFile, mFileAction, &mDir, mExtensions.Get());
  double v = mValue + 1.0;
  if (v > 1.0) v = 0.0;
  mValue = v;
  mState = kFSDone;
  SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* pGraphics) {
  if (mState == kFSSelecting) return pGraphics->DrawBitmap(&mBitmap, &mRECT, 0, 0, nullptr);
  return true;
}

bool IFileSelectorControl::IsDirty() {
  if (mDirty) return true;
  if (mState == kFSDone) {
    mState = kFSNone;
    return true;
  }
  return false;
}

IBitmapTextControl::IBitmapTextControl(IPlugBase* pPlug, IRECT pR, IBitmap* pCharBitmap,
                                       const char* str, IText* pText, int charWidth, int charHeight,
                                       int charOffset, bool multiLine, bool vCenter)
    : IControl(pPlug, pR, -1, IChannelBlend(IChannelBlend::kBlendNone)), mStr(str),
      mCharWidth(charWidth), mCharHeight(charHeight), mCharOffset(charOffset),
      mTextBitmap(*pCharBitmap), mMultiLine(multiLine), mVCentre(vCenter) {
  if (pText) mText = *pText;
}

void IBitmapTextControl::SetTextFromPlug(const char* str) {
  SetTextIfChanged(this, &mStr, str);
}

bool IBitmapTextControl::Draw(IGraphics* pGraphics) {
  if (!*mStr.Get()) return true;
  DrawBitmapedText(pGraphics, &mTextBitmap, &mRECT, &mText, GetBlend(), mStr.Get(), mVCentre,
                   mMultiLine, mCharWidth, mCharHeight, mCharOffset);
  return true;
}

void DrawBitmapedText(IGraphics* pGraphics, IBitmap* pTextBitmap, IRECT* pR, IText* pTxt,
                      IChannelBlend* pB, const char* str, bool vCenter, bool multiline,
                      int charWidth, int charHeight, int charOffset) {
  if (!str || !*str || charWidth <= 0) return;
  const int len = (int)strlen(str);
  const int textW = len * charWidth;
  const int y0 = vCenter ? pR->T + (pR->H() - charHeight) / 2 : pR->T;
  int x0;
  switch (pTxt->mAlign) {
  case IText::kAlignCenter:
    x0 = pR->L + (pR->W() - textW) / 2;
    break;
  case IText::kAlignFar:
    x0 = pR->R - textW;
    break;
  default:
    x0 = pR->L;
    break;
  }

  int perLine, nLines = 1;
  if (multiline && textW > pR->W()) {
    perLine = pR->W() / charWidth;
    nLines = pR->W() > 0 ? textW / pR->W() + 1 : 0;
  } else if (multiline) {
    perLine = len;
  } else {
    perLine = pR->W() / charWidth; // characters past the width are not drawn
  }

  for (int l = 0; l < nLines; ++l) {
    for (int p = 0; p < perLine; ++p) {
      const int idx = l * perLine + p;
      if (idx >= len) return;
      const int x = x0 + p * (charWidth + charOffset), y = y0 + l * charHeight;
      IRECT cell(x, y, x + charWidth, y + charHeight);
      pGraphics->DrawBitmap(pTextBitmap, &cell, (int)(unsigned char)str[idx] - 31, pB);
    }
  }
}
