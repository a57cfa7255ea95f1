// The editor's view for hosts: the Cocoa view factory, the CocoaUI property and the creation
// of the macOS graphics object.
#include "WDL/IPlug/IPlugAU_ViewFactory.h"

#include <Cocoa/NSString.h>
#include <Cocoa/NSView.h>

#include <cstring>

#include "WDL/IPlug/IGraphicsMac.h"
#include "WDL/IPlug/IPlugAU.h"
#include "WDL/IPlug/IPlugAU_Private.h"

namespace {
constexpr int kMinCocoaOSVersion = 0x1050;
} // namespace

NSView* IPlugAUViewFactory::uiViewForAudioUnit(AudioUnit inAudioUnit, NSSize) {
  IPlugAU* plug = nullptr;
  UInt32 size = sizeof(plug);
  if (AudioUnitGetProperty(inAudioUnit, kIPlugObjectPropertyID, kAudioUnitScope_Global, 0, &plug,
                           &size) == noErr &&
      size == sizeof(plug))
    mPlug = plug;
  if (!mPlug || !mPlug->GetGUI()) return nullptr;
  // The view has the editor's own size, whatever the host would prefer.
  auto* view = static_cast<NSView*>(mPlug->GetGUI()->OpenWindow(nullptr));
  mPlug->OnGUIOpen();
  return view;
}

NSString* IPlugAUViewFactory::description() {
  return NSString::stringWithUTF8String(DescriptionText());
}

ComponentResult IPlugAU::GetCocoaUI(UInt32* pDataSize, UInt32 room, void* pData) {
  if (!GetGUI() || IGraphicsMac::GetUserOSVersion() < kMinCocoaOSVersion)
    return kAudioUnitErr_InvalidProperty;
  *pDataSize = sizeof(AudioUnitCocoaViewInfo);
  if (!pData) return noErr;
  if (!PropertyFits(pData, room, sizeof(AudioUnitCocoaViewInfo)))
    return kAudioUnitErr_InvalidPropertyValue;
  CFStrLocal bundleID(mOSXBundleID.Get());
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(bundleID.mCFStr);
  CFURLRef url = bundle ? CFBundleCopyBundleURL(bundle) : nullptr;
  // A host cannot load a view from a bundle it cannot find.
  if (!url) return kAudioUnitErr_InvalidProperty;
  AudioUnitCocoaViewInfo info;
  info.mCocoaAUViewBundleLocation = url;
  info.mCocoaAUViewClass[0] = MakeCFString(mCocoaViewFactoryClassName.Get());
  memcpy(pData, &info, sizeof(info));
  return noErr;
}

IGraphics* MakeGraphics(IPlugAU* pPlug, int w, int h, int fps) {
  auto* pGraphics = new IGraphicsMac(pPlug, w, h, fps);
  pGraphics->SetBundleID(pPlug->mOSXBundleID.Get());
  return pGraphics;
}
