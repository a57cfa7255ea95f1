// The macOS graphics object: the view's life, the copy to the screen, dialogs, paths and
// image resources.

#include "WDL/IPlug/IGraphicsMac.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <string>

#include "WDL/lice/lice.h"
#include "WDL/IPlug/IGraphicsCocoa.h"
#include "WDL/IPlug/Log.h"

namespace {
IGraphicsCocoa_vIPlugTessary2_au* ViewOf(void* view) {
  return static_cast<IGraphicsCocoa_vIPlugTessary2_au*>((NSView*)view);
}
const char* kPresetsDirFile = "/.quorlenaudiopresets.txt";
} // namespace

CocoaAutoReleasePool::CocoaAutoReleasePool() : mPool((new NSAutoreleasePool)->init()) {}

CocoaAutoReleasePool::~CocoaAutoReleasePool() {
  ((NSAutoreleasePool*)mPool)->release();
}

IGraphicsMac::IGraphicsMac(IPlugBase* pPlug, int w, int h, int fps)
    : IGraphics(pPlug, w, h, fps), mView(nullptr), mColorSpace(nullptr), mHostWindow(nullptr) {
  NSApplicationLoad();
}

IGraphicsMac::~IGraphicsMac() {
  CloseWindow();
  if (mColorSpace) CGColorSpaceRelease((CGColorSpaceRef)mColorSpace);
}

bool IGraphicsMac::DrawScreen(IRECT* /*pR*/) {
  if (!mView || !mDrawBitmap) return false;
  NSGraphicsContext* current = NSGraphicsContext::currentContext();
  if (!current) return false;
  NSGraphicsContext* flipped =
      NSGraphicsContext::graphicsContextWithGraphicsPort(current->graphicsPort(), YES);
  CGContextRef ctx = flipped ? (CGContextRef)flipped->graphicsPort() : nullptr;
  if (!ctx) return false;

  if (!mColorSpace) {
    CMProfileRef profile = nullptr;
    if (GetSystemVersion() >= 0x1070 && CMGetSystemProfile(&profile) == 0) {
      mColorSpace = CGColorSpaceCreateWithPlatformColorSpace(profile);
      CMCloseProfile(profile);
    }
    if (!mColorSpace) mColorSpace = CGColorSpaceCreateDeviceRGB();
  }

  LICE_SysBitmap* bmp = mDrawBitmap;
  const size_t span = (size_t)bmp->getRowSpan(), h = (size_t)bmp->getHeight();
  CGDataProviderRef provider =
      CGDataProviderCreateWithData(nullptr, bmp->getBits(), span * 4 * h, nullptr);
  // 0x2006: 32-bit little-endian words, the top byte skipped (0xXXRRGGBB).
  CGImageRef img =
      CGImageCreate((size_t)bmp->getWidth(), h, 8, 32, span * 4, (CGColorSpaceRef)mColorSpace,
                    kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little, provider, nullptr,
                    false, kCGRenderingIntentDefault);
  CGDataProviderRelease(provider);
  if (!img) return false; // nothing reached the screen
  CGContextDrawImage(ctx, CGRectMake(0, 0, Width(), Height()), img);
  CGImageRelease(img);
  return true;
}

bool IGraphicsMac::MeasureIText(IText* pTxt, char* str, IRECT* pR) {
  CocoaAutoReleasePool pool;
  return DrawIText(pTxt, str, pR, true);
}

void IGraphicsMac::ForceEndUserEdit() {
  if (!mView) return;
  CocoaAutoReleasePool pool;
  ViewOf(mView)->endUserInput();
}

void IGraphicsMac::Resize(int w, int h) {
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (mView) ViewOf(mView)->setFrameSize(NSMakeSize(w, h));
}

int IGraphicsMac::ShowMessageBox(const char* pText, const char* pCaption, int type) {
  CFStringRef defaultTitle = nullptr, alternateTitle = nullptr, otherTitle = nullptr;
  switch (type) {
  case 1: // OK, Cancel
    alternateTitle = CFSTR("Cancel");
    break;
  case 3: // Yes, No, Cancel
    defaultTitle = CFSTR("Yes");
    alternateTitle = CFSTR("No");
    otherTitle = CFSTR("Cancel");
    break;
  case 4: // Yes, No
    defaultTitle = CFSTR("Yes");
    alternateTitle = CFSTR("No");
    break;
  default:
    break;
  }
  CFStringRef text =
      CFStringCreateWithCString(nullptr, pText ? pText : "", kCFStringEncodingMacRoman);
  CFStringRef caption =
      CFStringCreateWithCString(nullptr, pCaption ? pCaption : "", kCFStringEncodingMacRoman);
  CFOptionFlags response = kCFUserNotificationCancelResponse;
  const SInt32 err = CFUserNotificationDisplayAlert(0, kCFUserNotificationNoteAlertLevel, nullptr,
                                                    nullptr, nullptr, caption, text, defaultTitle,
                                                    alternateTitle, otherTitle, &response);
  if (text) CFRelease(text);
  if (caption) CFRelease(caption);
  if (err != 0) return 0;
  switch (response & 3) {
  case kCFUserNotificationDefaultResponse:
    return 1;
  case kCFUserNotificationAlternateResponse:
    return 7;
  case kCFUserNotificationOtherResponse:
    return 2;
  default:
    return 0;
  }
}

