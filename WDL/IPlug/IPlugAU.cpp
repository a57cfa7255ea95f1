// The binding's life cycle, entries, render, time information and MIDI.
#include "WDL/IPlug/IPlugAU.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <CoreFoundation/CFBundle.h>

namespace {
constexpr int kScratchGranularity = 4096;
constexpr int kListGranularity = 4096;
constexpr double kDefaultTempo = 120.0;
constexpr int kDefaultBlockSize = 1024;
constexpr int kMaxTimeSigNumerator = 64;

// The four-byte-per-sample size a host buffer must have for nFrames.
bool BufferHolds(const AudioBuffer& b, UInt32 nFrames) {
  return b.mDataByteSize / sizeof(float) >= nFrames;
}
// Deletes the first entry the predicate picks; the list owns its entries.
template <class T, class Pick> void DeleteFirst(WDL_PtrList<T>& list, Pick pick) {
  for (int i = 0; i < list.GetSize(); ++i) {
    if (pick(list.Get(i))) {
      list.Delete(i, true);
      return;
    }
  }
}

} // namespace

IPlugAU::IPlugAU(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr,
                 int nPresets, const char* effectName, const char* productName, const char* mfrName,
                 int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                 bool plugDoesChunks, bool plugIsInst, int plugScChans)
    : IPlugBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
                uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIAU),
      mOSXBundleID(instanceInfo.mOSXBundleID),
      mCocoaViewFactoryClassName(instanceInfo.mCocoaViewFactoryClassName), mParamDisplayStr{},
      mCI(nullptr), mActive(false), mIsOffline(false), mRenderTimestamp(-1.0),
      mTempo(kDefaultTempo), mTimeSigNum(4), mHostCallbacks{}, mLastRenderTimeStamp{},
      mInScratchBuf(kScratchGranularity), mOutScratchBuf(kScratchGranularity),
      mRenderNotify(kListGranularity), mMidiCallback{nullptr, nullptr}, mInBuses(kListGranularity),
      mOutBuses(kListGranularity), mInBusConnections(kListGranularity),
      mPropertyListeners(kListGranularity) {
  const int nIn = NInChannels(), nOut = NOutChannels();
  if (plugScChans > 0 && nIn > 0) {
    const int main = nIn - plugScChans > 0 ? nIn - plugScChans : 0;
    const int sc = nIn - main;
    for (int i = 0; i < 2; ++i) {
      auto* bus = new BusChannels;
      bus->mNPlugChannels = i == 0 ? main : sc;
      bus->mPlugChannelStartIdx = i == 0 ? 0 : main;
      mInBuses.Add(bus);
      mInBusConnections.Add(new InputBusConnection);
    }
    SetInputBusLabel(0, "main input");
    SetInputBusLabel(1, "aux input");
  } else if (nIn > 0) {
    auto* bus = new BusChannels;
    bus->mNPlugChannels = nIn;
    mInBuses.Add(bus);
    mInBusConnections.Add(new InputBusConnection);
    SetInputBusLabel(0, "input");
    SetInputBusLabel(1, "aux input");
  }

  if (plugIsInst) {
    const int nBuses = (nOut + 1) / 2;
    for (int i = 0; i < nBuses; ++i) {
      auto* bus = new BusChannels;
      bus->mPlugChannelStartIdx = 2 * i;
      bus->mNPlugChannels = nOut - 2 * i < 2 ? nOut - 2 * i : 2;
      mOutBuses.Add(bus);
      char label[32];
      snprintf(label, sizeof(label), "output %i", i + 1);
      SetOutputBusLabel(i, label);
    }
  } else {
    auto* bus = new BusChannels;
    bus->mNPlugChannels = nOut;
    mOutBuses.Add(bus);
    SetOutputBusLabel(0, "output");
  }

  AssessInputConnections();
  SetBlockSize(kDefaultBlockSize);
}

IPlugAU::~IPlugAU() {
  mRenderNotify.Empty(true);
  mInBuses.Empty(true);
  mOutBuses.Empty(true);
  mInBusConnections.Empty(true);
  mPropertyListeners.Empty(true);
}

