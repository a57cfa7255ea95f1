// The editor in a stand-in window: coordinates, events, redraw, menus, text entry, tooltips,
// the view's life and the window's pixels.

#include "mac_editor.h"

TEST(CocoaConversions, RectanglesGrowByOnePixelOnARoundTrip) {
  TestPlug plug(8, "0-1 0-2", 0);
  IGraphicsMac g(&plug, 710, 365);
  struct Row {
    IRECT in;
    NSRect ns;
    IRECT back;
  } rows[] = {
      {{10, 20, 110, 70}, {{10, 294}, {101, 51}}, {10, 20, 111, 71}},
      {{0, 0, 710, 365}, {{0, -1}, {711, 366}}, {0, 0, 711, 366}},
  };
  for (auto& r : rows) {
    const NSRect ns = ToNSRect(&g, &r.in);
    EXPECT_EQ(ns.origin.x, r.ns.origin.x);
    EXPECT_EQ(ns.origin.y, r.ns.origin.y);
    EXPECT_EQ(ns.size.width, r.ns.size.width);
    EXPECT_EQ(ns.size.height, r.ns.size.height);
    NSRect copy = ns;
    EXPECT_TRUE(ToIRECT(&g, &copy) == r.back);
  }
  NSRect frac = NSMakeRect(10.9, 294.7, 100.9, 50.9); // each part truncated first
  EXPECT_TRUE(ToIRECT(&g, &frac) == IRECT(10, 21, 110, 71));
  EXPECT_EQ(AdjustFontSize(14), 12);
  EXPECT_EQ(AdjustFontSize(9), 8);
}

// Events reach one logging control that covers the editor.
struct ViewEvents : MacEditorTest {
  std::vector<std::string> log;
  void SetUp() override {
    MacEditorTest::SetUp();
    g->AttachControl(new LogControl(&plug, IRECT(0, 0, kW, kH), &log));
    Open();
  }
};

TEST_F(ViewEvents, ClickPositionsLoseTwoAndThreePixels) {
  PlatformTest_PostMouse(window, kPlatformTestMouseDown, 12.7, kH - 60.2, 1, 0);
  // At view point (12.7, 60.2) of an editor 80 high: (12 - 2, 80 - 60 - 3).
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "down 10,17 L");
}

TEST_F(ViewEvents, DoubleClickGivesDownThenDoubleClick) {
  Post(kPlatformTestMouseDown, 50, 40, 1);
  Post(kPlatformTestMouseUp, 50, 40, 1);
  Post(kPlatformTestMouseDown, 50, 40, 2);
  Post(kPlatformTestRightMouseDown, 50, 40, 2);
  EXPECT_EQ(
      log, (std::vector<std::string>{"down 50,40 L", "up 50,40 L", "dbl 50,40 L", "down 50,40 R"}));
}

TEST_F(ViewEvents, ModifierBits) {
  struct Row {
    int type;
    unsigned long flags;
    const char* expect;
  } rows[] = {
      {kPlatformTestMouseDown, NSShiftKeyMask, "down 5,5 LS"},
      {kPlatformTestMouseDown, NSControlKeyMask, "down 5,5 LC"},
      {kPlatformTestMouseDown, NSAlternateKeyMask, "down 5,5 LA"},
      {kPlatformTestMouseDown, NSCommandKeyMask, "down 5,5 LR"},
      {kPlatformTestMouseDown, NSAlphaShiftKeyMask, "down 5,5 L"},
      {kPlatformTestMouseDown, 1ul << 36 | NSShiftKeyMask, "down 5,5 LS"},
      {kPlatformTestRightMouseDown, NSShiftKeyMask | NSAlternateKeyMask, "down 5,5 RSA"},
      {kPlatformTestRightMouseDown, NSCommandKeyMask | NSControlKeyMask, "down 5,5 RC"},
  };
  for (auto& r : rows) {
    log.clear();
    Post(r.type, 5, 5, 1, r.flags);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], r.expect) << r.flags;
    Post(r.type + 1, 5, 5, 1, 0); // the matching up
  }
}

