#include "WDL/IPlug/IPlugBase.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plugbase_test_plug.h"

namespace {

// Non-default values for every parameter of a TestPlug.
void SetDistinctValues(IPlugBase* pPlug) {
  for (int i = 0; i < pPlug->NParams(); ++i) {
    pPlug->GetParam(i)->SetNormalized(((i * 7) % 11) / 10.0);
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

std::string TempPath(const char* name) {
  return std::string(QV_BINARY_DIR) + "/" + name + std::to_string(::getpid());
}

TEST(PlugBasePresets, StateRoundTrip) {
  TestPlug plug;
  SetDistinctValues(&plug);
  const std::vector<double> saved = ParamValues(&plug);
  ByteChunk chunk;
  double lead = 1.0;
  chunk.Put(&lead);
  ASSERT_TRUE(plug.SerializeState(&chunk));
  ASSERT_EQ(chunk.Size(), 448); // appended after what was there

  TestPlug other;
  EXPECT_EQ(other.UnserializeState(&chunk, 8), 448);
  EXPECT_EQ(ParamValues(&other), saved);
  EXPECT_EQ(other.paramChanges.size(), 55u);
  EXPECT_EQ(other.paramChangeLocked, std::vector<bool>(55, true));
  EXPECT_FALSE(other.MutexHeld());
  EXPECT_TRUE(other.CompareState(chunk.GetBytes(), 1));
}

TEST(PlugBasePresets, CutStateChangesNothingPastTheCut) {
  TestPlug src;
  SetDistinctValues(&src);
  ByteChunk full;
  src.SerializeState(&full);
  const std::vector<double> want = ParamValues(&src);
  for (int len = 0; len < full.Size(); ++len) {
    TestPlug plug;
    const std::vector<double> before = ParamValues(&plug);
    ByteChunk cut;
    cut.PutBytes(full.GetBytes(), len);
    ASSERT_EQ(plug.UnserializeState(&cut, 0), -1);
    const std::vector<double> after = ParamValues(&plug);
    for (int i = 0; i < 55; ++i) {
      ASSERT_EQ(after[i], i < len / 8 ? want[i] : before[i]) << "len " << len << " param " << i;
    }
    ASSERT_EQ(plug.paramChanges.size(), 55u); // every parameter hears of the load
  }
  TestPlug plug;
  EXPECT_EQ(plug.UnserializeState(&full, -1), -1);
}

TEST(PlugBasePresets, FillNameAndRestoreSlots) {
  TestPlug plug;
  plug.MakeDefaultPreset(nullptr, 1);
  EXPECT_STREQ(plug.GetPresetName(0), "Empty");
  plug.MakeDefaultPreset("-", 9); // one more than the free slots
  for (int i = 1; i < 8; ++i) {
    EXPECT_STREQ(plug.GetPresetName(i), "-");
    EXPECT_EQ(plug.Preset(i)->mChunk.Size(), 440);
  }
  const std::string longName(400, 'L');
  plug.ModifyCurrentPreset(longName.c_str());
  EXPECT_EQ(std::strlen(plug.GetPresetName(0)), 255u);
  EXPECT_EQ(plug.Preset(0)->mChunk.Size(), 440); // replaced, not appended

  // Slot 2 holds other values; restoring applies them.
  TestPlug other;
  SetDistinctValues(&other);
  plug.Preset(2)->mChunk.Clear();
  other.SerializeState(&plug.Preset(2)->mChunk);
  EXPECT_TRUE(plug.RestorePreset(2));
  EXPECT_EQ(ParamValues(&plug), ParamValues(&other));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 2);
  EXPECT_EQ(plug.presetChanges, 1);
  EXPECT_FALSE(plug.RestorePreset(-1));
  EXPECT_FALSE(plug.RestorePreset(8));
  EXPECT_FALSE(plug.RestorePreset(""));
  EXPECT_FALSE(plug.RestorePreset(static_cast<const char*>(nullptr)));
  EXPECT_TRUE(plug.RestorePreset("-")); // the first of that name
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);

  // A short slot state fails and leaves the current slot.
  plug.Preset(3)->mChunk.Resize(436);
  EXPECT_FALSE(plug.RestorePreset(3));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
}

TEST(PlugBasePresets, FreeSlotGetsUserPresetName) {
  TestPlug plug(4, "0-2", 3);
  plug.Preset(0)->SetName("user preset 1");
  plug.Preset(0)->mInitialized = true;
  plug.Preset(1)->SetName("my user preset");
  plug.Preset(1)->mInitialized = true;
  plug.Preset(2)->mChunk.PutBytes("stale", 5); // left behind by an emptied slot
  const std::vector<double> before = ParamValues(&plug);
  EXPECT_TRUE(plug.RestorePreset(2));
  EXPECT_STREQ(plug.GetPresetName(2), "user preset 3");
  EXPECT_EQ(plug.Preset(2)->mChunk.Size(), 32);
  EXPECT_EQ(ParamValues(&plug), before);
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 2);

