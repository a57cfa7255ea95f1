// The editor's Cocoa view: redraw timer, input in the framework's coordinates, pop-up
// menus, the text-entry field and tooltips.

#include "WDL/IPlug/IGraphicsCocoa.h"

#include <cstring>
#include <string>

#include "WDL/IPlug/IControl.h"
#include "WDL/IPlug/IParam.h"
#include "WDL/IPlug/IPopupMenu.h"
#include "WDL/utf8.h"

NSRect ToNSRect(IGraphics* pGraphics, IRECT* pRect) {
  const int h = pGraphics->Height();
  return NSMakeRect(pRect->L, h - pRect->B - 1, pRect->W() + 1, pRect->H() + 1);
}

IRECT ToIRECT(IGraphics* pGraphics, NSRect* pRect) {
  const int h = pGraphics->Height();
  const int x = (int)pRect->origin.x, y = (int)pRect->origin.y;
  const int w = (int)pRect->size.width, rh = (int)pRect->size.height;
  return IRECT(x, h - (y + rh), x + w, h - y);
}

// Bytes that are not UTF-8 read as the raster text path reads them, so a menu or a text field
// shows what the editor's bitmap shows instead of the platform's refusal (a null string).
NSString* ToNSString(const char* cStr) {
  if (!cStr) return nullptr;
  return NSString::stringWithCString(WDL_Utf8Sanitize(cStr, strlen(cStr)).c_str(),
                                     NSUTF8StringEncoding);
}

NSColor* ToNSColor(IColor* pColor) {
  return NSColor::colorWithCalibratedRed(pColor->R / 255.0, pColor->G / 255.0, pColor->B / 255.0,
                                         pColor->A / 255.0);
}

int AdjustFontSize(int size) {
  return (int)(0.9 * (double)size);
}

IMouseMod GetMouseMod(NSEvent* pEvent) {
  const unsigned int mods = (unsigned int)pEvent->modifierFlags();
  return IMouseMod(true, (mods & NSCommandKeyMask) != 0, (mods & NSShiftKeyMask) != 0,
                   (mods & NSControlKeyMask) != 0, (mods & NSAlternateKeyMask) != 0);
}

IMouseMod GetRightMouseMod(NSEvent* pEvent) {
  const unsigned int mods = (unsigned int)pEvent->modifierFlags();
  return IMouseMod(false, true, (mods & NSShiftKeyMask) != 0, (mods & NSControlKeyMask) != 0,
                   (mods & NSAlternateKeyMask) != 0);
}

int GetMouseOver(IGraphicsMac* pGraphics) {
  return pGraphics->GetMouseOver();
}

namespace {
SEL MenuSelection() {
  return NSSelector<IGraphicsMenuRcvr_vIPlugTessary2_au,
                    &IGraphicsMenuRcvr_vIPlugTessary2_au::OnMenuSelection>("OnMenuSelection:");
}
SEL TimerTick() {
  return NSSelector<IGraphicsCocoa_vIPlugTessary2_au, &IGraphicsCocoa_vIPlugTessary2_au::onTimer>(
      "onTimer:");
}
NSString* Empty() {
  return ToNSString("");
}
} // namespace

// ---- Menus

void IGraphicsMenuRcvr_vIPlugTessary2_au::OnMenuSelection(id sender) {
  nsMenuItem = dynamic_cast<NSMenuItem*>(sender);
}

