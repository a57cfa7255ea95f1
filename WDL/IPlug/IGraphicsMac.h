#pragma once
// The editor on macOS: a Cocoa view (IGraphicsCocoa.h) shows the offscreen bitmap and feeds
// input to the framework; menus, text entry, dialogs, paths and image resources come from
// the platform. Main thread only, except GetUserOSVersion, which any thread may call.

#include "WDL/wdlstring.h"
#include "WDL/IPlug/IGraphics.h"

class IGraphicsMac : public IGraphics {
public:
  // fps below 1 means 25.
  IGraphicsMac(IPlugBase* pPlug, int w, int h, int fps = 0);
  // Closes the view, then releases the colour space.
  ~IGraphicsMac() override;

  void SetBundleID(const char* bundleID) { mBundleID.Set(bundleID); }
  const char* GetBundleID() { return mBundleID.Get(); }

  // Copies the whole offscreen bitmap into the view's drawing context; false without a
  // view or outside the view's drawing.
  bool DrawScreen(IRECT* pR) override;
  bool MeasureIText(IText* pTxt, char* str, IRECT* pR) override;
  // Drops an open text entry without applying it.
  void ForceEndUserEdit() override;
  void Resize(int w, int h) override;
  bool WindowIsOpen() override { return mView != nullptr; }
  const char* GetGUIAPI() override { return "Cocoa GUI"; }
  // type 1: OK/Cancel, 3: Yes/No/Cancel, 4: Yes/No, else OK. Answers 1 (default button),
  // 7 (alternate), 2 (other) or 0.
  int ShowMessageBox(const char* pText, const char* pCaption, int type) override;
  // Releases the mouse capture, then runs the menu modally; the (sub)menu whose item was
  // chosen, its chosen index set, or null.
  IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pAreaRect) override;
  void CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* pString,
                       IParam* pParam) override;

  // Paths, in UTF-8; a missing bundle leaves the first two unchanged.
  void HostPath(WDL_String* pPath) override;
  void PluginPath(WDL_String* pPath) override;
  void DesktopPath(WDL_String* pPath) override;
  void AppSupportPath(WDL_String* pPath, bool isSystem = false) override;
  void SandboxSafeAppSupportPath(WDL_String* pPath) override;

  // Modal open/save/choose-folder dialog. pFilename is empty unless a file was chosen; pDir
  // becomes "~/Desktop" when empty, and the chosen folder (ending in "/") on success.
  // A chosen folder of the folder dialog is also remembered in the presets-directory file.
  void PromptForFile(WDL_String* pFilename, EFileAction action, WDL_String* pDir,
                     char* extensions) override;
  bool PromptForColor(IColor* pColor, char* prompt) override;
  bool CopyFileToClipboard(WDL_String* pPath) override;
  // True when the workspace opened it; false when the text makes no URL.
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr,
               const char* confirmMsg = nullptr, const char* errMsgOnFailure = nullptr) override;

  // Opens the view (closing an open one first) and adds it to the parent when given. The
  // view is owned by this object until CloseWindow, or until the host removes it from its
  // superview.
  void* OpenWindow(void* pParentView) override;
  using IGraphics::OpenWindow;
  void* OpenCocoaWindow(void* pParentView);
  void AttachSubWindow(void* hostWindowRef) override;
  void RemoveSubWindow() override;
  void CloseWindow() override;
  void* GetWindow() override { return mView; }
  bool GetTextFromClipboard(WDL_String* pStr) override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  void UpdateTooltips() override;
  // Loads a PNG of the bundle by its base name; the id is not used.
  LICE_IBitmap* OSLoadBitmap(int id, const char* name) override;

  // The presets-directory file's text, "/" when it cannot be read.
  const char* GetSaveDirPreset();
  // The user's Application Support folder.
  const char* GetAppSupportPath();

  // The macOS version as hexadecimal digits (10.7 -> 0x1070). Any thread.
  static int GetUserOSVersion();
  static int GetSystemVersion();
  // "10.12.1" -> 0x10121: a two-part version gets ".0", the dots go, hexadecimal.
  static int ParseSystemVersion(const char* productVersion);

  // The PNG of the bundle with the identifier, found by the name's base name; null when
  // anything is missing or the name does not end in "png".
  static LICE_IBitmap* LoadImgFromResourceOSX(const char* bundleID, const char* name);

private:
  void* mView; // IGraphicsCocoa_vIPlugTessary2_au*, one reference; null when closed
  WDL_String mBundleID;
  void* mColorSpace; // CGColorSpaceRef, made by the first DrawScreen
  void* mHostWindow; // NSWindow* wrapped by AttachSubWindow, retained
  WDL_String mSaveDirBuf, mAppSupportBuf;
};

// An autorelease pool for the length of a scope.
class CocoaAutoReleasePool {
public:
  CocoaAutoReleasePool();
  ~CocoaAutoReleasePool();
  CocoaAutoReleasePool(const CocoaAutoReleasePool&) = delete;
  CocoaAutoReleasePool& operator=(const CocoaAutoReleasePool&) = delete;

private:
  void* mPool; // NSAutoreleasePool*
};
