// The bundle's three exported entry points; the factory constructs the engine.

#include "IPlugTessary2/IPlugTessary2.h"
#include "WDL/IPlug/IPlugAU_ViewFactory.h"

IPlugAU* MakePlug(void* memory) {
  return IPlugAUMakePlug<IPlugTessary2>(memory, "com.Ostrevane.audiounit.Quorlen-VUDE",
                                        "IPlugTessary2_View");
}

IPLUG_AU_EXPORTS(IPlugTessary2, IPlugTessary2)
IPLUG_AU_VIEW_FACTORY(IPlugTessary2, "Quorlen-VUDE View")
