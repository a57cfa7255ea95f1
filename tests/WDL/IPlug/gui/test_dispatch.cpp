#include "WDL/IPlug/IGraphics.h"

#include "WDL/IPlug/gui/headless_graphics.h"

namespace {

struct Dispatch : EditorTest {
  void SetUp() override {
    EditorTest::SetUp();
    Add("bg", all);
  }
};

TEST_F(Dispatch, HitTestFromTheTopDown) {
  Add("a", IRECT(10, 10, 50, 50));
  ProbeControl* b = Add("b", IRECT(30, 30, 70, 70));
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
  EXPECT_EQ(log, (Log{"begin 3", "k down 15 15", "k drag 60 15 45 0", "k drag 60 10 0 -5",
                      "k wheel 90 90 2", "k up 90 90", "end 3", "bg down 50 50", "bg up 50 50",
                      "bg wheel 50 50 -1"}));
  g.OnMouseDown(200, 200, &left); // outside every control
  EXPECT_EQ(g.MouseCapture(), -1);
}

TEST_F(Dispatch, GestureStaysBalancedWhenAMenuTakesTheCapture) {
  IParam* p = plug.GetParam(2); // enum of 5
  for (int i = 0; i < 5; ++i) p->SetDisplayText(i, std::string(1, (char)('a' + i)).c_str());
  ProbeControl* k = Add("k", IRECT(10, 10, 20, 20), 2);
  k->mPromptDisabled = false;
  g.menuAnswers = {4};
  g.OnMouseDown(15, 15, &right); // the right click prompts; the menu releases the capture
  Add("other", IRECT(50, 50, 60, 60), 1);
  g.OnMouseUp(55, 55, &right); // released over another bound control
  EXPECT_EQ(log, (Log{"begin 2", "k down 15 15", "end 2", "other up 55 55"}));
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
  EXPECT_EQ(log, (Log{"a dbl 15 15", "s down 35 35", "s down 35 35", "s up 35 35"}));
}

TEST_F(Dispatch, KeysAndMouseOver) {
  Add("a", IRECT(10, 10, 20, 20));
  Add("b", IRECT(30, 30, 40, 40));
  EXPECT_TRUE(g.OnKeyDown(15, 15, 65));
  EXPECT_FALSE(g.OnKeyDown(50, 50, 66)); // over the background, no catcher
  g.AttachKeyCatcher(new ProbeControl(&plug, IRECT(), -1, "catcher", &log));
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
  EXPECT_EQ(log, (Log{"a key 15 15 65", "catcher key 50 50 67", "a over 15 15", "b over 35 35",
                      "a out", "b over 36 36", "bg out", "a out", "b out"}));
}

TEST_F(Dispatch, ParameterBinding) {
  ProbeControl* a = Add("a", IRECT(10, 10, 20, 20), 3);
  ProbeControl* b = Add("b", IRECT(30, 30, 40, 40), 3);
  ProbeControl* aux = Add("aux", IRECT(50, 50, 60, 60));
  aux->AddAuxParam(3);
  g.SetParameterFromPlug(3, 0.5, false); // double -1..1
  EXPECT_DOUBLE_EQ(a->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(b->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(aux->GetAuxParam(0)->mValue, 0.75);
  g.SetControlFromPlug(2, 0.1);
  g.SetControlFromPlug(9, 0.1);
  EXPECT_DOUBLE_EQ(b->GetValue(), 0.1);
  g.ClampControl(3, -1.0, 0.0, false); // plain values: normalised 0..0.5
  a->SetDirty(false);
  EXPECT_DOUBLE_EQ(a->GetValue(), 0.5);
  g.HideControl(3, true);
  EXPECT_TRUE(b->IsHidden());
  EXPECT_FALSE(aux->IsHidden());
  g.HideControl(3, false);
  EXPECT_EQ(g.GetParamIdxForPTAutomation(15, 15), 3);
  EXPECT_EQ(g.GetLastClickedParamForPTAutomation(), 3);
  EXPECT_EQ(g.GetLastClickedParamForPTAutomation(), -1);
}

TEST_F(Dispatch, PromptsThroughMenusAndTextEntry) {
  IParam* e = plug.GetParam(2); // enum of 3 with texts
  e->InitEnum("e", 1, 3);
  int i = 0;
  for (const char* t : {"low", "mid", "high"}) e->SetDisplayText(i++, t);
  ProbeControl* ce = Add("e", IRECT(10, 10, 30, 20), 2);
  ProbeControl* cd = Add("d", IRECT(40, 40, 60, 50), 3); // double -1..1
  ce->mPromptDisabled = cd->mPromptDisabled = false;
  g.menuAnswers = {2, -1};
  ce->PromptUserInput();
  EXPECT_EQ(g.lastMenu, (Log{"low", "mid*", "high"}));
  EXPECT_EQ(g.lastMenuRect, IRECT(10, 10, 30, 20));
  EXPECT_DOUBLE_EQ(ce->GetValue(), 1.0);
  ce->PromptUserInput(); // dismissed: nothing changes
  EXPECT_DOUBLE_EQ(ce->GetValue(), 1.0);

  g.textAnswers = {"abc", "0.5"};
  cd->PromptUserInput();
  EXPECT_EQ(g.lastTextRect, IRECT(30, 37, 70, 53)); // 40 x 16 around the centre
  EXPECT_DOUBLE_EQ(cd->GetValue(), 0.5);            // unreadable text reads as 0
  cd->PromptUserInput();
  EXPECT_DOUBLE_EQ(cd->GetValue(), 0.75);

  g.menuAnswers = {1};
  char txt[] = "high";
  g.SetFromStringAfterPrompt(ce, nullptr, txt);
  g.PromptUserInput(ce, nullptr, ce->GetRECT());
  EXPECT_EQ(g.menuAnswers.size(), 1u); // no menu without a parameter
}

} // namespace
