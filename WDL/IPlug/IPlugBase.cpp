#include "WDL/IPlug/IPlugBase.h"

#include <cassert>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "WDL/IPlug/Log.h"

namespace {
// Bounded copy of a name; null copies as "".
void CopyName(char* pDest, const char* pSrc) {
  const size_t n = pSrc ? strnlen(pSrc, IPlugBase::kMaxNameLen) : 0;
  if (n) std::memcpy(pDest, pSrc, n);
  pDest[n] = '\0';
}

int MinInt(int64_t a, int64_t b) {
  return static_cast<int>(a < b ? a : b);
}

double** Slot(IPlugBase::InChannel* pCh) {
  return pCh->mSrc;
}
double** Slot(IPlugBase::OutChannel* pCh) {
  return pCh->mDest;
}

// Calls fn for each channel from idx up to idx + n, clamped to the list; a negative first
// index is refused.
template <class CH, class F> void ForChannels(const WDL_PtrList<CH>& list, int idx, int n, F fn) {
  if (idx < 0) return;
  const int iEnd = MinInt(static_cast<int64_t>(idx) + n, list.GetSize());
  for (int i = idx; i < iEnd; ++i) fn(list.Get(i));
}

// Resizes a channel's scratch buffer to n zeroed doubles; false when it could not be sized.
// A slot on the old scratch storage follows it, so none points at released memory.
template <class CH> bool SizeScratch(CH* pCh, int n) {
  WDL_TypedBuf<double>& buf = pCh->mScratchBuf;
  const bool onScratch = !pCh->mConnected || *Slot(pCh) == buf.Get();
  bool ok = true;
  if (n <= 0) {
    buf.Resize(0);
  } else if ((ok = buf.ResizeOK(n) != nullptr)) {
    std::memset(buf.Get(), 0, static_cast<size_t>(n) * sizeof(double));
  }
  if (onScratch) *Slot(pCh) = buf.Get();
  return ok;
}
} // namespace

IEditorDelegate::~IEditorDelegate() = default;

void GetVersionParts(int version, int* pMaj, int* pMin, int* pPat) {
  const uint32_t v = static_cast<uint32_t>(version);
  *pMaj = static_cast<int>(v >> 16);
  *pMin = static_cast<int>((v >> 8) & 0xFF);
  *pPat = static_cast<int>(v & 0xFF);
}

int GetDecimalVersion(int version) {
  int maj, min, pat;
  GetVersionParts(version, &maj, &min, &pat);
  return 10000 * maj + 100 * min + pat;
}

void GetVersionStr(int version, char* pStr) {
  int maj, min, pat;
  GetVersionParts(version, &maj, &min, &pat);
  std::snprintf(pStr, 15, "v%d.%d.%d", maj, min, pat);
}

// ---- NChanDelayLine ----

void NChanDelayLine::SetDelayTime(int nFrames) {
  if (nFrames < 0) nFrames = 0;
  const int64_t n = static_cast<int64_t>(mNumInChans) * nFrames;
  // A time whose rings cannot be allocated falls back to passing audio through.
  if (n > INT32_MAX || (n > 0 && !mBuffer.ResizeOK(static_cast<int32_t>(n)))) {
    mBuffer.Resize(0);
    nFrames = 0;
  }
  mDTSamples = static_cast<uint64_t>(nFrames);
  mWriteAddress = 0;
  ClearBuffer();
}

void NChanDelayLine::ClearBuffer() {
  const uint64_t n = static_cast<uint64_t>(mNumInChans) * mDTSamples;
  if (n > 0) std::memset(mBuffer.Get(), 0, n * sizeof(double));
}

void NChanDelayLine::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  const int nChans = mNumInChans < mNumOutChans ? mNumInChans : mNumOutChans;
  if (mDTSamples == 0) {
    for (int c = 0; c < nChans; ++c) {
      if (nFrames > 0 && inputs[c] != outputs[c]) {
        std::memmove(outputs[c], inputs[c], static_cast<size_t>(nFrames) * sizeof(double));
      }
    }
    return;
  }
  double* rings = mBuffer.Get();
  for (int s = 0; s < nFrames; ++s) {
    for (int c = 0; c < nChans; ++c) {
      double* slot = rings + c * mDTSamples + mWriteAddress;
      const double in = inputs[c][s]; // read first: input and output may be one buffer
      outputs[c][s] = *slot;
      *slot = in;
    }
    mWriteAddress = (mWriteAddress + 1) % mDTSamples;
  }
}

// ---- Construction ----

