// The scale, chord and rhythm choosers through the editor's mouse dispatch, with menus
// answered by the headless graphics object and a plug-in that handles the three parameters
// the way the engine does.

#include "IPlugTessary2/Chords.h"
#include "IPlugTessary2/IPopupMenuChoosers.h"
#include "IPlugTessary2/Rhythm.h"
#include "IPlugTessary2/Scale.h"
#include "WDL/IPlug/gui/headless_graphics.h"

namespace {

using Strings = std::vector<std::string>;

// Only the three chooser parameters are declared, as integers over the tables' sizes.
struct ChooserPlug : IPlugBase {
  ChooserPlug()
      : IPlugBase(55, "0-1 0-2", 0, "Quorlen-VUDE", nullptr, "Ostrevane", 0x10004, kTestID,
                  0x5A76656B, 0, true, true, false, kAPIAU) {
    GetParam(22)->InitInt("ScalesDropdown", -1, 0, (int)scales.size());
    GetParam(23)->InitInt("ChordsDropdown", -1, 0, (int)chords.size());
    GetParam(27)->InitInt("RhythmsDropdown", -1, 0, (int)rhythms.size());
  }
  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int* pNum, int* pDenom) override { *pNum = *pDenom = 4; }
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }
  void PresetsChangedByHost() override {}
  // Logs each value; lays a rhythm only when the chooser says a choice was made.
  void OnParamChange(int idx) override {
    const int v = (int)GetParam(idx)->Value();
    sent.push_back(std::to_string(idx) + "=" + std::to_string(v));
    if (idx != 27 || !rhythmChooser) return;
    if (!rhythmChooser->IsSelected()) {
      currentRhythm = -2;
    } else if (v >= 0 && v != currentRhythm) {
      currentRhythm = v;
      laid.push_back(v);
    }
  }
  IPopupMenuRhythms* rhythmChooser = nullptr;
  int currentRhythm = -2;
  Strings sent;
  std::vector<int> laid;
};

struct ChooserTest : ::testing::Test {
  ChooserPlug plug;
  HeadlessGraphics& g = *new HeadlessGraphics(&plug, 710, 365);
  IPopupMenuScales* scalesC = new IPopupMenuScales(&plug, 22, IRECT(81, 68, 134, 84));
  IPopupMenuChords* chordsC = new IPopupMenuChords(&plug, 23, IRECT(81, 68, 134, 84));
  IPopupMenuRhythms* rhythmsC = new IPopupMenuRhythms(&plug, 27, IRECT(27, 315, 55, 335));
  IMouseMod left{true};

  // As the engine does: controls first, then the graphics object is attached.
  void SetUp() override {
    g.AttachControl(scalesC);
    g.AttachControl(chordsC);
    g.AttachControl(rhythmsC);
    chordsC->Hide(true);
    plug.rhythmChooser = rhythmsC;
    plug.AttachGraphics(&g);
  }
  void Click(int x, int y, int answer) {
    g.answers.push_back(answer < 0 ? "" : std::to_string(answer));
    g.OnMouseDown(x, y, &left);
    g.OnMouseUp(x, y, &left);
  }
  void Key(int k) { Click(85, 75, k); }
  void Type(int t) { Click(120, 75, t); }
  void Rhythm(int r) { Click(40, 325, r); }
  double Value(int idx) { return plug.GetParam(idx)->Value(); }
};

TEST_F(ChooserTest, EveryChoiceReachesItsParameterExactly) {
  for (int type = 0; type < kNumScaleTypes + kNumChordTypes; ++type) {
    if (type == kNumScaleTypes) scalesC->Hide(true), chordsC->Hide(false);
    const int t = type < kNumScaleTypes ? type : type - kNumScaleTypes;
    for (int key = 0; key < kNumKeys; ++key) {
      Key(key);
      Type(t);
      ASSERT_EQ(t * 12 + key, Value(type < kNumScaleTypes ? 22 : 23)) << key << " " << t;
    }
  }
  for (int r = 0; r < kNumRhythms; ++r) {
    Rhythm(r);
    ASSERT_EQ(r, Value(27));
  }
}