// ---- Sizes, host and editor ----

bool IPlugAU::TrySetBlockSize(int blockSize) {
  if (blockSize <= 0 || blockSize > kMaxBlockSize) return false;
  const int nIn = NInChannels() * blockSize, nOut = NOutChannels() * blockSize;
  // Grow both first so that a failure leaves the old size in place.
  const int oldIn = mInScratchBuf.GetSize(), oldOut = mOutScratchBuf.GetSize();
  mInScratchBuf.Resize(nIn > oldIn ? nIn : oldIn, false);
  mOutScratchBuf.Resize(nOut > oldOut ? nOut : oldOut, false);
  if (mInScratchBuf.GetSize() < nIn || mOutScratchBuf.GetSize() < nOut) return false;
  mInScratchBuf.Resize(nIn, false);
  mOutScratchBuf.Resize(nOut, false);
  if (nIn) memset(mInScratchBuf.Get(), 0, sizeof(float) * nIn);
  if (nOut) memset(mOutScratchBuf.Get(), 0, sizeof(float) * nOut);
  IPlugBase::SetBlockSize(blockSize);
  return true;
}

void IPlugAU::SetBlockSize(int blockSize) {
  TrySetBlockSize(blockSize);
}

EHost IPlugAU::GetHost() {
  EHost host = IPlugBase::GetHost();
  if (host == kHostUninit) {
    CFBundleRef bundle = CFBundleGetMainBundle();
    CFStringRef id = bundle ? CFBundleGetIdentifier(bundle) : nullptr;
    if (id) {
      const CFIndex n =
          CFStringGetMaximumSizeForEncoding(CFStringGetLength(id), kCFStringEncodingUTF8) + 1;
      char* name = (char*)malloc((size_t)n);
      if (name && CFStringGetCString(id, name, n, kCFStringEncodingUTF8)) SetHost(name, 0);
      free(name);
    }
    if (IPlugBase::GetHost() == kHostUninit) SetHost("", 0);
  }
  return IPlugBase::GetHost();
}

void IPlugAU::HostSpecificInit() {
  GetHost();
  OnHostIdentified();
}

void IPlugAU::ResizeGraphics(int, int) {
  if (GetGUI()) OnWindowResize();
}

void IPlugAU::SetLatency(int samples) {
  InformListeners(kAudioUnitProperty_Latency, kAudioUnitScope_Global);
  IPlugBase::SetLatency(samples);
}

// ---- Lifecycle ----

ComponentResult IPlugAU::DoInitialize(IPlugAU* _this) {
  IMutexLock lock(_this);
  if (!_this->CheckLegalIO()) return badComponentSelector;
  _this->mActive = true;
  _this->OnParamReset();
  _this->OnActivate(true);
  return noErr;
}

ComponentResult IPlugAU::DoUninitialize(IPlugAU* _this) {
  IMutexLock lock(_this);
  _this->mActive = false;
  // No render comes until the next Initialize: whatever the plug-in releases here waits for
  // that render; nothing is sent from here.
  _this->OnActivate(false);
  return noErr;
}

ComponentResult IPlugAU::DoReset(IPlugAU* _this) {
  IMutexLock lock(_this);
  _this->Reset();
  return noErr;
}

void IPlugAU::ClearConnections() {
  for (int i = 0; i < mInBuses.GetSize(); ++i) {
    BusChannels* bus = mInBuses.Get(i);
    bus->mConnected = false;
    bus->mNHostChannels = -1;
    if (InputBusConnection* c = mInBusConnections.Get(i)) *c = InputBusConnection();
  }
  for (int i = 0; i < mOutBuses.GetSize(); ++i) {
    BusChannels* bus = mOutBuses.Get(i);
    bus->mConnected = false;
    bus->mNHostChannels = -1;
  }
}

int IPlugAU::NHostChannelsConnected(WDL_PtrList<BusChannels>* pBuses, int excludeIdx) {
  bool init = false;
  int n = 0;
  for (int i = 0; i < pBuses->GetSize(); ++i) {
    const int nHost = pBuses->Get(i)->mNHostChannels;
    if (i != excludeIdx && nHost >= 0) {
      n += nHost;
      init = true;
    }
  }
  return init ? n : -1;
}

