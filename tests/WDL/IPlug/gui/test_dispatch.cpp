#include "WDL/IPlug/IGraphics.h"

#include <gtest/gtest.h>

#include "WDL/IPlug/gui/headless_graphics.h"
#include "WDL/IPlug/plugbase_test_plug.h"

namespace {

using Log = std::vector<std::string>;

// Logs gestures in the same list as the controls' events.
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

class LogControl : public IControl {
public:
  LogControl(IPlugBase* pPlug, const char* name, IRECT r, int paramIdx, Log* pLog)
      : IControl(pPlug, r, paramIdx), mName(name), mLog(pLog) {
    mPromptDisabled = false;
  }
  using IControl::mDblAsSingleClick, IControl::mMOWhenGrayed;
  bool Draw(IGraphics*) override { return true; }
  void OnMouseDown(int x, int y, IMouseMod* pMod) override {
    Add("down", x, y);
    IControl::OnMouseDown(x, y, pMod);
  }
  void OnMouseUp(int x, int y, IMouseMod*) override { Add("up", x, y); }
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod*) override {
    Add("drag", x, y, " d" + std::to_string(dX) + "," + std::to_string(dY));
  }
  void OnMouseDblClick(int x, int y, IMouseMod*) override { Add("dbl", x, y); }
  void OnMouseWheel(int x, int y, IMouseMod*, int d) override {
    Add("wheel", x, y, " " + std::to_string(d));
  }
  bool OnKeyDown(int x, int y, int key) override {
    Add("key", x, y, " " + std::to_string(key));
    return true;
  }
  void OnMouseOver(int x, int y, IMouseMod*) override { Add("over", x, y); }
  void OnMouseOut() override { mLog->push_back(mName + " out"); }

private:
  void Add(const char* what, int x, int y, const std::string& more = "") {
    mLog->push_back(mName + " " + what + " " + std::to_string(x) + "," + std::to_string(y) + more);
  }
  std::string mName;
  Log* mLog;
};

struct Dispatch : ::testing::Test {
  Log log;
  GesturePlug plug{&log};
  HeadlessGraphics& g = *new HeadlessGraphics(&plug, 100, 100); // the plug-in owns it
  IMouseMod left{true}, right{false, true};
  LogControl* Add(const char* name, IRECT r, int paramIdx = -1) {
    LogControl* c = new LogControl(&plug, name, r, paramIdx, &log);
    g.AttachControl(c);
    return c;
  }
  void SetUp() override {
    plug.AttachGraphics(&g);
    Add("bg", IRECT(0, 0, 100, 100));
  }
};

TEST_F(Dispatch, HitTestFromTheTopDown) {
  Add("a", IRECT(10, 10, 50, 50));
  LogControl* b = Add("b", IRECT(30, 30, 70, 70));
  EXPECT_EQ(g.GetMouseControlIdx(40, 40), 2);
  EXPECT_EQ(g.GetMouseControlIdx(20, 20), 1);
  EXPECT_EQ(g.GetMouseControlIdx(90, 90), 0);
  EXPECT_EQ(g.GetMouseControlIdx(100, 100), -1);
  b->Hide(true);
  EXPECT_EQ(g.GetMouseControlIdx(40, 40), 1);
  b->Hide(false);
  b->GrayOut(true);
  EXPECT_EQ(g.GetMouseControlIdx(40, 40, true), 1);
  b->mMOWhenGrayed = true;
  EXPECT_EQ(g.GetMouseControlIdx(40, 40, true), 2); // mouse-over only
  EXPECT_EQ(g.GetMouseControlIdx(40, 40), 1);
}

