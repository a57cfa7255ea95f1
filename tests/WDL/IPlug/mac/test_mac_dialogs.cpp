// Dialogs, paths, URLs, the clipboard, the cursor, bundle images and the OS version.

#include <fstream>

#include "mac_editor.h"

namespace {
std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}
} // namespace

struct MacDialogs : MacEditorTest {
  TempDir home;
  std::string appSupport;
  void SetUp() override {
    MacEditorTest::SetUp();
    PlatformTest_SetHomeDirectory(home.path.c_str());
    appSupport = home.path + "/Library/Application Support";
    std::filesystem::create_directories(appSupport);
  }
  void TearDown() override {
    PlatformTest_SetHomeDirectory(nullptr);
    MacEditorTest::TearDown();
  }
};

TEST_F(MacDialogs, FilePanelsRecordWhatTheyAskAndReturnTheChoice) {
  Open();
  struct Row {
    int action;
    const char *dir, *name, *ext;
    bool ok;
    const char* answer;
    const char *expectFile, *expectDir, *kind;
    std::vector<std::string> types;
  } rows[] = {
      {kFileSave,
       "",
       "melody.mid",
       "mid",
       true,
       "/x/y/song.mid",
       "/x/y/song.mid",
       "/x/y/",
       "save",
       {"mid"}},
      {kFileOpen,
       "/a/b/",
       "",
       "mid txt",
       true,
       "/c/d.mid",
       "/c/d.mid",
       "/c/",
       "open",
       {"mid", "txt"}},
      {kFileSave, "", "m.mid", "mid", false, "", "", "~/Desktop", "save", {"mid"}},
      {kFileOpen, "/a/", "", "mid", false, "", "", "/a/", "open", {"mid"}},
  };
  for (auto& r : rows) {
    PlatformTest_ScriptPanel(r.ok, r.answer);
    WDL_String file(r.name), dir(r.dir);
    g->PromptForFile(&file, (EFileAction)r.action, &dir, (char*)r.ext);
    EXPECT_STREQ(file.Get(), r.expectFile) << r.answer;
    EXPECT_STREQ(dir.Get(), r.expectDir) << r.answer;
    const PlatformTestPanel& p = PlatformTest_LastPanel();
    EXPECT_EQ(p.kind, r.kind);
    EXPECT_EQ(p.directory, *r.dir ? r.dir : "~/Desktop"); // the tilde stays
    EXPECT_EQ(p.name, r.name);
    EXPECT_EQ(p.types, r.types);
    EXPECT_FALSE(p.allowsOtherFileTypes);
    EXPECT_TRUE(p.canChooseFiles);
    EXPECT_FALSE(p.canChooseDirectories);
  }
  EXPECT_EQ(PlatformTest_PanelsShown(), 4);
}

TEST_F(MacDialogs, WithoutAWindowNothingIsAsked) {
  WDL_String file("keep.mid"), dir("");
  PlatformTest_ScriptPanel(true, "/x.mid");
  g->PromptForFile(&file, kFileSave, &dir, (char*)"mid");
  EXPECT_STREQ(file.Get(), "");
  EXPECT_STREQ(dir.Get(), "");
  EXPECT_EQ(PlatformTest_PanelsShown(), 0);
}

TEST_F(MacDialogs, ChosenFolderIsRememberedInThePresetsFile) {
  Open();
  EXPECT_STREQ(g->GetSaveDirPreset(), "/");
  WDL_String file("x"), dir("/start/");
  PlatformTest_ScriptPanel(true, "/p/q");
  g->PromptForFile(&file, (EFileAction)2, &dir, (char*)"");
  EXPECT_STREQ(file.Get(), "");
  EXPECT_STREQ(dir.Get(), "/p/q/");
  const PlatformTestPanel& p = PlatformTest_LastPanel();
  EXPECT_FALSE(p.canChooseFiles);
  EXPECT_TRUE(p.canChooseDirectories);
  EXPECT_EQ(ReadFile(appSupport + "/.quorlenaudiopresets.txt"), "/p/q/");
  EXPECT_STREQ(g->GetSaveDirPreset(), "/p/q/");
  PlatformTest_ScriptPanel(false, "");
  g->PromptForFile(&file, (EFileAction)2, &dir, (char*)"");
  EXPECT_STREQ(dir.Get(), "/p/q/"); // a cancelled choice keeps the folder and the file
  EXPECT_STREQ(g->GetSaveDirPreset(), "/p/q/");
}

