#pragma once
// The AudioUnit binding: the plug-in object as a host sees it through the AudioComponent
// factory, the Component Manager entry, the selectors, properties, parameters, render, MIDI,
// saved state and presets. A plug-in class derives from IPlugAU and exports its three entry
// points with IPLUG_AU_EXPORTS.
//
// Host input is checked here, at the edge: every entry validates scope, element, ids, sizes
// and pointers and answers an AudioUnit status; the plug-in core behind it trusts its input.

#include <AudioToolbox/AudioToolbox.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreMIDI/CoreMIDI.h>
#include <CoreServices/CoreServices.h>

#include <atomic>
#include <cstddef>
#include <new>

#include "WDL/IPlug/IPlugBase.h"
#include "WDL/mutex.h"
#include "WDL/ptrlist.h"
#include "WDL/wdlstring.h"

// ---- Strings across the host boundary (UTF-8) ----

// A new string of the text, owned by the caller; null for null. Bytes that are not UTF-8
// are read by the project's rule (WDL/utf8.h).
CFStringRef MakeCFString(const char* cStr);

// Whether cf is an object of the type; false for null (which the platform's CFGetTypeID
// does not take), so a pointer from a host or a dictionary lookup can be tested at once.
bool CFIsType(CFTypeRef cf, CFTypeID type);

// A string of the text, released when the scope ends.
struct CFStrLocal {
  CFStringRef mCFStr;
  explicit CFStrLocal(const char* cStr) : mCFStr(MakeCFString(cStr)) {}
  ~CFStrLocal();
  CFStrLocal(const CFStrLocal&) = delete;
  CFStrLocal& operator=(const CFStrLocal&) = delete;
};

// The UTF-8 text of a string in a buffer sized for the encoding's longest form, freed when
// the scope ends; mCStr is null when the string is null or cannot be converted.
struct CStrLocal {
  char* mCStr;
  explicit CStrLocal(CFStringRef cfStr);
  ~CStrLocal();
  CStrLocal(const CStrLocal&) = delete;
  CStrLocal& operator=(const CStrLocal&) = delete;
};

// What the factory hands to the plug-in constructor (by value): the bundle identifier and
// the class name of the Cocoa view factory.
struct IPlugInstanceInfo {
  WDL_String mOSXBundleID;
  WDL_String mCocoaViewFactoryClassName;

  IPlugInstanceInfo() = default;
  IPlugInstanceInfo(const IPlugInstanceInfo&) = default;
};

class IPlugAU : public IPlugBase {
public:
  // Main thread, under MakePlug's mutex. sideChainChans: inputs fed by a second input bus.
  IPlugAU(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
          const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
          int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks,
          bool plugIsInst, int plugScChans);
  ~IPlugAU() override;

  // ---- Host notifications (the plug-in mutex may be held; main thread) ----
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;
  void InformHostOfProgramChange() override;

  bool IsRenderingOffline() override { return mIsOffline; }

  // ---- The host's transport; render thread, inside render (mutex held) ----
  // Called elsewhere, none asks the host: the tempo and numerator stay the last reported,
  // the position is 0 and GetTime writes nothing.
  // Timeline position of the block in samples (rounded); 0 without the host's callback.
  int GetSamplePos() override;
  // Beats per minute: the last finite, positive tempo the host reported (120 until then).
  double GetTempo() override;
  // Writes nothing without the host's callback; keeps the last good numerator.
  void GetTimeSig(int* pNum, int* pDenom) override;
  // Fills what the host reports; every other field keeps its value.
  void GetTime(ITimeInfo* pTimeInfo) override;

  EHost GetHost() override;
  void ResizeGraphics(int w, int h) override;
  void HostSpecificInit() override;
  // Tells the Latency listeners, then stores the value. Main thread.
  void SetLatency(int samples) override;
  // One 3-byte packet at the message's offset to the host's MIDI output callback; true
  // when the host took it. Render thread (or the main thread outside render).
  bool SendMidiMsg(IMidiMsg* pMsg) override;
  // Main thread, not while rendering. Frames; a size whose buffers cannot be had is refused
  // and the old size kept (see TrySetBlockSize).
  void SetBlockSize(int blockSize) override;
  // Render thread, mutex held: a block the host bypasses, after its buffers were passed
  // through. The processing never runs then; a MIDI plug-in still sends what must leave (the
  // note-offs of what it has sounding). Nothing by default.
  virtual void ProcessBypassedBlock(int /*nFrames*/) {}