bool IPlugAU::CheckLegalIO() {
  const int nIn = NHostChannelsConnected(&mInBuses);
  const int nOut = NHostChannelsConnected(&mOutBuses);
  return (!nIn && !nOut) || LegalIO(nIn, nOut);
}

bool IPlugAU::CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels) {
  int nIn, nOut;
  if (scope == kAudioUnitScope_Input) {
    const int others = NHostChannelsConnected(&mInBuses, busIdx);
    nIn = (others > 0 ? others : 0) + nChannels;
    nOut = mActive ? NHostChannelsConnected(&mOutBuses) : -1;
  } else {
    nIn = mActive ? NHostChannelsConnected(&mInBuses) : -1;
    const int others = NHostChannelsConnected(&mOutBuses, busIdx);
    nOut = (others > 0 ? others : 0) + nChannels;
  }
  return LegalIO(nIn, nOut);
}

void IPlugAU::AssessInputConnections() {
  IMutexLock lock(this);
  SetInputChannelConnections(0, NInChannels(), false);
  for (int i = 0; i < mInBuses.GetSize(); ++i) {
    BusChannels* bus = mInBuses.Get(i);
    InputBusConnection* c = mInBusConnections.Get(i);
    if (!c) continue;
    if (c->mUpstreamRenderProc && c->mUpstreamObj)
      c->mInputType = eDirectFastProc;
    else if (c->mUpstreamUnit)
      c->mInputType = eDirectNoFastProc;
    else if (c->mUpstreamRenderCallback.inputProc)
      c->mInputType = eRenderCallback;
    else
      c->mInputType = eNotConnected;
    bus->mConnected = c->mInputType != eNotConnected;
    if (bus->mConnected) {
      if (bus->mNHostChannels < 0) bus->mNHostChannels = bus->mNPlugChannels;
      const int nConnected = bus->mNHostChannels;
      const int nUnconnected =
          bus->mNPlugChannels - nConnected > 0 ? bus->mNPlugChannels - nConnected : 0;
      SetInputChannelConnections(bus->mPlugChannelStartIdx, nConnected, true);
      SetInputChannelConnections(bus->mPlugChannelStartIdx + nConnected, nUnconnected, false);
    }
  }
}

// ---- Render ----

ComponentResult IPlugAU::DoRender(IPlugAU* _this, AudioUnitRenderActionFlags* pFlags,
                                  const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx,
                                  UInt32 nFrames, AudioBufferList* pBufferList) {
  IMutexLock lock(_this);
  _this->mInRender = true;
  const ComponentResult r =
      RenderProc(_this, pFlags, pTimestamp, outputBusIdx, nFrames, pBufferList);
  _this->mInRender = false;
  return r;
}

namespace {
OSStatus CallRenderCallback(AURenderCallbackStruct* cb, AudioUnitRenderActionFlags* pFlags,
                            const AudioTimeStamp* pTimestamp, UInt32 busIdx, UInt32 nFrames,
                            AudioBufferList* pBufferList) {
  return cb->inputProc(cb->inputProcRefCon, pFlags, pTimestamp, busIdx, nFrames, pBufferList);
}

// A bus list on the stack with room for IPlugAU::kMaxHostBuffers buffers.
struct LocalBufferList {
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[IPlugAU::kMaxHostBuffers];
  AudioBufferList* Get() { return reinterpret_cast<AudioBufferList*>(this); }
};
static_assert(offsetof(LocalBufferList, mBuffers) == offsetof(AudioBufferList, mBuffers),
              "same layout as the platform's list");
} // namespace