TEST_F(MacDialogs, Paths) {
  const std::string b = bundle->path + "/Test.component";
  std::filesystem::create_directories(b + "/Contents/MacOS");
  std::ofstream(b + "/Contents/MacOS/Test") << "so";
  WDL_String s;
  g->HostPath(&s);
  EXPECT_EQ(std::string(s.Get()), b + "/Contents/MacOS/Test");
  g->PluginPath(&s);
  EXPECT_EQ(std::string(s.Get()), bundle->path + "/");
  g->DesktopPath(&s);
  EXPECT_EQ(std::string(s.Get()), home.path + "/Desktop");
  g->AppSupportPath(&s, false);
  EXPECT_EQ(std::string(s.Get()), appSupport);
  g->AppSupportPath(&s, true);
  EXPECT_STREQ(s.Get(), "/System/Library/Application Support");
  g->SandboxSafeAppSupportPath(&s);
  EXPECT_EQ(std::string(s.Get()), home.path + "/Music");
  g->SetBundleID("com.test.none");
  s.Set("unchanged");
  g->HostPath(&s);
  g->PluginPath(&s);
  EXPECT_STREQ(s.Get(), "unchanged");
  EXPECT_STREQ(g->GetGUIAPI(), "Cocoa GUI");
  EXPECT_FALSE(g->PromptForColor(nullptr, nullptr));
}

TEST_F(MacDialogs, OpenURL) {
  const std::string existing = bundle->path + "/Test.component/Contents/Resources/bg.png";
  struct Row {
    std::string url;
    bool opened;
    std::string recorded; // "" when nothing reaches the workspace
  } rows[] = {
      {"https://example.org/a?b=1", true, "https://example.org/a?b=1"},
      {"http://bad url", false, ""}, // no URL object: not opened
      {"http", false, "http"},       // a URL, but nothing opens it
      {"/no/such file", false, "file:///no/such%20file"},
      {existing, true, "file://" + existing},
  };
  for (auto& r : rows) {
    const size_t before = PlatformTest_OpenedURLs().size();
    EXPECT_EQ(g->OpenURL(r.url.c_str()), r.opened) << r.url;
    if (r.recorded.empty()) {
      EXPECT_EQ(PlatformTest_OpenedURLs().size(), before) << r.url;
    } else {
      ASSERT_EQ(PlatformTest_OpenedURLs().size(), before + 1) << r.url;
      EXPECT_EQ(PlatformTest_OpenedURLs().back(), r.recorded);
    }
  }
  EXPECT_FALSE(g->OpenURL(nullptr));
}

TEST_F(MacDialogs, ClipboardAndCursor) {
  WDL_String s("old");
  NSPasteboard::generalPasteboard()->clearContents();
  EXPECT_FALSE(g->GetTextFromClipboard(&s));
  EXPECT_STREQ(s.Get(), "");
  WDL_String path("/tmp/a b.mid");
  EXPECT_FALSE(g->CopyFileToClipboard(nullptr));
  EXPECT_TRUE(g->CopyFileToClipboard(&path)); // what bringing the application forward answered
  EXPECT_TRUE(g->GetTextFromClipboard(&s));
  EXPECT_STREQ(s.Get(), "file:///tmp/a%20b.mid");

  Open();
  Post(kPlatformTestMouseMoved, 30, 40); // the window sits at the screen's bottom left
  g->HideMouseCursor();
  g->HideMouseCursor();
  EXPECT_TRUE(PlatformTest_CursorHidden());
  g->ShowMouseCursor();
  EXPECT_FALSE(PlatformTest_CursorHidden());
  double x = 0, y = 0;
  PlatformTest_LastCursorMove(&x, &y);
  EXPECT_EQ(x, 32);
  EXPECT_EQ(y, 900 - (kH - 43));
  g->ShowMouseCursor();
  EXPECT_FALSE(PlatformTest_CursorHidden());
}