TEST_F(ViewEvents, DragsAndMovesAndRightButton) {
  Post(kPlatformTestRightMouseDown, 5, 6);
  Post(kPlatformTestRightMouseDragged, 7, 8);
  Post(kPlatformTestRightMouseUp, 9, 10);
  Post(kPlatformTestMouseDown, 5, 6);
  Post(kPlatformTestMouseDragged, 1, 2);
  Post(kPlatformTestMouseUp, 1, 2);
  g->HandleMouseOver(true);
  Post(kPlatformTestMouseMoved, 30, 31);
  EXPECT_EQ(log, (std::vector<std::string>{"down 5,6 R", "drag 7,8 R", "up 9,10 R", "down 5,6 L",
                                           "drag 1,2 L", "up 1,2 L", "over 30,31"}));
}

TEST_F(ViewEvents, KeyCodes) {
  Post(kPlatformTestMouseMoved, 33, 44); // keys go to the last mouse position
  struct Row {
    unsigned short keyCode;
    const char* chars;
    int code; // -1: not for the editor
  } rows[] = {
      {49, " ", 0}, {126, "x", 1}, {125, "x", 2}, {123, "x", 3},       {124, "x", 4},
      {29, "0", 5}, {25, "9", 14}, {0, "A", 15},  {6, "Z", 40},        {0, "a", 15},
      {6, "z", 40}, {27, "-", -1}, {50, "`", -1}, {1, "\xc3\xa9", -1},
  };
  for (auto& r : rows) {
    log.clear();
    const size_t unhandled = PlatformTest_UnhandledKeys().size();
    PlatformTest_PostKey(window, r.keyCode, r.chars, NSShiftKeyMask);
    if (r.code < 0) {
      EXPECT_TRUE(log.empty()) << r.chars;
      ASSERT_EQ(PlatformTest_UnhandledKeys().size(), unhandled + 1) << r.chars;
      EXPECT_EQ(PlatformTest_UnhandledKeys().back(), r.chars);
    } else {
      ASSERT_EQ(log.size(), 1u) << r.chars;
      EXPECT_EQ(log[0], "key 33,44 " + std::to_string(r.code));
    }
  }
  // Empty and two-character events are dropped: they reach nobody.
  const size_t unhandled = PlatformTest_UnhandledKeys().size();
  log.clear();
  PlatformTest_PostKey(window, 0, "", 0);
  PlatformTest_PostKey(window, 0, "ab", 0);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(PlatformTest_UnhandledKeys().size(), unhandled);
}

TEST_F(ViewEvents, WheelDeltasAreTruncated) {
  for (double d : {0.7, -1.6, 3.0}) PlatformTest_PostScroll(window, 20, 20, d, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"wheel 0", "wheel -1", "wheel 3"}));
}

TEST_F(ViewEvents, DetachedViewIgnoresEverything) {
  NSView* view = (NSView*)g->GetWindow();
  view->retain();
  g->CloseWindow();
  auto* editor = static_cast<IGraphicsCocoa_vIPlugTessary2_au*>(view);
  window->contentView()->addSubview(view); // still shown, no longer attached
  Post(kPlatformTestMouseDown, 5, 5);
  PlatformTest_PostKey(window, 0, "a", 0);
  PlatformTest_PostScroll(window, 5, 5, 2, 0);
  EXPECT_TRUE(log.empty());
  EXPECT_FALSE(editor->isOpaque());
  view->removeFromSuperview();
  view->release();
}

TEST_F(MacEditorTest, TimerDrawsAndWindowShowsTheBitmap) {
  Open();
  EXPECT_EQ(WindowPixel(0, 0), 0xFFFFFFFFu); // nothing before the run loop turns
  PlatformTest_AdvanceRunLoop(0);            // then the new view is drawn whole
  EXPECT_EQ(WindowPixel(0, 0), 0xFF000000u);
  LICE_FillRect(g->GetDrawBitmap(), 0, 0, kW, kH, 0xFF0000FF, 1.0f, 0);
  g->SetAllControlsDirty();
  PlatformTest_AdvanceRunLoop(39);
  EXPECT_EQ(WindowPixel(0, 0), 0xFF000000u); // a redraw waits for the timer
  PlatformTest_AdvanceRunLoop(1);
  TempDir tmp;
  const std::string png = tmp.path + "/window.png";
  ASSERT_TRUE(PlatformTest_SaveWindowPNG(window, png.c_str()));
  LICE_MemBitmap* shown = qvtest::ReadPng(png);
  ASSERT_NE(shown, nullptr);
  LICE_SysBitmap* drawn = g->GetDrawBitmap();
  int differ = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      differ += (LICE_GetPixel(shown, x, y) & 0xFFFFFF) != (LICE_GetPixel(drawn, x, y) & 0xFFFFFF);
  EXPECT_EQ(differ, 0);
  EXPECT_EQ(WindowPixel(15, 15), 0xFFC02020u); // switch frame 1
  EXPECT_EQ(WindowPixel(119, 79), 0xFF000000u | (238u << 16) | (237u << 8) | 198u);
  EXPECT_TRUE(qvtest::MatchesGolden(shown, QV_SOURCE_DIR "/tests/WDL/IPlug/mac/golden_window.png",
                                    {0, 0, 0.0, false}, false));
  delete shown;
}