  TestPlug pruned(1, "0-2", 4);
  pruned.MakeDefaultPreset("a", 2);
  pruned.PruneUninitializedPresets();
  EXPECT_EQ(pruned.NPresets(), 2);
}

TEST(PlugBasePresets, PresetsFromValuesAndNamedPairs) {
  TestPlug plug(4, "0-2", 3);            // bool, int, enum, double
  plug.MakePreset("vals", 1, 7, 4, 5.5); // stored unclamped
  plug.GetParam(3)->Set(0.5);
  plug.MakePresetFromNamedParams("pairs", 2, 1, 9, 3, 9.999e-8);
  ByteChunk& c0 = plug.Preset(0)->mChunk;
  ByteChunk& c1 = plug.Preset(1)->mChunk;
  double v[4], w[4];
  for (int i = 0; i < 4; ++i) {
    c0.Get(&v[i], i * 8);
    c1.Get(&w[i], i * 8);
  }
  EXPECT_EQ(std::vector<double>(v, v + 4), (std::vector<double>{1, 7, 4, 5.5}));
  EXPECT_EQ(std::vector<double>(w, w + 4), (std::vector<double>{0, 9, 1, 0.5})); // marker kept 0.5
  EXPECT_TRUE(plug.RestorePreset(0));
  EXPECT_EQ(plug.GetParam(3)->Value(), 1.0); // clamped on restore
  EXPECT_DEATH(plug.MakePresetFromNamedParams("bad", 1, 4, 1.0), "paramIdx >= 0 && paramIdx < n");

  // CompareState works on single precision within 1e-5.
  double state[5] = {99, 1, 7, 4, 1.0 + 0.000009};
  EXPECT_TRUE(plug.CompareState(reinterpret_cast<unsigned char*>(state), 1));
  state[4] = 1.0 + 0.00002;
  EXPECT_FALSE(plug.CompareState(reinterpret_cast<unsigned char*>(state), 1));
}

TEST(PlugBasePresets, DumpRoundTripAndDamage) {
  TestPlug src;
  src.MakeDefaultPreset("-", 8);
  ByteChunk dump;
  ASSERT_TRUE(src.SerializePresets(&dump));
  ASSERT_EQ(dump.Size(), 3568);

  TestPlug plug;
  EXPECT_EQ(plug.UnserializePresets(&dump, 0), 3568);
  for (int i = 0; i < 8; ++i) {
    EXPECT_STREQ(plug.GetPresetName(i), "-");
    EXPECT_TRUE(plug.Preset(i)->mInitialized);
  }

  // A dump cut anywhere: whole records are applied, the rest stays as it was.
  for (int len = 0; len < dump.Size(); len += 3) {
    TestPlug cutPlug;
    cutPlug.MakeDefaultPreset("x", 1); // the current slot, restored at the end
    ByteChunk cut;
    cut.PutBytes(dump.GetBytes(), len);
    EXPECT_EQ(cutPlug.UnserializePresets(&cut, 0), -1);
    const int whole = len / 446;
    for (int i = 0; i < 8; ++i) {
      const bool filled = i < whole || i == 0;
      ASSERT_STREQ(cutPlug.GetPresetName(i), i < whole ? "-" : i == 0 ? "x" : "empty") << len;
      ASSERT_EQ(cutPlug.Preset(i)->mInitialized, filled) << len;
      ASSERT_EQ(cutPlug.Preset(i)->mChunk.Size(), filled ? 440 : 0) << len;
    }
  }
}

