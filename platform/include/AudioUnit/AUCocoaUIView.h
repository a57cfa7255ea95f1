// The protocol of an AudioUnit's Cocoa view factory: the host finds the class by the name the
// CocoaUI property gives, makes one and asks it for the view of a unit.
#pragma once

#include <AudioUnit/AUComponent.h>
#include <Cocoa/NSObject.h>

class NSView;

class AUCocoaUIBase : public NSObject {
public:
  ~AUCocoaUIBase() override;
  virtual unsigned interfaceVersion() = 0;
  // uiViewForAudioUnit:withSize: the view (autoreleased by the factory's owner's rules: the
  // factory keeps no reference), or null. Main thread.
  virtual NSView* uiViewForAudioUnit(AudioUnit inAudioUnit, NSSize inPreferredSize) = 0;
};