TEST_F(MacEditorTest, ClickChangesParameterAndOnlyTheDirtyAreaIsRedrawn) {
  Open();
  PlatformTest_AdvanceRunLoop(40);
  LICE_FillRect(g->GetDrawBitmap(), 0, 0, kW, kH, 0xFF0000FF, 1.0f, 0); // stale pixels
  Click(20, 20);
  EXPECT_EQ(Value(0), 1.0);
  EXPECT_EQ(plug.begins, std::vector<int>{0});
  EXPECT_EQ(plug.ends, std::vector<int>{0});
  PlatformTest_AdvanceRunLoop(40);
  const auto bg = [](uint32_t x, uint32_t y) {
    return 0xFF000000u | (2 * x) << 16 | (3 * y) << 8 | ((x + y) & 0xFF);
  };
  EXPECT_EQ(WindowPixel(15, 15), 0xFF20C040u); // frame 2 drawn
  EXPECT_EQ(WindowPixel(30, 30), bg(30, 30));  // the area grew by a pixel: background redrawn
  EXPECT_EQ(WindowPixel(9, 9), bg(9, 9));      // outside: the first tick's pixels
  EXPECT_EQ(WindowPixel(31, 31), bg(31, 31));
  EXPECT_EQ(LICE_GetPixel(g->GetDrawBitmap(), 31, 31), 0xFF0000FFu);
}

TEST_F(MacEditorTest, MenuChoiceReachesTheControlAndDismissalChangesNothing) {
  Open();
  PlatformTest_ScriptMenuChoice({3});
  Click(45, 15, NSCommandKeyMask); // Command-click: the prompt
  const PlatformTestMenu& m = PlatformTest_LastMenu();
  ASSERT_EQ(m.items.size(), 5u);
  EXPECT_EQ(m.items[1].title, "one");
  EXPECT_TRUE(m.items[1].checked);
  EXPECT_FALSE(m.items[0].checked);
  EXPECT_TRUE(m.chosen);
  EXPECT_EQ(m.x, 40); // anchored at the control's left
  EXPECT_EQ(m.y, kH - 30 - 1 - 4);
  EXPECT_EQ(Value(2), 3.0);
  // The gesture that the menu interrupted ends once.
  EXPECT_EQ(plug.begins, std::vector<int>{2});
  EXPECT_EQ(plug.ends, std::vector<int>{2});

  PlatformTest_ScriptMenuChoice({});
  Click(45, 15, NSCommandKeyMask);
  EXPECT_EQ(PlatformTest_MenusShown(), 2);
  EXPECT_FALSE(PlatformTest_LastMenu().chosen);
  EXPECT_EQ(Value(2), 3.0);
  Click(45, 15, NSCommandKeyMask); // nothing scripted: dismissed
  EXPECT_EQ(Value(2), 3.0);
  EXPECT_EQ(plug.ends, (std::vector<int>{2, 2, 2}));
  PlatformTest_ScriptMenuChoice({0});
  Click(45, 15, NSCommandKeyMask);
  EXPECT_EQ(Value(2), 0.0);
}

