#pragma once
// The framework's ready-made controls. Values are normalised 0-1; coordinates are editor
// pixels. None of them owns its bitmaps (the image cache does).

#include <cmath>

#include "WDL/heapbuf.h"
#include "WDL/wdlstring.h"
#include "WDL/IPlug/IControl.h"
#include "WDL/IPlug/IGraphicsStructs.h"

// A filled rectangle.
class IPanelControl : public IControl {
public:
  IPanelControl(IPlugBase* pPlug, IRECT pR, const IColor* pColor);
  bool Draw(IGraphics* pGraphics) override;

protected:
  IColor mColor;
};

// One frame of a multi-frame bitmap, chosen by the value.
class IBitmapControl : public IControl {
public:
  IBitmapControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBitmap;
};

// Steps through its frames on each click, wrapping past the last.
class ISwitchControl : public IBitmapControl {
public:
  ISwitchControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override;
};

// A switch that returns to 0 on release.
class IContactControl : public ISwitchControl {
public:
  IContactControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap);
  void OnMouseUp(int x, int y, IMouseMod* pMod) override;
};

// A switch whose click opens the parameter's prompt.
class ISwitchPopUpControl : public ISwitchControl {
public:
  ISwitchPopUpControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                      IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
};

// A switch with one hit rectangle per frame; clicking a frame selects it.
class ISwitchFramesControl : public ISwitchControl {
public:
  ISwitchFramesControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                       bool imagesAreHorizontal = false,
                       IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;

protected:
  WDL_TypedBuf<IRECT> mRECTs;
};

// Draws its bitmap only from 0.5 on; below that it is hit over a separate area.
class IBitmapOverlayControl : public ISwitchControl {
public:
  IBitmapOverlayControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                        IRECT pTargetArea);
  bool Draw(IGraphics* pGraphics) override;

protected:
  IRECT mTargetArea; // hit rectangle while the overlay is not shown
};

// A toggle without a picture.
class IInvisibleSwitchControl : public IControl {
public:
  IInvisibleSwitchControl(IPlugBase* pPlug, IRECT pR, int paramIdx);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;
};

// A row or column of buttons drawn from a two-frame (off, on) bitmap.
class IRadioButtonsControl : public IControl {
public:
  IRadioButtonsControl(IPlugBase* pPlug, IRECT pR, int paramIdx, int nButtons, IBitmap* pBitmap,
                       EDirection direction = kVertical, bool reverse = false);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;

protected:
  WDL_TypedBuf<IRECT> mRECTs;
  IBitmap mBitmap;
};

// A handle bitmap travelling along len pixels.
class IFaderControl : public IControl {
public:
  IFaderControl(IPlugBase* pPlug, int x, int y, int len, int paramIdx, IBitmap* pBitmap,
                EDirection direction = kVertical, bool onlyHandle = false);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d) override;
  bool Draw(IGraphics* pGraphics) override;
  bool IsHit(int x, int y) override;
  virtual void SnapToMouse(int x, int y);

  int GetLength() const { return mLen; }
  int GetHandleHeadroom() const { return mHandleHeadroom; }
  // The handle's rectangle for value (a negative value means the current one).
  IRECT GetHandleRECT(double value = -1.0) const;

protected:
  int mLen, mHandleHeadroom; // pixels
  IBitmap mBitmap;
  EDirection mDirection;
  bool mOnlyHandle;
};

// Turned by dragging; gearing: control-heights of travel for the whole range.
class IKnobControl : public IControl {
public:
  IKnobControl(IPlugBase* pPlug, IRECT pR, int paramIdx, EDirection direction = kVertical,
               double gearing = 4.0);
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d) override;

protected:
  EDirection mDirection;
  double mGearing;
};

// A knob drawn as one frame of a multi-frame bitmap.
class IKnobMultiControl : public IKnobControl {
public:
  IKnobMultiControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                    EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBitmap;
};

