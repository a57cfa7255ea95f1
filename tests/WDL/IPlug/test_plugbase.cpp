#include "WDL/IPlug/IPlugBase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "plugbase_test_plug.h"

TEST(PlugBase, ConstructionIdentityVersionsLabelsAndTempo) {
  TestPlug plug;
  EXPECT_EQ(
      (std::vector<int>{plug.NInChannels(), plug.NOutChannels(), plug.NParams(), plug.NPresets(),
                        plug.GetHost(), plug.GetBlockSize(), plug.GetEffectVersion(true)}),
      (std::vector<int>{0, 2, 55, 8, kHostUninit, 0, 10004}));
  char host[32], mine[32];
  plug.GetHostVersionStr(host);
  EXPECT_EQ(
      (std::vector<std::string>{plug.GetEffectName(), plug.GetAPIString(), plug.GetPresetName(7),
                                plug.GetPresetName(8), host, plug.GetEffectVersionStr(mine)}),
      (std::vector<std::string>{"Quorlen-VUDE", "AU", "empty", "", "v0.0.0", "v1.0.4D"}));
  plug.SetHost("REAPER64", 0x20103);
  EXPECT_EQ(plug.GetHost(), kHostReaper);
  EXPECT_EQ(plug.GetHostVersion(true), 20103);

  GetVersionStr(static_cast<int>(0xFFFFFFFFu), mine); // the major field is unsigned
  EXPECT_STREQ(mine, "v65535.255.255");
  EXPECT_EQ(GetDecimalVersion(static_cast<int>(0x80000102u)), 327680102);
  // Names longer than the field are cut, never overrun.
  const std::string longName(300, 'n');
  TestPlug other(0, nullptr, 0, true, longName.c_str(), static_cast<EAPI>(9));
  EXPECT_EQ(std::strlen(other.GetEffectName()), 127u);
  EXPECT_STREQ(other.GetAPIString(), "");
  EXPECT_FALSE(other.LegalIO(-1, -1));

  plug.SetInputBusLabel(2, "x");
  plug.SetInputBusLabel(1, "first");
  plug.SetInputBusLabel(0, "second");
  EXPECT_STREQ(plug.GetInputBusLabel(0)->Get(), "second");
  EXPECT_EQ(plug.GetInputBusLabel(1), nullptr);
  plug.SetOutputBusLabel(-1, "no");
  EXPECT_EQ(plug.GetOutputBusLabel(0), nullptr);
  EXPECT_EQ(plug.GetSamplesPerBeat(), 22050.0);
  plug.tempo = 0.0;
  EXPECT_EQ(plug.GetSamplesPerBeat(), 0.0);
}

TEST(PlugBase, ChannelStrings) {
  using Pairs = std::vector<std::pair<int, int>>; // (inputs, outputs)
  const std::tuple<const char*, Pairs, Pairs, Pairs, Pairs> cases[] = {
      // pairs, counts, legal, illegal
      {"0-1 0-2", {{0, 1}, {0, 2}}, {{0, 2}}, {{0, 2}, {-1, 1}, {0, -1}, {0, 1}}, {{1, 2}, {0, 3}}},
      {"1-1 2-2", {{1, 1}, {2, 2}}, {{2, 2}}, {{1, 1}, {2, -1}}, {{1, 2}, {3, 3}}},
      // the doubled blank counts the next pair twice
      {"0-1  0-2", {{0, 1}, {0, 2}, {0, 2}}, {{0, 2}}, {{0, 2}}, {{0, 0}}},
      // Zero inputs or outputs are pairs like any other; the counts are the largest of each.
      {"2-0 0-2",
       {{2, 0}, {0, 2}},
       {{2, 2}},
       {{2, 0}, {0, 2}, {-1, 0}, {2, -1}, {-1, 2}},
       {{0, 0}, {2, 2}, {1, 0}}},
      {"0-2 2-0", {{0, 2}, {2, 0}}, {{2, 2}}, {{2, 0}, {0, 2}, {0, -1}, {-1, 0}}, {{2, 2}, {0, 0}}},
      {"2-0 0-0",
       {{2, 0}, {0, 0}},
       {{2, 0}},
       {{2, 0}, {0, 0}, {-1, 0}, {0, -1}},
       {{0, 2}, {-1, 2}}},
      {"0-0", {{0, 0}}, {{0, 0}}, {{0, 0}, {-1, -1}, {-1, 0}}, {{0, 1}, {1, 0}, {-1, 1}}},
  };
  for (const auto& [io, pairs, counts, legal, illegal] : cases) {
    SCOPED_TRACE(io);
    TestPlug plug(1, io, 0);
    EXPECT_EQ(plug.ChannelPairs(), pairs);
    EXPECT_EQ(counts, Pairs({{plug.NInChannels(), plug.NOutChannels()}}));
    for (auto& p : legal) EXPECT_TRUE(plug.LegalIO(p.first, p.second));
    for (auto& p : illegal) EXPECT_FALSE(plug.LegalIO(p.first, p.second));
  }
  EXPECT_DEATH(TestPlug(1, "0-1 ", 0), "channelIOStrValid");
}

