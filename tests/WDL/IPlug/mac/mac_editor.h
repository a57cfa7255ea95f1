#pragma once
// A small editor of stock controls over images in a test bundle, opened in a stand-in
// window, and a control that logs what reaches it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <Cocoa/Cocoa.h>
#include <PlatformTestHooks.h>

#include "WDL/IPlug/IControlStock.h"
#include "WDL/IPlug/IGraphicsCocoa.h"
#include "WDL/IPlug/IGraphicsMac.h"
#include "WDL/IPlug/plugbase_test_plug.h"
#include "WDL/lice/lice.h"
#include "support/png_test_io.h"

constexpr const char* kBundleID = "com.test.quorlen-mac";
constexpr int kW = 120, kH = 80;

// A fresh folder under the system's temporary folder, removed with the object.
struct TempDir {
  std::string path;
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "qv-mac-XXXXXX").string();
    path = mkdtemp(&tmpl[0]) ? tmpl : "";
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

// bg.png (kW x kH, every pixel different), sw.png (2 frames of 20 x 20) and knob.png (4).
inline void WriteBundle(const std::string& bundle) {
  const std::string res = bundle + "/Contents/Resources";
  std::filesystem::create_directories(res);
  LICE_MemBitmap bg(kW, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      LICE_PutPixel(&bg, x, y,
                    0xFF000000u | (LICE_pixel)(x * 2) << 16 | (LICE_pixel)(y * 3) << 8 |
                        (LICE_pixel)((x + y) & 0xFF),
                    1.0f, 0);
  qvtest::WritePng(&bg, res + "/bg.png");
  LICE_MemBitmap sw(20, 40);
  LICE_Clear(&sw, 0xFFC02020);
  LICE_FillRect(&sw, 0, 20, 20, 20, 0xFF20C040, 1.0f, 0);
  qvtest::WritePng(&sw, res + "/sw.png");
  LICE_MemBitmap knob(20, 80);
  for (int f = 0; f < 4; ++f)
    LICE_FillRect(&knob, 0, f * 20, 20, 20, 0xFF000000u | (f * 60u), 1.0f, 0);
  qvtest::WritePng(&knob, res + "/knob.png");
}

// A switch whose right click (or Command-click) opens the parameter's prompt.
class PromptSwitch : public ISwitchControl {
public:
  PromptSwitch(IPlugBase* p, int x, int y, int idx, IBitmap* b) : ISwitchControl(p, x, y, idx, b) {
    mPromptDisabled = false;
  }
  void OnMouseDown(int x, int y, IMouseMod* pMod) override {
    if (pMod->R)
      PromptUserInput();
    else
      ISwitchControl::OnMouseDown(x, y, pMod);
  }
};

// A knob whose right click opens a text field for its value.
class PromptKnob : public IKnobMultiControl {
public:
  PromptKnob(IPlugBase* p, int x, int y, int idx, IBitmap* b) : IKnobMultiControl(p, x, y, idx, b) {
    mPromptDisabled = false;
  }
};

// Logs every event in one line each: what, position, then details.
class LogControl : public IControl {
public:
  LogControl(IPlugBase* p, IRECT r, std::vector<std::string>* log) : IControl(p, r), mLog(log) {}
  bool Draw(IGraphics*) override { return true; }
  static std::string Mods(IMouseMod* m) {
    return std::string(m->L ? "L" : "") + (m->R ? "R" : "") + (m->S ? "S" : "") +
           (m->C ? "C" : "") + (m->A ? "A" : "");
  }
  void Add(const std::string& s) { mLog->push_back(s); }
  static std::string XY(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
  void OnMouseDown(int x, int y, IMouseMod* m) override { Add("down " + XY(x, y) + " " + Mods(m)); }
  void OnMouseUp(int x, int y, IMouseMod* m) override { Add("up " + XY(x, y) + " " + Mods(m)); }
  void OnMouseDrag(int x, int y, int, int, IMouseMod* m) override {
    Add("drag " + XY(x, y) + " " + Mods(m));
  }
  void OnMouseDblClick(int x, int y, IMouseMod* m) override {
    Add("dbl " + XY(x, y) + " " + Mods(m));
  }
  void OnMouseWheel(int, int, IMouseMod*, int d) override { Add("wheel " + std::to_string(d)); }
  bool OnKeyDown(int x, int y, int key) override {
    Add("key " + XY(x, y) + " " + std::to_string(key));
    return true;
  }
  void OnMouseOver(int x, int y, IMouseMod*) override { Add("over " + XY(x, y)); }
  void TextFromTextEntry(const char* txt) override { Add(std::string("text ") + txt); }

private:
  std::vector<std::string>* mLog;
};

// The editor: 0 background, 1 switch on parameter 0 (bool), 2 prompt switch on parameter 2
// (enum of five named values), 3 prompt knob on parameter 3 (double); tooltips on 1 and 3.
struct MacEditorTest : ::testing::Test {
  static inline TempDir* bundle = nullptr;
  static void SetUpTestSuite() {
    bundle = new TempDir;
    WriteBundle(bundle->path + "/Test.component");
    PlatformTest_RegisterBundle(kBundleID, (bundle->path + "/Test.component").c_str());
  }
  static void TearDownTestSuite() {
    delete bundle;
    bundle = nullptr;
  }

  TestPlug plug{8, "0-1 0-2", 0};
  IGraphicsMac* g = nullptr;
  NSWindow* window = nullptr;
  long baseline = 0;

  void SetUp() override {
    PlatformTest_ResetCocoa();
    static const char* names[] = {"zero", "one", "two", "three", "four"};
    for (int v = 0; v < 5; ++v) plug.GetParam(2)->SetDisplayText(v, names[v]);
    g = new IGraphicsMac(&plug, kW, kH);
    g->SetBundleID(kBundleID);
    IBitmap bg = g->LoadIBitmap(901, "resources/img/bg.png");
    IBitmap sw = g->LoadIBitmap(902, "resources/img/sw.png", 2);
    IBitmap knob = g->LoadIBitmap(903, "resources/img/knob.png", 4);
    g->AttachControl(new IBitmapControl(&plug, 0, 0, -1, &bg));
    g->AttachControl(new ISwitchControl(&plug, 10, 10, 0, &sw));
    g->AttachControl(new PromptSwitch(&plug, 40, 10, 2, &sw));
    g->AttachControl(new PromptKnob(&plug, 70, 10, 3, &knob));
    g->GetControl(1)->SetTooltip("Switch");
    g->GetControl(3)->SetTooltip("Knob");
    plug.AttachGraphics(g);
    window = PlatformTest_CreateWindow(kW, kH);
    baseline = PlatformTest_LiveObjectCount();
  }
  // The plug-in deletes the graphics object (and so its view) after the window has gone.
  void TearDown() override { window->release(); }
  void Open() { g->OpenWindow(window->contentView()); }
  // Framework pixels (x, y) as a person clicks them: the view takes 2 off x and 3 off y.
  void Post(int type, int x, int y, int clicks = 1, unsigned long flags = 0) {
    PlatformTest_PostMouse(window, type, x + 2, y + 3, clicks, flags);
  }
  void Click(int x, int y, unsigned long flags = 0) {
    Post(kPlatformTestMouseDown, x, y, 1, flags);
    Post(kPlatformTestMouseUp, x, y, 1, flags);
  }
  double Value(int idx) { return plug.GetParam(idx)->Value(); }
  uint32_t WindowPixel(int x, int y) {
    int w = 0;
    const uint32_t* px = PlatformTest_WindowPixels(window, &w, nullptr);
    return px[y * w + x];
  }
};