TEST_F(ChooserTest, MenusShownAtTheirAreas) {
  struct Case {
    int x, y;
    size_t items;
    int at;
    const char* item;
    IRECT area;
  } cases[] = {{85, 75, 12, 1, "C#/Db", IRECT(81, 68, 98, 84)},
               {120, 75, 20, 10, "Phyrgian Mode", IRECT(98, 68, 134, 84)},
               {40, 325, 13, 12, "1", IRECT(27, 317, 55, 335)},
               {40, 315, 13, 0, "1/64", IRECT(27, 317, 55, 335)}}; // the rows above the text too
  for (const Case& c : cases) {
    g.lastMenu.clear();
    Click(c.x, c.y, -1);
    ASSERT_EQ(c.items, g.lastMenu.size()) << c.x;
    EXPECT_EQ(c.item, g.lastMenu[c.at]) << c.x;
    EXPECT_EQ(c.area, g.lastPromptRect) << c.x;
  }
  scalesC->Hide(true);
  chordsC->Hide(false);
  Type(28);
  Type(-1);
  ASSERT_EQ(29u, g.lastMenu.size());
  EXPECT_EQ("13b9*", g.lastMenu[28]);
  EXPECT_STREQ("13b9", chordsC->GetTypeText());
}

TEST_F(ChooserTest, ChoicesDismissalsAndClearing) {
  Key(-1); // nothing chosen yet: index 0 still goes out
  Type(-1);
  EXPECT_EQ((Strings{"22=0", "22=0"}), plug.sent);
  EXPECT_STREQ("-", scalesC->GetNoteText());
  EXPECT_STREQ("-", scalesC->GetTypeText());
  Key(2);
  Type(4);
  EXPECT_EQ((Strings{"22=0", "22=0", "22=2", "22=2", "22=50", "22=50"}), plug.sent);
  EXPECT_STREQ("D", scalesC->GetNoteText());
  EXPECT_STREQ("min pen", scalesC->GetTypeText());
  Key(0);
  EXPECT_STREQ("C", scalesC->GetNoteText());

  scalesC->ClearMenu();
  EXPECT_STREQ("-", scalesC->GetNoteText());
  EXPECT_STREQ("-", scalesC->GetTypeText());
  plug.sent.clear();
  Key(-1); // the check mark and the value survive the clearing
  EXPECT_EQ("C*", g.lastMenu[0]);
  EXPECT_EQ((Strings{"22=48"}), plug.sent);
  g.SetParameterFromPlug(22, 7.0, false); // a value from the host moves only the value
  EXPECT_STREQ("-", scalesC->GetNoteText());
}

TEST_F(ChooserTest, RhythmHandshakeLaysOnlyChoices) {
  Rhythm(4);
  EXPECT_EQ((Strings{"27=4", "27=4"}), plug.sent);
  Rhythm(4); // the current rhythm again is laid again
  EXPECT_EQ((std::vector<int>{4, 4}), plug.laid);
  Rhythm(-1);
  EXPECT_EQ((std::vector<int>{4, 4}), plug.laid);
  EXPECT_FALSE(rhythmsC->IsSelected());
  EXPECT_STREQ("1/16", rhythmsC->GetDisplayText());
}

// A double click is a click: it opens the menu and never restores the first entry.
TEST_F(ChooserTest, DoubleClickOpensTheMenuAndChangesNothing) {
  Key(5);
  Type(3);
  Rhythm(6);
  plug.sent.clear();
  plug.laid.clear();
  for (auto [x, y, items] : {std::tuple{85, 75, 12u}, {120, 75, 20u}, {40, 325, 13u}}) {
    g.lastMenu.clear();
    g.OnMouseDblClick(x, y, &left);
    g.OnMouseUp(x, y, &left);
    EXPECT_EQ(items, g.lastMenu.size()) << x;
  }
  EXPECT_EQ((Strings{"22=41", "22=41", "27=6"}), plug.sent);
  EXPECT_TRUE(plug.laid.empty());
  EXPECT_STREQ("F", scalesC->GetNoteText());
  EXPECT_STREQ("1/8", rhythmsC->GetDisplayText());
}

TEST_F(ChooserTest, DrawsItsTextsInsideItsAreas) {
  Key(9);
  Type(0);
  Rhythm(12);
  LICE_Clear(g.GetDrawBitmap(), 0);
  IRECT all(0, 0, 710, 365);
  g.Draw(&all);
  auto inked = [&](IRECT r) {
    int n = 0;
    for (int y = r.T; y < r.B; ++y)
      for (int x = r.L; x < r.R; ++x) n += LICE_GetPixel(g.GetDrawBitmap(), x, y) != 0;
    return n;
  };
  EXPECT_GT(inked(IRECT(81, 68, 98, 84)), 0);
  EXPECT_GT(inked(IRECT(98, 68, 134, 84)), 0);
  EXPECT_GT(inked(IRECT(27, 317, 55, 335)), 0);
  EXPECT_EQ(0, inked(IRECT(0, 0, 710, 60)) + inked(IRECT(140, 60, 710, 300)));
}

} // namespace
