// Hooks through which tests and the stand-in host script the platform stand-ins.
#pragma once

extern "C" {
// Sets the directory that CFBundleGetMainBundle stands for (copied); null restores the
// default, the running program's directory.
void PlatformTest_SetMainBundlePath(const char* path);
// Sets the identifier of the main bundle (copied); null or "" leaves it without one.
void PlatformTest_SetMainBundleIdentifier(const char* identifier);
// Number of CoreFoundation-style objects alive now (leak checks in tests).
long PlatformTest_LiveObjectCount(void);
// The next n calls of CFAllocatorAllocate fail (0: none); for out-of-memory paths.
void PlatformTest_FailNextAllocations(int n);
}

// ---- AudioUnit and Component Manager ----
extern "C" {
// A Component Manager instance with no interface, for calling a component's entry function
// directly (open, close, selectors); it holds storage like any instance. Main thread.
struct ComponentInstanceRecord* PlatformTest_NewComponentInstance(void);
// Forgets the instance; nothing happens for an unknown one. Main thread.
void PlatformTest_DisposeComponentInstance(struct ComponentInstanceRecord* instance);
}

// ---- Bundles, the Cocoa stand-in and the display (what a person or the system would do)
#include <cstdint>
#include <string>
#include <vector>

class NSView;
class NSWindow;
class NSTextField;

extern "C" {
// Registers the bundle directory under its identifier (both copied); a later call for the
// same identifier replaces the path. CFBundleGetBundleWithIdentifier and NSBundle find it.
void PlatformTest_RegisterBundle(const char* identifier, const char* path);
// The folder NSHomeDirectory answers (copied); null restores $HOME. Desktop and Application
// Support lie below it.
void PlatformTest_SetHomeDirectory(const char* path);
// The "ProductVersion" of the system version file (copied); null restores "10.12.1".
void PlatformTest_SetOSVersion(const char* version);

// A visible titled window with a content view of w x h pixels at the screen's bottom left;
// the caller releases it (NSObject::release). Main thread, like everything below.
NSWindow* PlatformTest_CreateWindow(int w, int h);
// A native window of a host (what NSWindow::initWithWindowRef wraps) with its frame in screen
// coordinates, and its disposal; an NSWindow wrapping it does not own it.
void* PlatformTest_CreateWindowRef(int x, int y, int w, int h);
void PlatformTest_DisposeWindowRef(void* ref);
// Adds the view to the window's content view (which retains it).
void PlatformTest_AddView(NSWindow* window, NSView* view);
// Moves the virtual clock on by ms: due timers fire in order, each followed by the display
// of whatever waits for it; then every window displays.
void PlatformTest_AdvanceRunLoop(int ms);
// The virtual clock, in milliseconds since the process started.
double PlatformTest_RunLoopTimeMs(void);

// Mouse, key and wheel events, delivered at once (then windows display). x, y: pixels from
// the window's top left (the view at the window's origin sees y = height - y). False when
// the window is closed or nothing could take the event.
enum {
  kPlatformTestMouseDown = 1,
  kPlatformTestMouseUp = 2,
  kPlatformTestRightMouseDown = 3,
  kPlatformTestRightMouseUp = 4,
  kPlatformTestMouseMoved = 5,
  kPlatformTestMouseDragged = 6,
  kPlatformTestRightMouseDragged = 7,
};
bool PlatformTest_PostMouse(NSWindow* window, int type, double x, double y, int clickCount,
                            unsigned long modifierFlags);
// chars: the characters ignoring modifiers (UTF-8, may be empty).
bool PlatformTest_PostKey(NSWindow* window, unsigned short keyCode, const char* chars,
                          unsigned long modifierFlags);
bool PlatformTest_PostScroll(NSWindow* window, double x, double y, double deltaY,
                             unsigned long modifierFlags);

// The window's first responder when it is a text field being edited, else null.
NSTextField* PlatformTest_EditedTextField(NSWindow* window);
// Types the UTF-8 text into that field one character at a time; the number of characters
// the field took (its formatter may refuse some), -1 when no field is being edited.
int PlatformTest_TypeText(NSWindow* window, const char* text);
// Ends editing as the return key does; false when no field is being edited.
bool PlatformTest_CommitText(NSWindow* window);

// The framebuffer: w x h pixels 0xAARRGGBB, top row first, rows of w pixels; valid until the
// window is released.
const uint32_t* PlatformTest_WindowPixels(NSWindow* window, int* w, int* h);
// Switches the image-drawing shortcuts (whole rows, one layout into another) off, so that
// tests can compare them with the plain per-pixel path; on by default.
void PlatformTest_SetImageFastPaths(bool on);
// Writes the framebuffer as an RGB PNG; false when it cannot be written.
bool PlatformTest_SaveWindowPNG(NSWindow* window, const char* path);

// The cursor: hidden or not, and where it was last moved (display pixels, y down).
bool PlatformTest_CursorHidden(void);
void PlatformTest_LastCursorMove(double* x, double* y);

// Forgets scripted answers and records (menus, panels, URLs).
void PlatformTest_ResetCocoa(void);
}

// The tooltip a person would see at the point (window pixels from the top left): the
// owner of the innermost tooltip area there is asked; "" when there is none.
std::string PlatformTest_ToolTipAt(NSWindow* window, double x, double y);

// The next pop-up menu chooses the item at this path of indexes (into submenus); an empty
// path dismisses it. Queued; a menu with nothing queued is dismissed.
void PlatformTest_ScriptMenuChoice(const std::vector<int>& path);
struct PlatformTestMenuItem {
  std::string title;
  bool separator = false, checked = false, enabled = true, hasAction = false;
  int indentation = 0;
  std::vector<PlatformTestMenuItem> submenu;
};
struct PlatformTestMenu {
  std::vector<PlatformTestMenuItem> items;
  double x = 0, y = 0; // where it was shown, window base coordinates
  bool chosen = false; // an item's action was sent
};
// The last menu shown and the number shown so far.
const PlatformTestMenu& PlatformTest_LastMenu();
int PlatformTest_MenusShown();

// The next panel answers OK with this path (a file, or a folder for a folder chooser), or
// cancels. Queued; a panel with nothing queued is cancelled.
void PlatformTest_ScriptPanel(bool ok, const std::string& path);
struct PlatformTestPanel {
  std::string kind; // "save" or "open"
  std::string directory, name;
  std::vector<std::string> types;
  bool typesGiven = false, allowsOtherFileTypes = true;
  bool canChooseFiles = true, canChooseDirectories = false, resolvesAliases = true;
};
const PlatformTestPanel& PlatformTest_LastPanel();
int PlatformTest_PanelsShown();

// Every URL opened through the workspace, in order (absolute strings).
const std::vector<std::string>& PlatformTest_OpenedURLs();
// Keys that no responder took (their characters), in order.
const std::vector<std::string>& PlatformTest_UnhandledKeys();

// The next alert answers with this response (kCFUserNotificationDefaultResponse ...);
// queued; an alert with nothing queued is cancelled. Any thread.
void PlatformTest_ScriptAlert(unsigned long response);
struct PlatformTestAlert {
  unsigned long level = 0;
  std::string header, message;
  std::vector<std::string> buttons; // default first, then alternate and other when shown
};
PlatformTestAlert PlatformTest_LastAlert();
int PlatformTest_AlertsShown();