  // The AudioComponent or Component Manager instance; null until open.
  ComponentInstance GetComponentInstance() const { return mCI; }

  // ---- Host entries (static; each is given the object) ----

  // Component Manager entry of the AudioUnit; storage is the object stored for the instance.
  // Main thread for open/close; the selectors as their entries say.
  static ComponentResult IPlugAUEntry(ComponentParameters* params, void* pPlug);
  // Component Manager entry of the Carbon view component. Main thread.
  static ComponentResult IPlugAUCarbonViewEntry(ComponentParameters* params, void* pView);

  // Main thread.
  static ComponentResult DoInitialize(IPlugAU* _this);
  static ComponentResult DoUninitialize(IPlugAU* _this);
  // Main or render thread.
  static ComponentResult DoReset(IPlugAU* _this);
  // Main thread (the ClassInfo, MakeConnection and view properties) except
  // MaximumFramesPerSlice and SampleRate: main thread, not while rendering.
  static ComponentResult DoGetPropertyInfo(IPlugAU* _this, AudioUnitPropertyID prop,
                                           AudioUnitScope scope, AudioUnitElement elem,
                                           UInt32* outDataSize, Boolean* outWritable);
  static ComponentResult DoGetProperty(IPlugAU* _this, AudioUnitPropertyID prop,
                                       AudioUnitScope scope, AudioUnitElement elem, void* outData,
                                       UInt32* ioDataSize);
  static ComponentResult DoSetProperty(IPlugAU* _this, AudioUnitPropertyID prop,
                                       AudioUnitScope scope, AudioUnitElement elem,
                                       const void* pData, UInt32 dataSize);
  // Main thread.
  static ComponentResult DoAddPropertyListener(IPlugAU* _this, AudioUnitPropertyID prop,
                                               AudioUnitPropertyListenerProc proc, void* userData);
  static ComponentResult DoRemovePropertyListener(IPlugAU* _this, AudioUnitPropertyID prop,
                                                  AudioUnitPropertyListenerProc proc);
  static ComponentResult DoRemovePropertyListenerWithUserData(IPlugAU* _this,
                                                              AudioUnitPropertyID prop,
                                                              AudioUnitPropertyListenerProc proc,
                                                              void* userData);
  // Main or render thread.
  static ComponentResult DoGetParameter(IPlugAU* _this, AudioUnitParameterID id,
                                        AudioUnitScope scope, AudioUnitElement elem,
                                        AudioUnitParameterValue* pValue);
  static ComponentResult DoSetParameter(IPlugAU* _this, AudioUnitParameterID id,
                                        AudioUnitScope scope, AudioUnitElement elem,
                                        AudioUnitParameterValue value, UInt32 offset);
  // Render thread.
  static ComponentResult DoScheduleParameters(IPlugAU* _this, const AudioUnitParameterEvent* pEvent,
                                              UInt32 nEvents);
  static ComponentResult DoRender(IPlugAU* _this, AudioUnitRenderActionFlags* pFlags,
                                  const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx,
                                  UInt32 nFrames, AudioBufferList* pBufferList);
  // Main thread; they take the plug-in mutex, so not from inside a render notification.
  static ComponentResult DoAddRenderNotify(IPlugAU* _this, AURenderCallback proc, void* userData);
  static ComponentResult DoRemoveRenderNotify(IPlugAU* _this, AURenderCallback proc,
                                              void* userData);
  // Render thread (or the main thread outside render).
  static ComponentResult DoMIDIEvent(IPlugAU* _this, UInt32 status, UInt32 data1, UInt32 data2,
                                     UInt32 offsetFrames);
  static ComponentResult DoSysEx(IPlugAU* _this, const UInt8* pData, UInt32 size);

