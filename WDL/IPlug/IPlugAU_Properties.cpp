// The property table (info, get, set), the parameter infos and value strings, stream
// formats, connections and element names.
#include "WDL/IPlug/IPlugAU.h"
#include "WDL/IPlug/IPlugAU_Private.h"
#include "WDL/IPlug/dfx/dfx-au-utilities.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
constexpr size_t kParamNameFieldLen = sizeof(AudioUnitParameterInfo::name);
constexpr int kParamIDNameMax = 31; // characters of a cut ParameterIDName

// Writes one value of the property's size into the host's buffer.
template <class T> void Put(void* pData, const T& v) {
  memcpy(pData, &v, sizeof(T));
}
template <class T> T Take(const void* pData) {
  T v;
  memcpy(&v, pData, sizeof(T));
  return v;
}

AudioStreamBasicDescription MakeDefaultASBD(double sampleRate, int nChannels, bool interleaved) {
  AudioStreamBasicDescription asbd{};
  asbd.mSampleRate = sampleRate;
  asbd.mFormatID = kAudioFormatLinearPCM;
  asbd.mFormatFlags = kAudioFormatFlagsNativeFloatPacked;
  asbd.mFramesPerPacket = 1;
  asbd.mChannelsPerFrame = (UInt32)nChannels;
  asbd.mBitsPerChannel = 8 * sizeof(float);
  if (interleaved) {
    asbd.mBytesPerPacket = asbd.mBytesPerFrame = (UInt32)nChannels * sizeof(float);
  } else {
    asbd.mBytesPerPacket = asbd.mBytesPerFrame = sizeof(float);
    asbd.mFormatFlags |= kAudioFormatFlagIsNonInterleaved;
  }
  return asbd;
}

AudioChannelLayoutTag GetTagForNumChannels(int numChannels) {
  switch (numChannels) {
  case 1:
    return kAudioChannelLayoutTag_Mono;
  case 2:
    return kAudioChannelLayoutTag_Stereo;
  default:
    return kAudioChannelLayoutTag_Unknown;
  }
}

// A value within [min, max]; for the value strings of int-like parameters.
double Clamp(double v, double lo, double hi) {
  return v < lo ? lo : v > hi ? hi : v;
}
} // namespace

// ---- Entries ----

ComponentResult IPlugAU::DoGetPropertyInfo(IPlugAU* _this, AudioUnitPropertyID prop,
                                           AudioUnitScope scope, AudioUnitElement elem,
                                           UInt32* outDataSize, Boolean* outWritable) {
  IMutexLock lock(_this);
  UInt32 dataSize = 0;
  Boolean writeable = false;
  if (!outDataSize) outDataSize = &dataSize;
  if (!outWritable) outWritable = &writeable;
  *outWritable = false;
  return _this->GetProperty(prop, scope, elem, outDataSize, outWritable, nullptr);
}

ComponentResult IPlugAU::DoGetProperty(IPlugAU* _this, AudioUnitPropertyID prop,
                                       AudioUnitScope scope, AudioUnitElement elem, void* outData,
                                       UInt32* ioDataSize) {
  IMutexLock lock(_this);
  UInt32 dataSize = 0;
  if (!ioDataSize) {
    // Without a size the buffer's room is unknown: nothing may be written into it.
    if (outData) return kAudioUnitErr_InvalidPropertyValue;
    ioDataSize = &dataSize;
  }
  Boolean writeable = false;
  return _this->GetProperty(prop, scope, elem, ioDataSize, &writeable, outData);
}

ComponentResult IPlugAU::DoSetProperty(IPlugAU* _this, AudioUnitPropertyID prop,
                                       AudioUnitScope scope, AudioUnitElement elem,
                                       const void* pData, UInt32 dataSize) {
  IMutexLock lock(_this);
  const ComponentResult r = _this->SetProperty(prop, scope, elem, &dataSize, pData);
  if (r == noErr) _this->InformListeners(prop, scope);
  return r;
}

ComponentResult IPlugAU::GetProc(AudioUnitElement, UInt32*, void*) {
  return kAudioUnitErr_InvalidElement;
}