TEST(PlugBase, ProcessingAccumulateBypassBlockSizeAndDelay) {
  TestPlug plug(1, "2-2", 0);
  plug.SetBlockSize(4);
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);
  float in0[4] = {1, 2, 3, 4}, in1[4] = {5, 6, 7, 8};
  float out0[4] = {0.5f, 0.5f, 0.5f, 0.5f}, out1[4] = {};
  float *ins[] = {in0, in1}, *outs[] = {out0, out1};
  plug.AttachInputBuffers(0, 2, ins, 4);
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffersAccumulating(0.0f, 4);
  EXPECT_EQ(out0[3], 4.5f);
  EXPECT_EQ(out1[0], 5.0f);
  plug.ProcessBuffers(0.0f, 1000); // clamped to the block size
  EXPECT_EQ(out0[0], 1.0f);
  plug.PassThroughBuffers(0.0f, 4);
  EXPECT_EQ(out1[3], 8.0f);
  // Unconnected input 1 reads its scratch buffer: the last input converted into it.
  plug.SetInputChannelConnections(1, 1, false);
  plug.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(out1[2], 7.0f);
  EXPECT_FALSE(plug.IsInChannelConnected(-1));

  TestPlug silent; // no inputs: the base and the bypass path write silence
  silent.SetBlockSize(8);
  silent.SetOutputChannelConnections(0, 2, true);
  std::vector<double> o0(8, 9.0), o1(8, 9.0);
  double* douts[] = {o0.data(), o1.data()};
  silent.AttachOutputBuffers(0, 2, douts);
  silent.PassThroughBuffers(0.0, 8);
  EXPECT_EQ(o0, std::vector<double>(8, 0.0));
  EXPECT_EQ(o1, o0);

  TestPlug quad(1, "4-4", 0);
  quad.SetInputChannelConnections(0, 4, true);
  quad.SetOutputChannelConnections(0, 4, true);
  quad.LimitToStereoIO();
  EXPECT_TRUE(quad.IsOutChannelConnected(1));
  EXPECT_FALSE(quad.IsOutChannelConnected(2));
  EXPECT_FALSE(quad.IsInChannelConnected(3));
  quad.SetInputChannelConnections(-1, 3, false); // refused
  EXPECT_TRUE(quad.IsInChannelConnected(0));

  quad.SetBlockSize(16);
  quad.SetBlockSize(4096); // reallocates: unconnected slots must follow
  float buf[4][4096] = {};
  float* io[] = {buf[0], buf[1], buf[2], buf[3]};
  quad.AttachInputBuffers(0, 4, io, 4096);
  quad.AttachOutputBuffers(0, 4, io);
  quad.ProcessBuffers(0.0f, 4096); // under ASan: no access to released storage
  quad.ZeroScratchBuffers();

  NChanDelayLine delay(1, 1);
  double in[5] = {1, 2, 3, 4, 5}, out[5];
  double *pIn = in, *pOut = out;
  delay.SetDelayTime(3);
  delay.ProcessBlock(&pIn, &pOut, 5);
  EXPECT_EQ(std::vector<double>(out, out + 5), (std::vector<double>{0, 0, 0, 1, 2}));
  delay.SetDelayTime(0); // passes audio through
  delay.ProcessBlock(&pIn, &pOut, 5);
  EXPECT_EQ(out[4], 5.0);
}