IPopupMenu* IGraphicsMac::CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pAreaRect) {
  ReleaseMouseCapture();
  if (!mView || !pMenu || !pAreaRect) return nullptr;
  CocoaAutoReleasePool pool;
  NSRect r = ToNSRect(this, pAreaRect);
  return ViewOf(mView)->createIPopupMenu(pMenu, &r);
}

void IGraphicsMac::CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect,
                                   const char* pString, IParam* pParam) {
  if (!mView || !pText || !pTextRect) return;
  CocoaAutoReleasePool pool;
  NSRect r = ToNSRect(this, pTextRect);
  ViewOf(mView)->createTextEntry(pControl, pParam, pText, pString, &r);
}

void IGraphicsMac::HostPath(WDL_String* pPath) {
  CocoaAutoReleasePool pool;
  NSBundle* bundle = NSBundle::bundleWithIdentifier(ToNSString(GetBundleID()));
  NSString* path = bundle ? bundle->executablePath() : nullptr;
  if (path) pPath->Set(path->UTF8String());
}

void IGraphicsMac::PluginPath(WDL_String* pPath) {
  CocoaAutoReleasePool pool;
  NSBundle* bundle = NSBundle::bundleWithIdentifier(ToNSString(GetBundleID()));
  NSString* path = bundle ? bundle->bundlePath() : nullptr;
  if (!path) return;
  pPath->Set(path->stringByDeletingLastPathComponent()->UTF8String());
  pPath->Append("/");
}

void IGraphicsMac::DesktopPath(WDL_String* pPath) {
  CocoaAutoReleasePool pool;
  NSArray* paths = NSSearchPathForDirectoriesInDomains(NSDesktopDirectory, NSUserDomainMask, YES);
  auto* desktop = dynamic_cast<NSString*>(paths->firstObject());
  pPath->Set(desktop ? desktop->stringByExpandingTildeInPath()->UTF8String() : "");
}

void IGraphicsMac::AppSupportPath(WDL_String* pPath, bool isSystem) {
  CocoaAutoReleasePool pool;
  NSArray* paths = NSSearchPathForDirectoriesInDomains(
      NSApplicationSupportDirectory, isSystem ? NSSystemDomainMask : NSUserDomainMask, YES);
  auto* folder = dynamic_cast<NSString*>(paths->firstObject());
  pPath->Set(folder ? folder->UTF8String() : "");
}

void IGraphicsMac::SandboxSafeAppSupportPath(WDL_String* pPath) {
  CocoaAutoReleasePool pool;
  pPath->Set(NSHomeDirectory()->UTF8String());
  pPath->Append("/Music");
}

const char* IGraphicsMac::GetAppSupportPath() {
  AppSupportPath(&mAppSupportBuf, false);
  return mAppSupportBuf.Get();
}

const char* IGraphicsMac::GetSaveDirPreset() {
  CocoaAutoReleasePool pool;
  std::string file = GetAppSupportPath();
  file += kPresetsDirFile;
  NSString* text =
      NSString::stringWithContentsOfFile(ToNSString(file.c_str()), NSUTF8StringEncoding, nullptr);
  mSaveDirBuf.Set(text ? text->UTF8String() : "/");
  return mSaveDirBuf.Get();
}

