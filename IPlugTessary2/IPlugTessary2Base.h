#pragma once
// The engine's base class: the AudioUnit binding. Until the binding is in the tree, a minimal
// host-less stand-in with the same constructor keeps the engine and its tests building; it
// answers the defaults (no tempo from a host, no MIDI callback).

#if __has_include("WDL/IPlug/IPlugAU.h")
#include "WDL/IPlug/IPlugAU.h"
#else
#include "WDL/wdlstring.h"
#include "WDL/IPlug/IPlugBase.h"

struct IPlugInstanceInfo {
  WDL_String mOSXBundleID;
  WDL_String mCocoaViewFactoryClassName;
};

class IPlugAU : public IPlugBase {
public:
  IPlugAU(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
          const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
          int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks,
          bool plugIsInst, int plugScChans)
      : IPlugBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
                  uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIAU),
        mOSXBundleID(instanceInfo.mOSXBundleID),
        mCocoaViewFactoryClassName(instanceInfo.mCocoaViewFactoryClassName) {
    (void)plugScChans;
  }

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int*, int*) override {}
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }

protected:
  WDL_String mOSXBundleID;
  WDL_String mCocoaViewFactoryClassName;
};
#endif