IGraphicsNSMenu_vIPlugTessary2_au* IGraphicsNSMenu_vIPlugTessary2_au::initWithIPopupMenuAndReciever(
    IPopupMenu* pMenu, IGraphicsMenuRcvr_vIPlugTessary2_au* pReceiver) {
  initWithTitle(Empty());
  setAutoenablesItems(NO);
  const int n = pMenu->GetNItems();
  for (int i = 0; i < n; ++i) {
    IPopupMenuItem* pItem = pMenu->GetItem(i);
    WDL_String title;
    static const char* prefixes[] = {"", "%1d: ", "%02d: ", "%03d: "};
    const int prefix = pMenu->GetPrefix();
    if (prefix >= 1 && prefix <= 3) title.SetFormatted(32, prefixes[prefix], i + 1);
    title.Append(pItem->GetText());
    NSString* nsTitle = ToNSString(title.Get());
    if (!nsTitle) nsTitle = Empty();

    if (pItem->GetSubmenu()) {
      NSMenuItem* nsItem = addItemWithTitle(nsTitle, nullptr, Empty());
      auto* sub = (new IGraphicsNSMenu_vIPlugTessary2_au)
                      ->initWithIPopupMenuAndReciever(pItem->GetSubmenu(), pReceiver);
      setSubmenu(sub, nsItem);
      sub->release(); // the item holds it
    } else if (pItem->GetIsSeparator()) {
      addItem(NSMenuItem::separatorItem());
    } else {
      NSMenuItem* nsItem = addItemWithTitle(nsTitle, MenuSelection(), Empty());
      if (pItem->GetIsTitle()) nsItem->setIndentationLevel(1);
      nsItem->setState(pItem->GetChecked() ? NSOnState : NSOffState);
      nsItem->setEnabled(pItem->GetEnabled());
    }
  }
  mIPopupMenu = pMenu;
  return this;
}

// ---- Formatter

CocoaFormatter_vIPlugTessary2_au::~CocoaFormatter_vIPlugTessary2_au() {
  if (filterCharacterSet) filterCharacterSet->release();
}

void CocoaFormatter_vIPlugTessary2_au::setAcceptableCharacterSet(NSCharacterSet* set) {
  if (set) set->retain();
  if (filterCharacterSet) filterCharacterSet->release();
  filterCharacterSet = set;
}

BOOL CocoaFormatter_vIPlugTessary2_au::isPartialStringValid(NSString* partialString,
                                                            NSString** /*newString*/,
                                                            NSString** /*error*/) {
  if (!partialString) return NO;
  const NSUInteger len = partialString->length();
  if (filterCharacterSet) {
    for (NSUInteger i = 0; i < len; ++i)
      if (!filterCharacterSet->characterIsMember(partialString->characterAtIndex(i))) return NO;
  }
  if (maxLength && len > (NSUInteger)maxLength) return NO;
  if (maxValue && partialString->intValue() > maxValue) return NO;
  return YES;
}

NSString* CocoaFormatter_vIPlugTessary2_au::stringForObjectValue(id obj) {
  return dynamic_cast<NSString*>(obj);
}

BOOL CocoaFormatter_vIPlugTessary2_au::getObjectValue(id* obj, NSString* string,
                                                      NSString** /*error*/) {
  if (obj && string) *obj = NSString::stringWithString(string);
  return YES;
}

// ---- The view

IGraphicsCocoa_vIPlugTessary2_au* IGraphicsCocoa_vIPlugTessary2_au::init() {
  mGraphics = nullptr;
  mTimer = nullptr;
  mPrevX = mPrevY = 0;
  return this;
}

IGraphicsCocoa_vIPlugTessary2_au*
IGraphicsCocoa_vIPlugTessary2_au::initWithIGraphics(IGraphicsMac* pGraphics) {
  mGraphics = pGraphics;
  initWithFrame(NSMakeRect(0, 0, pGraphics->Width(), pGraphics->Height()));
  const double sec = 1.0 / (double)pGraphics->FPS();
  mTimer = NSTimer::timerWithTimeInterval(sec, this, TimerTick(), nullptr, YES);
  NSRunLoop::currentRunLoop()->addTimer(mTimer, kCFRunLoopCommonModes);
  return this;
}

void IGraphicsCocoa_vIPlugTessary2_au::viewDidMoveToWindow() {
  NSWindow* w = window();
  if (w) {
    w->makeFirstResponder(this);
    w->setAcceptsMouseMovedEvents(YES);
  }
}

