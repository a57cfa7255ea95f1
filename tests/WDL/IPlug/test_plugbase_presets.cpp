#include "WDL/IPlug/IPlugBase.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "plugbase_test_plug.h"

using Bytes = std::vector<unsigned char>;
constexpr uint32_t kFxCk = 0x4678436B, kFPCh = 0x46504368, kFxBk = 0x4678426B, kFBCh = 0x46424368;
constexpr size_t kRecord = 56 + 4 * 55; // a program record of a 55-parameter bank

class PresetFiles : public ::testing::Test {
protected:
  void TearDown() override { std::remove(mPath.Get()); }

  // Writes a file through fn and returns its text, or "(none)" when none was made.
  template <class F> std::string Dumped(F fn) {
    fn(mPath.Get());
    const Bytes b = Read();
    return std::remove(mPath.Get()) == 0 ? std::string(b.begin(), b.end()) : "(none)";
  }

  Bytes Read() {
    std::ifstream f(mPath.Get(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  void Write(const Bytes& b) {
    std::ofstream(mPath.Get(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  }
  static uint32_t BE(const Bytes& b, size_t at) {
    return (uint32_t(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
  }
  bool Save(TestPlug* pPlug, bool bank) {
    return bank ? pPlug->SaveBankAsFXB(&mPath) : pPlug->SaveProgramAsFXP(&mPath);
  }
  bool Load(TestPlug* pPlug, bool bank) {
    return bank ? pPlug->LoadBankFromFXB(&mPath) : pPlug->LoadProgramFromFXP(&mPath);
  }

  // A plug-in with distinct values and named, filled slots.
  static void Fill(TestPlug* pPlug) {
    SetDistinctValues(pPlug);
    pPlug->MakeDefaultPreset("a name longer than twenty-seven bytes", 8);
  }

  WDL_String mPath{(QV_BINARY_DIR "/presetfile" + std::to_string(getpid())).c_str()};
};

TEST(PlugBasePresets, StateAndDumpRoundTripsAndCuts) {
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

TEST(PlugBasePresets, PruningDropsEveryEmptySlot) {
  // One letter per slot: a filled slot named by it, '.' an empty one.
  for (auto [slots, kept] : {std::pair{"a..b...", "ab"},
                             {"..ab", "ab"},
                             {"a...", "a"},
                             {"a.b.c", "abc"},
                             {"...", ""},
                             {"abc", "abc"}}) {
    const int n = (int)std::strlen(slots);
    TestPlug plug(4, "0-2", n);
    for (int i = 0; i < n; ++i) {
      const char name[2] = {slots[i], 0};
      plug.Preset(i)->SetName(name);
      plug.Preset(i)->mInitialized = slots[i] != '.';
    }
    plug.PruneUninitializedPresets();
    std::string names;
    for (int i = 0; i < plug.NPresets(); ++i) names += plug.GetPresetName(i);
    EXPECT_EQ(names, kept) << slots;
  }
}

TEST(PlugBasePresets, FillNameRestoreAndMakeSlots) {
  TestPlug plug;
  plug.MakeDefaultPreset(nullptr, 1);
  EXPECT_STREQ(plug.GetPresetName(0), "Empty");
  plug.MakeDefaultPreset("-", 9); // one more than the free slots
  EXPECT_STREQ(plug.GetPresetName(7), "-");
  EXPECT_EQ(plug.Preset(7)->mChunk.Size(), 440);
  plug.ModifyCurrentPreset(std::string(400, 'L').c_str());
  // The name is cut to 255; the state is replaced, not appended.
  EXPECT_EQ(std::strlen(plug.GetPresetName(0)), 255u);
  EXPECT_EQ(plug.Preset(0)->mChunk.Size(), 440);

  TestPlug other; // slot 2 takes other values; restoring applies them
  SetDistinctValues(&other);
  plug.Preset(2)->mChunk.Clear();
  other.SerializeState(&plug.Preset(2)->mChunk);
  EXPECT_TRUE(plug.RestorePreset(2));
  EXPECT_EQ(ParamValues(&plug), ParamValues(&other));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 2);
  EXPECT_EQ(plug.presetChanges, 1);
  for (int idx : {-1, 8}) EXPECT_FALSE(plug.RestorePreset(idx));
  for (const char* name : {"", (const char*)nullptr}) EXPECT_FALSE(plug.RestorePreset(name));
  EXPECT_TRUE(plug.RestorePreset("-"));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1); // the first "-"
  plug.Preset(3)->mChunk.Resize(436);       // a short slot state fails, the current slot stays
  EXPECT_FALSE(plug.RestorePreset(3));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);

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

  TestPlug four(4, "0-2", 3);            // bool, int, enum, double
  four.MakePreset("vals", 1, 7, 4, 5.5); // stored unclamped
  four.GetParam(3)->Set(0.5);
  four.MakePresetFromNamedParams("pairs", 2, 1, 9, 3, 9.999e-8);
  double v[8];
  for (int i = 0; i < 8; ++i) four.Preset(i / 4)->mChunk.Get(&v[i], i % 4 * 8);
  // The marker value keeps the present 0.5.
  EXPECT_EQ(std::vector<double>(v, v + 8), (std::vector<double>{1, 7, 4, 5.5, 0, 9, 1, 0.5}));
  EXPECT_TRUE(four.RestorePreset(0));
  EXPECT_EQ(four.GetParam(3)->Value(), 1.0); // clamped on restore
  EXPECT_DEATH(four.MakePresetFromNamedParams("bad", 1, 4, 1.0), "paramIdx >= 0 && paramIdx < n");
}

TEST_F(PresetFiles, Base64BlobsAndDumps) {
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
  TestPlug cur(1, "0-2", 2); // slot 1 is current and holds 0.0; slot 0 holds 1.0
  cur.GetParam(0)->Set(1.0);
  cur.MakeDefaultPreset("a", 1);
  cur.GetParam(0)->Set(0.0);
  cur.MakeDefaultPreset("b", 1);
  ASSERT_TRUE(cur.RestorePreset(1));
  EXPECT_EQ(Dumped([&](const char* f) { cur.DumpPresetBlob(f); }),
            "MakePresetFromBlob(\"name\", \"AAAAAAAAAAA=\", 8);\n");

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
  const std::string code = Dumped([&](const char* f) { src.DumpPresetSrcCode(f, names); });
  EXPECT_NE(code.find("kDouble, 1.0000000000000001e+300);"), std::string::npos);
}

TEST_F(PresetFiles, LayoutsRoundTripsTruncationsAndDamage) {
  // Damage for a variant (1: chunk program, 0 and 2: plain program and bank): what, where a
  // field is overwritten, its new value, bytes cut off.
  const std::tuple<const char*, int, size_t, uint32_t, size_t> damage[] = {
      {"state one value short", 1, 56, 448 - 8, 8}, // a valid header round it
      {"chunk size past the end", 1, 56, 449, 0},
      {"negative chunk size", 1, 56, 0xFFFFFFF0u, 0},
      {"other plug-in", 1, 16, 0x12345678u, 0},
      {"format version 2", 1, 12, 2, 0},
      {"unknown format", 1, 8, 0x41424344u, 0},
      {"not CcnK", 1, 0, 0x43636E4Cu, 0},
      {"not-a-number value", 0, 60, 0x7FC00000u, 0},
      {"last record's parameter count", 2, 156 + 7 * kRecord + 24, 54, 0},
  };
  const std::string cut27 = "a name longer than twenty-s";
  for (int variant = 0; variant < 4; ++variant) {
    const bool bank = variant & 2, chunks = variant & 1;
    SCOPED_TRACE(variant);
    TestPlug src(55, "0-1 0-2", 8, chunks);
    Fill(&src);
    src.Preset(5)->SetName("five");
    src.GetParam(3)->Set(-1.0);
    src.ModifyCurrentPreset(bank ? "zero" : nullptr);
    ASSERT_TRUE(Save(&src, bank));
    const Bytes b = Read();
    const uint32_t magic = bank ? (chunks ? kFBCh : kFxBk) : (chunks ? kFPCh : kFxCk);
    EXPECT_EQ(
        (std::vector<uint32_t>{BE(b, 0), BE(b, 8), BE(b, 12), BE(b, 16), BE(b, 20), BE(b, 24)}),
        (std::vector<uint32_t>{0x43636E4B, magic, bank ? 2u : 1u, uint32_t(kTestID), 10004,
                               bank ? 8u : 55u}));
    const size_t data = bank ? 156 : 56;        // the values, records or chunk size field
    const size_t values = bank ? 156 + 56 : 56; // slot 0's values in a bank
    if (chunks) {
      EXPECT_EQ(BE(b, 4), b.size()); // the whole file's length
      EXPECT_EQ(BE(b, data), b.size() - data - 4);
      EXPECT_EQ(Bytes(b.begin() + data + 4, b.begin() + data + 12),
                (Bytes{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));
      EXPECT_TRUE(bank || b.size() == 60u + 8 + 440);
    } else {
      EXPECT_EQ(BE(b, 4), 0u);
      EXPECT_EQ(b.size(), bank ? 156 + 8 * kRecord : kRecord);
      EXPECT_EQ(BE(b, values + 4), 0x3F333333u); // parameter 1 at 0.7 as a float
      EXPECT_EQ(BE(b, values + 12), 0u);         // parameter 3: -1 normalises to 0
      EXPECT_TRUE(!bank || BE(b, 156 + kRecord + 8) == kFxCk);
    }
    if (bank) {
      EXPECT_EQ(Bytes(b.begin() + 32, b.begin() + 156), Bytes(124, 0));
    } else {
      EXPECT_EQ(std::string(b.begin() + 28, b.begin() + 56), cut27 + '\0'); // 27 bytes, a zero
    }

    TestPlug dst(55, "0-1 0-2", 8, chunks);
    dst.MakeDefaultPreset("old", 8);
    ASSERT_TRUE(Load(&dst, bank));
    for (int i = 0; i < 55; ++i)
      EXPECT_NEAR(dst.GetParam(i)->Value(), src.GetParam(i)->Value(), 1e-6) << i;
    EXPECT_EQ(dst.GetPresetName(0), bank ? "zero" : cut27);
    if (bank) {
      // The chunk keeps whole names; a program record holds 27 characters.
      EXPECT_STREQ(dst.GetPresetName(5), "five");
      EXPECT_EQ(dst.GetPresetName(7), chunks ? "a name longer than twenty-seven bytes" : cut27);
      for (int i = 0; i < 8; ++i) EXPECT_EQ(dst.Preset(i)->mChunk.Size(), 440);
    }
    EXPECT_EQ(dst.programChanges, 1);

    // Every truncation and every damaged file is refused with nothing changed.
    std::vector<Bytes> bad;
    for (size_t len = 0; len < b.size(); ++len) bad.emplace_back(b.begin(), b.begin() + len);
    for (const auto& [what, inVariant, at, value, cut] : damage) {
      if (inVariant != variant) continue;
      Bytes& d = bad.emplace_back(b);
      for (int i = 0; i < 4; ++i) d[at + i] = static_cast<unsigned char>(value >> (24 - 8 * i));
      d.resize(d.size() - cut);
    }
    TestPlug keep(55, "0-1 0-2", 8, chunks);
    keep.MakeDefaultPreset("keep", 8);
    const auto before = Snapshot(&keep);
    for (const Bytes& file : bad) {
      Write(file);
      ASSERT_FALSE(Load(&keep, bank)) << file.size();
      ASSERT_TRUE(Snapshot(&keep) == before) << file.size();
    }
    EXPECT_EQ(keep.programChanges, 0);
  }
}

TEST_F(PresetFiles, EveryProgramOfABankKeepsItsOwnValues) {
  // Four programs that differ in every parameter but the bool (bool, int 0-10, enum of 5,
  // double -1 to 1), saved as a parameter bank with program 2 current.
  const std::vector<std::vector<double>> programs = {
      {0, 2, 0, -0.5}, {1, 5, 1, 0.25}, {1, 7, 3, 0.5}, {0, 10, 4, -1}};
  const char* names[] = {"p0", "p1", "p2", "p3"};
  TestPlug src(4, "0-2", 4, false);
  for (int p = 0; p < 4; ++p) {
    for (int i = 0; i < 4; ++i) src.GetParam(i)->Set(programs[p][i]);
    src.MakeDefaultPreset(names[p], 1);
  }
  ASSERT_TRUE(src.RestorePreset(2));
  ASSERT_TRUE(src.SaveBankAsFXB(&mPath));
  // Each record holds its own program's name and normalised values.
  const Bytes b = Read();
  constexpr size_t kRecordLen = 56 + 4 * 4;
  ASSERT_EQ(b.size(), 156 + 4 * kRecordLen);
  EXPECT_EQ(BE(b, 28), 2u); // the current program
  for (int p = 0; p < 4; ++p) {
    SCOPED_TRACE(p);
    const size_t at = 156 + p * kRecordLen;
    EXPECT_EQ(std::string(b.begin() + at + 28, b.begin() + at + 31), std::string(names[p], 3));
    for (int i = 0; i < 4; ++i) {
      const uint32_t bits = BE(b, at + 56 + 4 * i);
      float got;
      std::memcpy(&got, &bits, 4);
      EXPECT_EQ(got, static_cast<float>(src.GetParam(i)->GetNormalized(programs[p][i]))) << i;
    }
  }

  // Read back into a plug-in whose slots hold something else: every slot its own program.
  TestPlug dst(4, "0-2", 4, false);
  dst.MakeDefaultPreset("old", 4);
  ASSERT_TRUE(dst.LoadBankFromFXB(&mPath));
  EXPECT_EQ(dst.GetCurrentPresetIdx(), 2);
  EXPECT_EQ(ParamValues(&dst), programs[2]);
  for (int p = 0; p < 4; ++p) {
    SCOPED_TRACE(p);
    EXPECT_STREQ(dst.GetPresetName(p), names[p]);
    ASSERT_TRUE(dst.RestorePreset(p));
    EXPECT_EQ(ParamValues(&dst), programs[p]);
  }
}

TEST(PlugBasePresets, EmptiedSlotsEmptyNamesAndVersionHeader) {
  // A presets dump empties slot 1 but leaves its old bytes: they are neither saved
  // nor appended to when the slot is filled again.
  TestPlug from(1, "0-2", 2), to(1, "0-2", 2);
  from.MakeDefaultPreset("x", 1);
  to.MakeDefaultPreset("y", 2);
  ByteChunk dump, again, two;
  ASSERT_TRUE(from.SerializePresets(&dump));
  EXPECT_EQ(to.UnserializePresets(&dump, 0), 24);
  ASSERT_FALSE(to.Preset(1)->mInitialized);
  ASSERT_TRUE(to.SerializePresets(&again));
  EXPECT_EQ(again.Size(), 24);
  two.PutBytes("ab", 2);
  to.MakePresetFromChunk("z", &two);
  EXPECT_EQ(to.Preset(1)->mChunk.Size(), 2);

  to.ModifyCurrentPreset(""); // an empty name keeps the slot's
  EXPECT_STREQ(to.GetPresetName(0), "x");
  to.Preset(0)->SetName("");
  EXPECT_FALSE(to.RestorePreset("")); // nor finds a slot named so

  ByteChunk noHeader;
  const int32_t words[2] = {1234, 5};
  noHeader.PutBytes(words, 8);
  int pos = 0;
  EXPECT_EQ(IPlugBase::GetIPlugVerFromChunk(&noHeader, &pos), 0);
  EXPECT_EQ(pos, 0);
}

TEST_F(PresetFiles, NamesAndFailures) {
  TestPlug plug(2, "0-2", 0, false);
  ASSERT_TRUE(plug.SaveProgramAsFXP(&mPath));
  Bytes b = Read();
  EXPECT_EQ(Bytes(b.begin() + 28, b.begin() + 56), Bytes(28, 0)); // no slot, no name
  ASSERT_TRUE(plug.SaveBankAsFXB(&mPath));
  EXPECT_EQ(Read().size(), 156u);
  EXPECT_TRUE(plug.LoadBankFromFXB(&mPath)); // no records to apply
  TestPlug src(2, "0-2", 3, false), dst(2, "0-2", 3, false);
  src.MakeDefaultPreset("p", 3);
  ASSERT_TRUE(src.RestorePreset(1));
  ASSERT_TRUE(src.SaveBankAsFXB(&mPath));
  ASSERT_TRUE(dst.LoadBankFromFXB(&mPath));
  EXPECT_EQ(dst.GetCurrentPresetIdx(), 1); // the bank's current program
  TestPlug chunky(2, "0-2", 0, true);
  ASSERT_TRUE(chunky.SaveProgramAsFXP(&mPath));
  EXPECT_FALSE(plug.LoadProgramFromFXP(&mPath)); // a chunk into a plug-in without chunks

  // A name field without a zero is cut at 27 characters.
  TestPlug one(2, "0-2", 1, false);
  one.MakeDefaultPreset(std::string(27, 'x').c_str(), 1);
  ASSERT_TRUE(one.SaveProgramAsFXP(&mPath));
  b = Read();
  EXPECT_EQ(b[54], 'x');
  EXPECT_EQ(b[55], 0);
  b[55] = 'y';
  Write(b);
  ASSERT_TRUE(one.LoadProgramFromFXP(&mPath));
  EXPECT_EQ(std::string(one.GetPresetName(0)), std::string(27, 'x'));

  WDL_String empty(""), noDir("/nonexistent-dir/preset.fxp");
  for (WDL_String* pName : {&empty, &noDir}) {
    EXPECT_FALSE(plug.SaveProgramAsFXP(pName)) << pName->Get();
    EXPECT_FALSE(plug.SaveBankAsFXB(pName)) << pName->Get();
    EXPECT_FALSE(plug.LoadProgramFromFXP(pName)) << pName->Get();
    EXPECT_FALSE(plug.LoadBankFromFXB(pName)) << pName->Get();
  }
}
