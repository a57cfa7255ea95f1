#include "WDL/IPlug/IControlStock.h"

#include "WDL/IPlug/gui/headless_graphics.h"

namespace {

struct Stock : EditorTest {
  LICE_MemBitmap img{10, 500};
  void SetUp() override {
    EditorTest::SetUp();
    FillWithPositions(&img);
  }
};

TEST_F(Stock, BitmapFramesFollowTheValue) {
  IBitmap bmp(&img, 10, 20, 2, false);
  IBitmapControl* c = Attach(new IBitmapControl(&plug, 0, 0, -1, &bmp));
  c->Clamp(-10, 10);
  for (auto [value, srcY] : {std::pair{-3.0, 0}, {0.49, 0}, {0.5, 10}, {1.7, 10}}) {
    c->SetValueFromUserInput(value);
    g.Draw(&all);
    EXPECT_EQ(Px(0, 0), Pos(0, srcY)) << value;
  }
}

TEST_F(Stock, ClicksStepSwitchesAndPickFramesAndButtons) {
  IBitmap one(&img, 10, 10, 1, false), two(&img, 8, 20, 2, false), three(&img, 10, 30, 3, false);
  const IRECT col(0, 0, 8, 50); // three buttons at 0, 20, 40; reversed at 30, 10, -10
  struct Case {
    IControl* c;
    int x, y;
    double before;
    std::vector<double> after; // after each click
  } cases[] = {
      {new ISwitchControl(&plug, 0, 0, -1, &one), 0, 0, 0.0, {1, 0, 1}},
      {new ISwitchControl(&plug, 0, 0, -1, &two), 0, 0, 0.0, {1, 0, 1}},
      {new ISwitchControl(&plug, 0, 0, -1, &three), 0, 0, 0.0, {0.5, 1, 0, 0.5}}, // wraps
      {new IInvisibleSwitchControl(&plug, IRECT(0, 0, 5, 5), -1), 0, 0, 0.0, {1, 0}},
      {new ISwitchFramesControl(&plug, 0, 0, -1, &one), 5, 5, 0.7, {0}}, // lone frame
      {new IRadioButtonsControl(&plug, IRECT(0, 0, 10, 50), -1, 1, &one), 5, 5, 0.7, {0}},
      {new ISwitchFramesControl(&plug, 0, 0, -1, &three), 5, 7, 0.0, {1}}, // rows 6-8 of 10
      {new IRadioButtonsControl(&plug, col, -1, 3, &two), 4, 22, 0.0, {0.5}},
      {new IRadioButtonsControl(&plug, col, -1, 3, &two), 4, 15, 0.5, {0.5}}, // in a gap
      {new IRadioButtonsControl(&plug, col, -1, 3, &two, kVertical, true), 4, 30, 0.7, {0}},
  };
  for (const Case& k : cases) {
    Attach(k.c)->SetValueFromUserInput(k.before);
    std::vector<double> values;
    for (size_t i = 0; i < k.after.size(); ++i) {
      k.c->OnMouseDown(k.x, k.y, &left);
      values.push_back(k.c->GetValue());
    }
    EXPECT_EQ(values, k.after) << k.x << "," << k.y;
  }
  g.Draw(&all); // a lone radio button draws too
}

TEST_F(Stock, ContactSendsPressThenRelease) {
  IBitmap two(&img, 10, 20, 2, false);
  Attach(new IContactControl(&plug, 10, 10, 4, &two)); // bool parameter
  g.OnMouseDown(12, 12, &left);
  g.OnMouseUp(12, 12, &left);
  ASSERT_EQ(plug.hostNotices.size(), 2u);
  EXPECT_EQ(plug.hostNotices[0].value, 1.0);
  EXPECT_EQ(plug.hostNotices[1].value, 0.0);
}

TEST_F(Stock, KnobDragsAndWheel) {
  IBitmap frames(&img, 10, 500, 5, false); // 100 pixels high
  IKnobMultiControl* k = Attach(new IKnobMultiControl(&plug, 0, 0, 3, &frames, kVertical, 4.0));
  k->SetValueFromUserInput(0.5);
  k->OnMouseDrag(0, 0, 0, -40, &left);
  EXPECT_NEAR(k->GetValue(), 0.6, 1e-12);
  k->OnMouseDrag(0, 0, 0, -40, &shift); // fine
  EXPECT_NEAR(k->GetValue(), 0.61, 1e-12);
  k->OnMouseDrag(0, 0, 0, -1000, &left); // clamped at 1
  k->OnMouseWheel(0, 0, &left, -1);
  k->OnMouseWheel(0, 0, &shift, -2);
  EXPECT_NEAR(k->GetValue(), 0.988, 1e-12);
  IKnobLineControl* h = Attach(new IKnobLineControl(&plug, IRECT(0, 0, 50, 20), -1, &COLOR_RED, 0,
                                                    0, 0, 0, kHorizontal, 2.0));
  h->OnMouseDrag(0, 0, 10, 0, &left); // right raises
  EXPECT_NEAR(h->GetValue(), 0.1, 1e-12);
}

TEST_F(Stock, FaderWithAndWithoutTravel) {
  IBitmap handle(&img, 10, 10, 1, false);
  IFaderControl* none = Attach(new IFaderControl(&plug, 0, 0, 10, -1, &handle)); // no travel
  none->SnapToMouse(5, 5);
  EXPECT_EQ(none->GetValue(), 0.0);
  IFaderControl* fd = Attach(new IFaderControl(&plug, 0, 0, 60, -1, &handle, kVertical, true));
  fd->SnapToMouse(5, 5); // top of the travel
  EXPECT_EQ(fd->GetValue(), 1.0);
  EXPECT_FALSE(fd->IsHit(5, 30)); // only the handle is hit
}

TEST_F(Stock, VerticalFaderHandleRectangle) {
  // Handle 8 x 12 at (5, 7) with 62 pixels of length: 50 of travel, value 1 at the top;
  // the offset is truncated (0.25 gives 37.5 down).
  IBitmap handle(&img, 8, 12, 1, false);
  IFaderControl* fd = Attach(new IFaderControl(&plug, 5, 7, 62, -1, &handle));
  const struct {
    double value;
    int t;
  } cases[] = {{0.0, 57}, {0.25, 44}, {0.5, 32}, {1.0, 7}};
  for (const auto& c : cases) {
    const IRECT r = fd->GetHandleRECT(c.value);
    EXPECT_EQ(r.L, 5) << c.value;
    EXPECT_EQ(r.T, c.t) << c.value;
    EXPECT_EQ(r.R, 13) << c.value;
    EXPECT_EQ(r.B, c.t + 12) << c.value;
  }
  fd->SetValueFromUserInput(0.25); // no value: the current one
  EXPECT_EQ(fd->GetHandleRECT().T, 44);
}

} // namespace
