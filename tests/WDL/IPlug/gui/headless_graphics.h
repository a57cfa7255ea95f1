#pragma once
// A graphics object without a screen: images come from a folder of PNG files, menus and text
// entries answer from a script, and what it is asked is recorded.

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "WDL/IPlug/IGraphics.h"
#include "WDL/IPlug/plugbase_test_plug.h"
#include "WDL/lice/lice.h"
#include "testsupport/null_graphics.h"
#include "support/png_test_io.h"

// Source pixels that name their own position, to tell which part of an image was drawn.
inline LICE_pixel Pos(int x, int y) {
  return 0xFF000000u | (LICE_pixel)(y << 8) | (LICE_pixel)x;
}

inline void FillWithPositions(LICE_IBitmap* bmp) {
  for (int y = 0; y < bmp->getHeight(); ++y)
    for (int x = 0; x < bmp->getWidth(); ++x) bmp->getBits()[x + y * bmp->getRowSpan()] = Pos(x, y);
}

class HeadlessGraphics : public NullGraphics {
public:
  HeadlessGraphics(IPlugBase* pPlug, int w, int h, std::string imageDir = "")
      : NullGraphics(pPlug, w, h), mImageDir(std::move(imageDir)) {}

  bool DrawScreen(IRECT* pR) override {
    screens.push_back(*pR);
    return true;
  }
  // Like the platform's menu, it releases the mouse capture while it is open.
  IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pRect) override {
    ReleaseMouseCapture();
    lastMenu.clear();
    for (int i = 0; i < pMenu->GetNItems(); ++i)
      lastMenu.push_back(std::string(pMenu->GetItemText(i)) + (pMenu->IsItemChecked(i) ? "*" : ""));
    lastPromptRect = *pRect;
    const std::string answer = Answer();
    if (answer.empty()) return nullptr;
    pMenu->SetChosenItemIdx(std::stoi(answer));
    return pMenu;
  }
  void CreateTextEntry(IControl* pControl, IText*, IRECT* pRect, const char*,
                       IParam* pParam) override {
    lastPromptRect = *pRect;
    std::string answer = Answer();
    if (!answer.empty()) SetFromStringAfterPrompt(pControl, pParam, answer.data());
  }
  LICE_IBitmap* OSLoadBitmap(int id, const char* name) override {
    ++loads[id];
    const char* base = strrchr(name, '/');
    return qvtest::ReadPng(mImageDir + "/" + (base ? base + 1 : name));
  }

  IRECT DirtyRect() {
    IRECT r;
    IsDirty(&r);
    return r;
  }
  int MouseCapture() const { return mMouseCapture; }
  std::string Answer() {
    const std::string a = answers.empty() ? "" : answers.front();
    if (!answers.empty()) answers.pop_front();
    return a;
  }

  std::string mImageDir;
  std::deque<std::string> answers;        // a menu index or a committed text; "" dismisses
  static inline std::map<int, int> loads; // per image id, across every instance
  std::vector<IRECT> screens;             // what was shown
  IRECT lastPromptRect;
  std::vector<std::string> lastMenu; // item texts, "*" after a checked one
};

using Log = std::vector<std::string>;

// Logs gestures into the same list as the controls' events.
struct GesturePlug : TestPlug {
  explicit GesturePlug(Log* pLog) : TestPlug(8, "0-1 0-2", 0), log(pLog) {}
  void BeginInformHostOfParamChange(int idx) override {
    TestPlug::BeginInformHostOfParamChange(idx);
    log->push_back("begin " + std::to_string(idx));
  }
  void EndInformHostOfParamChange(int idx) override {
    TestPlug::EndInformHostOfParamChange(idx);
    log->push_back("end " + std::to_string(idx));
  }
  Log* log;
};

// Logs its mouse and key events (when given a log), counts its draws and runs a drawing function.
class ProbeControl : public IControl {
public:
  ProbeControl(IPlugBase* pPlug, IRECT r, int paramIdx = -1, const char* name = "",
               Log* pLog = nullptr, std::function<void(IGraphics*)> fn = nullptr)
      : IControl(pPlug, r, paramIdx), mName(name), mLog(pLog), mFn(std::move(fn)) {}
  using IControl::GetBlend, IControl::mDblAsSingleClick, IControl::mMOWhenGrayed,
      IControl::mPromptDisabled;
  bool Draw(IGraphics* pGraphics) override {
    ++draws;
    if (mFn) mFn(pGraphics);
    return true;
  }
  void OnMouseDown(int x, int y, IMouseMod* pMod) override {
    Add("down", {x, y});
    IControl::OnMouseDown(x, y, pMod);
  }
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override {
    Add("dbl", {x, y});
    IControl::OnMouseDblClick(x, y, pMod);
  }
  void OnMouseUp(int x, int y, IMouseMod*) override { Add("up", {x, y}); }
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod*) override {
    Add("drag", {x, y, dX, dY});
  }
  void OnMouseWheel(int x, int y, IMouseMod*, int d) override { Add("wheel", {x, y, d}); }
  bool OnKeyDown(int x, int y, int key) override { return Add("key", {x, y, key}); }
  void OnMouseOver(int x, int y, IMouseMod*) override { Add("over", {x, y}); }
  void OnMouseOut() override { Add("out"); }
  int draws = 0;

private:
  bool Add(const char* what, std::initializer_list<int> numbers = {}) {
    std::string entry = mName + " " + what;
    for (int n : numbers) entry += " " + std::to_string(n);
    if (mLog) mLog->push_back(entry);
    return true;
  }
  std::string mName;
  Log* mLog;
  std::function<void(IGraphics*)> mFn;
};

// A 100 x 100 editor, cleared to 0, owned by a plug-in of eight parameters (see TestPlug).
struct EditorTest : ::testing::Test {
  Log log;
  GesturePlug plug{&log};
  HeadlessGraphics& g = *new HeadlessGraphics(&plug, 100, 100);
  IMouseMod left{true}, right{false, true}, shift{true, false, true};
  IRECT all{0, 0, 100, 100};
  void SetUp() override {
    plug.AttachGraphics(&g);
    LICE_Clear(g.GetDrawBitmap(), 0);
  }
  template <class C> C* Attach(C* c) {
    g.AttachControl(c);
    return c;
  }
  ProbeControl* Add(const char* name, IRECT r, int paramIdx = -1,
                    std::function<void(IGraphics*)> fn = nullptr) {
    return Attach(new ProbeControl(&plug, r, paramIdx, name, &log, std::move(fn)));
  }
  LICE_pixel Px(int x, int y) { return LICE_GetPixel(g.GetDrawBitmap(), x, y); }
};
