// The editor's view for hosts: the CocoaUI property and the graphics object's creation.
#include "WDL/IPlug/IPlugAU.h"

ComponentResult IPlugAU::GetCocoaUI(UInt32* pDataSize, UInt32 room, void* pData) {
  (void)pDataSize;
  (void)room;
  (void)pData;
  // No macOS graphics object exists yet, so there is no view to offer.
  return kAudioUnitErr_InvalidProperty;
}

IGraphics* MakeGraphics(IPlugAU*, int, int, int) {
  return nullptr;
}
