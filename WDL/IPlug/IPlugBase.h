#pragma once
// The abstract base of the plug-in object: identity, host, channels and audio frame,
// parameters and their link to the editor and the host, preset slots and saved state,
// and the recursive plug-in mutex. Host bindings derive from it.

#include <atomic>
#include <cstdarg>
#include <cstdint>

#include "WDL/heapbuf.h"
#include "WDL/mutex.h"
#include "WDL/ptrlist.h"
#include "WDL/wdlstring.h"
#include "WDL/IPlug/ByteChunk.h"
#include "WDL/IPlug/IEditorDelegate.h"
#include "WDL/IPlug/Hosts.h"
#include "WDL/IPlug/IParam.h"
#include "WDL/IPlug/IPlugStructs.h"
#include "WDL/IPlug/IPreset.h"

class IGraphics;

// The plug-in interface an object serves; 32-bit.
enum EAPI : int32_t {
  kAPIVST2 = 0,
  kAPIVST3 = 1,
  kAPIAU = 2,
  kAPIRTAS = 3,
  kAPIAAX = 4,
  kAPISA = 5
};

// Packed versions are 0xMMMMmmbb: major in bits 16-31 (unsigned), minor 8-15, patch 0-7.
void GetVersionParts(int version, int* pMaj, int* pMin, int* pPat);
// 10000 x major + 100 x minor + patch.
int GetDecimalVersion(int version);
// "v%d.%d.%d"; pStr must hold 15 bytes.
void GetVersionStr(int version, char* pStr);

// Element-wise converting copy of n values.
template <class DEST, class SRC> inline void CastCopy(DEST* pDest, const SRC* pSrc, int n) {
  for (int i = 0; i < n; ++i) pDest[i] = static_cast<DEST>(pSrc[i]);
}

// The bypass path's delay: nIn rings of the delay time in frames. A delay of 0 frames
// passes audio straight through.
class NChanDelayLine {
public:
  NChanDelayLine(int nInChans, int nOutChans)
      : mNumInChans(nInChans > 0 ? nInChans : 0), mNumOutChans(nOutChans > 0 ? nOutChans : 0) {}
  NChanDelayLine(const NChanDelayLine&) = delete;
  NChanDelayLine& operator=(const NChanDelayLine&) = delete;

  // Frames; a negative time counts as 0. Clears the rings.
  void SetDelayTime(int nFrames);
  void ClearBuffer();
  // Channel c < min(nIn, nOut) of the output gets channel c of the input delayed.
  void ProcessBlock(double** inputs, double** outputs, int nFrames);

private:
  WDL_TypedBuf<double> mBuffer;
  uint64_t mWriteAddress = 0;
  int32_t mNumInChans;
  int32_t mNumOutChans;
  uint64_t mDTSamples = 0;
};

class IPlugBase {
public:
  static constexpr int kMaxNameLen = 127; // effect, product and maker names

  // One legal pair of input and output channel counts.
  struct ChannelIO {
    int32_t mIn, mOut;
    ChannelIO(int nIn, int nOut) : mIn(nIn), mOut(nOut) {}
  };

  struct InChannel {
    bool mConnected = false;
    double** mSrc = nullptr;                // this channel's slot in mInData
    WDL_TypedBuf<double> mScratchBuf{4096}; // block-size buffer, converted or stand-in input
    WDL_String mLabel;
  };

  struct OutChannel {
    bool mConnected = false;
    double** mDest = nullptr;               // this channel's slot in mOutData
    float* mFDest = nullptr;                // the host's float buffer, not owned
    WDL_TypedBuf<double> mScratchBuf{4096}; // block-size buffer before float conversion
    WDL_String mLabel;
  };

