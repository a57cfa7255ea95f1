#include "WDL/IPlug/IControlStock.h"
#include "WDL/IPlug/gui/headless_graphics.h"

#include <gtest/gtest.h>

#include <string>

#include "WDL/IPlug/plugbase_test_plug.h"
#include "WDL/lice/lice.h"

// Records what the base asks of its graphics object.
class RecordingGraphics : public HeadlessGraphics {
public:
  RecordingGraphics(TestPlug* pPlug, std::string* pLog)
      : HeadlessGraphics(pPlug, 710, 365), mTestPlug(pPlug), mLog(pLog) {}
  // The plug-in still holds its parameters while its editor goes.
  ~RecordingGraphics() override { *mLog += mTestPlug->GetParam(0) ? ", deleted" : ", too late"; }
  void PrepDraw() override {
    IGraphics::PrepDraw();
    *mLog += std::to_string(pushes) + " pushes, prep " + std::to_string(mDrawBitmap->getWidth()) +
             "x" + std::to_string(mDrawBitmap->getHeight());
  }
  void SetParameterFromPlug(int idx, double value, bool normalized) override {
    IGraphics::SetParameterFromPlug(idx, value, normalized);
    ++pushes;
    lastNormalized = normalized;
    lockedBeforeAttach = mTestPlug->MutexHeld() && !mTestPlug->GetGUI();
  }

  int pushes = 0;
  bool lastNormalized = false, lockedBeforeAttach = false;
  TestPlug* mTestPlug;
  std::string* mLog;
};

TEST(PlugBase, AttachGraphicsRedrawAndDeleteFirst) {
  std::string log;
  {
    TestPlug plug;
    plug.AttachGraphics(nullptr);
    EXPECT_EQ(plug.GetGUI(), nullptr);
    plug.GetParam(3)->Set(0.5); // double -1..1: normalised 0.75
    RecordingGraphics* pGraphics = new RecordingGraphics(&plug, &log);
    IControl* pBound = new IInvisibleSwitchControl(&plug, IRECT(0, 0, 9, 9), 3);
    IControl* pAux = new IInvisibleSwitchControl(&plug, IRECT(0, 0, 9, 9), -1);
    pAux->AddAuxParam(1);
    for (IControl* pControl : {pBound, pAux}) pGraphics->AttachControl(pControl);
    plug.AttachGraphics(pGraphics);
    EXPECT_TRUE(pGraphics->lastNormalized);
    EXPECT_TRUE(pGraphics->lockedBeforeAttach);
    EXPECT_EQ(log, "55 pushes, prep 710x365");
    EXPECT_EQ(pBound->GetValue(), 0.75);

    plug.GetParam(3)->Set(-1.0);
    plug.GetParam(1)->Set(5.0);
    pBound->SetClean();
    plug.RedrawParamControls(); // plain values, normalised by the graphics object
    EXPECT_FALSE(pGraphics->lastNormalized);
    EXPECT_EQ(pBound->GetValue(), 0.0);
    EXPECT_TRUE(pBound->IsDirty());
    EXPECT_EQ(pAux->GetAuxParam(0)->mValue, 0.5);
  } // the controls go with the graphics object (LSan)
  EXPECT_EQ(log, "55 pushes, prep 710x365, deleted");
}

// A bound control that shows its parameter on two text controls of any kind.
class DisplayingControl : public IInvisibleSwitchControl {
public:
  DisplayingControl(IPlugBase* pPlug, int paramIdx, IControl* pVal, IControl* pName)
      : IInvisibleSwitchControl(pPlug, IRECT(0, 0, 9, 9), paramIdx) {
    mValDisplayControl = pVal;
    mNameDisplayControl = pName;
  }
};

TEST(PlugBase, PushedValueReachesTheDisplayControls) {
  TestPlug plug;
  IText text;
  ITextControl value(&plug, IRECT(0, 0, 40, 10), &text), name(&plug, IRECT(0, 0, 40, 10), &text);
  DisplayingControl control(&plug, 1, &value, &name); // "i", an int 0..10
  control.SetValueFromUserInput(0.5);
  EXPECT_STREQ(value.GetTextForPlug(), "5 ");
  EXPECT_STREQ(name.GetTextForPlug(), "i");
  // A control that shows no text takes the call and ignores it.
  IInvisibleSwitchControl plain(&plug, IRECT(0, 0, 9, 9), -1);
  DisplayingControl other(&plug, 1, &plain, nullptr);
  plain.SetClean();
  other.SetValueFromUserInput(1.0);
  EXPECT_EQ(plug.GetParam(1)->Int(), 10);
  EXPECT_FALSE(plain.IsDirty());
}
