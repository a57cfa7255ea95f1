// The editor the engine builds: its 31 controls, their parameters, places, images and tooltips,
// and what they show once drawn.

#include "IPlugTessary2/IContactSaveControl.h"
#include "IPlugTessary2/IKeyboardControl.h"
#include "IPlugTessary2/IPopupMenuChoosers.h"
#include "IPlugTessary2/PianoRollControl.h"
#include "WDL/IPlug/IControlStock.h"
#include "WDL/IPlug/IGraphics.h"
#include "WDL/lice/lice.h"
#include "engine_double.h"
#include "tools/ImageTable.h"

#include <Cocoa/Cocoa.h>
#include <gtest/gtest.h>

#include <typeinfo>

namespace {

class Hosted : public HostedPlug {
public:
  PianoRollControl* Roll() { return mPianoRoll; }
  IPopupMenuScales* Scales() { return mScalesMenu; }
  IPopupMenuChords* Chords() { return mChordsMenu; }
  // A press and release in the editor.
  void Click(int idx) {
    SetParameterFromGUI(idx, 1.0);
    SetParameterFromGUI(idx, 0.0);
  }
};

struct ControlRow {
  const std::type_info& type;
  int param;
  int x, y;  // top left
  int image; // place in kImageTable from 1; 0 for none
  int r, b;  // right and bottom when there is no image
  const char* tooltip;
  bool hidden;
};

const char* const kRests = "Randomly make notes rests";
const char* const kZoom = "Adjust number of bars visible on screen";
const char* const kOctaves = "Duplicate note pool across upper and lower octaves.";

const ControlRow kControls[] = {
    {typeid(IBitmapControl), -1, 0, 0, 1, 0, 0, "", false},
    {typeid(IContactSaveControl), 0, 611, 290, 2, 0, 0, "Save MIDI file.", false},
    {typeid(IContactControl), 6, 21, 53, 3, 0, 0, "Clear notes in pool.", false},
    {typeid(IContactControl), 4, 531, 282, 4, 0, 0, "Generate a new melody.", false},
    {typeid(IContactControl), 5, 73, 270, 5, 0, 0, "Clears all beats.", false},
    {typeid(IContactControl), 7, 6, 210, 6, 0, 0,
     "Tap while host DAW is playing to create rhythmic patterns.", false},
    {typeid(ISwitchControl), 8, 9, 143, 7, 0, 0, kOctaves, false},
    {typeid(ISwitchControl), 9, 25, 143, 7, 0, 0, "", false},
    {typeid(ISwitchControl), 10, 41, 143, 7, 0, 0, "", false},
    {typeid(ISwitchControl), 11, 57, 143, 7, 0, 0, "", false},
    {typeid(ISwitchControl), 12, 73, 143, 7, 0, 0, kOctaves, false},
    {typeid(ISwitchControl), 13, 89, 143, 7, 0, 0, "", false},
    {typeid(ISwitchControl), 14, 105, 143, 7, 0, 0, "", false},
    {typeid(ISwitchControl), 15, 121, 143, 7, 0, 0, "", false},
    {typeid(ISwitchControl), 16, 137, 143, 7, 0, 0, kOctaves, false},
    {typeid(IKnobMultiControl), 17, 309, 304, 8, 0, 0, "The duration of each beat entered.", false},
    {typeid(IKnobMultiControl), 19, 184, 301, 9, 0, 0,
     "The number of measures your sequence will be.", false},
    {typeid(ISwitchControl), 50, 409, 338, 10, 0, 0, kRests, false},
    {typeid(IContactControl), 38, 93, 322, 11, 0, 0, "Lock all notes in the melody.", false},
    {typeid(IContactControl), 42, 681, 271, 12, 0, 0, kZoom, false},
    {typeid(IContactControl), 43, 662, 269, 13, 0, 0, kZoom, false},
    {typeid(ISwitchControl), 31, 401, 323, 14, 0, 0, kRests, false},
    {typeid(IContactControl), 33, 608, 343, 15, 0, 0, "Click for our website", false},
    {typeid(IKnobMultiControl), 52, 456, 310, 16, 0, 0,
     "Chance each note will be a rest when generating new melody", false},
    {typeid(IPopupMenuScales), 22, 81, 68, 0, 134, 84, "", false},
    {typeid(IPopupMenuChords), 23, 81, 68, 0, 134, 84, "", true},
    {typeid(ISwitchControl), 24, 90, 84, 17, 0, 0, "", false},
    {typeid(IPopupMenuRhythms), 27, 27, 315, 0, 55, 335, "", false},
    {typeid(PianoRollControl), -1, 167, 11, 0, 696, 261, "", false},
    {typeid(IBitmapControl), -1, 213, 210, 18, 0, 0, "", true},
    {typeid(IKeyboardControl), -1, 220, 210, 0, -1, -1, "", true},
};

TEST(EngineEditor, ControlsInDrawingOrder) {
  Hosted e;
  IGraphics* g = e.Editor();
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(e.GetGUI(), g);
  EXPECT_FALSE(g->TooltipsEnabled());
  ASSERT_EQ(g->NControls(), 31);
  for (int i = 0; i < 31; ++i) {
    SCOPED_TRACE(i + 1);
    const ControlRow& r = kControls[i];
    IControl* c = g->GetControl(i);
    EXPECT_TRUE(typeid(*c) == r.type) << typeid(*c).name();
    EXPECT_EQ(c->ParamIdx(), r.param);
    EXPECT_EQ(c->GetRECT()->L, r.x);
    EXPECT_EQ(c->GetRECT()->T, r.y);
    if (r.image) {
      const ImageInfo& s = kImageTable[r.image - 1];
      EXPECT_EQ(c->GetRECT()->R, r.x + s.w) << s.file;
      EXPECT_EQ(c->GetRECT()->B, r.y + s.h) << s.file;
    } else if (r.r >= 0) {
      EXPECT_EQ(c->GetRECT()->R, r.r);
      EXPECT_EQ(c->GetRECT()->B, r.b);
    }
    EXPECT_STREQ(c->GetTooltip(), r.tooltip);
    EXPECT_EQ(c->IsHidden(), r.hidden);
  }
  EXPECT_EQ(g->GetControl(28), e.Roll());
  EXPECT_DOUBLE_EQ(g->GetControl(15)->GetValue(), 2.0 / 7.0); // the note-length knob shows 3
}

// Red tag and image number of the marker at a control's bottom-left, as drawn.
std::pair<int, int> Marker(IGraphics* g, int x, int bottom) {
  const LICE_pixel p = LICE_GetPixel((LICE_IBitmap*)g->GetDrawBitmap(), x, bottom - 1);
  return {(int)LICE_GETR(p), (int)LICE_GETG(p)};
}

TEST(EngineEditor, EachControlDrawsItsOwnImage) {
  Hosted e;
  IGraphics* g = e.Editor();
  ASSERT_NE(g, nullptr);
  NSWindow* window = PlatformTest_CreateWindow(kEditorWidth, kEditorHeight);
  g->OpenWindow(window->contentView());
  PlatformTest_AdvanceRunLoop(40);
  for (int i = 0; i < 31; ++i) {
    const ControlRow& r = kControls[i];
    if (!r.image || r.hidden) continue;
    SCOPED_TRACE(i + 1);
    const int bottom = r.y + kImageTable[r.image - 1].h;
    EXPECT_EQ(Marker(g, r.x, bottom), std::make_pair(kMarkerTag, r.image));
  }
  // The hidden keyboard frame leaves the background's pixels.
  EXPECT_NE(Marker(g, 213, 270).second, 18);
  g->CloseWindow();
  window->release();
}

TEST(EngineEditor, TheEngineDrivesItsControls) {
  Hosted e;
  ASSERT_NE(e.Editor(), nullptr);
  e.GetParam(kScaleOrChord)->Set(1);
  e.OnParamChange(kScaleOrChord);
  EXPECT_TRUE(e.Editor()->GetControl(24)->IsHidden());
  EXPECT_FALSE(e.Editor()->GetControl(25)->IsHidden());
  // The website button opens the maker's page through the workspace.
  PlatformTest_ResetCocoa();
  e.SetParameterFromGUI(kWebsite, 1.0);
  EXPECT_EQ(PlatformTest_OpenedURLs().size(), 1u); // on the press
  e.SetParameterFromGUI(kWebsite, 0.0);
  ASSERT_EQ(PlatformTest_OpenedURLs().size(), 1u);
  EXPECT_EQ(PlatformTest_OpenedURLs()[0], "https://www.ostrevane.example/quorlen-vude");
  e.ToggleToolTips(true);
  EXPECT_TRUE(e.Editor()->TooltipsEnabled());

  // The roll follows the melody: added notes, lock-all, then clearing.
  e.AddOneFromPianoRoll(60, 0, -1);
  e.AddOneFromPianoRoll(64, 120, -1);
  ASSERT_EQ(e.Roll()->GetNotes().size(), 2u);
  EXPECT_EQ(e.Roll()->GetNotes()[1].location, 120);
  EXPECT_FALSE(e.Roll()->GetNotes()[0].locked);
  e.Click(kLockAll);
  EXPECT_TRUE(e.Roll()->GetNotes()[0].locked);
  e.Click(kLockAll);
  EXPECT_FALSE(e.Roll()->GetNotes()[0].locked);
  e.Click(kClearBeats);
  EXPECT_TRUE(e.Roll()->GetNotes().empty());
  const int zoom = e.Roll()->GetZoom();
  e.Click(kZoomOut);
  EXPECT_EQ(e.Roll()->GetZoom(), zoom + 1);
  e.Click(kZoomIn);
  EXPECT_EQ(e.Roll()->GetZoom(), zoom);

  // A bar count set by the engine itself moves the bars knob and the roll's zoom.
  {
    IPlugBase::IMutexLock lock(&e);
    e.ChangeNumBars(12);
  }
  EXPECT_DOUBLE_EQ(e.Editor()->GetControl(16)->GetValue(), 8.0 / 9.0);
  EXPECT_EQ(e.Roll()->GetZoom(), 12);
  {
    IPlugBase::IMutexLock lock(&e);
    e.ChangeNumBars(14);
  }
  EXPECT_DOUBLE_EQ(e.Editor()->GetControl(16)->GetValue(), 1.0);
  EXPECT_EQ(e.Roll()->GetZoom(), 16);

  // Clearing the pool blanks both choosers' texts.
  e.Scales()->SetNoteText(2);
  e.Chords()->SetTypeText(1);
  e.Click(kClearPool);
  EXPECT_STREQ(e.Scales()->GetNoteText(), "-");
  EXPECT_STREQ(e.Chords()->GetTypeText(), "-");
}

} // namespace