  // The plug-in's own parameter entries, also used by scheduled events; the mutex is taken.
  static ComponentResult GetParamProc(void* pPlug, AudioUnitParameterID paramID,
                                      AudioUnitScope scope, AudioUnitElement elem,
                                      AudioUnitParameterValue* pValue);
  static ComponentResult SetParamProc(void* pPlug, AudioUnitParameterID paramID,
                                      AudioUnitScope scope, AudioUnitElement elem,
                                      AudioUnitParameterValue value, UInt32 offsetFrames);
  static ComponentResult RenderProc(void* pPlug, AudioUnitRenderActionFlags* pFlags,
                                    const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx,
                                    UInt32 nFrames, AudioBufferList* pBufferList);

  // ---- Records of the binding's lists ----

  struct BusChannels {
    bool mConnected = false;
    int mNHostChannels = -1; // -1: not yet known
    int mNPlugChannels = 0;
    int mPlugChannelStartIdx = 0;
  };

  enum EAUInputType {
    eNotConnected = 0,
    eDirectFastProc = 1,
    eDirectNoFastProc = 2,
    eRenderCallback = 3
  };

  struct InputBusConnection {
    void* mUpstreamObj = nullptr;
    AudioUnit mUpstreamUnit = nullptr;
    int mUpstreamBusIdx = 0;
    AudioUnitRenderProc mUpstreamRenderProc = nullptr;
    AURenderCallbackStruct mUpstreamRenderCallback = {nullptr, nullptr};
    EAUInputType mInputType = eNotConnected;
  };

  struct PropertyListener {
    AudioUnitPropertyID mPropID = 0;
    AudioUnitPropertyListenerProc mListenerProc = nullptr;
    void* mProcArgs = nullptr;
  };

  // Sizes that bound host input; larger requests are refused.
  static constexpr int kMaxHostBuffers = 128;   // buffers of one bus list
  static constexpr int kMaxBlockSize = 1 << 20; // frames

protected:
  // The Latency, PresentPreset... listeners, with the old value still in place.
  void InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope);
  // Whether the channel counts the host has given fit a configuration.
  bool CheckLegalIO();
  bool CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels);
  void AssessInputConnections();
  void ClearConnections();

private:
  friend class IPlugAUTestAccess;
  friend class IPlugAUFactoryBase;
  struct Impl; // the property table, kept out of the header

  // Main thread: the block size and scratch buffers as one step; false (nothing changed)
  // when the buffers cannot be had.
  bool TrySetBlockSize(int blockSize);
  ComponentResult GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                              AudioUnitElement element, UInt32* pDataSize, Boolean* pWriteable,
                              void* pData);
  ComponentResult SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                              AudioUnitElement element, UInt32* pDataSize, const void* pData);
  ComponentResult GetProc(AudioUnitElement element, UInt32* pDataSize, void* pData);
  // The CocoaUI property: room is what the host's buffer holds (pData null: info call).
  ComponentResult GetCocoaUI(UInt32* pDataSize, UInt32 room, void* pData);
  ComponentResult GetState(CFPropertyListRef* ppPropList);
  ComponentResult SetState(CFPropertyListRef pPropList);
  void SendAUEvent(AudioUnitEventType type, ComponentInstance ci, int idx);
  BusChannels* GetBus(AudioUnitScope scope, AudioUnitElement busIdx);
  int NHostChannelsConnected(WDL_PtrList<BusChannels>* pBuses, int excludeIdx = -1);
  int GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element,
                           AudioChannelLayoutTag* pTags);

public:
  WDL_String mOSXBundleID;
  WDL_String mCocoaViewFactoryClassName;

private:
  // The host's callbacks inside render; outside it, none.
  const HostCallbackInfo& TransportCallbacks() const;

  char mParamDisplayStr[32];
  ComponentInstance mCI;
  bool mActive;
  bool mIsOffline;
  double mRenderTimestamp; // samples
  double mTempo;           // beats per minute
  int mTimeSigNum;         // last good numerator the host reported
  HostCallbackInfo mHostCallbacks;
  bool mInRender = false; // DoRender is running (written and read under the plug-in mutex)
  AudioTimeStamp mLastRenderTimeStamp;
  WDL_TypedBuf<float> mInScratchBuf;
  WDL_TypedBuf<float> mOutScratchBuf;
  WDL_PtrList<AURenderCallbackStruct> mRenderNotify;
  AUMIDIOutputCallbackStruct mMidiCallback;
  WDL_PtrList<BusChannels> mInBuses, mOutBuses;
  WDL_PtrList<InputBusConnection> mInBusConnections;
  WDL_PtrList<PropertyListener> mPropertyListeners;
};