void IGraphicsMac::PromptForFile(WDL_String* pFilename, EFileAction action, WDL_String* pDir,
                                 char* extensions) {
  if (!pFilename || !pDir) return;
  if (!WindowIsOpen()) {
    pFilename->Set("");
    return;
  }
  CocoaAutoReleasePool pool;
  NSString* defaultFileName = ToNSString(pFilename->Get());
  NSString* defaultPath;
  if (pDir->GetLength()) {
    defaultPath = ToNSString(pDir->Get());
  } else {
    defaultPath = ToNSString("~/Desktop");
    pDir->Set("~/Desktop");
  }
  pFilename->Set("");
  NSString* ext = ToNSString(extensions);
  NSArray* fileTypes = ext ? ext->componentsSeparatedByString(ToNSString(" ")) : nullptr;

  NSString* chosen = nullptr;
  if (action == kFileSave) {
    NSSavePanel* panel = NSSavePanel::savePanel();
    panel->setAllowedFileTypes(fileTypes);
    panel->setAllowsOtherFileTypes(NO);
    if (panel->runModalForDirectory(defaultPath, defaultFileName) == NSOKButton)
      chosen = panel->filename();
  } else if (action == kFileOpen) {
    NSOpenPanel* panel = NSOpenPanel::openPanel();
    panel->setCanChooseFiles(YES);
    panel->setCanChooseDirectories(NO);
    panel->setResolvesAliases(YES);
    if (panel->runModalForDirectory(defaultPath, defaultFileName, fileTypes) == NSOKButton)
      chosen = panel->filename();
  } else {
    NSOpenPanel* panel = NSOpenPanel::openPanel();
    panel->setCanChooseFiles(NO);
    panel->setCanChooseDirectories(YES);
    if (panel->runModalForDirectory(defaultPath, defaultFileName, fileTypes) == NSOKButton) {
      NSURL* dirURL = panel->directoryURL();
      NSString* dir = dirURL ? dirURL->path() : nullptr;
      if (dir) {
        pDir->Set(dir->UTF8String());
        pDir->Append("/");
        std::string file = GetAppSupportPath();
        file += kPresetsDirFile;
        ToNSString(pDir->Get())->writeToFile(ToNSString(file.c_str()), YES);
      }
    }
    return;
  }
  if (chosen) {
    pFilename->Set(chosen->UTF8String());
    pDir->Set(chosen->stringByDeletingLastPathComponent()->UTF8String());
    pDir->Append("/");
  }
}

bool IGraphicsMac::PromptForColor(IColor* /*pColor*/, char* /*prompt*/) {
  return false;
}

bool IGraphicsMac::CopyFileToClipboard(WDL_String* pPath) {
  if (!pPath) return false;
  CocoaAutoReleasePool pool;
  NSURL* url = NSURL::fileURLWithPath(ToNSString(pPath->Get()));
  NSPasteboard* pb = NSPasteboard::generalPasteboard();
  pb->clearContents();
  pb->writeObjects(NSArray::arrayWithObject(url));
  NSRunningApplication* app = NSWorkspace::sharedWorkspace()->frontmostApplication();
  if (!app) return false;
  app->hide();
  return app->activateWithOptions(3);
}

bool IGraphicsMac::OpenURL(const char* url, const char* /*msgWindowTitle*/,
                           const char* /*confirmMsg*/, const char* /*errMsgOnFailure*/) {
  if (!url) return false;
  CocoaAutoReleasePool pool;
  NSURL* pURL = strstr(url, "http") ? NSURL::URLWithString(ToNSString(url))
                                    : NSURL::fileURLWithPath(ToNSString(url));
  // No URL object means nothing can be opened.
  if (!pURL) return false;
  return NSWorkspace::sharedWorkspace()->openURL(pURL);
}

void* IGraphicsMac::OpenWindow(void* pParentView) {
  return OpenCocoaWindow(pParentView);
}

void* IGraphicsMac::OpenCocoaWindow(void* pParentView) {
  CloseWindow();
  CocoaAutoReleasePool pool;
  auto* view = (new IGraphicsCocoa_vIPlugTessary2_au)->initWithIGraphics(this);
  mView = static_cast<NSView*>(view);
  if (pParentView) ((NSView*)pParentView)->addSubview(view);
  UpdateTooltips();
  return mView;
}

void IGraphicsMac::CloseWindow() {
  if (!mView) return;
  IGraphicsCocoa_vIPlugTessary2_au* view = ViewOf(mView);
  view->removeAllToolTips();
  view->killTimer();
  mView = nullptr;
  if (view->mGraphics == this) {
    // Cleared first, so that the view's removeFromSuperview does not close us again.
    view->mGraphics = nullptr;
    view->removeFromSuperview();
  }
  view->release(); // the reference OpenWindow made
}

void IGraphicsMac::AttachSubWindow(void* hostWindowRef) {
  CocoaAutoReleasePool pool;
  NSWindow* hostWindow = (new NSWindow)->initWithWindowRef(hostWindowRef);
  if (!hostWindow) return;
  hostWindow->setCanHide(YES);
  hostWindow->setReleasedWhenClosed(YES);
  const NSRect frame = hostWindow->frame();
  const double xOffset =
      frame.size.width > Width() ? std::floor((frame.size.width - Width()) / 2.0) : 0.0;
  const NSRect content = NSMakeRect(frame.origin.x + xOffset, frame.origin.y, Width(), Height());
  NSWindow* child =
      (new CustomCocoaWindow_vIPlugTessary2_au)
          ->initWithContentRect(content, NSBorderlessWindowMask, NSBackingStoreBuffered, NO);
  child->setOpaque(YES);
  child->setCanHide(YES);
  child->setHasShadow(NO);
  child->setReleasedWhenClosed(YES);
  OpenWindow(child->contentView());
  hostWindow->addChildWindow(child, NSWindowAbove);
  child->release(); // the host window holds it
  hostWindow->orderFront(nullptr);
  hostWindow->display();
  child->performSelector(NSSelector<NSWindow, &NSWindow::orderFront>("orderFront:"), nullptr, 0.05);
  mHostWindow = hostWindow;
}

