#pragma once
// The editor of one plug-in instance: its controls (owned, index 0 the background) and
// the offscreen bitmap they draw into. Main thread, except SetParameterFromPlug (host
// threads) and SetAllControlsDirty (the render thread), which walk the control list under
// a shared lock and write only control values and dirty flags; the main thread changes the
// list under the same lock held exclusively. Platform operations are left to a subclass.

#include <shared_mutex>

#include "WDL/mutex.h"
#include "WDL/ptrlist.h"
#include "WDL/wdlstring.h"
#include "WDL/IPlug/IControl.h"
#include "WDL/IPlug/IEditorDelegate.h"
#include "WDL/IPlug/IGraphicsStructs.h"
#include "WDL/IPlug/IPopupMenu.h"

class IParam;
class IPlugBase;
class LICE_IBitmap;
class LICE_IFont;
class LICE_MemBitmap;
class LICE_SysBitmap;

class IGraphics : public IEditorDelegate {
public:
  // w, h: editor size in pixels; fps below 1 means 25.
  IGraphics(IPlugBase* pPlug, int w, int h, int fps = 0);
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- Platform operations and overridable defaults ----

  // Copies the given part of the offscreen bitmap to the screen.
  virtual bool DrawScreen(IRECT* pR) = 0;
  virtual bool MeasureIText(IText* pTxt, char* str, IRECT* pR) {
    return DrawIText(pTxt, str, pR, true);
  }
  virtual void ForceEndUserEdit() = 0;
  // Deletes every control and the bitmaps, makes new bitmaps of the new size and tells
  // the plug-in; the caller attaches controls again.
  virtual void Resize(int w, int h);
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual const char* GetGUIAPI() { return ""; }
  virtual int ShowMessageBox(const char* pText, const char* pCaption, int type) = 0;
  // Shows the menu modally; the menu with its chosen index set, or null when dismissed.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pTextRect) = 0;
  // Opens an edit field; a commit arrives through SetFromStringAfterPrompt.
  virtual void CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect,
                               const char* pString, IParam* pParam) = 0;
  virtual void HostPath(WDL_String* pPath) = 0;
  virtual void PluginPath(WDL_String* pPath) = 0;
  virtual void DesktopPath(WDL_String* pPath) = 0;
  virtual void AppSupportPath(WDL_String* pPath, bool isSystem = false) = 0;
  virtual void SandboxSafeAppSupportPath(WDL_String* pPath) = 0;
  // Modal file dialog; pFilename receives the chosen path (empty when cancelled).
  virtual void PromptForFile(WDL_String* pFilename, EFileAction action, WDL_String* pDir,
                             char* extensions) = 0;
  virtual bool PromptForColor(IColor* pColor, char* prompt) = 0;
  // True when the application holding the file was brought forward.
  virtual bool CopyFileToClipboard(WDL_String* pFilename) = 0;
  // True when the URL was opened.
  virtual bool OpenURL(const char* url, const char* msgWindowTitle = nullptr,
                       const char* confirmMsg = nullptr, const char* errMsgOnFailure = nullptr) = 0;
  virtual void* OpenWindow(void* pParentWnd) = 0;
  virtual void* OpenWindow(void* /*pParentWnd*/, void* /*pParentControl*/, short /*leftOffset*/,
                           short /*topOffset*/) {
    return nullptr;
  }
  virtual void AttachSubWindow(void* /*hostWindow*/) {}
  virtual void RemoveSubWindow() {}
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;
  virtual bool GetTextFromClipboard(WDL_String* pStr) = 0;
  // Deletes the key catcher, every control, then both bitmaps.
  ~IGraphics() override;
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  virtual void UpdateTooltips() = 0;
  // Loads the image resource into a new bitmap (caller owns it); null when missing.
  virtual LICE_IBitmap* OSLoadBitmap(int id, const char* name) = 0;

  // ---- The editor as the plug-in core sees it ----

  // Makes the offscreen bitmap of the editor's size and an empty scratch bitmap.
  void PrepDraw() override;
  // Hands the value to every control bound to paramIdx (and to controls that hold it
  // as an auxiliary parameter); a plain value is normalised first. No lock.
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override;
  IGraphics* GetGraphics() override { return this; }

  // ---- Controls ----

  // Takes ownership; returns the control's index. Main thread, as are the two below.
  int AttachControl(IControl* pControl);
  // Loads the image and puts an unbound bitmap control at index 0.
  void AttachBackground(int id, const char* name);
  void AttachPanelBackground(const IColor* pColor);
  // Takes ownership; receives keys nobody else takes.
  void AttachKeyCatcher(IControl* pControl);
  // Main thread.
  IControl* GetControl(int idx) { return mControls.Get(idx); }
  int NControls() const { return mControls.GetSize(); }
  // Marks every control dirty, without pushing values. Render thread (once per block) or
  // any other; never waits: while the main thread is changing the control list it does
  // nothing, and the next block marks them again (controls just attached are dirty).
  void SetAllControlsDirty();
  void SetStrictDrawing(bool strict);

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  int GetMouseOver() const { return mMouseOver; }
  IPlugBase* GetPlug() { return mPlug; }
  // Pixels of the offscreen bitmap, null before PrepDraw.
  unsigned int* GetBits();
  // The offscreen pixel at (x, y); transparent outside the bitmap.
  IColor GetPoint(int x, int y);
  LICE_SysBitmap* GetDrawBitmap() { return mDrawBitmap; }

  // ---- Redraw (platform timer and view, main thread) ----

  // Unites the rectangles of the dirty controls into *pR; true when any was dirty.
  bool IsDirty(IRECT* pR);
  // Draws the controls meeting *pR, then DrawScreen(pR).
  bool Draw(IRECT* pR);

  // ---- Drawing primitives: into the offscreen bitmap; each returns true ----

  bool DrawPoint(const IColor* pColor, float x, float y, const IChannelBlend* pBlend = nullptr,
                 bool antiAlias = false);
  // Writes the colour unblended; points outside the bitmap are ignored.
  bool ForcePixel(const IColor* pColor, int x, int y);
  bool DrawLine(const IColor* pColor, float x1, float y1, float x2, float y2,
                const IChannelBlend* pBlend = nullptr, bool antiAlias = false);
  // Angles in radians, 0 up, clockwise.
  bool DrawArc(const IColor* pColor, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* pBlend = nullptr, bool antiAlias = false);
  bool DrawCircle(const IColor* pColor, float cx, float cy, float r,
                  const IChannelBlend* pBlend = nullptr, bool antiAlias = false);
  bool RoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerradius,
                 bool aa);
  bool FillRoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerradius,
                     bool aa);
  bool FillIRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend = nullptr);
  bool FillCircle(const IColor* pColor, int cx, int cy, float r,
                  const IChannelBlend* pBlend = nullptr, bool antiAlias = false);
  bool FillTriangle(const IColor* pColor, int x1, int y1, int x2, int y2, int x3, int y3,
                    IChannelBlend* pBlend);
  bool FillIConvexPolygon(const IColor* pColor, int* x, int* y, int npoints,
                          const IChannelBlend* pBlend = nullptr);
  bool DrawVerticalLine(const IColor* pColor, int xi, int yLo, int yHi);
  bool DrawHorizontalLine(const IColor* pColor, int yi, int xLo, int xHi);
  // x, y: 0-1 across the rectangle (y from the bottom).
  bool DrawVerticalLine(const IColor* pColor, IRECT* pR, float x);
  bool DrawHorizontalLine(const IColor* pColor, IRECT* pR, float y);
  bool DrawRadialLine(const IColor* pColor, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* pBlend = nullptr, bool antiAlias = false);
  bool DrawRect(const IColor* pColor, IRECT* pR);
  // Clipped to the rectangle being redrawn.
  bool DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int srcX, int srcY,
                  const IChannelBlend* pBlend = nullptr);
  // frame: 1-based.
  bool DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int frame = 1,
                  const IChannelBlend* pBlend = nullptr);
  // angle in radians.
  bool DrawRotatedBitmap(IBitmap* pBitmap, int destCtrX, int destCtrY, double angle,
                         int yOffsetZeroDeg = 0, const IChannelBlend* pBlend = nullptr);
  // angle in degrees; clipped to the rectangle being redrawn.
  bool DrawRotatedMask(IBitmap* pBase, IBitmap* pMask, IBitmap* pTop, int x, int y, double angle,
                       const IChannelBlend* pBlend = nullptr);
  // With measure, only sets pR to the text's extent. False when no font can be made.
  bool DrawIText(IText* pTxt, const char* str, IRECT* pR, bool measure = false);

  // ---- Images and fonts (process-wide caches) ----

  // Loads once per id; a missing resource is an assertion failure.
  IBitmap LoadIBitmap(int id, const char* name, int nStates = 1, bool framesAreHorizontal = false);
  IBitmap ScaleBitmap(IBitmap* pBitmap, int destW, int destH);
  IBitmap CropBitmap(IBitmap* pBitmap, IRECT* pR);
  void RetainBitmap(IBitmap* pBitmap);
  void ReleaseBitmap(IBitmap* pBitmap);
  // The style's font, made and cached on first use; null when none can be made. Any
  // thread (fonts are made one at a time); drawing with the font stays on the main thread.
  LICE_IFont* CacheFont(IText* pTxt);

  // ---- Input (platform layer, main thread; editor pixels) ----

  void OnMouseDown(int x, int y, IMouseMod* pMod);
  void OnMouseUp(int x, int y, IMouseMod* pMod);
  void OnMouseDrag(int x, int y, IMouseMod* pMod);
  // True when a capture began.
  bool OnMouseDblClick(int x, int y, IMouseMod* pMod);
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d);
  // True when mouse-over is handled.
  bool OnMouseOver(int x, int y, IMouseMod* pMod);
  void OnMouseOut();
  // True when the key was taken.
  bool OnKeyDown(int x, int y, int key);
  void OnGUIIdle();

  // The control index hit at (x, y), or -1; the captured control while dragging.
  int GetMouseControlIdx(int x, int y, bool mouseOver = false);
  // Releases the capture; a control that began a gesture gets its end first.
  void ReleaseMouseCapture();
  void HandleMouseOver(bool canHandle) { mHandleMouseOver = canHandle; }
  void EnableTooltips(bool enable);
  bool TooltipsEnabled() const { return mEnableTooltips; }
  void AssignParamNameToolTips();
  int GetParamIdxForPTAutomation(int x, int y);
  int GetLastClickedParamForPTAutomation();

  // ---- Parameter binding ----

  void SetControlFromPlug(int controlIdx, double normalizedValue);
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);

  // ---- Prompts ----

  // A menu of the parameter's display texts, or a text field for its value.
  void PromptUserInput(IControl* pControl, IParam* pParam, IRECT* pTextRect);
  // The platform text entry's committed text.
  void SetFromStringAfterPrompt(IControl* pControl, IParam* pParam, char* txt);

protected:
  // SetDirty(false) on every control; main thread, or with mControlsLock held.
  void DirtyEveryControl();

  WDL_Mutex mMutex;
  WDL_PtrList<IControl> mControls;
  // Shared by the other threads' walks of mControls, exclusive while the main thread
  // changes it; the main thread's own walks need no lock.
  std::shared_mutex mControlsLock;
  IPlugBase* mPlug; // not owned
  IRECT mDrawRECT;  // the area being redrawn
  bool mCursorHidden;
  int mHiddenCursorX, mHiddenCursorY;
  LICE_SysBitmap* mDrawBitmap; // owned; null until PrepDraw
  LICE_MemBitmap* mTmpBitmap;  // owned; null until PrepDraw
  int mWidth, mHeight, mFPS, mIdleTicks;
  int mMouseCapture, mMouseOver, mMouseX, mMouseY, mLastClickedParam;
  bool mHandleMouseOver, mStrict, mEnableTooltips;
  IControl* mKeyCatcher; // owned, may be null
  // The captured control's parameter when its begin-gesture went to the host, else -1.
  int mGestureParam;
};
