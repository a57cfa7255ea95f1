#include "WDL/IPlug/IControl.h"

#include "WDL/IPlug/gui/headless_graphics.h"

namespace {

TEST(Control, ValueFromPlugDefaultExtraRedrawFrameAndGrey) {
  TestPlug plug;
  ProbeControl c(&plug, IRECT(0, 0, 10, 10), 3);
  IMouseMod left(true), right(false, true);
  c.SetClean();
  c.OnMouseDblClick(0, 0, &left); // no default yet
  c.OnMouseDown(0, 0, &right);    // prompt is off by default
  c.SetValueFromPlug(0.7);        // the first value becomes the default, quietly
  c.SetValueFromPlug(0.7);
  EXPECT_FALSE(c.IsDirty());
  c.SetValueFromPlug(0.2);
  EXPECT_TRUE(c.IsDirty());
  c.SetClean();
  EXPECT_TRUE(c.IsDirty()); // drawn on the next frame as well
  c.SetClean();
  EXPECT_FALSE(c.IsDirty());
  EXPECT_TRUE(plug.paramChanges.empty());
  c.OnMouseDblClick(0, 0, &left);
  EXPECT_EQ(c.GetValue(), 0.7);
  EXPECT_EQ(plug.paramChanges, std::vector<int>{3});
  // A control draws with the weight it was made with until it is greyed or ungreyed.
  struct Faint : IControl {
    Faint() : IControl(nullptr, IRECT(), -1, IChannelBlend(IChannelBlend::kBlendAdd, 0.5f)) {}
    bool Draw(IGraphics*) override { return true; }
    using IControl::GetBlend;
  } made;
  EXPECT_FLOAT_EQ(made.GetBlend()->mWeight, 0.5f);
  c.GrayOut(true);
  EXPECT_FLOAT_EQ(c.GetBlend()->mWeight, 0.25f);
  c.GrayOut(false);
  EXPECT_FLOAT_EQ(c.GetBlend()->mWeight, 1.0f);
}

TEST(Control, SetDirtyClampsAndPushes) {
  TestPlug plug;
  ProbeControl bound(&plug, IRECT(), 3), unbound(&plug, IRECT());
  bound.Clamp(0.25, 0.75);
  bound.SetValueFromUserInput(0.9);
  ASSERT_EQ(plug.hostNotices.size(), 1u);
  EXPECT_EQ(plug.hostNotices[0].value, 0.75);
  EXPECT_DOUBLE_EQ(plug.GetParam(3)->Value(), 0.5);
  unbound.Clamp(0.25, 0.75);
  unbound.SetValueFromPlug(0.1); // default
  unbound.SetValueFromPlug(0.05);
  EXPECT_EQ(unbound.GetValue(), 0.25); // clamped even without a push
  unbound.SetDirty(true);
  EXPECT_EQ(plug.paramChanges, std::vector<int>{3});
}

TEST(Control, AuxParams) {
  TestPlug plug;
  ProbeControl c(&plug, IRECT());
  for (int idx : {2, 3, 2}) c.AddAuxParam(idx);
  EXPECT_EQ(c.AuxParamIdx(3), 1);
  EXPECT_EQ(c.AuxParamIdx(5), -1);
  c.SetClean();
  c.SetAuxParamValueFromPlug(1, 0.5);
  EXPECT_TRUE(c.IsDirty());
  c.SetAllAuxParamsFromGUI();
  EXPECT_EQ(plug.paramChanges, (std::vector<int>{2, 3, 2}));
  EXPECT_DOUBLE_EQ(plug.GetParam(3)->Value(), 0.0);
}

TEST(ControlDeathTest, AuxParamIndexChecks) {
  ProbeControl c(nullptr, IRECT());
  c.AddAuxParam(1);
  EXPECT_DEATH(c.GetAuxParam(1), "idx > -1 && idx < NAuxParams\\(\\)");
  EXPECT_DEATH(c.GetAuxParam(-1), "idx > -1 && idx < NAuxParams\\(\\)");
  EXPECT_DEATH(c.AddAuxParam(-1), "idx > -1");
}

} // namespace
