// An instrument with a side-chain input (taken or not) and three outputs, for the binding's bus handling:
// each output channel gets its input channel (or silence) plus its own index.

#include "WDL/IPlug/IPlugAU.h"

#include <cstring>

class BusPlug : public IPlugAU {
public:
  explicit BusPlug(IPlugInstanceInfo info)
      : IPlugAU(info, 0, "2-3 3-3", 0, "BusPlug", "", "Ostrevane", 0x10000, 0x42757350 /* 'BusP' */,
                0x5A76656B /* 'Zvek' */, 0, false, false, true, 1) {}
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override {
    for (int c = 0; c < NOutChannels(); ++c) {
      if (!outputs[c]) continue;
      for (int s = 0; s < nFrames; ++s)
        outputs[c][s] = (IsInChannelConnected(c) && inputs[c] ? inputs[c][s] : 0.0) + c;
    }
  }
};

IPlugAU* MakePlug(void* memory) {
  return IPlugAUMakePlug<BusPlug>(memory, "com.Ostrevane.audiounit.BusPlug", "");
}

IPLUG_AU_EXPORTS(BusPlug, BusPlug)