IPlugBase::IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                     const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
                     int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks,
                     bool plugIsInst, EAPI plugAPI)
    : mChannelIO(4096), mUniqueID(uniqueID), mMfrID(mfrID), mVersion(vendorVersion), mAPI(plugAPI),
      mHost(kHostUninit), mHostVersion(0), mStateChunks(plugDoesChunks), mIsInst(plugIsInst),
      mDoesMIDI(plugDoesMidi), mIsBypassed(false), mCurrentPresetIdx(0), mSampleRate(44100.0),
      mBlockSize(0), mLatency(latency), mTailSize(0), mDelay(nullptr), mParamGroups(4096),
      mGraphics(nullptr), mParams(4096), mPresets(4096), mInData(4096), mOutData(4096),
      mInChannels(4096), mOutChannels(4096), mInputBusLabels(4096), mOutputBusLabels(4096) {
  Trace(__FUNCTION__, __LINE__, "%s:%s", effectName ? effectName : "", CurrentTime());

  for (int i = 0; i < nParams; ++i) mParams.Add(new IParam);
  for (int i = 0; i < nPresets; ++i) mPresets.Add(new IPreset(i));

  CopyName(mEffectName, effectName);
  CopyName(mProductName, productName);
  CopyName(mMfrName, mfrName);

  int nInputs = 0, nOutputs = 0;
  for (const char* p = channelIOStr; p;) {
    int nIn = 0, nOut = 0;
    const bool channelIOStrValid = std::sscanf(p, "%d-%d", &nIn, &nOut) == 2;
    assert(channelIOStrValid);
    (void)channelIOStrValid;
    if (nIn > nInputs) nInputs = nIn;
    if (nOut > nOutputs) nOutputs = nOut;
    mChannelIO.Add(new ChannelIO(nIn, nOut));
    p = std::strstr(p, " ");
    if (p) ++p;
  }

  mInData.Resize(nInputs);
  mOutData.Resize(nOutputs);
  nInputs = mInData.GetSize();
  nOutputs = mOutData.GetSize();
  for (int i = 0; i < nInputs; ++i) {
    InChannel* pCh = new InChannel;
    pCh->mSrc = mInData.Get() + i;
    *pCh->mSrc = nullptr;
    mInChannels.Add(pCh);
  }
  for (int i = 0; i < nOutputs; ++i) {
    OutChannel* pCh = new OutChannel;
    pCh->mDest = mOutData.Get() + i;
    *pCh->mDest = nullptr;
    mOutChannels.Add(pCh);
  }
}

IPlugBase::~IPlugBase() {
  if (IEditorDelegate* pEditor = mGraphics.exchange(nullptr)) {
    delete pEditor;
  }
  mParams.Empty(true);
  mPresets.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mChannelIO.Empty(true);
  mInputBusLabels.Empty(true);
  mOutputBusLabels.Empty(true);
  if (mDelay) {
    delete mDelay;
    mDelay = nullptr;
  }
}

// ---- Base bodies of the virtual operations ----

void IPlugBase::Reset() {
  IMutexLock lock(this);
}

void IPlugBase::OnParamChange(int /*paramIdx*/) {
  IMutexLock lock(this);
}

void IPlugBase::OnActivate(bool /*active*/) {
  IMutexLock lock(this);
}

void IPlugBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  const int nIn = NInChannels(), nOut = NOutChannels();
  if (nFrames <= 0) return;
  const size_t bytes = static_cast<size_t>(nFrames) * sizeof(double);
  int i = 0;
  for (; i < nIn && i < nOut; ++i) {
    if (inputs[i] != outputs[i]) std::memmove(outputs[i], inputs[i], bytes);
  }
  for (; i < nOut; ++i) std::memset(outputs[i], 0, bytes);
}

void IPlugBase::ProcessMidiMsg(IMidiMsg* pMsg) {
  SendMidiMsg(pMsg);
}

bool IPlugBase::MidiNoteName(int /*noteNumber*/, char* pNoteName) {
  if (pNoteName) *pNoteName = '\0';
  return false;
}

// ---- Identity and host ----