TEST_F(Dispatch, CaptureAndGestureOrder) {
  Add("k", IRECT(10, 10, 20, 20), 3);
  g.OnMouseDown(15, 15, &left);
  g.OnMouseDrag(60, 15, &left); // outside: still the captured control
  g.OnMouseDrag(60, 15, &left); // same place: nothing
  g.OnMouseDrag(60, 10, &left);
  g.OnMouseWheel(90, 90, &left, 2);
  g.OnMouseUp(90, 90, &left);
  g.OnMouseDrag(70, 70, &left); // no capture: nothing
  g.OnMouseDown(50, 50, &left); // background, unbound: no gesture
  g.OnMouseUp(50, 50, &left);
  g.OnMouseWheel(50, 50, &left, -1);
  EXPECT_EQ(log, (Log{"begin 3", "k down 15,15", "k drag 60,15 d45,0", "k drag 60,10 d0,-5",
                      "k wheel 90,90 2", "k up 90,90", "end 3", "bg down 50,50", "bg up 50,50",
                      "bg wheel 50,50 -1"}));
  g.OnMouseDown(200, 200, &left); // outside every control
  EXPECT_EQ(g.MouseCapture(), -1);
}

TEST_F(Dispatch, GestureStaysBalancedWhenAMenuTakesTheCapture) {
  IParam* p = plug.GetParam(2); // enum of 5
  for (int i = 0; i < 5; ++i) p->SetDisplayText(i, std::string(1, (char)('a' + i)).c_str());
  LogControl* k = Add("k", IRECT(10, 10, 20, 20), 2);
  g.menuAnswers = {4};
  g.OnMouseDown(15, 15, &right); // the right click prompts; the menu releases the capture
  Add("other", IRECT(50, 50, 60, 60), 1);
  g.OnMouseUp(55, 55, &right); // released over another bound control
  EXPECT_EQ(log, (Log{"begin 2", "k down 15,15", "end 2", "other up 55,55"}));
  EXPECT_DOUBLE_EQ(k->GetValue(), 1.0);
  // A new click without a release closes the open gesture first.
  g.OnMouseDown(15, 15, &left);
  g.OnMouseDown(15, 15, &left);
  g.OnMouseUp(15, 15, &left);
  EXPECT_EQ(plug.begins, (std::vector<int>{2, 2, 2}));
  EXPECT_EQ(plug.ends, (std::vector<int>{2, 2, 2}));
}

TEST_F(Dispatch, DoubleClicks) {
  Add("a", IRECT(10, 10, 20, 20), 1);
  Add("s", IRECT(30, 30, 40, 40), 1)->mDblAsSingleClick = true;
  EXPECT_FALSE(g.OnMouseDblClick(15, 15, &left));
  EXPECT_EQ(g.MouseCapture(), -1);
  EXPECT_TRUE(g.OnMouseDblClick(35, 35, &left));
  EXPECT_EQ(g.MouseCapture(), 2);
  EXPECT_FALSE(g.OnMouseDblClick(200, 200, &left));
  g.OnMouseDblClick(35, 35, &left);
  g.OnMouseUp(35, 35, &left); // no begin was sent on this path, so no end either
  EXPECT_EQ(log, (Log{"a dbl 15,15", "s down 35,35", "s down 35,35", "s up 35,35"}));
}

TEST_F(Dispatch, KeysAndMouseOver) {
  Add("a", IRECT(10, 10, 20, 20));
  Add("b", IRECT(30, 30, 40, 40));
  EXPECT_TRUE(g.OnKeyDown(15, 15, 65));
  EXPECT_FALSE(g.OnKeyDown(50, 50, 66)); // over the background, no catcher
  g.AttachKeyCatcher(new LogControl(&plug, "catcher", IRECT(), -1, &log));
  EXPECT_TRUE(g.OnKeyDown(50, 50, 67));

  EXPECT_FALSE(g.OnMouseOver(15, 15, &left)); // not handled yet
  g.EnableTooltips(true);
  EXPECT_TRUE(g.OnMouseOver(15, 15, &left));
  EXPECT_TRUE(g.OnMouseOver(35, 35, &left));
  g.OnMouseOver(200, 200, &left); // over nothing: no change
  EXPECT_EQ(g.GetMouseOver(), 2);
  g.EnableTooltips(false);
  EXPECT_TRUE(g.OnMouseOver(36, 36, &left)); // mouse-over stays on
  g.OnMouseOut();
  EXPECT_EQ(g.GetMouseOver(), -1);
  EXPECT_EQ(log, (Log{"a key 15,15 65", "catcher key 50,50 67", "a over 15,15", "b over 35,35",
                      "a out", "b over 36,36", "bg out", "a out", "b out"}));
}