TEST(PlugBase, ParameterFromGUIAndMidi) {
  TestPlug plug;
  plug.SetParameterFromGUI(1, 0.47); // int 0-10: 4.7 rounds to 5
  EXPECT_EQ(plug.GetParam(1)->Value(), 5.0);
  ASSERT_EQ(plug.hostNotices.size(), 1u);
  EXPECT_EQ(plug.hostNotices[0].value, 0.47);
  EXPECT_TRUE(plug.hostNotices[0].mutexHeld);
  EXPECT_EQ(plug.paramChanges, std::vector<int>{1});
  EXPECT_EQ(plug.paramChangeLocked, std::vector<bool>{true});
  EXPECT_FALSE(plug.MutexHeld());
  for (int idx : {55, -1}) plug.SetParameterFromGUI(idx, 0.5); // ignored
  plug.DirtyParameters();
  ASSERT_EQ(plug.hostNotices.size(), 56u);
  EXPECT_EQ(plug.hostNotices[4].value, plug.GetParam(3)->GetNormalized());
  EXPECT_TRUE(plug.hostNotices[55].mutexHeld);

  IMidiMsg msg(3, 0x90, 60, 100);
  plug.ProcessMidiMsg(&msg);
  WDL_TypedBuf<IMidiMsg> msgs;
  for (int i = 1; i <= 3; ++i) msgs.Add(IMidiMsg(i, 0x90, i, 1));
  plug.failMidiAt = 2; // the second of the three
  EXPECT_FALSE(plug.SendMidiMsgs(&msgs));
  ASSERT_EQ(plug.sentMidi.size(), 4u); // the third is still sent
  EXPECT_EQ(plug.sentMidi[0].mData1, 60);
}

// Records what the base asks of its editor; the core needs no GUI library for this.
class RecordingEditor : public IEditorDelegate {
public:
  RecordingEditor(TestPlug* pPlug, std::string* pLog) : mTestPlug(pPlug), mLog(pLog) {}
  // The plug-in still holds its parameters while its editor goes.
  ~RecordingEditor() override { *mLog += mTestPlug->GetParam(0) ? ", deleted" : ", too late"; }
  void PrepDraw() override { *mLog += std::to_string(pushes.size()) + " pushes, prep"; }
  void SetParameterFromPlug(int idx, double value, bool normalized) override {
    pushes.push_back({idx, value, normalized});
    locked.push_back(mTestPlug->MutexHeld());
    attached.push_back(mTestPlug->GetGUI() != nullptr);
  }
  // A stand-in address: the core only hands it on.
  IGraphics* GetGraphics() override { return reinterpret_cast<IGraphics*>(&mMarker); }

  std::vector<std::tuple<int, double, bool>> pushes;
  std::vector<bool> locked, attached;
  TestPlug* mTestPlug;
  std::string* mLog;
  char mMarker = 0;
};

TEST(PlugBase, AttachGraphicsPushesPrepsAndDeletesFirst) {
  std::string log;
  {
    TestPlug plug;
    plug.AttachGraphics(nullptr);
    EXPECT_EQ(plug.GetGUI(), nullptr);
    plug.RedrawParamControls(); // nothing attached: nothing to push to
    plug.GetParam(3)->Set(0.5); // double -1..1: normalised 0.75
    RecordingEditor* pEditor = new RecordingEditor(&plug, &log);
    plug.AttachGraphics(pEditor);
    EXPECT_EQ(log, "55 pushes, prep");
    EXPECT_EQ(pEditor->pushes[3], std::make_tuple(3, 0.75, true));
    EXPECT_EQ(pEditor->pushes[54], std::make_tuple(54, plug.GetParam(54)->GetNormalized(), true));
    EXPECT_EQ(pEditor->locked, std::vector<bool>(55, true));
    EXPECT_EQ(pEditor->attached, std::vector<bool>(55, false));
    EXPECT_EQ(plug.GetGUI(), pEditor->GetGraphics());

    plug.GetParam(3)->Set(-1.0);
    pEditor->pushes.clear();
    pEditor->locked.clear();
    plug.RedrawParamControls(); // plain values, no lock of its own
    ASSERT_EQ(pEditor->pushes.size(), 55u);
    EXPECT_EQ(pEditor->pushes[3], std::make_tuple(3, -1.0, false));
    EXPECT_EQ(pEditor->locked[0], false);
  }
  EXPECT_EQ(log, "55 pushes, prep, deleted");
}