int IPlugBase::GetEffectVersion(bool decimal) const {
  return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

char* IPlugBase::GetEffectVersionStr(char* pStr) const {
  GetVersionStr(mVersion, pStr);
  std::strcat(pStr, "D");
  return pStr;
}

int IPlugBase::GetHostVersion(bool decimal) {
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IPlugBase::GetHostVersionStr(char* pStr) {
  GetHost();
  GetVersionStr(mHostVersion, pStr);
}

void IPlugBase::SetHost(const char* host, int version) {
  mHost = static_cast<EHost>(LookUpHost(host ? host : ""));
  mHostVersion = version;
}

const char* IPlugBase::GetAPIString() {
  switch (GetAPI()) {
  case kAPIVST2:
    return "VST2";
  case kAPIVST3:
    return "VST3";
  case kAPIAU:
    return "AU";
  case kAPIRTAS:
    return "RTAS";
  case kAPIAAX:
    return "AAX";
  case kAPISA:
    return "Standalone";
  default:
    return "";
  }
}

// ---- Channels ----

bool IPlugBase::LegalIO(int nIn, int nOut) const {
  for (int i = 0; i < mChannelIO.GetSize(); ++i) {
    const ChannelIO* pIO = mChannelIO.Get(i);
    if ((nIn < 0 || nIn == pIO->mIn) && (nOut < 0 || nOut == pIO->mOut)) return true;
  }
  return false;
}

void IPlugBase::LimitToStereoIO() {
  const int nIn = NInChannels(), nOut = NOutChannels();
  if (nIn > 2) SetInputChannelConnections(2, nIn - 2, false);
  if (nOut > 2) SetOutputChannelConnections(2, nOut - 2, false);
}

void IPlugBase::SetInputChannelConnections(int idx, int n, bool connected) {
  ForChannels(mInChannels, idx, n, [&](InChannel* pCh) {
    pCh->mConnected = connected;
    if (!connected) *pCh->mSrc = pCh->mScratchBuf.Get();
  });
}

void IPlugBase::SetOutputChannelConnections(int idx, int n, bool connected) {
  ForChannels(mOutChannels, idx, n, [&](OutChannel* pCh) {
    pCh->mConnected = connected;
    if (!connected) {
      *pCh->mDest = pCh->mScratchBuf.Get();
      pCh->mFDest = nullptr;
    }
  });
}

bool IPlugBase::IsInChannelConnected(int chIdx) const {
  const InChannel* pCh = mInChannels.Get(chIdx);
  return pCh && pCh->mConnected;
}

bool IPlugBase::IsOutChannelConnected(int chIdx) const {
  const OutChannel* pCh = mOutChannels.Get(chIdx);
  return pCh && pCh->mConnected;
}

void IPlugBase::SetInputLabel(int idx, const char* pLabel) {
  if (InChannel* pCh = mInChannels.Get(idx)) pCh->mLabel.Set(pLabel, 0);
}

void IPlugBase::SetOutputLabel(int idx, const char* pLabel) {
  if (OutChannel* pCh = mOutChannels.Get(idx)) pCh->mLabel.Set(pLabel, 0);
}

void IPlugBase::SetInputBusLabel(int idx, const char* pLabel) {
  if (idx < 0 || idx > 1) return;
  if (mInputBusLabels.Get(idx)) mInputBusLabels.Delete(idx, true);
  mInputBusLabels.Insert(idx, new WDL_String(pLabel, 0));
}

void IPlugBase::SetOutputBusLabel(int idx, const char* pLabel) {
  if (idx < 0) return;
  if (mOutputBusLabels.Get(idx)) mOutputBusLabels.Delete(idx, true);
  mOutputBusLabels.Insert(idx, new WDL_String(pLabel, 0));
}

// ---- Block size, latency ----

void IPlugBase::SetBlockSize(int blockSize) {
  if (blockSize < 0) blockSize = 0;
  if (blockSize == mBlockSize) return;
  // A failed allocation leaves every channel at block size 0.
  for (int n : {blockSize, 0}) {
    bool ok = true;
    auto size = [&](auto* pCh) { ok = SizeScratch(pCh, n) && ok; };
    ForChannels(mInChannels, 0, NInChannels(), size);
    ForChannels(mOutChannels, 0, NOutChannels(), size);
    if (ok || n == 0) {
      mBlockSize = n;
      return;
    }
  }
}

void IPlugBase::SetLatency(int samples) {
  mLatency = samples;
  if (mDelay) mDelay->SetDelayTime(samples);
}

double IPlugBase::GetSamplesPerBeat() {
  const double tempo = GetTempo();
  if (tempo > 0.0) return GetSampleRate() * 60.0 / tempo;
  return 0.0;
}

// ---- Buffers and processing ----

int IPlugBase::ClampFrames(int nFrames) const {
  if (nFrames < 0) return 0;
  return nFrames > mBlockSize ? mBlockSize : nFrames;
}

void IPlugBase::AttachInputBuffers(int idx, int n, double** ppData, int /*nFrames*/) {
  ForChannels(mInChannels, idx, n, [&](InChannel* pCh) {
    if (pCh->mConnected) *pCh->mSrc = *ppData++;
  });
}

void IPlugBase::AttachInputBuffers(int idx, int n, float** ppData, int nFrames) {
  nFrames = ClampFrames(nFrames);
  ForChannels(mInChannels, idx, n, [&](InChannel* pCh) {
    if (!pCh->mConnected) return;
    CastCopy(pCh->mScratchBuf.Get(), *ppData++, nFrames);
    *pCh->mSrc = pCh->mScratchBuf.Get();
  });
}

void IPlugBase::AttachOutputBuffers(int idx, int n, double** ppData) {
  ForChannels(mOutChannels, idx, n, [&](OutChannel* pCh) {
    if (!pCh->mConnected) return;
    *pCh->mDest = *ppData++;
    pCh->mFDest = nullptr; // a float buffer from an earlier block is no longer the host's
  });
}

void IPlugBase::AttachOutputBuffers(int idx, int n, float** ppData) {
  ForChannels(mOutChannels, idx, n, [&](OutChannel* pCh) {
    if (!pCh->mConnected) return;
    *pCh->mDest = pCh->mScratchBuf.Get();
    pCh->mFDest = *ppData++;
  });
}

void IPlugBase::ConvertOutputsToFloat(int nFrames, bool accumulate) {
  for (int i = 0; i < NOutChannels(); ++i) {
    OutChannel* pCh = mOutChannels.Get(i);
    // A channel connected without a host buffer has nowhere to go.
    if (!pCh->mConnected || !pCh->mFDest) continue;
    const double* pSrc = *pCh->mDest;
    if (accumulate) {
      for (int s = 0; s < nFrames; ++s) pCh->mFDest[s] += static_cast<float>(pSrc[s]);
    } else {
      CastCopy(pCh->mFDest, pSrc, nFrames);
    }
  }
}

void IPlugBase::ProcessBuffers(double /*sampleType*/, int nFrames) {
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), ClampFrames(nFrames));
}