void IGraphicsCocoa_vIPlugTessary2_au::drawRect(NSRect rect) {
  if (!mGraphics) return;
  IRECT r = ToIRECT(mGraphics, &rect);
  mGraphics->Draw(&r);
}

void IGraphicsCocoa_vIPlugTessary2_au::onTimer(id pTimer) {
  if (pTimer != mTimer || !mGraphics) return;
  IRECT r;
  if (mGraphics->IsDirty(&r)) setNeedsDisplayInRect(ToNSRect(mGraphics, &r));
}

void IGraphicsCocoa_vIPlugTessary2_au::getMouseXY(NSEvent* pEvent, int* pX, int* pY) {
  const NSPoint pt = convertPoint(pEvent->locationInWindow(), nullptr);
  *pX = (int)pt.x - 2;
  *pY = mGraphics->Height() - (int)pt.y - 3;
  mPrevX = *pX;
  mPrevY = *pY;
}

void IGraphicsCocoa_vIPlugTessary2_au::mouseDown(NSEvent* pEvent) {
  if (!mGraphics) return;
  int x, y;
  getMouseXY(pEvent, &x, &y);
  IMouseMod ms = GetMouseMod(pEvent);
  if (pEvent->clickCount() < 2)
    mGraphics->OnMouseDown(x, y, &ms);
  else
    mGraphics->OnMouseDblClick(x, y, &ms);
}

void IGraphicsCocoa_vIPlugTessary2_au::mouseUp(NSEvent* pEvent) {
  if (!mGraphics) return;
  int x, y;
  getMouseXY(pEvent, &x, &y);
  IMouseMod ms = GetMouseMod(pEvent);
  mGraphics->OnMouseUp(x, y, &ms);
}

void IGraphicsCocoa_vIPlugTessary2_au::mouseDragged(NSEvent* pEvent) {
  if (!mGraphics || mTextFieldView) return;
  int x, y;
  getMouseXY(pEvent, &x, &y);
  IMouseMod ms = GetMouseMod(pEvent);
  mGraphics->OnMouseDrag(x, y, &ms);
}

void IGraphicsCocoa_vIPlugTessary2_au::rightMouseDown(NSEvent* pEvent) {
  if (!mGraphics) return;
  int x, y;
  getMouseXY(pEvent, &x, &y);
  IMouseMod ms = GetRightMouseMod(pEvent);
  mGraphics->OnMouseDown(x, y, &ms);
}

void IGraphicsCocoa_vIPlugTessary2_au::rightMouseUp(NSEvent* pEvent) {
  if (!mGraphics) return;
  int x, y;
  getMouseXY(pEvent, &x, &y);
  IMouseMod ms = GetRightMouseMod(pEvent);
  mGraphics->OnMouseUp(x, y, &ms);
}

void IGraphicsCocoa_vIPlugTessary2_au::rightMouseDragged(NSEvent* pEvent) {
  if (!mGraphics || mTextFieldView) return;
  int x, y;
  getMouseXY(pEvent, &x, &y);
  IMouseMod ms = GetRightMouseMod(pEvent);
  mGraphics->OnMouseDrag(x, y, &ms);
}

void IGraphicsCocoa_vIPlugTessary2_au::mouseMoved(NSEvent* pEvent) {
  if (!mGraphics) return;
  int x, y;
  getMouseXY(pEvent, &x, &y);
  IMouseMod ms = GetMouseMod(pEvent);
  mGraphics->OnMouseOver(x, y, &ms);
}