  // Scoped hold of the plug-in mutex. Any thread.
  class IMutexLock {
  public:
    explicit IMutexLock(IPlugBase* pPlug) : mpMutex(pPlug ? &pPlug->mMutex : nullptr) {
      if (mpMutex) mpMutex->Enter();
    }
    ~IMutexLock() {
      if (mpMutex) mpMutex->Leave();
    }
    IMutexLock(const IMutexLock&) = delete;
    IMutexLock& operator=(const IMutexLock&) = delete;

  private:
    WDL_Mutex* mpMutex;
  };

  // channelIOStr: blank-separated "in-out" pairs, e.g. "0-1 0-2". Names are cut to
  // kMaxNameLen bytes. Main thread.
  IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
            const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
            int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
            EAPI plugAPI);
  IPlugBase(const IPlugBase&) = delete;
  IPlugBase& operator=(const IPlugBase&) = delete;

  // Deletes the attached graphics object first, then everything else the base owns.
  virtual ~IPlugBase();

  // ---- Virtual operations, in table order ----

  // Each takes and releases the plug-in mutex in the base. Main or render thread.
  virtual void Reset();
  virtual void OnParamChange(int paramIdx);

  // Render thread, mutex held. The base copies inputs to outputs and zeroes the rest.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);

  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  virtual void OnIdle() {}
  virtual void OnActivate(bool active);

  // Render thread, mutex held. The base passes the message through to SendMidiMsg.
  virtual void ProcessMidiMsg(IMidiMsg* pMsg);
  virtual void ProcessSysEx(ISysEx* /*pSysEx*/) {}
  // pNoteName receives "" in the base.
  virtual bool MidiNoteName(int noteNumber, char* pNoteName);

  // Appends the state chunk; takes the mutex. Any thread.
  virtual bool SerializeState(ByteChunk* pChunk);
  // Reads the state chunk from startPos; the position after it, or -1. Takes the mutex.
  virtual int UnserializeState(ByteChunk* pChunk, int startPos);
  // startIdx counts doubles, not bytes. No lock.
  virtual bool CompareState(const unsigned char* incomingState, int startIdx);

  virtual void OnWindowResize() {}
  virtual bool HostRequestingAboutBox() { return false; }
  virtual void OnHostIdentified() {}
  virtual void PopupHostContextMenuForParam(int /*paramIdx*/, int /*x*/, int /*y*/) {}

  // Main (editor) thread. Out-of-range indices are ignored.
  virtual void SetParameterFromGUI(int paramIdx, double normalizedValue);

  // Host notifications; the binding calls the host, the mutex may be held.
  virtual void BeginInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfParamChange(int paramIdx, double normalizedValue) = 0;
  virtual void EndInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfProgramChange() = 0;

  virtual bool IsRenderingOffline() { return false; }
  // Render thread: the host's transport.
  virtual int GetSamplePos() = 0;
  virtual double GetTempo() = 0;
  virtual void GetTimeSig(int* pNum, int* pDenom) = 0;
  virtual void GetTime(ITimeInfo* pTimeInfo) = 0;

  virtual EHost GetHost() { return mHost; }
  virtual EAPI GetAPI() { return mAPI; }
  virtual void ResizeGraphics(int w, int h) = 0;
  virtual void HostSpecificInit() {}

  // Takes ownership of the editor (null does nothing). Main thread.
  virtual void AttachGraphics(IEditorDelegate* pGraphics);
  virtual void SetLatency(int samples);
  // Render thread. True when the host took the message.
  virtual bool SendMidiMsg(IMidiMsg* pMsg) = 0;
  virtual bool SendSysEx(ISysEx* /*pSysEx*/) { return false; }
  // Pushes every parameter's value to the editor; no lock of its own.
  virtual void RedrawParamControls();
  virtual void DirtyPTCompareState() {}
  virtual void PresetsChangedByHost() {}
  // Main thread, not while rendering. Frames; resizes and zeroes the scratch buffers.
  virtual void SetBlockSize(int blockSize);

  // ---- Identity and host ----

  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetEffectVersion(bool decimal) const;
  // pStr must hold 16 bytes.
  char* GetEffectVersionStr(char* pStr) const;
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetHostVersion(bool decimal);
  // pStr must hold 15 bytes.
  void GetHostVersionStr(char* pStr);
  // Identifies the host from its name (null counts as empty). Main thread.
  void SetHost(const char* host, int version);
  const char* GetAPIString();
  const char* GetArchString() const { return "x64"; }

  int GetLatency() const { return mLatency; }
  int GetTailSize() const { return mTailSize; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool IsInst() const { return mIsInst; }
  bool DoesMIDI() const { return mDoesMIDI; }

  // ---- Channels and audio ----
  // Configuration: main thread, or a host entry holding the mutex.

  bool LegalIO(int nIn, int nOut) const;
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  void LimitToStereoIO();
  // Main thread, or render thread with the mutex held. A negative first index is refused.
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
  void SetInputLabel(int idx, const char* pLabel);
  void SetOutputLabel(int idx, const char* pLabel);
  void SetInputBusLabel(int idx, const char* pLabel);
  void SetOutputBusLabel(int idx, const char* pLabel);
  WDL_String* GetInputBusLabel(int idx) { return mInputBusLabels.Get(idx); }
  WDL_String* GetOutputBusLabel(int idx) { return mOutputBusLabels.Get(idx); }

  int GetBlockSize() const { return mBlockSize; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; } // Hz
  double GetSampleRate() const { return mSampleRate; }
  // Samples per quarter note at the host's tempo; 0 when the tempo is not positive.
  double GetSamplesPerBeat();

  // Render thread, mutex held. Frame counts are clamped to the block size.
  void AttachInputBuffers(int idx, int n, double** ppData, int nFrames);
  void AttachInputBuffers(int idx, int n, float** ppData, int nFrames);
  void AttachOutputBuffers(int idx, int n, double** ppData);
  // ppData: the host's float buffers, not owned; written by ProcessBuffers.
  void AttachOutputBuffers(int idx, int n, float** ppData);
  void ProcessBuffers(double sampleType, int nFrames);
  void ProcessBuffers(float sampleType, int nFrames);
  void ProcessBuffersAccumulating(float sampleType, int nFrames);
  void PassThroughBuffers(double sampleType, int nFrames);
  void PassThroughBuffers(float sampleType, int nFrames);
  void ZeroScratchBuffers();

  // ---- Parameters, editor and MIDI ----

  int NParams() const { return mParams.GetSize(); }
  IParam* GetParam(int idx) { return mParams.Get(idx); }
  // Any thread; null until AttachGraphics.
  IGraphics* GetGUI() {
    IEditorDelegate* pEditor = mGraphics;
    return pEditor ? pEditor->GetGraphics() : nullptr;
  }
  // Runs OnParamChange for every parameter; no lock of its own. Virtual so that a plug-in can
  // tell this replay (a restore, an initialisation) from a change of one parameter.
  virtual void OnParamReset();
  // Informs the host of every parameter's normalised value; takes the mutex.
  void DirtyParameters();
  // Sends every message, also after one failed; true when all were taken.
  bool SendMidiMsgs(WDL_TypedBuf<IMidiMsg>* pMsgs);

  // ---- Presets and state ----
  // Main thread; the callers hold the mutex or run while the object is set up.

  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  // "" for an index out of range.
  const char* GetPresetName(int idx);
  // Fills up to count free slots with the present state (null name: "Empty").
  void MakeDefaultPreset(const char* name, int count);
  void EnsureDefaultPreset();
  // One value per parameter in index order: int for bool, int and enum parameters,
  // double for the others.
  void MakePreset(const char* name, ...);
  // nParamsNamed pairs of (int index, value typed as in MakePreset); unnamed
  // parameters keep their present value.
  void MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  void MakePresetFromChunk(const char* name, ByteChunk* pChunk);
  void PruneUninitializedPresets();
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  void ModifyCurrentPreset(const char* name = nullptr);

  bool SerializeParams(ByteChunk* pChunk);
  int UnserializeParams(ByteChunk* pChunk, int startPos);
  bool SerializePresets(ByteChunk* pChunk);
  int UnserializePresets(ByteChunk* pChunk, int startPos);

  // ---- Preset blobs and dumps (text files of source lines); main thread, no lock ----

  // b64: zero-terminated Base64 of a state chunk of nBytes bytes.
  void MakePresetFromBlob(const char* name, const char* b64, int nBytes);
  // paramEnumNames: one text per parameter index.
  void DumpPresetSrcCode(const char* filename, const char** paramEnumNames);
  void DumpPresetBlob(const char* filename);
  void DumpBankBlob(const char* filename);

  // ---- Preset and bank files (big-endian); main thread, no lock of their own ----

  // Savers: false when the name is empty or the file cannot be written completely.
  bool SaveProgramAsFXP(WDL_String* pFileName);
  bool SaveBankAsFXB(WDL_String* pFileName);
  // Loaders: false, with nothing changed, for a file that is not a whole valid one.
  bool LoadProgramFromFXP(WDL_String* pFileName);
  bool LoadBankFromFXB(WDL_String* pFileName);

  // Clears the chunk and puts the 8-byte version header (native order).
  static void InitChunkWithIPlugVer(ByteChunk* pChunk);
  // Steps *pPos over a version header when one is there; the version found, or 0.
  static int GetIPlugVerFromChunk(ByteChunk* pChunk, int* pPos);

protected:
  WDL_PtrList<ChannelIO> mChannelIO;
  WDL_Mutex mMutex;
  char mEffectName[kMaxNameLen + 1];
  char mProductName[kMaxNameLen + 1];
  char mMfrName[kMaxNameLen + 1];
  int32_t mUniqueID;
  int32_t mMfrID;
  int32_t mVersion; // packed 0xMMMMmmbb
  EAPI mAPI;
  EHost mHost;
  int32_t mHostVersion; // packed like mVersion
  bool mStateChunks;
  bool mIsInst;
  bool mDoesMIDI;
  bool mIsBypassed;
  int32_t mCurrentPresetIdx;
  double mSampleRate;                      // Hz
  int32_t mBlockSize;                      // frames
  int32_t mLatency;                        // samples
  int32_t mTailSize;                       // samples
  NChanDelayLine* mDelay;                  // owned, may be null
  WDL_PtrList<const char> mParamGroups;    // names not owned
  std::atomic<IEditorDelegate*> mGraphics; // owned, may be null; read by host threads
  WDL_PtrList<IParam> mParams;
  WDL_PtrList<IPreset> mPresets;
  WDL_TypedBuf<double*> mInData;  // sized once in the constructor
  WDL_TypedBuf<double*> mOutData; // sized once in the constructor
  WDL_PtrList<InChannel> mInChannels;
  WDL_PtrList<OutChannel> mOutChannels;
  WDL_PtrList<WDL_String> mInputBusLabels;
  WDL_PtrList<WDL_String> mOutputBusLabels;

private:
  struct StateBackup; // what a failed file load puts back

  int ClampFrames(int nFrames) const;
  void ConvertOutputsToFloat(int nFrames, bool accumulate);
  IPreset* FillNextFreePreset(const char* name);
  static double NextPresetValue(const IParam* pParam, va_list* pArgs);
  // Writes the chunk when it holds expectedSize bytes; false when it does not or the file
  // cannot be opened, written or closed.
  bool WriteFile(WDL_String* pFileName, ByteChunk* pChunk, int64_t expectedSize);
  bool ReadFile(WDL_String* pFileName, ByteChunk* pChunk);
  // Loads the state (bank: the presets dump) behind the chunk size field at pos; a short
  // or damaged chunk puts back what it changed and returns false.
  bool LoadFileChunk(ByteChunk* pFile, int pos, bool bank);
};