void IGraphicsMac::RemoveSubWindow() {
  auto* hostWindow = (NSWindow*)mHostWindow;
  if (!hostWindow) return;
  CocoaAutoReleasePool pool;
  auto* child = dynamic_cast<NSWindow*>(hostWindow->childWindows()->firstObject());
  CloseWindow();
  if (child) child->orderOut(nullptr);
  hostWindow->orderOut(nullptr);
  if (child) {
    child->retain();
    hostWindow->removeChildWindow(child);
    child->close(); // released when closed
  }
  mHostWindow = nullptr;
  hostWindow->close(); // released when closed
}

bool IGraphicsMac::GetTextFromClipboard(WDL_String* pStr) {
  CocoaAutoReleasePool pool;
  NSString* s = NSPasteboard::generalPasteboard()->stringForType(NSStringPboardType);
  pStr->Set(s ? s->UTF8String() : "");
  return s != nullptr;
}

void IGraphicsMac::HideMouseCursor() {
  if (mCursorHidden) return;
  if (CGDisplayHideCursor(CGMainDisplayID()) == kCGErrorSuccess) mCursorHidden = true;
  const NSPoint p = NSEvent::mouseLocation();
  mHiddenCursorX = (int)p.x;
  mHiddenCursorY = (int)((double)CGDisplayPixelsHigh(CGMainDisplayID()) - p.y);
}

void IGraphicsMac::ShowMouseCursor() {
  if (!mCursorHidden) return;
  CGDisplayMoveCursorToPoint(CGMainDisplayID(), CGPointMake(mHiddenCursorX, mHiddenCursorY));
  if (CGDisplayShowCursor(CGMainDisplayID()) == kCGErrorSuccess) mCursorHidden = false;
}

void IGraphicsMac::UpdateTooltips() {
  if (!mView || !TooltipsEnabled()) return;
  CocoaAutoReleasePool pool;
  IGraphicsCocoa_vIPlugTessary2_au* view = ViewOf(mView);
  view->removeAllToolTips();
  for (int i = 0; i < NControls(); ++i) {
    IControl* pControl = GetControl(i);
    if (pControl->IsHidden() || pControl->GetTargetRECT()->Empty()) continue;
    view->registerToolTip(pControl->GetTargetRECT());
  }
}

LICE_IBitmap* IGraphicsMac::OSLoadBitmap(int /*id*/, const char* name) {
  return LoadImgFromResourceOSX(GetBundleID(), name);
}

LICE_IBitmap* IGraphicsMac::LoadImgFromResourceOSX(const char* bundleID, const char* name) {
  if (!name) return nullptr;
  const char* dot = strrchr(name, '.');
  const char* ext = dot ? dot + 1 : name;
  if (strcasecmp(ext, "png") != 0) return nullptr;
  CocoaAutoReleasePool pool;
  NSBundle* bundle = NSBundle::bundleWithIdentifier(ToNSString(bundleID));
  NSString* nsName = ToNSString(name);
  NSString* base = nsName ? nsName->lastPathComponent()->stringByDeletingPathExtension() : nullptr;
  if (!bundle || !base) return nullptr;
  NSString* path = bundle->pathForResource(base, ToNSString("png"));
  if (!path || !*path->UTF8String()) return nullptr;
  return LICE_LoadPNG(path->UTF8String(), nullptr);
}

int IGraphicsMac::ParseSystemVersion(const char* productVersion) {
  std::string v = productVersion ? productVersion : "";
  int parts = 1;
  for (char c : v) parts += c == '.';
  if (parts < 3) v += ".0";
  std::string digits;
  for (char c : v)
    if (c != '.') digits += c;
  return (int)strtoul(digits.c_str(), nullptr, 16);
}

int IGraphicsMac::GetSystemVersion() {
  // Computed once; the static's initialisation is thread-safe.
  static const int v = [] {
    CocoaAutoReleasePool pool;
    NSDictionary* d = NSDictionary::dictionaryWithContentsOfFile(
        ToNSString("/System/Library/CoreServices/SystemVersion.plist"));
    auto* version =
        d ? dynamic_cast<NSString*>(d->objectForKey(ToNSString("ProductVersion"))) : nullptr;
    return ParseSystemVersion(version ? version->UTF8String() : nullptr);
  }();
  return v;
}

int IGraphicsMac::GetUserOSVersion() {
  const int v = GetSystemVersion();
  Trace("GetUserOSVersion", __LINE__, "%x", v);
  return v;
}