TEST_F(MacEditorTest, MenusKeepTheModelsLayoutAndAnswerWithTheSubmenu) {
  Open();
  IPopupMenu sub;
  sub.AddItem("Deep A");
  sub.AddItem("Deep B");
  IPopupMenu menu(2);
  for (const char* t : {"a", "b", "c", "d", "e", "f"}) menu.AddItem(t);
  menu.AddItem("Title", -1, IPopupMenuItem::kTitle);
  menu.AddItem("Off", -1, IPopupMenuItem::kDisabled);
  menu.AddSeparator();
  menu.AddItem("More", &sub);
  IRECT r(10, 20, 30, 40);
  PlatformTest_ScriptMenuChoice({9, 1});
  EXPECT_EQ(g->CreateIPopupMenu(&menu, &r), &sub);
  EXPECT_EQ(sub.GetChosenItemIdx(), 1);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  const auto& items = PlatformTest_LastMenu().items;
  ASSERT_EQ(items.size(), 10u);
  EXPECT_EQ(items[6].title, "07: Title");
  EXPECT_EQ(items[6].indentation, 1);
  EXPECT_TRUE(items[6].enabled); // a title stays selectable
  EXPECT_EQ(items[0].indentation, 0);
  EXPECT_FALSE(items[7].enabled);
  EXPECT_TRUE(items[8].separator);
  EXPECT_EQ(items[9].title, "10: More");
  EXPECT_FALSE(items[9].hasAction);
  ASSERT_EQ(items[9].submenu.size(), 2u);
  EXPECT_EQ(items[9].submenu[1].title, "Deep B"); // a submenu has its own (no) prefix
  PlatformTest_ScriptMenuChoice({6});
  EXPECT_EQ(g->CreateIPopupMenu(&menu, &r), &menu);
  EXPECT_EQ(menu.GetChosenItemIdx(), 6);
  for (int prefix : {1, 3}) {
    menu.SetPrefix(prefix);
    g->CreateIPopupMenu(&menu, &r);
    EXPECT_EQ(PlatformTest_LastMenu().items[9].title, prefix == 1 ? "10: More" : "010: More");
    EXPECT_EQ(PlatformTest_LastMenu().items[0].title, prefix == 1 ? "1: a" : "001: a");
  }
}

TEST_F(MacEditorTest, TypedTextCommitsThroughTheFormatter) {
  Open();
  Click(80, 20, NSCommandKeyMask);
  NSTextField* field = PlatformTest_EditedTextField(window);
  ASSERT_NE(field, nullptr);
  EXPECT_STREQ(field->stringValue()->UTF8String(), "0.250");
  EXPECT_EQ(field->alignment(), NSCenterTextAlignment);
  EXPECT_STREQ(field->font()->fontName()->UTF8String(), "Monaco");
  EXPECT_EQ(field->font()->pointSize(), 9);
  EXPECT_EQ(field->cell()->lineBreakMode(), NSLineBreakByTruncatingTail);
  EXPECT_EQ(field->focusRingType(), NSFocusRingTypeNone);
  EXPECT_FALSE(field->isBordered());
  EXPECT_EQ(field->backgroundColor()->redComponent(), 1.0);
  EXPECT_EQ(field->textColor()->redComponent(), 0.0);
  EXPECT_EQ(field->frame().origin.x, 60); // 40 x 16 around the knob's centre (80, 20)
  EXPECT_EQ(field->frame().origin.y, kH - 28 - 1);
  EXPECT_EQ(field->frame().size.width, 41);

  // A second request while the field is open is ignored.
  IRECT r(0, 0, 30, 10);
  g->CreateTextEntry(g->GetControl(1), g->GetControl(1)->GetText(), &r, "zzz", plug.GetParam(0));
  EXPECT_EQ(PlatformTest_EditedTextField(window), field);
  EXPECT_STREQ(field->stringValue()->UTF8String(), "0.250");

  EXPECT_EQ(PlatformTest_TypeText(window, "-0.5e"), 4); // e refused
  EXPECT_EQ(PlatformTest_TypeText(window, "1234"), 3);  // the eighth character refused
  EXPECT_STREQ(field->stringValue()->UTF8String(), "-0.5123");
  const long live = PlatformTest_LiveObjectCount();
  EXPECT_TRUE(PlatformTest_CommitText(window));
  EXPECT_EQ(PlatformTest_EditedTextField(window), nullptr);
  EXPECT_LT(PlatformTest_LiveObjectCount(), live); // the field is gone
  EXPECT_DOUBLE_EQ(Value(3), -0.5123);
  EXPECT_EQ(window->firstResponder(), (NSResponder*)g->GetWindow());
}

TEST_F(MacEditorTest, TextEntryEndsWithoutValueOnWheelAndForcedEnd) {
  Open();
  for (int how = 0; how < 3; ++how) {
    Click(80, 20, NSCommandKeyMask);
    ASSERT_NE(PlatformTest_EditedTextField(window), nullptr);
    PlatformTest_TypeText(window, "0.9");
    if (how == 0) PlatformTest_PostScroll(window, 100, 60, 0, 0);
    if (how == 1) g->ForceEndUserEdit();
    if (how == 2) g->CloseWindow();
    EXPECT_EQ(PlatformTest_EditedTextField(window), nullptr);
    EXPECT_DOUBLE_EQ(Value(3), 0.25);
  }
  // The colour space of the first display stays with the graphics until it is deleted.
  EXPECT_EQ(PlatformTest_LiveObjectCount(), baseline + 1);
}

