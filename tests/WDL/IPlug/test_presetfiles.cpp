#include "WDL/IPlug/IPlugBase.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
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
  static void SetBE(Bytes* b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
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

  // Thousands of small files: memory-backed when the system has it.
  static std::string Dir() { return access("/dev/shm", W_OK) == 0 ? "/dev/shm" : QV_BINARY_DIR; }
  WDL_String mPath{(Dir() + "/presetfile" + std::to_string(getpid())).c_str()};
};

TEST_F(PresetFiles, LayoutsRoundTripsAndTruncations) {
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

    // Every truncation is refused with nothing changed.
    TestPlug keep(55, "0-1 0-2", 8, chunks);
    keep.MakeDefaultPreset("keep", 8);
    const auto before = Snapshot(&keep);
    for (size_t len = 0; len < b.size(); ++len) {
      Write(Bytes(b.begin(), b.begin() + len));
      ASSERT_FALSE(Load(&keep, bank)) << len;
      ASSERT_TRUE(Snapshot(&keep) == before) << len;
    }
    EXPECT_EQ(keep.programChanges, 0);
  }
}

TEST_F(PresetFiles, DamagedFilesAreRefused) {
  // What, with chunks, bank, where a field is overwritten, its new value, bytes cut off.
  const std::tuple<const char*, bool, bool, size_t, uint32_t, size_t> cases[] = {
      {"state one value short", true, false, 56, 448 - 8, 8}, // a valid header round it
      {"chunk size past the end", true, false, 56, 449, 0},
      {"negative chunk size", true, false, 56, 0xFFFFFFF0u, 0},
      {"other plug-in", true, false, 16, 0x12345678u, 0},
      {"format version 2", true, false, 12, 2, 0},
      {"unknown format", true, false, 8, 0x41424344u, 0},
      {"not CcnK", true, false, 0, 0x43636E4Cu, 0},
      {"not-a-number value", false, false, 60, 0x7FC00000u, 0},
      {"last record's parameter count", false, true, 156 + 7 * kRecord + 24, 54, 0},
  };
  for (const auto& [what, chunks, bank, at, value, cut] : cases) {
    SCOPED_TRACE(what);
    TestPlug src(55, "0-1 0-2", 8, chunks);
    Fill(&src);
    ASSERT_TRUE(Save(&src, bank));
    Bytes b = Read();
    SetBE(&b, at, value);
    b.resize(b.size() - cut);
    Write(b);
    TestPlug dst(55, "0-1 0-2", 8, chunks);
    dst.MakeDefaultPreset("keep", 8);
    const auto before = Snapshot(&dst);
    EXPECT_FALSE(Load(&dst, bank));
    EXPECT_TRUE(Snapshot(&dst) == before);
  }
  TestPlug chunky(55, "0-1 0-2", 8, true), plain(55, "0-1 0-2", 8, false);
  ASSERT_TRUE(chunky.SaveProgramAsFXP(&mPath));
  EXPECT_FALSE(plain.LoadProgramFromFXP(&mPath)); // a chunk into a plug-in without chunks
}

TEST_F(PresetFiles, NamesAndFailures) {
  TestPlug plug(2, "0-2", 0, false);
  ASSERT_TRUE(plug.SaveProgramAsFXP(&mPath));
  Bytes b = Read();
  EXPECT_EQ(Bytes(b.begin() + 28, b.begin() + 56), Bytes(28, 0)); // no slot, no name
  ASSERT_TRUE(plug.SaveBankAsFXB(&mPath));
  EXPECT_EQ(Read().size(), 156u);
  EXPECT_TRUE(plug.LoadBankFromFXB(&mPath)); // no records to apply

  // A name field without a zero is cut at 27 characters.
  TestPlug one(2, "0-2", 1, false);
  one.MakeDefaultPreset(std::string(27, 'x').c_str(), 1);
  ASSERT_TRUE(one.SaveProgramAsFXP(&mPath));
  b = Read();
  EXPECT_TRUE(b[54] == 'x' && b[55] == 0);
  b[55] = 'y';
  Write(b);
  ASSERT_TRUE(one.LoadProgramFromFXP(&mPath));
  EXPECT_EQ(std::string(one.GetPresetName(0)), std::string(27, 'x'));

  WDL_String empty(""), noDir("/nonexistent-dir/preset.fxp");
  for (WDL_String* pName : {&empty, &noDir}) {
    EXPECT_FALSE(plug.SaveProgramAsFXP(pName) || plug.SaveBankAsFXB(pName) ||
                 plug.LoadProgramFromFXP(pName) || plug.LoadBankFromFXB(pName));
  }
}
