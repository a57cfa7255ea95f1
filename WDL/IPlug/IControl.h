#pragma once
// The base of every on-screen control: rectangles, a normalised value, an optional
// bound parameter plus auxiliary ones, dirty state, text style, blend and tooltip.
// Controls live on the main thread. Values, visibility, grey state and clamp bounds may
// arrive from the host's threads and the render thread, so every field those calls write is
// atomic; the rest is the main thread's. Each declaration below names its threads.

#include <atomic>
#include <vector>

#include "WDL/heapbuf.h"
#include "WDL/wdlstring.h"
#include "WDL/IPlug/IGraphicsStructs.h"

class IGraphics;
class IParam;
class IPlugBase;

class IControl {
public:
  // A further parameter bound to the control, with its last normalised value (written by
  // host threads, read when drawing).
  struct AuxParam {
    std::atomic<double> mValue;
    int mParamIdx;
    explicit AuxParam(int idx);
    AuxParam(const AuxParam& other) : mValue(other.mValue.load()), mParamIdx(other.mParamIdx) {}
    AuxParam& operator=(const AuxParam& other) {
      mValue = other.mValue.load();
      mParamIdx = other.mParamIdx;
      return *this;
    }
  };

  // paramIdx -1: not bound to a parameter.
  IControl(IPlugBase* pPlug, IRECT pR, int paramIdx = -1,
           IChannelBlend blendMethod = IChannelBlend(IChannelBlend::kBlendNone));
  virtual ~IControl() = default;
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // Input, main thread; x, y in editor pixels.
  virtual void OnMouseDown(int x, int y, IMouseMod* pMod);
  virtual void OnMouseUp(int /*x*/, int /*y*/, IMouseMod* /*pMod*/) {}
  virtual void OnMouseDrag(int /*x*/, int /*y*/, int /*dX*/, int /*dY*/, IMouseMod* /*pMod*/) {}
  virtual void OnMouseDblClick(int x, int y, IMouseMod* pMod);
  virtual void OnMouseWheel(int /*x*/, int /*y*/, IMouseMod* /*pMod*/, int /*d*/) {}
  // True when the key was taken.
  virtual bool OnKeyDown(int /*x*/, int /*y*/, int /*key*/) { return false; }
  virtual void OnMouseOver(int /*x*/, int /*y*/, IMouseMod* /*pMod*/) {}
  virtual void OnMouseOut() {}

  virtual bool Draw(IGraphics* pGraphics) = 0;

  // A normalised value from the plug-in; never pushed back to it. Any thread.
  virtual void SetValueFromPlug(double value);
  // A normalised value from a menu or text entry; pushed to the plug-in. Main thread.
  virtual void SetValueFromUserInput(double value);
  virtual void TextFromTextEntry(const char* /*txt*/) {}

  // Any thread.
  virtual void Hide(bool hide);
  // A greyed control is drawn at weight 0.25 and takes no clicks. Any thread.
  virtual void GrayOut(bool gray);
  virtual bool IsHit(int x, int y) { return mTargetRECT.Contains(x, y); }

  // Clamps the value and marks the control dirty; with pushParamToPlug, a bound control
  // hands its value to the plug-in (main thread). Without it, any thread.
  virtual void SetDirty(bool pushParamToPlug = true);
  // Main thread (drawing).
  virtual void SetClean();
  // Any thread.
  virtual bool IsDirty() { return mDirty; }
  virtual void OnGUIIdle() {}
  // auxParamIdx: position in the auxiliary list (from AuxParamIdx). Any thread.
  virtual void SetAuxParamValueFromPlug(int auxParamIdx, double value);
  // Shows a line of text; controls that show no text ignore it. Main thread.
  virtual void SetTextFromPlug(const char* /*str*/) {}

  // Keeps the control dirty for one more frame after its next SetClean. Any thread.
  void Redraw() { mRedraw = true; }
  // Any thread; a SetDirty meanwhile sees each bound either old or new.
  void Clamp(double lo, double hi) {
    mClampLo = lo;
    mClampHi = hi;
  }

  // The bound parameter, null when unbound.
  IParam* GetParam();
  // Offers the bound parameter's values in a menu or a text field (when enabled).
  void PromptUserInput();
  void PromptUserInput(IRECT* pTextRect);

  // The getters of atomic state may be called from any thread, the rest from the main one.
  double GetValue() const { return mValue; }
  int ParamIdx() const { return mParamIdx; }
  IRECT* GetRECT() { return &mRECT; }
  IRECT* GetTargetRECT() { return &mTargetRECT; }
  IText* GetText() { return &mText; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  bool IsHidden() const { return mHidden; }
  bool IsGrayed() const { return mGrayed; }
  bool MouseDblAsSingleClick() const { return mDblAsSingleClick; }
  bool GetMOWhenGrayed() const { return mMOWhenGrayed; }

  // paramIdx must not be negative. Main thread, before the control is attached: the list
  // itself does not change while host threads look values up in it.
  void AddAuxParam(int paramIdx);
  // idx must lie inside the auxiliary list. Any thread.
  AuxParam* GetAuxParam(int idx);
  // Position of the first auxiliary entry bound to paramIdx, -1 when none. Any thread.
  int AuxParamIdx(int paramIdx) const;
  int NAuxParams() const { return static_cast<int>(mAuxParams.size()); }
  // Pushes every auxiliary value to the plug-in. Main thread.
  void SetAllAuxParamsFromGUI();

  void SetTooltip(const char* tooltip) { mTooltip.Set(tooltip, 0); }
  const char* GetTooltip() const { return mTooltip.Get(); }

protected:
  // The blend to draw with, its weight as GrayOut last set it. Main thread (Draw).
  IChannelBlend* GetBlend() {
    mBlend.mWeight = mBlendWeight;
    return &mBlend;
  }

  int mTextEntryLength;
  IText mText;
  IPlugBase* mPlug;  // not owned
  IRECT mRECT;       // drawing rectangle, editor pixels
  IRECT mTargetRECT; // hit rectangle, editor pixels
  int mParamIdx;
  std::vector<AuxParam> mAuxParams;
  std::atomic<double> mValue;        // normalised 0-1
  std::atomic<double> mDefaultValue; // restored by a double click; -1 until the plug-in sent one
  std::atomic<double> mClampLo, mClampHi;
  std::atomic<bool> mDirty;
  // Set from any thread: parameter changes reach Hide, GrayOut and SetValueFromPlug there.
  std::atomic<bool> mHidden;
  std::atomic<bool> mGrayed;
  std::atomic<bool> mRedraw;
  bool mPromptDisabled, mDblAsSingleClick, mMOWhenGrayed;
  // Drawn through GetBlend; its weight is copied there from mBlendWeight, which GrayOut
  // writes from any thread.
  IChannelBlend mBlend;
  std::atomic<float> mBlendWeight;
  IControl* mValDisplayControl;  // a text control, not owned; may be null
  IControl* mNameDisplayControl; // a text control, not owned; may be null
  WDL_String mTooltip;
};