ComponentResult IPlugAU::RenderProc(void* pPlug, AudioUnitRenderActionFlags* /*pFlags*/,
                                    const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx,
                                    UInt32 nFrames, AudioBufferList* pOutBufList) {
  IPlugAU* _this = static_cast<IPlugAU*>(pPlug);
  if (!pTimestamp) return kAudioUnitErr_InvalidPropertyValue;
  _this->mLastRenderTimeStamp = *pTimestamp;
  if (!pOutBufList) return kAudioUnitErr_InvalidPropertyValue;

  if (!(pTimestamp->mFlags & kAudioTimeStampSampleTimeValid))
    return kAudioUnitErr_InvalidPropertyValue;
  const int nOutBuses = _this->mOutBuses.GetSize();
  if (outputBusIdx >= (UInt32)nOutBuses || nFrames > (UInt32)_this->GetBlockSize())
    return kAudioUnitErr_InvalidPropertyValue;

  BusChannels* pOutBus = _this->mOutBuses.Get((int)outputBusIdx);
  // Host buffers beyond the bus's channels, or too small for the block, would be overrun.
  const UInt32 nHostBufs = pOutBufList->mNumberBuffers;
  if (nHostBufs > (UInt32)pOutBus->mNPlugChannels) return kAudioUnitErr_InvalidPropertyValue;
  for (UInt32 k = 0; k < nHostBufs; ++k) {
    const AudioBuffer& b = pOutBufList->mBuffers[k];
    if (b.mData && !BufferHolds(b, nFrames)) return kAudioUnitErr_InvalidPropertyValue;
  }

  const int nRenderNotify = _this->mRenderNotify.GetSize();
  for (int i = 0; i < nRenderNotify; ++i) {
    AudioUnitRenderActionFlags flags = kAudioUnitRenderAction_PreRender;
    CallRenderCallback(_this->mRenderNotify.Get(i), &flags, pTimestamp, outputBusIdx, nFrames,
                       pOutBufList);
  }

  const double renderTimestamp = pTimestamp->mSampleTime;
  if (renderTimestamp != _this->mRenderTimestamp) {
    for (int i = 0; i < _this->mInBuses.GetSize(); ++i) {
      BusChannels* pInBus = _this->mInBuses.Get(i);
      InputBusConnection* pConn = _this->mInBusConnections.Get(i);
      if (!pInBus->mConnected || !pConn) continue;
      const int nCh = pInBus->mNHostChannels;
      if (nCh < 0 || nCh > kMaxHostBuffers ||
          pInBus->mPlugChannelStartIdx + nCh > _this->NInChannels())
        return kAudioUnitErr_InvalidPropertyValue;
      LocalBufferList bufs;
      bufs.mNumberBuffers = (UInt32)nCh;
      for (int k = 0; k < nCh; ++k) {
        bufs.mBuffers[k].mNumberChannels = 1;
        bufs.mBuffers[k].mDataByteSize = nFrames * sizeof(float);
        bufs.mBuffers[k].mData = nullptr;
      }
      AudioUnitRenderActionFlags flags = 0;
      OSStatus r = noErr;
      switch (pConn->mInputType) {
      case eDirectFastProc:
        r = pConn->mUpstreamRenderProc(pConn->mUpstreamObj, &flags, pTimestamp,
                                       (UInt32)pConn->mUpstreamBusIdx, nFrames, bufs.Get());
        break;
      case eDirectNoFastProc:
        r = AudioUnitRender(pConn->mUpstreamUnit, &flags, pTimestamp,
                            (UInt32)pConn->mUpstreamBusIdx, nFrames, bufs.Get());
        break;
      case eRenderCallback: {
        float* base = _this->mInScratchBuf.Get() + pInBus->mPlugChannelStartIdx * nFrames;
        for (int k = 0; k < nCh; ++k) bufs.mBuffers[k].mData = base + k * nFrames;
        r = CallRenderCallback(&pConn->mUpstreamRenderCallback, &flags, pTimestamp, (UInt32)i,
                               nFrames, bufs.Get());
        break;
      }
      default:
        break;
      }
      if (r) return r;
      // Whatever the upstream handed back must be there and hold the block.
      if (bufs.mNumberBuffers != (UInt32)nCh) return kAudioUnitErr_InvalidPropertyValue;
      for (int c = 0; c < nCh; ++c) {
        AudioBuffer& b = bufs.mBuffers[c];
        if (!b.mData || !BufferHolds(b, nFrames)) return kAudioUnitErr_InvalidPropertyValue;
        float* data = static_cast<float*>(b.mData);
        _this->AttachInputBuffers(pInBus->mPlugChannelStartIdx + c, 1, &data, (int)nFrames);
      }
    }
    _this->mRenderTimestamp = renderTimestamp;
  }

  if (!pOutBus->mConnected || pOutBus->mNHostChannels != (int)nHostBufs) {
    const UInt32 n =
        (UInt32)pOutBus->mNHostChannels < nHostBufs ? (UInt32)pOutBus->mNHostChannels : nHostBufs;
    const int nConnected = (int)n;
    const int nUnconnected =
        pOutBus->mNPlugChannels - nConnected > 0 ? pOutBus->mNPlugChannels - nConnected : 0;
    _this->SetOutputChannelConnections(pOutBus->mPlugChannelStartIdx, nConnected, true);
    _this->SetOutputChannelConnections(pOutBus->mPlugChannelStartIdx + nConnected, nUnconnected,
                                       false);
    pOutBus->mConnected = true;
  }

  for (UInt32 k = 0; k < nHostBufs; ++k) {
    AudioBuffer& b = pOutBufList->mBuffers[k];
    if (!b.mData) {
      b.mData = _this->mOutScratchBuf.Get() + (pOutBus->mPlugChannelStartIdx + k) * nFrames;
      b.mDataByteSize = nFrames * sizeof(float);
    }
    float* data = static_cast<float*>(b.mData);
    const int ch = pOutBus->mPlugChannelStartIdx + (int)k;
    // A buffer the plug-in will not write (its channel is not connected) gets silence.
    if (!_this->IsOutChannelConnected(ch)) memset(data, 0, nFrames * sizeof(float));
    _this->AttachOutputBuffers(ch, 1, &data);
  }

  int lastConnectedOutputBus = -1;
  for (int i = 0; i < nOutBuses && _this->mOutBuses.Get(i)->mConnected; ++i)
    lastConnectedOutputBus = i;

  if ((int)outputBusIdx == lastConnectedOutputBus) {
    const int busIdx1based = (int)outputBusIdx + 1;
    if (busIdx1based < nOutBuses) {
      const int startChIdx = busIdx1based * 2;
      const int nConnected = _this->NOutChannels() - startChIdx;
      _this->SetOutputChannelConnections(startChIdx, nConnected, false);
    }
    if (!_this->mIsBypassed) {
      _this->ProcessBuffers(0.0f, (int)nFrames);
    } else {
      _this->PassThroughBuffers(0.0f, (int)nFrames);
      _this->ProcessBypassedBlock((int)nFrames);
    }
  }

  for (int i = 0; i < nRenderNotify; ++i) {
    AudioUnitRenderActionFlags flags = kAudioUnitRenderAction_PostRender;
    CallRenderCallback(_this->mRenderNotify.Get(i), &flags, pTimestamp, outputBusIdx, nFrames,
                       pOutBufList);
  }
  return noErr;
}