IPlugAU::BusChannels* IPlugAU::GetBus(AudioUnitScope scope, AudioUnitElement busIdx) {
  if (scope == kAudioUnitScope_Input && busIdx < (AudioUnitElement)mInBuses.GetSize())
    return mInBuses.Get((int)busIdx);
  if (scope == kAudioUnitScope_Output && busIdx < (AudioUnitElement)mOutBuses.GetSize())
    return mOutBuses.Get((int)busIdx);
  if (scope == kAudioUnitScope_Global && mOutBuses.GetSize() &&
      busIdx < (AudioUnitElement)mOutBuses.GetSize())
    return mOutBuses.Get((int)busIdx);
  return nullptr;
}

int IPlugAU::GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element,
                                  AudioChannelLayoutTag* pTags) {
  BusChannels* pBus = mOutBuses.Get((int)element);
  if (!pBus || element >= (AudioUnitElement)mOutBuses.GetSize()) return 0;
  const bool input = scope == kAudioUnitScope_Input && mInBuses.GetSize() > 0;
  if (!input && scope != kAudioUnitScope_Output) return 0;
  if (pTags) pTags[0] = GetTagForNumChannels(pBus->mNPlugChannels);
  return 1;
}

// ---- Get ----

// With pData null (the info call) only the size and writability are reported; with pData,
// *pDataSize is the room there on entry and the property's size on return. A buffer with
// less room than the property gets nothing and -10851.
ComponentResult IPlugAU::GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                     AudioUnitElement element, UInt32* pDataSize,
                                     Boolean* pWriteable, void* pData) {
  const UInt32 room = *pDataSize;
  // Reports the size; false when the host's buffer cannot take it.
  auto sized = [&](UInt32 size) {
    *pDataSize = size;
    return !pData || PropertyFits(pData, room, size);
  };
  const bool global = scope == kAudioUnitScope_Global;
  const int nParams = NParams();

  switch (propID) {
  case kIPlugObjectPropertyID:
    if (!sized(sizeof(IPlugAU*))) return kAudioUnitErr_InvalidPropertyValue;
    if (pData) Put(pData, this);
    return noErr;

  case kAudioUnitProperty_ClassInfo:
    if (!sized(sizeof(CFPropertyListRef))) return kAudioUnitErr_InvalidPropertyValue;
    if (!pData) return noErr;
    *pWriteable = true;
    {
      CFPropertyListRef plist = nullptr;
      const ComponentResult r = GetState(&plist);
      if (r == noErr) Put(pData, plist);
      return r;
    }

  case kAudioUnitProperty_MakeConnection:
    if (!global && scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidProperty;
    *pWriteable = true;
    return sized(sizeof(AudioUnitConnection)) ? noErr : kAudioUnitErr_InvalidPropertyValue;

  case kAudioUnitProperty_SampleRate:
    *pWriteable = true;
    if (!sized(sizeof(Float64))) return kAudioUnitErr_InvalidPropertyValue;
    if (pData) Put<Float64>(pData, GetSampleRate());
    return noErr;

  case kAudioUnitProperty_ParameterList:
    if (!global) {
      *pDataSize = 0;
      return noErr;
    }
    if (!sized((UInt32)(nParams * sizeof(AudioUnitParameterID))))
      return kAudioUnitErr_InvalidPropertyValue;
    if (pData)
      for (int i = 0; i < nParams; ++i)
        Put<AudioUnitParameterID>((char*)pData + i * sizeof(AudioUnitParameterID),
                                  (AudioUnitParameterID)i);
    return noErr;

  case kAudioUnitProperty_ParameterInfo: {
    if (!global) return kAudioUnitErr_InvalidProperty;
    if (element >= (AudioUnitElement)nParams) return kAudioUnitErr_InvalidElement;
    if (!sized(sizeof(AudioUnitParameterInfo))) return kAudioUnitErr_InvalidPropertyValue;
    if (!pData) return noErr;
    IParam* pParam = GetParam((int)element);
    AudioUnitParameterInfo info;
    memset(&info, 0, sizeof(info));
    info.flags = kAudioUnitParameterFlag_CFNameRelease | kAudioUnitParameterFlag_HasCFNameString |
                 kAudioUnitParameterFlag_IsReadable;
    if (pParam->GetCanAutomate()) info.flags |= kAudioUnitParameterFlag_IsWritable;
    if (pParam->GetIsMeta()) info.flags |= kAudioUnitParameterFlag_IsElementMeta;
    const char* paramName = pParam->GetNameForHost();
    info.cfNameString = MakeCFString(paramName);
    strncpy(info.name, paramName, kParamNameFieldLen - 1);
    switch (pParam->Type()) {
    case IParam::kTypeBool:
      info.unit = kAudioUnitParameterUnit_Boolean;
      break;
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      info.unit = kAudioUnitParameterUnit_Indexed;
      break;
    default: {
      const char* label = pParam->GetLabelForHost();
      if (label && *label) {
        info.unit = kAudioUnitParameterUnit_CustomUnit;
        info.unitName = MakeCFString(label);
      } else {
        info.unit = kAudioUnitParameterUnit_Generic;
      }
    }
    }
    double lo, hi;
    pParam->GetBounds(&lo, &hi);
    info.minValue = (AudioUnitParameterValue)lo;
    info.maxValue = (AudioUnitParameterValue)hi;
    info.defaultValue = (AudioUnitParameterValue)pParam->Value();
    const char* paramGroupName = pParam->GetParamGroupForHost();
    if (paramGroupName && *paramGroupName) {
      int clumpID = 0;
      for (int j = 0; j < mParamGroups.GetSize(); ++j) {
        if (!strcmp(paramGroupName, mParamGroups.Get(j))) {
          clumpID = j + 1;
          break;
        }
      }
      if (!clumpID && mParamGroups.Add(paramGroupName)) clumpID = mParamGroups.GetSize();
      if (clumpID) {
        info.flags |= kAudioUnitParameterFlag_HasClump;
        info.clumpID = (UInt32)clumpID;
      }
    }
    Put(pData, info);
    return noErr;
  }

  case kAudioUnitProperty_FastDispatch:
    return GetProc(element, pDataSize, pData);

  case kAudioUnitProperty_StreamFormat: {
    BusChannels* pBus = GetBus(scope, element);
    if (!pBus) return kAudioUnitErr_InvalidProperty;
    *pWriteable = true;
    if (!sized(sizeof(AudioStreamBasicDescription))) return kAudioUnitErr_InvalidPropertyValue;
    if (pData) {
      const int n = pBus->mNHostChannels >= 0 ? pBus->mNHostChannels : pBus->mNPlugChannels;
      Put(pData, MakeDefaultASBD(GetSampleRate(), n, false));
    }
    return noErr;
  }

  case kAudioUnitProperty_ElementCount: {
    if (!sized(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
    if (pData) {
      UInt32 n = 0;
      if (scope == kAudioUnitScope_Input)
        n = (UInt32)mInBuses.GetSize();
      else if (scope == kAudioUnitScope_Output)
        n = (UInt32)mOutBuses.GetSize();
      else if (global)
        n = 1;
      Put(pData, n);
    }
    return noErr;
  }

  case kAudioUnitProperty_Latency:
    if (!global) return kAudioUnitErr_InvalidProperty;
    if (!sized(sizeof(Float64))) return kAudioUnitErr_InvalidPropertyValue;
    if (pData) Put<Float64>(pData, (double)GetLatency() / GetSampleRate());
    return noErr;

  case kAudioUnitProperty_SupportedNumChannels: {
    if (!global) return kAudioUnitErr_InvalidProperty;
    const int n = mChannelIO.GetSize();
    if (!sized((UInt32)(n * 2 * sizeof(SInt16)))) return kAudioUnitErr_InvalidPropertyValue;
    if (pData)
      for (int i = 0; i < n; ++i) {
        const SInt16 pair[2] = {(SInt16)mChannelIO.Get(i)->mIn, (SInt16)mChannelIO.Get(i)->mOut};
        memcpy((char*)pData + i * sizeof(pair), pair, sizeof(pair));
      }
    return noErr;
  }

  case kAudioUnitProperty_MaximumFramesPerSlice:
    if (!global) return kAudioUnitErr_InvalidProperty;
    *pWriteable = true;
    if (!sized(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
    if (pData) Put<UInt32>(pData, (UInt32)GetBlockSize());
    return noErr;

  case kAudioUnitProperty_ParameterValueStrings: {
    if (!global) return kAudioUnitErr_InvalidProperty;
    if (element >= (AudioUnitElement)nParams) return kAudioUnitErr_InvalidElement;
    IParam* pParam = GetParam((int)element);
    const int n = pParam->GetNDisplayTexts();
    if (!n) {
      *pDataSize = 0;
      return kAudioUnitErr_InvalidProperty;
    }
    if (!sized(sizeof(CFArrayRef))) return kAudioUnitErr_InvalidPropertyValue;
    if (!pData) return noErr;
    CFMutableArrayRef nameArray =
        CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFTypeArrayCallBacks);
    if (!nameArray) return coreFoundationUnknownErr;
    for (int i = 0; i < n; ++i) {
      CFStrLocal name(pParam->GetDisplayTextAtIdx(i));
      if (name.mCFStr) CFArrayAppendValue(nameArray, name.mCFStr);
    }
    Put<CFArrayRef>(pData, nameArray);
    return noErr;
  }

  case kAudioUnitProperty_GetUIComponentList:
    if (!GetGUI()) return kAudioUnitErr_InvalidProperty;
    if (!sized(sizeof(AudioComponentDescription))) return kAudioUnitErr_InvalidPropertyValue;
    if (pData) {
      AudioComponentDescription cd{};
      cd.componentType = kAudioUnitCarbonViewComponentType;
      cd.componentSubType = (OSType)GetUniqueID();
      cd.componentManufacturer = (OSType)GetMfrID();
      Put(pData, cd);
    }
    return noErr;

  case kAudioUnitProperty_AudioChannelLayout:
    return kAudioUnitErr_InvalidPropertyValue;

  case kAudioUnitProperty_TailTime:
    if (!global) return kAudioUnitErr_InvalidProperty;
    *pWriteable = GetTailSize() > 0;
    if (!sized(sizeof(Float64))) return kAudioUnitErr_InvalidPropertyValue;
    if (pData) Put<Float64>(pData, (double)GetTailSize() / GetSampleRate());
    return noErr;

  case kAudioUnitProperty_BypassEffect:
    if (!global) return kAudioUnitErr_InvalidProperty;
    *pWriteable = true;
    if (!sized(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
    if (pData) Put<UInt32>(pData, mIsBypassed ? 1 : 0);
    return noErr;

  case kAudioUnitProperty_LastRenderError:
    if (!global) return kAudioUnitErr_InvalidProperty;
    if (!sized(sizeof(OSStatus))) return kAudioUnitErr_InvalidPropertyValue;
    if (pData) Put<OSStatus>(pData, noErr);
    return noErr;

  case kAudioUnitProperty_SetRenderCallback:
    if ((!global && scope != kAudioUnitScope_Input) ||
        element >= (AudioUnitElement)mInBuses.GetSize())
      return kAudioUnitErr_InvalidProperty;
    *pWriteable = true;
    return sized(sizeof(AURenderCallbackStruct)) ? noErr : kAudioUnitErr_InvalidPropertyValue;

  case kAudioUnitProperty_FactoryPresets: {
    if (!sized(sizeof(CFArrayRef))) return kAudioUnitErr_InvalidPropertyValue;
    if (!pData) return noErr;
    const int n = NPresets();
    CFMutableArrayRef presetArray =
        CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFAUPresetArrayCallBacks);
    if (!presetArray) return coreFoundationUnknownErr;
    for (int i = 0; i < n; ++i) {
      CFStrLocal presetName(GetPresetName(i));
      CFAUPresetRef newPreset = CFAUPresetCreate(kCFAllocatorDefault, i, presetName.mCFStr);
      if (newPreset) {
        CFArrayAppendValue(presetArray, newPreset);
        CFAUPresetRelease(newPreset);
      }
    }
    Put<CFArrayRef>(pData, presetArray);
    return noErr;
  }

  case kAudioUnitProperty_HostCallbacks:
    if (!global) return kAudioUnitErr_InvalidProperty;
    *pWriteable = true;
    return sized(sizeof(HostCallbackInfo)) ? noErr : kAudioUnitErr_InvalidPropertyValue;

  case kAudioUnitProperty_CurrentPreset:
  case kAudioUnitProperty_PresentPreset:
    *pWriteable = true;
    if (!sized(sizeof(AUPreset))) return kAudioUnitErr_InvalidPropertyValue;
    if (pData) {
      AUPreset preset;
      preset.presetNumber = GetCurrentPresetIdx();
      preset.presetName = MakeCFString(GetPresetName(preset.presetNumber));
      Put(pData, preset);
    }
    return noErr;

  case kAudioUnitProperty_ElementName: {
    *pDataSize = sizeof(CFStringRef);
    if (!pData) return kAudioUnitErr_InvalidProperty;
    if (!PropertyFits(pData, room, sizeof(CFStringRef))) return kAudioUnitErr_InvalidPropertyValue;
    WDL_String* pLabel = nullptr;
    if (scope == kAudioUnitScope_Input)
      pLabel = element <= 1 ? GetInputBusLabel((int)element) : nullptr;
    else if (scope == kAudioUnitScope_Output)
      pLabel = element < (AudioUnitElement)mOutBuses.GetSize() ? GetOutputBusLabel((int)element)
                                                               : nullptr;
    else
      return kAudioUnitErr_InvalidScope;
    if (!pLabel) return kAudioUnitErr_InvalidElement;
    Put<CFStringRef>(pData, MakeCFString(pLabel->Get()));
    return noErr;
  }

  case kAudioUnitProperty_CocoaUI:
    return GetCocoaUI(pDataSize, room, pData);

  case kAudioUnitProperty_SupportedChannelLayoutTags: {
    if (!IsInst() || mOutBuses.GetSize() <= 1) return kAudioUnitErr_InvalidProperty;
    const int n = GetChannelLayoutTags(scope, element, nullptr);
    if (!n) return kAudioUnitErr_InvalidProperty;
    *pWriteable = true;
    if (!sized((UInt32)(n * sizeof(AudioChannelLayoutTag))))
      return kAudioUnitErr_InvalidPropertyValue;
    if (pData) {
      AudioChannelLayoutTag tag;
      GetChannelLayoutTags(scope, element, &tag);
      Put(pData, tag);
    }
    return noErr;
  }

  case kAudioUnitProperty_ParameterStringFromValue: {
    if (!sized(sizeof(AudioUnitParameterStringFromValue)))
      return kAudioUnitErr_InvalidPropertyValue;
    if (!pData || !global) return noErr;
    auto rec = Take<AudioUnitParameterStringFromValue>(pData);
    if (rec.inParamID >= (AudioUnitParameterID)nParams) return kAudioUnitErr_InvalidElement;
    if (!rec.inValue) return kAudioUnitErr_InvalidPropertyValue;
    const double v = (double)*rec.inValue;
    if (!std::isfinite(v)) return kAudioUnitErr_InvalidPropertyValue;
    IParam* pParam = GetParam((int)rec.inParamID);
    double shown = v;
    if (pParam->Type() == IParam::kTypeInt || pParam->Type() == IParam::kTypeEnum ||
        pParam->Type() == IParam::kTypeBool) {
      double lo, hi;
      pParam->GetBounds(&lo, &hi);
      shown = Clamp(v, lo, hi);
    }
    static_assert(sizeof(mParamDisplayStr) >= MAX_PARAM_DISPLAY_LEN, "display buffer");
    pParam->GetDisplayForHost(shown, false, mParamDisplayStr);
    rec.outString = MakeCFString(mParamDisplayStr);
    Put(pData, rec);
    return noErr;
  }

  case kAudioUnitProperty_ParameterIDName: {
    if (!sized(sizeof(AudioUnitParameterIDName))) return kAudioUnitErr_InvalidPropertyValue;
    if (!pData || !global) return noErr;
    auto rec = Take<AudioUnitParameterIDName>(pData);
    if (rec.inID >= (AudioUnitParameterID)nParams) return kAudioUnitErr_InvalidElement;
    char cStr[MAX_PARAM_NAME_LEN + 1];
    strncpy(cStr, GetParam((int)rec.inID)->GetNameForHost(), sizeof(cStr) - 1);
    cStr[sizeof(cStr) - 1] = 0;
    if (rec.inDesiredLength != kAudioUnitParameterName_Full) {
      // A negative length other than "full" asks for nothing.
      const int n = rec.inDesiredLength < 0                 ? 0
                    : rec.inDesiredLength > kParamIDNameMax ? kParamIDNameMax
                                                            : rec.inDesiredLength;
      if ((size_t)n < strlen(cStr)) cStr[n] = 0;
    }
    rec.outName = MakeCFString(cStr);
    Put(pData, rec);
    return noErr;
  }

  case kAudioUnitProperty_ParameterClumpName: {
    if (!sized(sizeof(AudioUnitParameterNameInfo))) return kAudioUnitErr_InvalidPropertyValue;
    if (!pData || !global) return noErr;
    auto rec = Take<AudioUnitParameterNameInfo>(pData);
    if (rec.inID < 1 || rec.inID > (UInt32)mParamGroups.GetSize())
      return kAudioUnitErr_PropertyNotInUse;
    rec.outName = MakeCFString(mParamGroups.Get((int)rec.inID - 1));
    Put(pData, rec);
    return noErr;
  }

  case kAudioUnitProperty_ParameterValueFromString: {
    if (!sized(sizeof(AudioUnitParameterValueFromString)))
      return kAudioUnitErr_InvalidPropertyValue;
    if (!pData || !global) return noErr;
    auto rec = Take<AudioUnitParameterValueFromString>(pData);
    if (rec.inParamID >= (AudioUnitParameterID)nParams) return kAudioUnitErr_InvalidElement;
    if (!CFIsType(rec.inString, CFStringGetTypeID())) return kAudioUnitErr_InvalidPropertyValue;
    IParam* pParam = GetParam((int)rec.inParamID);
    CStrLocal cStr(rec.inString);
    if (!cStr.mCStr) return kAudioUnitErr_InvalidPropertyValue;
    if (pParam->GetNDisplayTexts()) {
      int v;
      if (pParam->MapDisplayText(cStr.mCStr, &v)) rec.outValue = (AudioUnitParameterValue)v;
    } else {
      double v = atof(cStr.mCStr);
      if (pParam->DisplayIsNegated()) v = -v;
      rec.outValue = (AudioUnitParameterValue)v;
    }
    Put(pData, rec);
    return noErr;
  }

  case kAudioUnitProperty_MIDIOutputCallbackInfo:
    if (!sized(sizeof(CFArrayRef))) return kAudioUnitErr_InvalidPropertyValue;
    if (pData) {
      CFStrLocal name("midiOut");
      const void* values[1] = {name.mCFStr};
      CFArrayRef outputNames = CFArrayCreate(nullptr, values, 1, &kCFTypeArrayCallBacks);
      if (!outputNames) return coreFoundationUnknownErr;
      Put(pData, outputNames);
    }
    return noErr;

  case kAudioUnitProperty_MIDIOutputCallback:
    if (pData) return kAudioUnitErr_InvalidProperty;
    *pWriteable = true;
    *pDataSize = sizeof(AUMIDIOutputCallbackStruct);
    return noErr;

  case kMusicDeviceProperty_InstrumentCount:
    if (!global || !IsInst()) return kAudioUnitErr_InvalidProperty;
    if (!sized(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
    if (pData) Put<UInt32>(pData, 1);
    return noErr;

  default:
    return kAudioUnitErr_InvalidProperty;
  }
}

// ---- Set ----

ComponentResult IPlugAU::SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                     AudioUnitElement element, UInt32* pDataSize,
                                     const void* pData) {
  const bool global = scope == kAudioUnitScope_Global;
  // Whether the host gave at least size bytes.
  auto has = [&](size_t size) { return PropertyFits(pData, *pDataSize, size); };

  switch (propID) {
  case kAudioUnitProperty_ClassInfo:
    if (!has(sizeof(CFPropertyListRef))) return kAudioUnitErr_InvalidPropertyValue;
    return SetState(Take<CFPropertyListRef>(pData));

  case kAudioUnitProperty_MakeConnection: {
    if (!global && scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidProperty;
    if (!has(sizeof(AudioUnitConnection))) return kAudioUnitErr_InvalidPropertyValue;
    auto conn = Take<AudioUnitConnection>(pData);
    if (conn.destInputNumber >= (UInt32)mInBusConnections.GetSize())
      return kAudioUnitErr_InvalidProperty;
    InputBusConnection* pInBusConn = mInBusConnections.Get((int)conn.destInputNumber);
    *pInBusConn = InputBusConnection();
    bool success = true;
    if (conn.sourceAudioUnit) {
      AudioStreamBasicDescription srcASBD;
      UInt32 size = sizeof(AudioStreamBasicDescription);
      success = AudioUnitGetProperty(conn.sourceAudioUnit, kAudioUnitProperty_StreamFormat,
                                     kAudioUnitScope_Output, conn.sourceOutputNumber, &srcASBD,
                                     &size) == noErr;
      if (success) {
        UInt32 asbdSize = sizeof(srcASBD);
        success = SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input,
                              conn.destInputNumber, &asbdSize, &srcASBD) == noErr;
        if (success) InformListeners(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input);
      }
      if (success) {
        pInBusConn->mUpstreamUnit = conn.sourceAudioUnit;
        pInBusConn->mUpstreamBusIdx = (int)conn.sourceOutputNumber;
        AudioUnitRenderProc srcRenderProc = nullptr;
        size = sizeof(srcRenderProc);
        if (AudioUnitGetProperty(conn.sourceAudioUnit, kAudioUnitProperty_FastDispatch,
                                 kAudioUnitScope_Global, kAudioUnitRenderSelect, &srcRenderProc,
                                 &size) == noErr) {
          pInBusConn->mUpstreamRenderProc = srcRenderProc;
          pInBusConn->mUpstreamObj = GetComponentInstanceStorage(conn.sourceAudioUnit);
        }
      } else {
        *pInBusConn = InputBusConnection();
      }
    }
    AssessInputConnections();
    return success ? noErr : kAudioUnitErr_InvalidProperty;
  }

  case kAudioUnitProperty_SampleRate: {
    if (!has(sizeof(Float64))) return kAudioUnitErr_InvalidPropertyValue;
    const Float64 sr = Take<Float64>(pData);
    if (!std::isfinite(sr) || sr <= 0.0) return kAudioUnitErr_InvalidPropertyValue;
    SetSampleRate(sr);
    Reset();
    return noErr;
  }

  case kAudioUnitProperty_StreamFormat: {
    BusChannels* pBus = GetBus(scope, element);
    if (!pBus) return kAudioUnitErr_InvalidProperty;
    if (!has(sizeof(AudioStreamBasicDescription))) return kAudioUnitErr_InvalidPropertyValue;
    auto asbd = Take<AudioStreamBasicDescription>(pData);
    // The channel count is checked against what an int and the configurations can hold.
    const int nHostChannels =
        asbd.mChannelsPerFrame > (UInt32)INT16_MAX ? -1 : (int)asbd.mChannelsPerFrame;
    pBus->mNHostChannels = 0;
    const bool connectionOK = nHostChannels > 0 &&
                              CheckLegalIO(scope, (int)element, nHostChannels) &&
                              asbd.mFormatID == kAudioFormatLinearPCM &&
                              (asbd.mFormatFlags & kAudioFormatFlagsNativeFloatPacked);
    if (connectionOK) {
      pBus->mNHostChannels = nHostChannels;
      if (std::isfinite(asbd.mSampleRate) && asbd.mSampleRate > 0.0)
        SetSampleRate(asbd.mSampleRate);
    }
    AssessInputConnections();
    return connectionOK ? noErr : kAudioUnitErr_InvalidProperty;
  }

  case kAudioUnitProperty_MaximumFramesPerSlice: {
    if (!global) return kAudioUnitErr_InvalidProperty;
    if (!has(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
    const UInt32 n = Take<UInt32>(pData);
    if (n == 0 || n > (UInt32)kMaxBlockSize || !TrySetBlockSize((int)n))
      return kAudioUnitErr_InvalidPropertyValue;
    Reset();
    return noErr;
  }

  case kAudioUnitProperty_BypassEffect:
    if (!global) return kAudioUnitErr_InvalidProperty;
    if (!has(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
    mIsBypassed = Take<UInt32>(pData) != 0;
    OnActivate(!mIsBypassed);
    Reset();
    return noErr;

  case kAudioUnitProperty_SetRenderCallback: {
    if (scope != kAudioUnitScope_Input || element >= (AudioUnitElement)mInBusConnections.GetSize())
      return kAudioUnitErr_InvalidProperty;
    if (!has(sizeof(AURenderCallbackStruct))) return kAudioUnitErr_InvalidPropertyValue;
    InputBusConnection* pInBusConn = mInBusConnections.Get((int)element);
    *pInBusConn = InputBusConnection();
    auto cb = Take<AURenderCallbackStruct>(pData);
    if (cb.inputProc) pInBusConn->mUpstreamRenderCallback = cb;
    AssessInputConnections();
    return noErr;
  }

  case kAudioUnitProperty_HostCallbacks: {
    if (!global) return kAudioUnitErr_InvalidProperty;
    if (!pData) return kAudioUnitErr_InvalidPropertyValue;
    // Older hosts hand a shorter record: what they leave out is no callback. Only whole
    // words are taken, so no procedure is ever half a pointer.
    HostCallbackInfo info;
    memset(&info, 0, sizeof(info));
    size_t n = *pDataSize < sizeof(info) ? *pDataSize : sizeof(info);
    n -= n % sizeof(void*);
    memcpy(&info, pData, n);
    mHostCallbacks = info;
    return noErr;
  }

  case kAudioUnitProperty_CurrentPreset:
  case kAudioUnitProperty_PresentPreset: {
    if (!has(sizeof(AUPreset))) return kAudioUnitErr_InvalidPropertyValue;
    const int presetIdx = Take<AUPreset>(pData).presetNumber;
    if (presetIdx < 0 || presetIdx >= NPresets()) return kAudioUnitErr_InvalidPropertyValue;
    RestorePreset(presetIdx);
    return noErr;
  }

  case kAudioUnitProperty_OfflineRender:
    if (!has(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
    mIsOffline = Take<UInt32>(pData) != 0;
    return noErr;

  case kAudioUnitProperty_AUHostIdentifier: {
    if (!has(sizeof(AUHostVersionIdentifier))) return kAudioUnitErr_InvalidPropertyValue;
    auto hostID = Take<AUHostVersionIdentifier>(pData);
    if (!CFIsType(hostID.hostName, CFStringGetTypeID())) return kAudioUnitErr_InvalidPropertyValue;
    CStrLocal hostStr(hostID.hostName);
    if (!hostStr.mCStr) return kAudioUnitErr_InvalidPropertyValue;
    const NumVersion v = hostID.hostVersion;
    const int version =
        (v.majorRev << 16) + ((v.minorAndBugRev & 0xF0) << 4) + (v.minorAndBugRev & 0x0F);
    SetHost(hostStr.mCStr, version);
    OnHostIdentified();
    return noErr;
  }

  case kAudioUnitProperty_MIDIOutputCallback:
    if (!has(sizeof(AUMIDIOutputCallbackStruct))) return kAudioUnitErr_InvalidPropertyValue;
    mMidiCallback = Take<AUMIDIOutputCallbackStruct>(pData);
    return noErr;

  default:
    return kAudioUnitErr_InvalidProperty;
  }
}
