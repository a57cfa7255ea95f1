#pragma once
// A plug-in that implements the base's host operations by recording what it is told.

#include <string>
#include <utility>
#include <vector>

#include "WDL/IPlug/IPlugBase.h"

constexpr int kTestID = 0x51726C4D; // "QrlM"

class TestPlug : public IPlugBase {
public:
  struct HostNotice {
    int idx;
    double value;
    bool mutexHeld;
  };

  explicit TestPlug(int nParams = 55, const char* io = "0-1 0-2", int nPresets = 8,
                    bool chunks = true, const char* name = "Quorlen-VUDE", EAPI api = kAPIAU)
      : IPlugBase(nParams, io, nPresets, name, nullptr, "Ostrevane", 0x10004, kTestID, 0x5A76656B,
                  0, true, chunks, false, api) {
    for (int i = 0; i < nParams; ++i) {
      IParam* p = GetParam(i);
      if (i % 4 == 0) p->InitBool("b", false);
      if (i % 4 == 1) p->InitInt("i", 3, 0, 10);
      if (i % 4 == 2) p->InitEnum("e", 1, 5);
      if (i % 4 == 3) p->InitDouble("d", 0.25, -1.0, 1.0, 0.001, "", "", 1.0);
    }
  }

  void OnParamChange(int idx) override {
    paramChangeLocked.push_back(MutexHeld());
    IPlugBase::OnParamChange(idx);
    paramChanges.push_back(idx);
  }
  void BeginInformHostOfParamChange(int idx) override { begins.push_back(idx); }
  void InformHostOfParamChange(int idx, double v) override {
    hostNotices.push_back({idx, v, MutexHeld()});
  }
  void EndInformHostOfParamChange(int idx) override { ends.push_back(idx); }
  void InformHostOfProgramChange() override { ++programChanges; }
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return tempo; }
  void GetTimeSig(int* pNum, int* pDenom) override { *pNum = *pDenom = 4; }
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg* pMsg) override {
    sentMidi.push_back(*pMsg);
    return failMidiAt != static_cast<int>(sentMidi.size()) - 1;
  }
  void PresetsChangedByHost() override { ++presetChanges; }

  bool MutexHeld() const { return mMutex.GetDebugCount() > 0; }
  IPreset* Preset(int i) { return mPresets.Get(i); }
  // The legal (inputs, outputs) pairs, in the order of the channel I/O string.
  std::vector<std::pair<int, int>> ChannelPairs() const {
    std::vector<std::pair<int, int>> pairs;
    for (int i = 0; i < mChannelIO.GetSize(); ++i)
      pairs.emplace_back(mChannelIO.Get(i)->mIn, mChannelIO.Get(i)->mOut);
    return pairs;
  }

  std::vector<int> paramChanges, begins, ends;
  std::vector<bool> paramChangeLocked; // the plug-in mutex was held at each OnParamChange
  std::vector<HostNotice> hostNotices;
  std::vector<IMidiMsg> sentMidi;
  int failMidiAt = -1, programChanges = 0, presetChanges = 0;
  double tempo = 120.0;
};

// The parameter values as they stand.
inline std::vector<double> ParamValues(IPlugBase* pPlug) {
  std::vector<double> v;
  for (int i = 0; i < pPlug->NParams(); ++i) v.push_back(pPlug->GetParam(i)->Value());
  return v;
}

// Non-default values for every parameter.
inline void SetDistinctValues(IPlugBase* pPlug) {
  for (int i = 0; i < pPlug->NParams(); ++i) pPlug->GetParam(i)->SetNormalized(i * 7 % 11 / 10.0);
}

// Everything a refused load must leave as it was: values, slots and the current slot.
inline std::vector<std::string> Snapshot(TestPlug* pPlug) {
  std::vector<std::string> s;
  for (double v : ParamValues(pPlug)) s.emplace_back(reinterpret_cast<const char*>(&v), sizeof v);
  for (int i = 0; i < pPlug->NPresets(); ++i) {
    IPreset* p = pPlug->Preset(i);
    s.push_back(std::string(p->mName) + (p->mInitialized ? "+" : "-"));
    const char* bytes = reinterpret_cast<const char*>(p->mChunk.GetBytes());
    s.push_back(bytes ? std::string(bytes, p->mChunk.Size()) : std::string());
  }
  s.push_back(std::to_string(pPlug->GetCurrentPresetIdx()));
  return s;
}