TEST_F(Dispatch, ParameterBinding) {
  LogControl* a = Add("a", IRECT(10, 10, 20, 20), 3);
  LogControl* b = Add("b", IRECT(30, 30, 40, 40), 3);
  LogControl* aux = Add("aux", IRECT(50, 50, 60, 60));
  aux->AddAuxParam(3);
  g.SetParameterFromPlug(3, 0.5, false); // double -1..1
  EXPECT_DOUBLE_EQ(a->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(b->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(aux->GetAuxParam(0)->mValue, 0.75);
  g.SetControlFromPlug(2, 0.1);
  g.SetControlFromPlug(9, 0.1);
  EXPECT_DOUBLE_EQ(b->GetValue(), 0.1);
  g.SetParameterFromGUI(3, 0.4);
  EXPECT_DOUBLE_EQ(a->GetValue(), 0.4);
  EXPECT_EQ(plug.paramChanges, (std::vector<int>{3, 3}));

  g.ClampControl(3, 0.0, 0.5, false); // plain values: 0.5..0.75
  a->SetDirty(false);
  EXPECT_DOUBLE_EQ(a->GetValue(), 0.5);
  g.HideControl(3, true);
  g.GrayOutControl(3, true);
  EXPECT_TRUE(b->IsHidden() && b->IsGrayed());
  EXPECT_FALSE(aux->IsHidden());

  g.AssignParamNameToolTips();
  EXPECT_STREQ(a->GetTooltip(), "d");
  EXPECT_STREQ(aux->GetTooltip(), "");
  g.HideControl(3, false);
  g.GrayOutControl(3, false);
  EXPECT_EQ(g.GetParamIdxForPTAutomation(15, 15), 3);
  EXPECT_EQ(g.GetLastClickedParamForPTAutomation(), 3);
  EXPECT_EQ(g.GetLastClickedParamForPTAutomation(), -1);
}

TEST_F(Dispatch, PromptsThroughMenusAndTextEntry) {
  IParam* e = plug.GetParam(2); // enum of 3 with texts
  e->InitEnum("e", 1, 3);
  int i = 0;
  for (const char* t : {"low", "mid", "high"}) e->SetDisplayText(i++, t);
  LogControl* ce = Add("e", IRECT(10, 10, 30, 20), 2);
  g.menuAnswers = {2, -1};
  ce->PromptUserInput();
  EXPECT_EQ(g.lastMenu, (Log{"low", "mid*", "high"}));
  EXPECT_EQ(g.lastMenuRect, IRECT(10, 10, 30, 20));
  EXPECT_DOUBLE_EQ(ce->GetValue(), 1.0);
  ce->PromptUserInput(); // dismissed: nothing changes
  EXPECT_DOUBLE_EQ(ce->GetValue(), 1.0);

  LogControl* cd = Add("d", IRECT(40, 40, 60, 50), 3); // double -1..1
  g.textAnswers = {"abc", "0.5"};
  cd->PromptUserInput();
  EXPECT_EQ(g.lastTextRect, IRECT(30, 37, 70, 53)); // 40 x 16 around the centre
  EXPECT_DOUBLE_EQ(cd->GetValue(), 0.5);            // unreadable text reads as 0
  cd->PromptUserInput();
  EXPECT_DOUBLE_EQ(cd->GetValue(), 0.75);
  EXPECT_EQ(g.textEntries.size(), 2u);

  char none[] = "nothing";
  g.SetFromStringAfterPrompt(ce, e, none); // an unknown text picks the first entry
  EXPECT_DOUBLE_EQ(ce->GetValue(), 0.0);
  g.menuAnswers = {1};
  g.SetFromStringAfterPrompt(ce, nullptr, none);
  g.PromptUserInput(ce, nullptr, ce->GetRECT());
  EXPECT_EQ(g.menuAnswers.size(), 1u); // no menu without a parameter
}

} // namespace
