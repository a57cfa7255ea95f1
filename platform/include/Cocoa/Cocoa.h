// Umbrella header of the Cocoa stand-in (with the CoreGraphics and ColorSync it brings).
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <CoreGraphics/CoreGraphics.h>
#include <ColorSync/ColorSync.h>
#include <Cocoa/NSObject.h>
#include <Cocoa/NSString.h>
#include <Cocoa/NSRunLoop.h>
#include <Cocoa/NSView.h>
#include <Cocoa/NSMenu.h>
#include <Cocoa/NSTextField.h>
#include <Cocoa/NSPanel.h>