ComponentResult IPlugAU::DoAddRenderNotify(IPlugAU* _this, AURenderCallback proc, void* userData) {
  if (!proc) return kAudioUnitErr_InvalidPropertyValue;
  IMutexLock lock(_this);
  auto* cb = new AURenderCallbackStruct{proc, userData};
  if (!_this->mRenderNotify.Add(cb)) {
    delete cb;
    return kAudioUnitErr_InvalidPropertyValue;
  }
  return noErr;
}

ComponentResult IPlugAU::DoRemoveRenderNotify(IPlugAU* _this, AURenderCallback proc,
                                              void* userData) {
  IMutexLock lock(_this);
  DeleteFirst(_this->mRenderNotify, [&](const AURenderCallbackStruct* cb) {
    return cb->inputProc == proc && cb->inputProcRefCon == userData;
  });
  return noErr;
}

// ---- Time information ----

// Outside render none: the host answers them on its render thread only, and the main thread
// (a reset, a parameter) would read the host's transport while that thread moves it on.
const HostCallbackInfo& IPlugAU::TransportCallbacks() const {
  static const HostCallbackInfo kNone{};
  return mInRender ? mHostCallbacks : kNone;
}

double IPlugAU::GetTempo() {
  const HostCallbackInfo& cb = TransportCallbacks();
  if (cb.beatAndTempoProc) {
    Float64 currentBeat = 0.0, tempo = 0.0;
    cb.beatAndTempoProc(cb.hostUserData, &currentBeat, &tempo);
    if (std::isfinite(tempo) && tempo > 0.0) mTempo = tempo;
  }
  return mTempo;
}

