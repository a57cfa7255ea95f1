#pragma once
// The Cocoa view factory a host finds by the class name of the CocoaUI property. A plug-in's
// bundle names and registers its own with IPLUG_AU_VIEW_FACTORY.

#include <AudioUnit/AUCocoaUIView.h>

class IPlugBase;
class NSString;

class IPlugAUViewFactory : public AUCocoaUIBase {
public:
  IPlugAUViewFactory* init() {
    mPlug = nullptr;
    return this;
  }
  unsigned interfaceVersion() override { return 0; }
  // Opens the editor of the unit's plug-in (found through its private property) at the
  // editor's own size; null when the unit is not one of ours or has no editor. Main thread.
  NSView* uiViewForAudioUnit(AudioUnit inAudioUnit, NSSize inPreferredSize) override;
  // Autoreleased.
  virtual NSString* description();
  // The plug-in whose editor the last view showed; null before.
  IPlugBase* mPlug = nullptr;

protected:
  virtual const char* DescriptionText() const = 0;
};

// Registers the class with the runtime while the bundle is loaded, and forgets it when the
// bundle goes away.
struct IPlugAUClassRegistration {
  const objc_class* mClass;
  explicit IPlugAUClassRegistration(const objc_class* cls) : mClass(cls) {
    PlatformRegisterClass(cls);
  }
  ~IPlugAUClassRegistration() { PlatformUnregisterClass(mClass); }
  IPlugAUClassRegistration(const IPlugAUClassRegistration&) = delete;
  IPlugAUClassRegistration& operator=(const IPlugAUClassRegistration&) = delete;
};

// Defines and registers the view factory class PREFIX_View, described as DESCRIPTION.
#define IPLUG_AU_VIEW_FACTORY(PREFIX, DESCRIPTION)                                                 \
  class PREFIX##_View : public IPlugAUViewFactory {                                                \
  protected:                                                                                       \
    const char* DescriptionText() const override { return DESCRIPTION; }                           \
  };                                                                                               \
  namespace {                                                                                      \
  const objc_class k##PREFIX##_ViewClass = {#PREFIX "_View",                                       \
                                            []() -> id { return (new PREFIX##_View)->init(); }};   \
  IPlugAUClassRegistration s##PREFIX##_ViewRegistration(&k##PREFIX##_ViewClass);                   \
  }