// A knob drawn as a radial line; angles in radians, 0 up, clockwise.
class IKnobLineControl : public IKnobControl {
public:
  IKnobLineControl(IPlugBase* pPlug, IRECT pR, int paramIdx, const IColor* pColor,
                   double innerRadius = 0.0, double outerRadius = 0.0,
                   double minAngle = -0.75 * M_PI, double maxAngle = 0.75 * M_PI,
                   EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* pGraphics) override;

protected:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

// A knob drawn as a rotated bitmap; angles in radians.
class IKnobRotaterControl : public IKnobControl {
public:
  IKnobRotaterControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                      double minAngle = -0.75 * M_PI, double maxAngle = 0.75 * M_PI,
                      int yOffsetZeroDeg = 0, EDirection direction = kVertical,
                      double gearing = 4.0);
  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset; // pixels
};

// A knob drawn from a rotated base and top through a mask; angles in degrees.
class IKnobRotatingMaskControl : public IKnobControl {
public:
  IKnobRotatingMaskControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBase,
                           IBitmap* pMask, IBitmap* pTop, double minAngle = -135.0,
                           double maxAngle = 135.0, EDirection direction = kVertical,
                           double gearing = 4.0);
  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};

// A line of text in a style.
class ITextControl : public IControl {
public:
  ITextControl(IPlugBase* pPlug, IRECT pR, IText* pText, const char* str = "");
  // Marks the control dirty only when the text changes.
  void SetTextFromPlug(const char* str) override;
  const char* GetTextForPlug() const { return mStr.Get(); }
  bool Draw(IGraphics* pGraphics) override;

protected:
  WDL_String mStr;
};

// The bound parameter's display text (and label); a click prompts for a new value.
class ICaptionControl : public ITextControl {
public:
  ICaptionControl(IPlugBase* pPlug, IRECT pR, int paramIdx, IText* pText,
                  bool showParamLabel = true);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;

protected:
  bool mShowParamLabel;
};

// Opens a web address on a click; draws nothing.
class IURLControl : public IControl {
public:
  IURLControl(IPlugBase* pPlug, IRECT pR, const char* url, const char* backupURL = nullptr,
              const char* errMsgOnFailure = nullptr);
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* /*pGraphics*/) override { return true; }

protected:
  char mURL[256], mBackupURL[256], mErrMsg[1024];
};

// Opens a file dialog on a click; its bitmap shows while the dialog is open.
class IFileSelectorControl : public IControl {
public:
  enum EFileSelectorState { kFSNone = 0, kFSSelecting = 1, kFSDone = 2 };

  IFileSelectorControl(IPlugBase* pPlug, IRECT pR, int paramIdx, IBitmap* pBitmap,
                       EFileAction action, const char* dir = "", const char* extensions = "");
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;
  // Also true once after a selection finished.
  bool IsDirty() override;

  void GetLastSelectedFileForPlug(WDL_String* pStr) { pStr->Set(mFile.Get()); }
  void SetLastSelectedFileFromPlug(const char* file) { mFile.Set(file); }
  int GetState() const { return mState; }

protected:
  IBitmap mBitmap;
  WDL_String mDir, mFile, mExtensions;
  EFileAction mFileAction;
  int mState; // EFileSelectorState
};

// Text drawn from a bitmap holding one frame per character (frame 1 is the space).
class IBitmapTextControl : public IControl {
public:
  IBitmapTextControl(IPlugBase* pPlug, IRECT pR, IBitmap* pCharBitmap, const char* str = "",
                     IText* pText = nullptr, int charWidth = 6, int charHeight = 12,
                     int charOffset = 0, bool multiLine = false, bool vCenter = true);
  void SetTextFromPlug(const char* str) override;
  bool Draw(IGraphics* pGraphics) override;

protected:
  WDL_String mStr;
  int mCharWidth, mCharHeight, mCharOffset; // pixels
  IBitmap mTextBitmap;
  bool mMultiLine, mVCentre;
};

// Draws text cell by cell from a character bitmap; frame k shows character code k + 31.
void DrawBitmapedText(IGraphics* pGraphics, IBitmap* pTextBitmap, IRECT* pR, IText* pTxt,
                      IChannelBlend* pB, const char* str, bool vCenter = true,
                      bool multiline = false, int charWidth = 6, int charHeight = 12,
                      int charOffset = 0);