int IPlugAU::GetSamplePos() {
  const HostCallbackInfo& cb = TransportCallbacks();
  if (!cb.transportStateProc) return 0;
  Boolean playing = 0, changed = 0, looping = 0;
  Float64 samplePos = 0.0, loopStartBeat = 0.0, loopEndBeat = 0.0;
  cb.transportStateProc(cb.hostUserData, &playing, &changed, &samplePos, &looping, &loopStartBeat,
                        &loopEndBeat);
  // An int cannot hold what lies outside its range; such positions answer 0.
  const double pos = samplePos + 0.5;
  if (!std::isfinite(pos) || pos < (double)INT32_MIN || pos >= (double)INT32_MAX + 1.0) return 0;
  return (int)pos;
}

namespace {
// A host numerator the plug-in can use, or 0.
int GoodNumerator(Float32 num) {
  if (!std::isfinite(num) || num < 1.0f || num >= (float)(kMaxTimeSigNumerator + 1)) return 0;
  return (int)num;
}
} // namespace

void IPlugAU::GetTimeSig(int* pNum, int* pDenom) {
  const HostCallbackInfo& cb = TransportCallbacks();
  if (!cb.musicalTimeLocationProc) return;
  UInt32 deltaSampleOffset = 0, denom = 0;
  Float32 num = 0.0f;
  Float64 currentMeasureDownBeat = 0.0;
  cb.musicalTimeLocationProc(cb.hostUserData, &deltaSampleOffset, &num, &denom,
                             &currentMeasureDownBeat);
  if (const int n = GoodNumerator(num)) mTimeSigNum = n;
  if (pNum) *pNum = mTimeSigNum;
  if (pDenom) *pDenom = (int)denom;
}

void IPlugAU::GetTime(ITimeInfo* pTimeInfo) {
  if (!pTimeInfo) return;
  const HostCallbackInfo& cb = TransportCallbacks();
  if (cb.beatAndTempoProc) {
    Float64 beat = 0.0, tempo = 0.0;
    cb.beatAndTempoProc(cb.hostUserData, &beat, &tempo);
    if (std::isfinite(tempo) && tempo > 0.0) pTimeInfo->mTempo = tempo;
    if (beat > 0.0) pTimeInfo->mPPQPos = beat;
  }
  if (cb.transportStateProc) {
    Boolean playing = 0, changed = 0, looping = 0;
    Float64 samplePos = 0.0, loopStartBeat = 0.0, loopEndBeat = 0.0;
    cb.transportStateProc(cb.hostUserData, &playing, &changed, &samplePos, &looping, &loopStartBeat,
                          &loopEndBeat);
    if (samplePos > 0.0) pTimeInfo->mSamplePos = samplePos;
    if (loopStartBeat > 0.0) pTimeInfo->mCycleStart = loopStartBeat;
    if (loopEndBeat > 0.0) pTimeInfo->mCycleEnd = loopEndBeat;
    pTimeInfo->mTransportIsRunning = playing != 0;
    pTimeInfo->mTransportLoopEnabled = looping != 0;
  }
  if (cb.musicalTimeLocationProc) {
    UInt32 deltaSampleOffset = 0, denom = 0;
    Float32 num = 0.0f;
    Float64 currentMeasureDownBeat = 0.0;
    cb.musicalTimeLocationProc(cb.hostUserData, &deltaSampleOffset, &num, &denom,
                               &currentMeasureDownBeat);
    if (const int n = GoodNumerator(num)) mTimeSigNum = n;
    pTimeInfo->mNumerator = mTimeSigNum;
    pTimeInfo->mDenominator = (int)denom;
    if (currentMeasureDownBeat > 0.0) pTimeInfo->mLastBar = currentMeasureDownBeat;
  }
}

// ---- MIDI ----