void IPlugBase::ProcessBuffers(float /*sampleType*/, int nFrames) {
  nFrames = ClampFrames(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputsToFloat(nFrames, false);
}

void IPlugBase::ProcessBuffersAccumulating(float /*sampleType*/, int nFrames) {
  nFrames = ClampFrames(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputsToFloat(nFrames, true);
}

void IPlugBase::PassThroughBuffers(double /*sampleType*/, int nFrames) {
  nFrames = ClampFrames(nFrames);
  if (mLatency && mDelay) {
    mDelay->ProcessBlock(mInData.Get(), mOutData.Get(), nFrames);
  } else {
    IPlugBase::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  }
}

void IPlugBase::PassThroughBuffers(float /*sampleType*/, int nFrames) {
  nFrames = ClampFrames(nFrames);
  PassThroughBuffers(0.0, nFrames);
  ConvertOutputsToFloat(nFrames, false);
}

void IPlugBase::ZeroScratchBuffers() {
  auto zero = [this](auto* pCh) {
    const int n = MinInt(mBlockSize, pCh->mScratchBuf.GetSize());
    if (n > 0) std::memset(pCh->mScratchBuf.Get(), 0, static_cast<size_t>(n) * sizeof(double));
  };
  ForChannels(mInChannels, 0, NInChannels(), zero);
  ForChannels(mOutChannels, 0, NOutChannels(), zero);
}

// ---- Parameters, editor and MIDI ----

void IPlugBase::AttachGraphics(IEditorDelegate* pGraphics) {
  if (!pGraphics) return;
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < NParams(); ++i) {
    pGraphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  }
  pGraphics->PrepDraw();
  mGraphics = pGraphics;
}

void IPlugBase::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  IParam* pParam = GetParam(paramIdx);
  if (!pParam) return;
  WDL_MutexLock lock(&mMutex);
  pParam->SetNormalized(normalizedValue);
  // The host hears the value as the control gave it, not the step-rounded one.
  InformHostOfParamChange(paramIdx, normalizedValue);
  OnParamChange(paramIdx);
}

void IPlugBase::OnParamReset() {
  for (int i = 0; i < NParams(); ++i) OnParamChange(i);
}

void IPlugBase::RedrawParamControls() {
  IEditorDelegate* pEditor = mGraphics;
  if (!pEditor) return;
  for (int i = 0; i < NParams(); ++i) {
    pEditor->SetParameterFromPlug(i, GetParam(i)->Value(), false);
  }
}

void IPlugBase::DirtyParameters() {
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < NParams(); ++i) InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

bool IPlugBase::SendMidiMsgs(WDL_TypedBuf<IMidiMsg>* pMsgs) {
  bool rc = true;
  IMidiMsg* pMsg = pMsgs->Get();
  for (int i = 0; i < pMsgs->GetSize(); ++i) {
    if (!SendMidiMsg(pMsg + i)) rc = false;
  }
  return rc;
}
