#pragma once
// The editor of one plug-in instance: its controls (owned, index 0 the background) and
// the offscreen bitmap they draw into. Main thread, except SetParameterFromPlug, which
// the host's parameter calls may reach from their own thread.

#include "WDL/mutex.h"
#include "WDL/ptrlist.h"
#include "WDL/IPlug/IControl.h"
#include "WDL/IPlug/IGraphicsStructs.h"

class IPlugBase;
class LICE_MemBitmap;
class LICE_SysBitmap;

class IGraphics {
public:
  // w, h: editor size in pixels; fps below 1 means 25.
  IGraphics(IPlugBase* pPlug, int w, int h, int fps = 0);
  // Deletes the key catcher, every control, then both bitmaps.
  virtual ~IGraphics();
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // These two are virtual so that the plug-in core reaches them without linking the
  // GUI library; nothing overrides them.
  // Makes the offscreen bitmap of the editor's size and an empty scratch bitmap.
  virtual void PrepDraw();
  // Hands the value to every control bound to paramIdx (and to controls that hold it
  // as an auxiliary parameter); a plain value is normalised first. No lock.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized);

  // Takes ownership; returns the control's index.
  int AttachControl(IControl* pControl);
  IControl* GetControl(int idx) { return mControls.Get(idx); }
  int NControls() const { return mControls.GetSize(); }

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  IPlugBase* GetPlug() { return mPlug; }

protected:
  WDL_Mutex mMutex;
  WDL_PtrList<IControl> mControls;
  IPlugBase* mPlug; // not owned
  IRECT mDrawRECT;
  bool mCursorHidden;
  int mHiddenCursorX, mHiddenCursorY;
  LICE_SysBitmap* mDrawBitmap; // owned; null until PrepDraw
  LICE_MemBitmap* mTmpBitmap;  // owned; null until PrepDraw
  int mWidth, mHeight, mFPS, mIdleTicks;
  int mMouseCapture, mMouseOver, mMouseX, mMouseY, mLastClickedParam;
  bool mHandleMouseOver, mStrict, mEnableTooltips;
  IControl* mKeyCatcher; // owned, may be null
};