ComponentResult IPlugAU::DoMIDIEvent(IPlugAU* _this, UInt32 status, UInt32 data1, UInt32 data2,
                                     UInt32 offsetFrames) {
  if (!_this->DoesMIDI()) return badComponentSelector;
  IMutexLock lock(_this); // the block size changes under it
  // The offset lies in the next block, which is never longer than the maximum; a wild one
  // would reach the plug-in (and its MIDI out) as a negative or far-off sample.
  if (offsetFrames >= (UInt32)std::max(_this->GetBlockSize(), 1))
    return kAudioUnitErr_InvalidParameter;
  IMidiMsg msg((int)offsetFrames, (uint8_t)status, (uint8_t)data1, (uint8_t)data2);
  _this->ProcessMidiMsg(&msg);
  return noErr;
}

ComponentResult IPlugAU::DoSysEx(IPlugAU* _this, const UInt8* pData, UInt32 size) {
  if (!_this->DoesMIDI()) return badComponentSelector;
  if (!pData && size) return kAudioUnitErr_InvalidPropertyValue;
  if (size > (UInt32)INT32_MAX) return kAudioUnitErr_InvalidPropertyValue;
  IMutexLock lock(_this);
  ISysEx sysex(0, pData, (int)size);
  _this->ProcessSysEx(&sysex);
  return noErr;
}

bool IPlugAU::SendMidiMsg(IMidiMsg* pMsg) {
  if (!pMsg || !mMidiCallback.midiOutputCallback) return false;
  MIDIPacketList packetList;
  packetList.numPackets = 1;
  MIDIPacket& p = packetList.packet[0];
  p.timeStamp = (MIDITimeStamp)(int64_t)pMsg->mOffset;
  p.length = 3;
  p.data[0] = pMsg->mStatus;
  p.data[1] = pMsg->mData1;
  p.data[2] = pMsg->mData2;
  return mMidiCallback.midiOutputCallback(mMidiCallback.userData, &mLastRenderTimeStamp, 0,
                                          &packetList) == noErr;
}

// ---- Host notifications ----

void IPlugAU::InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope) {
  IMutexLock lock(this);
  // By index: a listener may remove itself (the list then shrinks under us).
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
    PropertyListener* pListener = mPropertyListeners.Get(i);
    if (pListener->mPropID == propID)
      pListener->mListenerProc(pListener->mProcArgs, mCI, propID, scope, 0);
  }
}

void IPlugAU::SendAUEvent(AudioUnitEventType type, ComponentInstance ci, int idx) {
  AudioUnitEvent event{};
  event.mEventType = type;
  event.mArgument.mParameter.mAudioUnit = ci;
  event.mArgument.mParameter.mParameterID = (AudioUnitParameterID)idx;
  event.mArgument.mParameter.mScope = kAudioUnitScope_Global;
  event.mArgument.mParameter.mElement = 0;
  AUEventListenerNotify(nullptr, nullptr, &event);
}

void IPlugAU::BeginInformHostOfParamChange(int idx) {
  SendAUEvent(kAudioUnitEvent_BeginParameterChangeGesture, mCI, idx);
}

void IPlugAU::InformHostOfParamChange(int idx, double) {
  SendAUEvent(kAudioUnitEvent_ParameterValueChange, mCI, idx);
}

void IPlugAU::EndInformHostOfParamChange(int idx) {
  SendAUEvent(kAudioUnitEvent_EndParameterChangeGesture, mCI, idx);
}

void IPlugAU::InformHostOfProgramChange() {
  InformListeners(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global);
}

ComponentResult IPlugAU::DoAddPropertyListener(IPlugAU* _this, AudioUnitPropertyID prop,
                                               AudioUnitPropertyListenerProc proc, void* userData) {
  if (!proc) return kAudioUnitErr_InvalidPropertyValue;
  IMutexLock lock(_this);
  for (int i = 0; i < _this->mPropertyListeners.GetSize(); ++i) {
    PropertyListener* p = _this->mPropertyListeners.Get(i);
    if (p->mPropID == prop && p->mListenerProc == proc && p->mProcArgs == userData) return noErr;
  }
  auto* listener = new PropertyListener{prop, proc, userData};
  if (!_this->mPropertyListeners.Add(listener)) {
    delete listener;
    return kAudioUnitErr_InvalidPropertyValue;
  }
  return noErr;
}

