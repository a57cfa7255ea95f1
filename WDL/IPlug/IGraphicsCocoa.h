#pragma once
// The editor's Cocoa view and its helpers: a redraw timer, mouse, wheel and key events in
// the framework's coordinates, pop-up menus built from IPopupMenu, a one-line text field
// for typed values, and tooltips. Main thread only.

#include <Cocoa/Cocoa.h>

#include "WDL/IPlug/IGraphicsMac.h"

class IControl;
class IParam;

// GUI rectangles (top-left origin, y down) and view rectangles (bottom-left, y up) of an
// editor of the graphics object's height. A round trip grows a rectangle by one pixel to
// the right and at the bottom.
NSRect ToNSRect(IGraphics* pGraphics, IRECT* pRect);
IRECT ToIRECT(IGraphics* pGraphics, NSRect* pRect);
// Autoreleased; null for null.
NSString* ToNSString(const char* cStr);
NSColor* ToNSColor(IColor* pColor);
int AdjustFontSize(int size);
// Left button; Command counts as the right button.
IMouseMod GetMouseMod(NSEvent* pEvent);
IMouseMod GetRightMouseMod(NSEvent* pEvent);
int GetMouseOver(IGraphicsMac* pGraphics);

// Receives the chosen item of a pop-up menu.
class IGraphicsMenuRcvr_vIPlugTessary2_au : public NSView {
public:
  void OnMenuSelection(id sender);
  NSMenuItem* MenuItem() { return nsMenuItem; }

private:
  NSMenuItem* nsMenuItem = nullptr; // not retained: the menu holds it
};

// A menu built from an IPopupMenu (not owned), its submenus built alike.
class IGraphicsNSMenu_vIPlugTessary2_au : public NSMenu {
public:
  IGraphicsNSMenu_vIPlugTessary2_au*
  initWithIPopupMenuAndReciever(IPopupMenu* pMenu, IGraphicsMenuRcvr_vIPlugTessary2_au* pReceiver);
  IPopupMenu* AssociatedIPopupMenu() { return mIPopupMenu; }

private:
  IPopupMenu* mIPopupMenu = nullptr;
};

// Refuses typed text outside a character set or beyond a length.
class CocoaFormatter_vIPlugTessary2_au : public NSFormatter {
public:
  ~CocoaFormatter_vIPlugTessary2_au() override;
  void setAcceptableCharacterSet(NSCharacterSet* set);
  // 0: no limit.
  void setMaximumLength(int len) { maxLength = len; }
  void setMaximumValue(int value) { maxValue = value; }
  BOOL isPartialStringValid(NSString* partialString, NSString** newString,
                            NSString** error) override;
  NSString* stringForObjectValue(id obj) override;
  BOOL getObjectValue(id* obj, NSString* string, NSString** error) override;

private:
  NSCharacterSet* filterCharacterSet = nullptr; // retained
  int maxLength = 0, maxValue = 0;
};

// A borderless child window that can still become key.
class CustomCocoaWindow_vIPlugTessary2_au : public NSWindow {
public:
  BOOL canBecomeKeyWindow() override { return YES; }
};

class IGraphicsCocoa_vIPlugTessary2_au : public NSView,
                                         public NSTextFieldDelegate,
                                         public NSViewToolTipOwner {
public:
  IGraphicsCocoa_vIPlugTessary2_au* init();
  // Frame of the editor's size; a repeating timer at the editor's frame rate.
  IGraphicsCocoa_vIPlugTessary2_au* initWithIGraphics(IGraphicsMac* pGraphics);

  BOOL isOpaque() override { return mGraphics ? YES : NO; }
  BOOL acceptsFirstResponder() override { return YES; }
  BOOL acceptsFirstMouse(NSEvent*) override { return YES; }
  void viewDidMoveToWindow() override;
  void drawRect(NSRect rect) override;
  void onTimer(id pTimer);

  // The event's position in GUI pixels (x - 2, H - y - 3), also kept as the last position.
  void getMouseXY(NSEvent* pEvent, int* pX, int* pY);
  void mouseDown(NSEvent* pEvent) override;
  void mouseUp(NSEvent* pEvent) override;
  void mouseDragged(NSEvent* pEvent) override;
  void rightMouseDown(NSEvent* pEvent) override;
  void rightMouseUp(NSEvent* pEvent) override;
  void rightMouseDragged(NSEvent* pEvent) override;
  void mouseMoved(NSEvent* pEvent) override;
  void keyDown(NSEvent* pEvent) override;
  void scrollWheel(NSEvent* pEvent) override;

  void killTimer();
  // Ends text entry, detaches from the graphics object (which closes), then leaves.
  void removeFromSuperview() override;
  void controlTextDidEndEditing(NSNotification* pNotification) override;
  // pRect: already a view rectangle.
  IPopupMenu* createIPopupMenu(IPopupMenu* pMenu, NSRect* pRect);
  void createTextEntry(IControl* pControl, IParam* pParam, IText* pText, const char* pString,
                       NSRect* pRect);
  // Drops the text field (released) and gives the keys back to the view.
  void endUserInput();
  NSString* view(NSView* pView, NSToolTipTag tag, NSPoint point, void* pData) override;
  void registerToolTip(IRECT* pRect);

  IGraphicsMac* mGraphics = nullptr; // not owned; null once detached
  NSTimer* mTimer = nullptr;         // the run loop holds it
  NSTextField* mTextFieldView = nullptr;
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  int mPrevX = 0, mPrevY = 0;
};