void IGraphicsCocoa_vIPlugTessary2_au::keyDown(NSEvent* pEvent) {
  if (!mGraphics) return;
  NSString* s = pEvent->charactersIgnoringModifiers();
  if (!s || s->length() != 1) return; // dropped
  int code = -1;
  switch (pEvent->keyCode()) {
  case 49:
    code = 0;
    break;
  case 126:
    code = 1;
    break;
  case 125:
    code = 2;
    break;
  case 123:
    code = 3;
    break;
  case 124:
    code = 4;
    break;
  default: {
    const unichar c = s->characterAtIndex(0);
    if (c >= '0' && c <= '9')
      code = c - '0' + 5;
    else if (c >= 'A' && c <= 'Z')
      code = c - 'A' + 15;
    else if (c >= 'a' && c <= 'z')
      code = c - 'a' + 15;
  }
  }
  if (code == -1 || !mGraphics->OnKeyDown(mPrevX, mPrevY, code)) {
    if (NSResponder* next = nextResponder()) next->keyDown(pEvent);
  }
}

void IGraphicsCocoa_vIPlugTessary2_au::scrollWheel(NSEvent* pEvent) {
  if (!mGraphics) return;
  if (mTextFieldView) endUserInput();
  int x, y;
  getMouseXY(pEvent, &x, &y);
  const int d = (int)pEvent->deltaY();
  IMouseMod ms = GetMouseMod(pEvent);
  mGraphics->OnMouseWheel(x, y, &ms, d);
}

void IGraphicsCocoa_vIPlugTessary2_au::killTimer() {
  if (!mTimer) return;
  NSTimer* t = mTimer;
  mTimer = nullptr;
  t->invalidate();
}

void IGraphicsCocoa_vIPlugTessary2_au::removeFromSuperview() {
  retain(); // the graphics object and the superview may both let go below
  if (mTextFieldView) endUserInput();
  if (mGraphics) {
    IGraphicsMac* pGraphics = mGraphics;
    mGraphics = nullptr;
    pGraphics->CloseWindow();
  }
  NSView::removeFromSuperview();
  release();
}

void IGraphicsCocoa_vIPlugTessary2_au::controlTextDidEndEditing(NSNotification* /*pNotification*/) {
  if (!mTextFieldView) return;
  NSString* s = mTextFieldView->stringValue();
  std::string text = s ? s->str() : "";
  if (mGraphics && mEdControl) {
    if (mEdParam)
      mGraphics->SetFromStringAfterPrompt(mEdControl, mEdParam, &text[0]);
    else
      mEdControl->TextFromTextEntry(text.c_str());
  }
  endUserInput();
  setNeedsDisplay(YES);
}

IPopupMenu* IGraphicsCocoa_vIPlugTessary2_au::createIPopupMenu(IPopupMenu* pMenu, NSRect* pRect) {
  auto* rcvr = (IGraphicsMenuRcvr_vIPlugTessary2_au*)(new IGraphicsMenuRcvr_vIPlugTessary2_au)
                   ->initWithFrame(*pRect);
  rcvr->autorelease();
  auto* menu = (new IGraphicsNSMenu_vIPlugTessary2_au)->initWithIPopupMenuAndReciever(pMenu, rcvr);
  menu->autorelease();

  NSPoint wp = convertPointToBase(NSMakePoint(pRect->origin.x, pRect->origin.y - 4.0));
  NSWindow* w = window();
  const CGFloat scale = w && w->screen() ? w->screen()->backingScaleFactor() : 1.0;
  wp.x /= scale;
  wp.y /= scale;
  NSEvent* event =
      NSEvent::otherEventWithType(NSApplicationDefined, wp, 15, 0, w ? w->windowNumber() : 0,
                                  NSGraphicsContext::currentContext(), 0, 0, 0);
  NSMenu::popUpContextMenu(menu, event, rcvr);

  NSMenuItem* chosen = rcvr->MenuItem();
  auto* chosenMenu =
      chosen ? dynamic_cast<IGraphicsNSMenu_vIPlugTessary2_au*>(chosen->menu()) : nullptr;
  IPopupMenu* pChosen = chosenMenu ? chosenMenu->AssociatedIPopupMenu() : nullptr;
  const NSInteger idx = chosenMenu ? chosenMenu->indexOfItem(chosen) : -1;
  if (idx > -1 && pChosen) {
    pChosen->SetChosenItemIdx((int)idx);
    return pChosen;
  }
  return nullptr;
}