TEST(PlugBasePresets, Base64BlobsAndDumps) {
  // RFC 4648 test vectors.
  const char* vectors[][2] = {{"", ""},
                              {"f", "Zg=="},
                              {"fo", "Zm8="},
                              {"foo", "Zm9v"},
                              {"foob", "Zm9vYg=="},
                              {"fooba", "Zm9vYmE="},
                              {"foobar", "Zm9vYmFy"}};
  TestPlug plug(1, "0-2", 7);
  for (auto& v : vectors) {
    ByteChunk c;
    c.PutBytes(v[0], static_cast<int>(std::strlen(v[0])));
    plug.MakePresetFromChunk(v[0], &c);
  }
  const std::string bankPath = TempPath("bank.txt");
  plug.DumpBankBlob(bankPath.c_str());
  std::string want;
  for (auto& v : vectors) {
    want += "MakePresetFromBlob(\"" + std::string(v[0]) + "\", \"" + v[1] + "\", " +
            std::to_string(std::strlen(v[0])) + ");\n";
  }
  EXPECT_EQ(ReadFile(bankPath), want);

  const std::string presetPath = TempPath("preset.txt");
  TestPlug one(1, "0-2", 1);
  ByteChunk eight;
  eight.PutBytes("foobar12", 8);
  one.MakePresetFromChunk("x", &eight);
  one.DumpPresetBlob(presetPath.c_str());
  EXPECT_EQ(ReadFile(presetPath), "MakePresetFromBlob(\"name\", \"Zm9vYmFyMTI=\", 8);\n");

  // Decoding stops at "=" and at a line break; the length decides the chunk's size.
  TestPlug dec(1, "0-2", 3);
  dec.MakePresetFromBlob("a", "Zm9vYg==", 6);
  dec.MakePresetFromBlob("b", "Zm9v\nYmFy", 2);
  dec.MakePresetFromBlob("c", "Zm9vYmFy", 0);
  const std::string a(reinterpret_cast<char*>(dec.Preset(0)->mChunk.GetBytes()), 6);
  EXPECT_EQ(a, std::string("foob\0\0", 6));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(dec.Preset(1)->mChunk.GetBytes()), 2), "fo");
  EXPECT_EQ(dec.Preset(2)->mChunk.Size(), 0);

  // No slot at the current index: nothing is written.
  TestPlug noSlots(1, "0-2", 0);
  const std::string nonePath = TempPath("none.txt");
  std::remove(nonePath.c_str());
  noSlots.DumpPresetBlob(nonePath.c_str());
  EXPECT_FALSE(std::ifstream(nonePath).good());

  TestPlug src(4, "0-2", 0);
  src.GetParam(0)->Set(1.0);
  src.GetParam(1)->Set(7.0);
  src.GetParam(3)->Set(-0.5);
  const char* names[] = {"kBool", "kInt", "kEnum", "kDouble"};
  const std::string srcPath = TempPath("src.txt");
  src.DumpPresetSrcCode(srcPath.c_str(), names);
  EXPECT_EQ(ReadFile(srcPath), "  MakePresetFromNamedParams(\"name\", 4,\n    kBool, true,\n    "
                               "kInt, 7,\n    kEnum, 1,\n    kDouble, -0.500000);\n");
  // A value whose six-decimal text would not fit is written in its shortest exact form.
  TestPlug huge(4, "0-2", 0);
  huge.GetParam(3)->InitDouble("d", 1e300, 0.0, 1e300, 1.0, "", "", 1.0);
  huge.DumpPresetSrcCode(srcPath.c_str(), names);
  EXPECT_NE(ReadFile(srcPath).find("kDouble, 1.0000000000000001e+300);"), std::string::npos);
  for (const std::string& p : {bankPath, presetPath, srcPath}) std::remove(p.c_str());
}

} // namespace
