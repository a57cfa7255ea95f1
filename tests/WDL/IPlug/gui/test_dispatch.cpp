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
  EXPECT_EQ(std::vector<int>({g.GetMouseControlIdx(40, 40), g.GetMouseControlIdx(20, 20),
                              g.GetMouseControlIdx(90, 90), g.GetMouseControlIdx(100, 100)}),
            std::vector<int>({2, 1, 0, -1}));
  b->Hide(true);
  EXPECT_EQ(g.GetMouseControlIdx(40, 40), 1);
  b->Hide(false);
  b->GrayOut(true);
  EXPECT_EQ(g.GetMouseControlIdx(40, 40, true), 1);
  b->mMOWhenGrayed = true;
  EXPECT_EQ(g.GetMouseControlIdx(40, 40, true), 2); // mouse-over only
  EXPECT_EQ(g.GetMouseControlIdx(40, 40), 1);
}

TEST_F(Dispatch, CaptureGestureOrderDoubleClickWheelAndKeys) {
  Add("k", IRECT(10, 10, 20, 20), 3);
  Add("s", IRECT(30, 30, 40, 40), 1)->mDblAsSingleClick = true;
  g.OnMouseDown(15, 15, &left);
  g.OnMouseDrag(60, 15, &left); // outside: still the captured control
  g.OnMouseDrag(60, 15, &left); // same place: nothing
  g.OnMouseDrag(60, 10, &left);
  g.OnMouseWheel(90, 90, &left, 2);
  g.OnMouseUp(90, 90, &left);
  g.OnMouseDrag(70, 70, &left); // no capture: nothing
  g.OnMouseDown(50, 50, &left); // background, unbound: no gesture
  g.OnMouseUp(50, 50, &left);
  EXPECT_FALSE(g.OnMouseDblClick(15, 15, &left));
  EXPECT_TRUE(g.OnMouseDblClick(35, 35, &left)); // taken as a click, without a gesture
  EXPECT_EQ(g.MouseCapture(), 2);
  g.OnMouseUp(35, 35, &left);
  EXPECT_TRUE(g.OnKeyDown(15, 15, 65));
  EXPECT_FALSE(g.OnKeyDown(50, 50, 66)); // over the background, no catcher
  g.AttachKeyCatcher(new ProbeControl(&plug, IRECT(), -1, "catcher", &log));
  EXPECT_TRUE(g.OnKeyDown(50, 50, 67));
  EXPECT_EQ(log, (Log{"begin 3", "k down 15 15", "k drag 60 15 45 0", "k drag 60 10 0 -5",
                      "k wheel 90 90 2", "k up 90 90", "end 3", "bg down 50 50", "bg up 50 50",
                      "k dbl 15 15", "s down 35 35", "s up 35 35", "k key 15 15 65",
                      "catcher key 50 50 67"}));
  g.OnMouseDown(200, 200, &left); // outside every control
  EXPECT_EQ(g.MouseCapture(), -1);
}

TEST_F(Dispatch, GestureStaysBalancedWhenAMenuTakesTheCapture) {
  for (int i : {0, 1}) plug.GetParam(2)->SetDisplayText(i, "x"); // enum of 5: a menu
  ProbeControl* k = Add("k", IRECT(10, 10, 20, 20), 2);
  k->mPromptDisabled = false;
  g.answers = {"1"};
  g.OnMouseDown(15, 15, &right); // the right click prompts and releases the capture
  Add("other", IRECT(50, 50, 60, 60), 1);
  g.OnMouseUp(55, 55, &right); // released over another bound control
  EXPECT_EQ(log, (Log{"begin 2", "k down 15 15", "end 2", "other up 55 55"}));
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.25);
  // A new click without a release closes the open gesture first.
  g.OnMouseDown(15, 15, &left);
  g.OnMouseDown(15, 15, &left);
  g.OnMouseUp(15, 15, &left);
  EXPECT_EQ(plug.begins, (std::vector<int>{2, 2, 2}));
  EXPECT_EQ(plug.ends, (std::vector<int>{2, 2, 2}));
}

TEST_F(Dispatch, MouseOverAndParameterBinding) {
  ProbeControl* a = Add("a", IRECT(10, 10, 20, 20), 3);
  ProbeControl* b = Add("b", IRECT(30, 30, 40, 40), 3);
  EXPECT_FALSE(g.OnMouseOver(15, 15, &left)); // not handled yet
  g.EnableTooltips(true);
  g.OnMouseOver(15, 15, &left);
  g.OnMouseOver(35, 35, &left);
  g.OnMouseOver(36, 36, &left);   // the same control: no out
  g.OnMouseOver(200, 200, &left); // over nothing: no change
  EXPECT_EQ(g.GetMouseOver(), 2);
  g.OnMouseOut();
  EXPECT_EQ(log, (Log{"a over 15 15", "b over 35 35", "a out", "b over 36 36", "bg out", "a out",
                      "b out"}));

  a->AddAuxParam(1);
  g.SetParameterFromPlug(3, 0.5, false); // double -1..1
  g.SetParameterFromPlug(1, 0.2, true);
  g.SetControlFromPlug(2, 0.1);
  g.SetControlFromPlug(9, 0.1);        // no such control
  g.ClampControl(3, -0.5, 0.0, false); // normalised 0.25..0.5
  a->SetDirty(false);
  b->SetDirty(false);
  EXPECT_EQ(std::vector<double>({a->GetValue(), b->GetValue(), a->GetAuxParam(0)->mValue}),
            std::vector<double>({0.5, 0.25, 0.2}));
  g.HideControl(3, true);
  EXPECT_TRUE(a->IsHidden());
  EXPECT_TRUE(b->IsHidden());
}

TEST_F(Dispatch, PromptsThroughMenusAndTextEntry) {
  IParam* e = plug.GetParam(2); // enum of 3 with texts
  e->InitEnum("e", 1, 3);
  int i = 0;
  for (const char* t : {"low", "mid", "high"}) e->SetDisplayText(i++, t);
  ProbeControl* ce = Add("e", IRECT(10, 10, 30, 20), 2);
  ProbeControl* cd = Add("d", IRECT(40, 40, 60, 50), 3); // double -1..1
  ce->mPromptDisabled = cd->mPromptDisabled = false;
  g.answers = {"2", "", "abc", "0.5", "1"};
  ce->PromptUserInput();
  EXPECT_EQ(g.lastMenu, (Log{"low", "mid*", "high"}));
  EXPECT_EQ(g.lastPromptRect, IRECT(10, 10, 30, 20));
  ce->PromptUserInput(); // dismissed: nothing changes
  EXPECT_DOUBLE_EQ(ce->GetValue(), 1.0);
  cd->PromptUserInput();
  EXPECT_EQ(g.lastPromptRect, IRECT(30, 37, 70, 53)); // 40 x 16 around the centre
  EXPECT_DOUBLE_EQ(cd->GetValue(), 0.5);              // unreadable text reads as 0
  cd->PromptUserInput();
  EXPECT_DOUBLE_EQ(cd->GetValue(), 0.75);
  g.PromptUserInput(ce, nullptr, ce->GetRECT());
  EXPECT_EQ(g.answers.size(), 1u); // no prompt without a parameter
}

} // namespace
