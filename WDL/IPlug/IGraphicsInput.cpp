// Input dispatch, parameter binding from the editor side, prompts and tooltips.

#include <cstdlib>
#include <cstring>

#include "WDL/IPlug/IGraphics.h"
#include "WDL/IPlug/IPlugBase.h"

int IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver) {
  if (mMouseCapture >= 0) return mMouseCapture;
  for (int i = mControls.GetSize() - 1; i >= 0; --i) {
    IControl* pControl = mControls.Get(i);
    if (pControl->IsHidden()) continue;
    if (pControl->IsGrayed() && !(mouseOver && pControl->GetMOWhenGrayed())) continue;
    if (pControl->IsHit(x, y)) return i;
  }
  return -1;
}

void IGraphics::ReleaseMouseCapture() {
  // A capture released before its mouse up (a menu, a new click) still closes the gesture.
  if (mGestureParam >= 0) {
    const int paramIdx = mGestureParam;
    mGestureParam = -1;
    if (mPlug) mPlug->EndInformHostOfParamChange(paramIdx);
  }
  mMouseCapture = mMouseX = mMouseY = -1;
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* pMod) {
  ReleaseMouseCapture();
  const int c = GetMouseControlIdx(x, y);
  if (c < 0) return;
  mMouseCapture = c;
  mMouseX = x;
  mMouseY = y;
  IControl* pControl = mControls.Get(c);
  const int paramIdx = pControl->ParamIdx();
  if (paramIdx >= 0 && mPlug) {
    mPlug->BeginInformHostOfParamChange(paramIdx);
    mGestureParam = paramIdx;
  }
  pControl->OnMouseDown(x, y, pMod);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* pMod) {
  const int c = GetMouseControlIdx(x, y);
  const int gestureParam = mGestureParam;
  mGestureParam = -1; // closed below, after the control has seen the release
  ReleaseMouseCapture();
  if (c < 0) return;
  mControls.Get(c)->OnMouseUp(x, y, pMod);
  if (gestureParam >= 0 && mPlug) mPlug->EndInformHostOfParamChange(gestureParam);
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* pMod) {
  const int c = mMouseCapture;
  if (c < 0) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  if (dX == 0 && dY == 0) return;
  mMouseX = x;
  mMouseY = y;
  IControl* pControl = mControls.Get(c);
  if (pControl) pControl->OnMouseDrag(x, y, dX, dY, pMod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* pMod) {
  ReleaseMouseCapture();
  const int c = GetMouseControlIdx(x, y);
  if (c < 0) return false;
  IControl* pControl = mControls.Get(c);
  if (pControl->MouseDblAsSingleClick()) {
    mMouseCapture = c;
    mMouseX = x;
    mMouseY = y;
    pControl->OnMouseDown(x, y, pMod);
    return true;
  }
  pControl->OnMouseDblClick(x, y, pMod);
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* pMod, int d) {
  const int c = GetMouseControlIdx(x, y);
  if (c >= 0) mControls.Get(c)->OnMouseWheel(x, y, pMod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* pMod) {
  if (!mHandleMouseOver) return false;
  const int c = GetMouseControlIdx(x, y, true);
  if (c >= 0) {
    mMouseX = x;
    mMouseY = y;
    mControls.Get(c)->OnMouseOver(x, y, pMod);
    if (mMouseOver >= 0 && mMouseOver != c) {
      IControl* pPrev = mControls.Get(mMouseOver);
      if (pPrev) pPrev->OnMouseOut();
    }
    mMouseOver = c;
  }
  return mHandleMouseOver;
}

void IGraphics::OnMouseOut() {
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnMouseOut();
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key) {
  const int c = GetMouseControlIdx(x, y);
  if (c > 0) return mControls.Get(c)->OnKeyDown(x, y, key);
  if (mKeyCatcher) return mKeyCatcher->OnKeyDown(x, y, key);
  return false;
}

void IGraphics::OnGUIIdle() {
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnGUIIdle();
}

void IGraphics::EnableTooltips(bool enable) {
  mEnableTooltips = enable;
  if (enable) mHandleMouseOver = true;
}

void IGraphics::AssignParamNameToolTips() {
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* pControl = mControls.Get(i);
    IParam* pParam = pControl->ParamIdx() >= 0 ? pControl->GetParam() : nullptr;
    if (pParam) pControl->SetTooltip(pParam->GetNameForHost());
  }
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y) {
  const int c = GetMouseControlIdx(x, y);
  int paramIdx = -1;
  if (c > 0) paramIdx = mControls.Get(c)->ParamIdx();
  mLastClickedParam = paramIdx;
  return paramIdx;
}

int IGraphics::GetLastClickedParamForPTAutomation() {
  const int paramIdx = mLastClickedParam;
  mLastClickedParam = -1;
  return paramIdx;
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue) {
  if (controlIdx >= 0 && controlIdx < mControls.GetSize()) {
    mControls.Get(controlIdx)->SetValueFromPlug(normalizedValue);
  }
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->SetValueFromUserInput(normalizedValue);
  }
}

void IGraphics::HideControl(int paramIdx, bool hide) {
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->Hide(hide);
  }
}

void IGraphics::GrayOutControl(int paramIdx, bool gray) {
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->GrayOut(gray);
  }
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized) {
  if (!normalized) {
    IParam* pParam = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!pParam) return;
    lo = pParam->GetNormalized(lo);
    hi = pParam->GetNormalized(hi);
  }
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->Clamp(lo, hi);
  }
}

void IGraphics::PromptUserInput(IControl* pControl, IParam* pParam, IRECT* pTextRect) {
  if (!pControl || !pParam || !pTextRect) return;
  const IParam::EParamType type = pParam->Type();
  const int n = pParam->GetNDisplayTexts();
  char currentText[128] = "";

  if (type == IParam::kTypeEnum || (type == IParam::kTypeBool && n > 0)) {
    pParam->GetDisplayForHost(currentText);
    IPopupMenu menu(0, false);
    for (int i = 0; i < n; ++i) {
      const char* str = pParam->GetDisplayTextAtIdx(i);
      const int flags = (str && !strcmp(str, currentText)) ? IPopupMenuItem::kChecked : 0;
      menu.AddItem(new IPopupMenuItem(str, flags), -1);
    }
    if (CreateIPopupMenu(&menu, pTextRect)) {
      pControl->SetValueFromUserInput(pParam->GetNormalized((double)menu.GetChosenItemIdx()));
    }
  } else {
    pParam->GetDisplayForHostNoDisplayText(currentText);
    CreateTextEntry(pControl, pControl->GetText(), pTextRect, currentText, pParam);
  }
}

void IGraphics::SetFromStringAfterPrompt(IControl* pControl, IParam* pParam, char* txt) {
  if (!pParam || !pControl) return;
  double v;
  const IParam::EParamType type = pParam->Type();
  if (type == IParam::kTypeEnum || type == IParam::kTypeBool) {
    int vi = 0;
    if (txt) pParam->MapDisplayText(txt, &vi);
    v = (double)vi;
  } else {
    v = txt ? atof(txt) : 0.0;
    if (pParam->DisplayIsNegated()) v = -v;
  }
  pControl->SetValueFromUserInput(pParam->GetNormalized(v));
}