TEST_F(MacEditorTest, ClickElsewhereCommitsTheText) {
  std::vector<std::string> log;
  g->AttachControl(new LogControl(&plug, IRECT(100, 60, 120, 80), &log));
  Open();
  g->CreateTextEntry(g->GetControl(4), g->GetControl(4)->GetText(), g->GetControl(4)->GetRECT(),
                     "free", nullptr);
  PlatformTest_TypeText(window, "abc");
  Post(kPlatformTestMouseDown, 20, 60);
  EXPECT_EQ(log, (std::vector<std::string>{"text abc"}));
  EXPECT_EQ(PlatformTest_EditedTextField(window), nullptr);
}

TEST_F(MacEditorTest, TooltipsAnswerForTheControlUnderTheMouse) {
  g->EnableTooltips(true);
  Open();
  const auto& tips = static_cast<NSView*>(g->GetWindow())->toolTips();
  EXPECT_EQ(tips.size(), 4u); // every visible control, with or without a text
  Post(kPlatformTestMouseMoved, 20, 20);
  EXPECT_EQ(PlatformTest_ToolTipAt(window, 22, 23), "Switch");
  Post(kPlatformTestMouseMoved, 80, 20);
  EXPECT_EQ(PlatformTest_ToolTipAt(window, 82, 23), "Knob");
  Post(kPlatformTestMouseMoved, 45, 15);
  EXPECT_EQ(PlatformTest_ToolTipAt(window, 47, 18), "");
  g->GetControl(3)->Hide(true);
  g->UpdateTooltips();
  EXPECT_EQ(tips.size(), 3u);
  g->CloseWindow();
  g->EnableTooltips(false);
  Open();
  EXPECT_TRUE(static_cast<NSView*>(g->GetWindow())->toolTips().empty());
}

TEST_F(MacEditorTest, ClosingAndReopeningLeavesNothingBehind) {
  Open();
  PlatformTest_AdvanceRunLoop(40); // the first draw makes the colour space, kept from then on
  g->CloseWindow();
  baseline = PlatformTest_LiveObjectCount();
  for (int round = 0; round < 2; ++round) {
    Open();
    NSView* view = (NSView*)g->GetWindow();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->superview(), window->contentView());
    EXPECT_EQ(window->firstResponder(), (NSResponder*)view);
    PlatformTest_AdvanceRunLoop(40);
    Open(); // a second open closes the first view
    EXPECT_EQ(window->contentView()->subviews().size(), 1u);
    if (round == 0) {
      g->CloseWindow();
    } else {
      static_cast<NSView*>(g->GetWindow())->removeFromSuperview(); // the host removes it
    }
    EXPECT_EQ(g->GetWindow(), nullptr);
    EXPECT_TRUE(window->contentView()->subviews().empty());
    EXPECT_EQ(PlatformTest_LiveObjectCount(), baseline);
    const double before = PlatformTest_RunLoopTimeMs();
    PlatformTest_AdvanceRunLoop(200); // no timer left to fire
    EXPECT_EQ(PlatformTest_RunLoopTimeMs(), before + 200);
  }
  IRECT r(0, 0, kW, kH);
  EXPECT_FALSE(g->DrawScreen(&r));
  EXPECT_EQ(g->CreateIPopupMenu(nullptr, &r), nullptr);
}

TEST_F(MacEditorTest, DrawScreenNeedsTheViewsDrawing) {
  IRECT r(0, 0, kW, kH);
  EXPECT_FALSE(g->DrawScreen(&r)); // no view
  Open();
  EXPECT_FALSE(g->DrawScreen(&r)); // a view, but not while it is displayed
  EXPECT_TRUE(g->Draw(&r) == false);
}

TEST_F(MacEditorTest, ResizeToTheSameSizeKeepsTheControls) {
  Open();
  g->Resize(kW, kH);
  EXPECT_EQ(g->NControls(), 4);
  g->Resize(kW, kH + 5);
  EXPECT_EQ(g->NControls(), 0);
  EXPECT_EQ(static_cast<NSView*>(g->GetWindow())->frame().size.height, kH + 5);
  g->Resize(kW + 10, kH + 5);
  EXPECT_EQ(static_cast<NSView*>(g->GetWindow())->frame().size.width, kW + 10);
}