// ---- Creation; defined by the plug-in's source ----

// Constructs the plug-in in memory (room for the plug-in class) or, for null, on the heap,
// under a process-wide mutex. Main thread.
IPlugAU* MakePlug(void* memory);

class IGraphics;
// The macOS graphics object of the plug-in's editor at w x h pixels and fps frames per
// second, its bundle identifier set; the caller attaches it. Main thread.
IGraphics* MakeGraphics(IPlugAU* pPlug, int w, int h, int fps = 0);

// Builds the instance info that MakePlug hands to the plug-in's constructor, and constructs
// PLUG in place or on the heap, under one process-wide mutex. For MakePlug.
template <class PLUG>
IPlugAU* IPlugAUMakePlug(void* memory, const char* bundleID, const char* viewClassName) {
  static WDL_Mutex sMutex;
  WDL_MutexLock lock(&sMutex);
  IPlugInstanceInfo info;
  info.mOSXBundleID.Set(bundleID);
  info.mCocoaViewFactoryClassName.Set(viewClassName);
  if (memory) return new (memory) PLUG(info);
  return new PLUG(info);
}

// The AudioComponent factory: one malloc'd block of eight interface words followed by the
// plug-in object. Every method receives the block and works on the object after it.
struct IPlugAUFactoryBlock {
  void* mWords[8]; // Open, Close, Lookup, reserved, Construct, Destruct, null, null
};

class IPlugAUFactoryBase {
public:
  // The block's interface; every selector that Lookup answers null for is unknown.
  static AudioComponentMethod Lookup(SInt16 selector);
  // Main thread.
  static OSStatus Open(void* self, AudioComponentInstance compInst);
  static OSStatus Close(void* self);
  // The object that follows the interface words of the block.
  static IPlugAU* PlugOf(void* self);

protected:
  // A zeroed block of the given object size with the words filled; null when out of memory.
  static void* NewBlock(size_t objSize, void* construct, void* destruct);
};

template <class PLUG> class IPlugAUFactory : public IPlugAUFactoryBase {
public:
  // The host's AudioComponent factory; the description is not used. Main thread.
  static AudioComponentPlugInInterface* Factory(const AudioComponentDescription* /*desc*/) {
    return static_cast<AudioComponentPlugInInterface*>(
        NewBlock(sizeof(PLUG), (void*)&Construct, (void*)&Destruct));
  }
  static void* Construct(void* memory, AudioComponentInstance /*compInst*/) {
    return MakePlug(memory);
  }
  static void Destruct(void* memory) { static_cast<IPlugAU*>(memory)->~IPlugAU(); }
};

// Exports the three entry points of a bundle for the plug-in class PLUG under the name
// prefix PREFIX (PREFIX_Entry, PREFIX_ViewEntry, PREFIX_Factory). The bundle is linked so
// that these are its only exported symbols.
#define IPLUG_AU_EXPORTS(PLUG, PREFIX)                                                             \
  extern "C" __attribute__((visibility("default")))                                                \
  ComponentResult PREFIX##_Entry(ComponentParameters* params, void* pPlug) {                       \
    return IPlugAU::IPlugAUEntry(params, pPlug);                                                   \
  }                                                                                                \
  extern "C" __attribute__((visibility("default")))                                                \
  ComponentResult PREFIX##_ViewEntry(ComponentParameters* params, void* pView) {                   \
    return IPlugAU::IPlugAUCarbonViewEntry(params, pView);                                         \
  }                                                                                                \
  extern "C" __attribute__((visibility("default")))                                                \
  AudioComponentPlugInInterface* PREFIX##_Factory(const AudioComponentDescription* desc) {         \
    return IPlugAUFactory<PLUG>::Factory(desc);                                                    \
  }