void IGraphicsCocoa_vIPlugTessary2_au::createTextEntry(IControl* pControl, IParam* pParam,
                                                       IText* pText, const char* pString,
                                                       NSRect* pRect) {
  if (!pControl || mTextFieldView) return;
  mTextFieldView = (new NSTextField)->initWithFrame(*pRect);
  NSString* font = ToNSString(pText->mFont);
  mTextFieldView->setFont(NSFont::fontWithName(font, AdjustFontSize(pText->mSize)));
  switch (pText->mAlign) {
  case IText::kAlignNear:
    mTextFieldView->setAlignment(NSLeftTextAlignment);
    break;
  case IText::kAlignCenter:
    mTextFieldView->setAlignment(NSCenterTextAlignment);
    break;
  case IText::kAlignFar:
    mTextFieldView->setAlignment(NSRightTextAlignment);
    break;
  }
  if (pParam) {
    const char* chars = "";
    switch (pParam->Type()) {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      chars = "0123456789-+";
      break;
    case IParam::kTypeDouble:
      chars = "0123456789.-+";
      break;
    default:
      break;
    }
    auto* formatter = new CocoaFormatter_vIPlugTessary2_au;
    formatter->autorelease();
    formatter->setAcceptableCharacterSet(
        NSCharacterSet::characterSetWithCharactersInString(ToNSString(chars)));
    formatter->setMaximumLength(pControl->GetTextEntryLength());
    mTextFieldView->setFormatter(formatter);
  }
  mTextFieldView->cell()->setLineBreakMode(NSLineBreakByTruncatingTail);
  mTextFieldView->setAllowsEditingTextAttributes(NO);
  mTextFieldView->setTextColor(ToNSColor(&pText->mTextEntryFGColor));
  mTextFieldView->setBackgroundColor(ToNSColor(&pText->mTextEntryBGColor));
  mTextFieldView->setStringValue(ToNSString(pString ? pString : "")); // the platform takes no nil
  mTextFieldView->setBordered(NO);
  mTextFieldView->setFocusRingType(NSFocusRingTypeNone);
  mTextFieldView->setDelegate(this);
  addSubview(mTextFieldView);
  if (NSWindow* w = window()) {
    w->makeKeyAndOrderFront(nullptr);
    w->makeFirstResponder(mTextFieldView);
  }
  mEdParam = pParam;
  mEdControl = pControl;
}

void IGraphicsCocoa_vIPlugTessary2_au::endUserInput() {
  NSTextField* field = mTextFieldView;
  mTextFieldView = nullptr;
  mEdControl = nullptr;
  mEdParam = nullptr;
  if (field) {
    field->setDelegate(nullptr);
    field->removeFromSuperview();
    field->release(); // the reference made in createTextEntry
  }
  if (NSWindow* w = window()) w->makeFirstResponder(this);
}

NSString* IGraphicsCocoa_vIPlugTessary2_au::view(NSView* /*pView*/, NSToolTipTag /*tag*/,
                                                 NSPoint /*point*/, void* /*pData*/) {
  const int c = mGraphics ? GetMouseOver(mGraphics) : -1;
  IControl* pControl = c >= 0 ? mGraphics->GetControl(c) : nullptr;
  const char* tip = pControl ? pControl->GetTooltip() : nullptr;
  NSString* s = tip && *tip ? ToNSString(tip) : nullptr;
  return s ? s : Empty();
}

void IGraphicsCocoa_vIPlugTessary2_au::registerToolTip(IRECT* pRect) {
  addToolTipRect(ToNSRect(mGraphics, pRect), this, nullptr);
}
