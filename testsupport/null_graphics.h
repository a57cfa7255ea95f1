#pragma once
// A graphics object whose platform operations do nothing: no screen, no menus, no files.
// Tests and benchmarks derive from it and answer only what they need.

#include "WDL/IPlug/IGraphics.h"

class NullGraphics : public IGraphics {
public:
  NullGraphics(IPlugBase* pPlug, int w, int h, int fps = 0) : IGraphics(pPlug, w, h, fps) {}

  bool DrawScreen(IRECT*) override { return true; }
  IPopupMenu* CreateIPopupMenu(IPopupMenu*, IRECT*) override { return nullptr; }
  void CreateTextEntry(IControl*, IText*, IRECT*, const char*, IParam*) override {}
  void ForceEndUserEdit() override {}
  int ShowMessageBox(const char*, const char*, int) override { return 0; }
  void HostPath(WDL_String*) override {}
  void PluginPath(WDL_String*) override {}
  void DesktopPath(WDL_String*) override {}
  void AppSupportPath(WDL_String*, bool) override {}
  void SandboxSafeAppSupportPath(WDL_String*) override {}
  void PromptForFile(WDL_String*, EFileAction, WDL_String*, char*) override {}
  bool PromptForColor(IColor*, char*) override { return false; }
  bool CopyFileToClipboard(WDL_String*) override { return false; }
  bool OpenURL(const char*, const char*, const char*, const char*) override { return false; }
  void* OpenWindow(void*) override { return nullptr; }
  void CloseWindow() override {}
  void* GetWindow() override { return nullptr; }
  bool GetTextFromClipboard(WDL_String*) override { return false; }
  void UpdateTooltips() override {}
  LICE_IBitmap* OSLoadBitmap(int, const char*) override { return nullptr; }
};
