#include "WDL/IPlug/IPlugBase.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "plugbase_test_plug.h"

// Writes a file through fn and returns its text, or "(none)" when none was made.
template <class F> std::string Dumped(F fn) {
  const std::string path = std::string(QV_BINARY_DIR) + "/dump" + std::to_string(getpid());
  std::remove(path.c_str());
  fn(path.c_str());
  std::ifstream f(path);
  const std::string text(std::istreambuf_iterator<char>(f), {});
  std::remove(path.c_str());
  return f.is_open() ? text : "(none)";
}

TEST(PlugBasePresets, StateRoundTripCutsAndCompare) {
  TestPlug src;
  SetDistinctValues(&src);
  ByteChunk full;
  double lead = 1.0;
  full.Put(&lead);
  ASSERT_TRUE(src.SerializeState(&full));
  ASSERT_EQ(full.Size(), 8 + 440); // appended after what was there
  const std::vector<double> want = ParamValues(&src);
  // Cut at every length: values before the cut are read, nothing past it changes.
  for (int len = 8; len <= full.Size(); ++len) {
    TestPlug plug;
    const std::vector<double> before = ParamValues(&plug);
    ByteChunk cut;
    cut.PutBytes(full.GetBytes(), len);
    ASSERT_EQ(plug.UnserializeState(&cut, 8), len == 448 ? 448 : -1);
    const std::vector<double> after = ParamValues(&plug);
    for (int i = 0; i < 55; ++i)
      ASSERT_EQ(after[i], i < (len - 8) / 8 ? want[i] : before[i]) << len << " param " << i;
    ASSERT_EQ(plug.paramChangeLocked, std::vector<bool>(55, true)); // all hear of it, locked
    ASSERT_FALSE(plug.MutexHeld());
  }
  EXPECT_EQ(src.UnserializeState(&full, -1), -1);

  EXPECT_TRUE(src.CompareState(full.GetBytes(), 1));
  double* stored = reinterpret_cast<double*>(full.GetBytes()) + 1;
  stored[3] = src.GetParam(3)->Value() + 0.000009; // single precision within 1e-5
  EXPECT_TRUE(src.CompareState(full.GetBytes(), 1));
  stored[3] += 0.00002;
  EXPECT_FALSE(src.CompareState(full.GetBytes(), 1));
}

TEST(PlugBasePresets, FillNameAndRestoreSlots) {
  TestPlug plug;
  plug.MakeDefaultPreset(nullptr, 1);
  EXPECT_STREQ(plug.GetPresetName(0), "Empty");
  plug.MakeDefaultPreset("-", 9); // one more than the free slots
  EXPECT_STREQ(plug.GetPresetName(7), "-");
  EXPECT_EQ(plug.Preset(7)->mChunk.Size(), 440);
  plug.ModifyCurrentPreset(std::string(400, 'L').c_str());
  EXPECT_EQ(std::strlen(plug.GetPresetName(0)), 255u);
  EXPECT_EQ(plug.Preset(0)->mChunk.Size(), 440); // replaced, not appended

  TestPlug other; // slot 2 takes other values; restoring applies them
  SetDistinctValues(&other);
  plug.Preset(2)->mChunk.Clear();
  other.SerializeState(&plug.Preset(2)->mChunk);
  EXPECT_TRUE(plug.RestorePreset(2));
  EXPECT_EQ(ParamValues(&plug), ParamValues(&other));
  EXPECT_TRUE(plug.GetCurrentPresetIdx() == 2 && plug.presetChanges == 1);
  for (int idx : {-1, 8}) EXPECT_FALSE(plug.RestorePreset(idx));
  for (const char* name : {"", (const char*)nullptr}) EXPECT_FALSE(plug.RestorePreset(name));
  EXPECT_TRUE(plug.RestorePreset("-") && plug.GetCurrentPresetIdx() == 1); // the first "-"
  plug.Preset(3)->mChunk.Resize(436); // a short slot state fails, the current slot stays
  EXPECT_FALSE(plug.RestorePreset(3) || plug.GetCurrentPresetIdx() != 1);

  TestPlug small(4, "0-2", 3);
  const char* names[] = {"user preset 1", "my user preset"};
  for (int i : {0, 1}) small.Preset(i)->SetName(names[i]), small.Preset(i)->mInitialized = true;
  small.Preset(2)->mChunk.PutBytes("stale", 5); // left behind by an emptied slot
  const std::vector<double> before = ParamValues(&small);
  EXPECT_TRUE(small.RestorePreset(2));
  EXPECT_STREQ(small.GetPresetName(2), "user preset 3");
  EXPECT_EQ(small.Preset(2)->mChunk.Size(), 32);
  EXPECT_EQ(ParamValues(&small), before);
  small.Preset(1)->mInitialized = false;
  small.PruneUninitializedPresets();
  EXPECT_EQ(small.NPresets(), 2);
  EXPECT_STREQ(small.GetPresetName(1), "user preset 3");
}