TEST_F(MacDialogs, BundleImages) {
  std::ofstream(bundle->path + "/Test.component/Contents/Resources/bad.png") << "not a png";
  struct Row {
    const char *bundleID, *name;
    int w; // 0: no image
  } rows[] = {
      {kBundleID, "resources/img/sw.png", 20},
      {kBundleID, "resources/img/sw.PNG", 20},
      {kBundleID, "sw.png", 20},
      {kBundleID, "resources/img/sw.jpg", 0},
      {kBundleID, "png", 0},
      {kBundleID, "nope.png", 0},
      {kBundleID, "bad.png", 0},
      {"com.test.none", "sw.png", 0},
      {kBundleID, nullptr, 0},
  };
  for (auto& r : rows) {
    LICE_IBitmap* bmp = IGraphicsMac::LoadImgFromResourceOSX(r.bundleID, r.name);
    EXPECT_EQ(bmp ? bmp->getWidth() : 0, r.w) << (r.name ? r.name : "null");
    delete bmp;
  }
}

TEST(MacOSVersion, ProductVersionsReadAsHexadecimal) {
  struct Row {
    const char* version;
    int value;
  } rows[] = {{"10.7", 0x1070},
              {"10.7.0", 0x1070},
              {"10.7.5", 0x1075},
              {"10.12.1", 0x10121},
              {"10.12", 0x10120},
              {"10.10.5", 0x10105},
              {"", 0},
              {nullptr, 0}};
  for (auto& r : rows) EXPECT_EQ(IGraphicsMac::ParseSystemVersion(r.version), r.value);
  EXPECT_GT(IGraphicsMac::ParseSystemVersion("10.10.5"), 0x1070);
  EXPECT_EQ(IGraphicsMac::GetUserOSVersion(), 0x10121); // the stand-in's default system
}

TEST_F(MacDialogs, MessageBoxes) {
  struct Row {
    int type;
    unsigned long press;
    int result;
    std::vector<std::string> buttons;
  } rows[] = {
      {0, kCFUserNotificationDefaultResponse, 1, {"OK"}},
      {1, kCFUserNotificationAlternateResponse, 7, {"OK", "Cancel"}},
      {3, kCFUserNotificationOtherResponse, 2, {"Yes", "No", "Cancel"}},
      {4, kCFUserNotificationDefaultResponse, 1, {"Yes", "No"}},
      {4, kCFUserNotificationOtherResponse, 0, {"Yes", "No"}}, // no such button
      {3, kCFUserNotificationCancelResponse, 0, {"Yes", "No", "Cancel"}},
  };
  for (auto& r : rows) {
    PlatformTest_ScriptAlert(r.press);
    EXPECT_EQ(g->ShowMessageBox("Caf\x8e?", "Title", r.type), r.result) << r.type;
    const PlatformTestAlert a = PlatformTest_LastAlert();
    EXPECT_EQ(a.buttons, r.buttons);
    EXPECT_EQ(a.header, "Title");
    EXPECT_EQ(a.message, "Caf\xc3\xa9?"); // Mac Roman text
    EXPECT_EQ(a.level, kCFUserNotificationNoteAlertLevel);
  }
  EXPECT_EQ(g->ShowMessageBox("x", "y", 0), 0); // nothing scripted: cancelled
}
