// An effect whose channel configurations declare no outputs, no channels at all and no inputs,
// for the binding's answer of the legal configurations: "2-0 0-0 0-2 1-1".

#include "WDL/IPlug/IPlugAU.h"

class IOPlug : public IPlugAU {
public:
  explicit IOPlug(IPlugInstanceInfo info)
      : IPlugAU(info, 0, "2-0 0-0 0-2 1-1", 0, "IOPlug", "", "Ostrevane", 0x10000,
                0x494F506C /* 'IOPl' */, 0x5A76656B /* 'Zvek' */, 0, false, false, false, 0) {}
  void ProcessDoubleReplacing(double**, double**, int) override {}
};

IPlugAU* MakePlug(void* memory) {
  return IPlugAUMakePlug<IOPlug>(memory, "com.Ostrevane.audiounit.IOPlug", "");
}

IPLUG_AU_EXPORTS(IOPlug, IOPlug)
