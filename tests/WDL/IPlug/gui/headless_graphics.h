#pragma once
// A graphics object without a screen: images come from a folder of PNG files, menus, text
// entries, file dialogs and URLs answer from scripts, and what it is asked is counted.

#include <cstring>
#include <deque>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "WDL/IPlug/IGraphics.h"
#include "WDL/lice/lice.h"
#include "support/png_test_io.h"

inline void PrintTo(const IRECT& r, std::ostream* os) {
  *os << "(" << r.L << ", " << r.T << ", " << r.R << ", " << r.B << ")";
}

// Source pixels that name their own position, to tell which part of an image was drawn.
inline LICE_pixel Pos(int x, int y) {
  return 0xFF000000u | (LICE_pixel)(y << 8) | (LICE_pixel)x;
}

inline void FillWithPositions(LICE_IBitmap* bmp) {
  for (int y = 0; y < bmp->getHeight(); ++y)
    for (int x = 0; x < bmp->getWidth(); ++x) bmp->getBits()[x + y * bmp->getRowSpan()] = Pos(x, y);
}

class HeadlessGraphics : public IGraphics {
public:
  HeadlessGraphics(IPlugBase* pPlug, int w, int h, std::string imageDir = "")
      : IGraphics(pPlug, w, h, 0), mImageDir(std::move(imageDir)) {}

  bool DrawScreen(IRECT* pR) override {
    lastScreen = *pR;
    return ++screenDraws;
  }
  void ForceEndUserEdit() override {}
  int ShowMessageBox(const char*, const char*, int) override { return 0; }
  // Like the platform's menu, it releases the mouse capture while it is open.
  IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pRect) override {
    ReleaseMouseCapture();
    lastMenu.clear();
    for (int i = 0; i < pMenu->GetNItems(); ++i)
      lastMenu.push_back(std::string(pMenu->GetItemText(i)) + (pMenu->IsItemChecked(i) ? "*" : ""));
    lastMenuRect = *pRect;
    const int answer = menuAnswers.empty() ? -1 : menuAnswers.front();
    if (!menuAnswers.empty()) menuAnswers.pop_front();
    if (answer < 0) return nullptr;
    pMenu->SetChosenItemIdx(answer);
    return pMenu;
  }
  void CreateTextEntry(IControl* pControl, IText*, IRECT* pRect, const char* str,
                       IParam* pParam) override {
    textEntries.push_back(str);
    lastTextRect = *pRect;
    if (textAnswers.empty()) return;
    std::string answer = textAnswers.front();
    textAnswers.pop_front();
    SetFromStringAfterPrompt(pControl, pParam, answer.data());
  }
  void HostPath(WDL_String*) override {}
  void PluginPath(WDL_String*) override {}
  void DesktopPath(WDL_String*) override {}
  void AppSupportPath(WDL_String*, bool) override {}
  void SandboxSafeAppSupportPath(WDL_String*) override {}
  void PromptForFile(WDL_String* pFile, EFileAction, WDL_String*, char* ext) override {
    lastExtensions = ext ? ext : "";
    pFile->Set(fileAnswer.c_str());
  }
  bool PromptForColor(IColor*, char*) override { return false; }
  void CopyFileToClipboard(WDL_String*) override {}
  bool OpenURL(const char* url, const char*, const char*, const char*) override {
    urls.push_back(url);
    return urlOpens;
  }
  void* OpenWindow(void*) override { return nullptr; }
  void CloseWindow() override {}
  void* GetWindow() override { return nullptr; }
  bool GetTextFromClipboard(WDL_String*) override { return false; }
  void UpdateTooltips() override {}
  LICE_IBitmap* OSLoadBitmap(int id, const char* name) override {
    ++loads[id];
    const char* base = strrchr(name, '/');
    return qvtest::ReadPng(mImageDir + "/" + (base ? base + 1 : name));
  }

  IRECT DirtyRect() {
    IRECT r;
    IsDirty(&r);
    return r;
  }
  IRECT CurrentDrawRect() const { return mDrawRECT; }
  int MouseCapture() const { return mMouseCapture; }

  std::string mImageDir;
  std::deque<int> menuAnswers;         // chosen index; -1 dismisses
  std::deque<std::string> textAnswers; // committed texts
  std::string fileAnswer, lastExtensions;
  bool urlOpens = true;

  static inline std::map<int, int> loads; // per image id, across every instance
  int screenDraws = 0;
  IRECT lastScreen, lastMenuRect, lastTextRect;
  std::vector<std::string> lastMenu; // item texts, "*" after a checked one
  std::vector<std::string> textEntries, urls;
};