ComponentResult IPlugAU::DoRemovePropertyListener(IPlugAU* _this, AudioUnitPropertyID prop,
                                                  AudioUnitPropertyListenerProc proc) {
  IMutexLock lock(_this);
  DeleteFirst(_this->mPropertyListeners, [&](const PropertyListener* p) {
    return p->mPropID == prop && p->mListenerProc == proc;
  });
  return noErr;
}

ComponentResult IPlugAU::DoRemovePropertyListenerWithUserData(IPlugAU* _this,
                                                              AudioUnitPropertyID prop,
                                                              AudioUnitPropertyListenerProc proc,
                                                              void* userData) {
  IMutexLock lock(_this);
  DeleteFirst(_this->mPropertyListeners, [&](const PropertyListener* p) {
    return p->mPropID == prop && p->mListenerProc == proc && p->mProcArgs == userData;
  });
  return noErr;
}

// ---- Parameters ----

ComponentResult IPlugAU::DoGetParameter(IPlugAU* _this, AudioUnitParameterID id,
                                        AudioUnitScope scope, AudioUnitElement elem,
                                        AudioUnitParameterValue* pValue) {
  IMutexLock lock(_this);
  return GetParamProc(_this, id, scope, elem, pValue);
}

ComponentResult IPlugAU::DoSetParameter(IPlugAU* _this, AudioUnitParameterID id,
                                        AudioUnitScope scope, AudioUnitElement elem,
                                        AudioUnitParameterValue value, UInt32 offset) {
  IMutexLock lock(_this);
  return SetParamProc(_this, id, scope, elem, value, offset);
}

ComponentResult IPlugAU::GetParamProc(void* pPlug, AudioUnitParameterID paramID,
                                      AudioUnitScope scope, AudioUnitElement,
                                      AudioUnitParameterValue* pValue) {
  IPlugAU* _this = static_cast<IPlugAU*>(pPlug);
  assert(_this != NULL);
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
  if (paramID >= (AudioUnitParameterID)_this->NParams()) return kAudioUnitErr_InvalidElement;
  if (!pValue) return kAudioUnitErr_InvalidPropertyValue;
  IMutexLock lock(_this);
  *pValue = (AudioUnitParameterValue)_this->GetParam((int)paramID)->Value();
  return noErr;
}

ComponentResult IPlugAU::SetParamProc(void* pPlug, AudioUnitParameterID paramID,
                                      AudioUnitScope scope, AudioUnitElement,
                                      AudioUnitParameterValue value, UInt32) {
  IPlugAU* _this = static_cast<IPlugAU*>(pPlug);
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
  if (paramID >= (AudioUnitParameterID)_this->NParams()) return kAudioUnitErr_InvalidElement;
  if (!std::isfinite(value)) return kAudioUnitErr_InvalidPropertyValue;
  IMutexLock lock(_this);
  const int idx = (int)paramID;
  _this->GetParam(idx)->Set((double)value);
  if (IEditorDelegate* pEditor = _this->mGraphics)
    pEditor->SetParameterFromPlug(idx, (double)value, false);
  _this->OnParamChange(idx);
  return noErr;
}

ComponentResult IPlugAU::DoScheduleParameters(IPlugAU* _this, const AudioUnitParameterEvent* pEvent,
                                              UInt32 nEvents) {
  if (!pEvent && nEvents) return kAudioUnitErr_InvalidPropertyValue;
  IMutexLock lock(_this);
  for (UInt32 i = 0; i < nEvents; ++i, ++pEvent) {
    if (pEvent->eventType == kParameterEvent_Immediate) {
      ComponentResult r = SetParamProc(_this, pEvent->parameter, pEvent->scope, pEvent->element,
                                       pEvent->eventValues.immediate.value,
                                       pEvent->eventValues.immediate.bufferOffset);
      if (r != noErr) return r;
    }
  }
  return noErr;
}