TEST(PlugBasePresets, PresetsFromValuesAndNamedPairs) {
  TestPlug plug(4, "0-2", 3);            // bool, int, enum, double
  plug.MakePreset("vals", 1, 7, 4, 5.5); // stored unclamped
  plug.GetParam(3)->Set(0.5);
  plug.MakePresetFromNamedParams("pairs", 2, 1, 9, 3, 9.999e-8);
  double v[8];
  for (int i = 0; i < 4; ++i) {
    plug.Preset(0)->mChunk.Get(&v[i], i * 8);
    plug.Preset(1)->mChunk.Get(&v[4 + i], i * 8);
  }
  // The marker value keeps the present 0.5.
  EXPECT_EQ(std::vector<double>(v, v + 8), (std::vector<double>{1, 7, 4, 5.5, 0, 9, 1, 0.5}));
  EXPECT_TRUE(plug.RestorePreset(0));
  EXPECT_EQ(plug.GetParam(3)->Value(), 1.0); // clamped on restore
  EXPECT_DEATH(plug.MakePresetFromNamedParams("bad", 1, 4, 1.0), "paramIdx >= 0 && paramIdx < n");
}

TEST(PlugBasePresets, DumpRoundTripAndDamage) {
  TestPlug src;
  src.MakeDefaultPreset("-", 8);
  ByteChunk dump;
  ASSERT_TRUE(src.SerializePresets(&dump));
  ASSERT_EQ(dump.Size(), 3568);
  // The whole dump, or one cut anywhere: whole records are applied, the rest stays as it was.
  for (int len = 0; len <= dump.Size(); len += 2) {
    TestPlug cutPlug;
    cutPlug.MakeDefaultPreset("x", 1); // the current slot, restored at the end
    ByteChunk cut;
    cut.PutBytes(dump.GetBytes(), len);
    ASSERT_EQ(cutPlug.UnserializePresets(&cut, 0), len == 3568 ? 3568 : -1);
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
  const char* plain[] = {"", "f", "fo", "foo", "foob", "fooba", "foobar"};
  const char* coded[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
  TestPlug plug(1, "0-2", 7);
  std::string want;
  for (int i = 0; i < 7; ++i) {
    ByteChunk c;
    c.PutBytes(plain[i], i);
    plug.MakePresetFromChunk(plain[i], &c);
    want += "MakePresetFromBlob(\"" + std::string(plain[i]) + "\", \"" + coded[i] + "\", " +
            std::to_string(i) + ");\n";
  }
  EXPECT_EQ(Dumped([&](const char* f) { plug.DumpBankBlob(f); }), want);
  EXPECT_EQ(Dumped([&](const char* f) { plug.DumpPresetBlob(f); }), // the current slot, 0
            "MakePresetFromBlob(\"name\", \"\", 0);\n");
  TestPlug noSlots(1, "0-2", 0); // no slot at the current index: no file
  EXPECT_EQ(Dumped([&](const char* f) { noSlots.DumpPresetBlob(f); }), "(none)");

  // Decoding stops at "=" and at a line break; the length decides the chunk's size.
  TestPlug dec(1, "0-2", 3);
  dec.MakePresetFromBlob("a", "Zm9vYg==", 6);
  dec.MakePresetFromBlob("b", "Zm9v\nYmFy", 2);
  dec.MakePresetFromBlob("c", "Zm9vYmFy", 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(dec.Preset(0)->mChunk.GetBytes()), 6),
            std::string("foob\0\0", 6));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(dec.Preset(1)->mChunk.GetBytes()), 2), "fo");
  EXPECT_EQ(dec.Preset(2)->mChunk.Size(), 0);

  TestPlug src(4, "0-2", 0);
  src.GetParam(0)->Set(1.0);
  src.GetParam(1)->Set(7.0);
  src.GetParam(3)->Set(-0.5);
  const char* names[] = {"kBool", "kInt", "kEnum", "kDouble"};
  EXPECT_EQ(Dumped([&](const char* f) { src.DumpPresetSrcCode(f, names); }),
            "  MakePresetFromNamedParams(\"name\", 4,\n    kBool, true,\n    kInt, 7,\n    "
            "kEnum, 1,\n    kDouble, -0.500000);\n");
  // A value whose six-decimal text would not fit is written in its shortest exact form.
  src.GetParam(3)->InitDouble("d", 1e300, 0.0, 1e300, 1.0, "", "", 1.0);
  EXPECT_NE(Dumped([&](const char* f) {
              src.DumpPresetSrcCode(f, names);
            }).find("kDouble, 1.0000000000000001e+300);"),
            std::string::npos);
}
