#include "WDL/IPlug/IPlugBase.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "plugbase_test_plug.h"

namespace {

using Bytes = std::vector<unsigned char>;

class PresetFiles : public ::testing::Test {
protected:
  void TearDown() override { std::remove(mPath.Get()); }

  Bytes Read() {
    std::ifstream f(mPath.Get(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  void Write(const Bytes& b) {
    std::ofstream f(mPath.Get(), std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  }
  static uint32_t BE(const Bytes& b, size_t at) {
    return (uint32_t(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
  }
  static void SetBE(Bytes* b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
  }

  // A plug-in with distinct values and named, filled slots.
  static void Fill(TestPlug* pPlug) {
    for (int i = 0; i < pPlug->NParams(); ++i) {
      pPlug->GetParam(i)->SetNormalized(((i * 7) % 11) / 10.0);
    }
    pPlug->MakeDefaultPreset("a name longer than twenty-seven bytes", 8);
  }

  // Parameter-variant files carry single-precision values.
  static void ExpectValuesNear(TestPlug* pA, TestPlug* pB) {
    for (int i = 0; i < pA->NParams(); ++i) {
      EXPECT_NEAR(pA->GetParam(i)->Value(), pB->GetParam(i)->Value(), 1e-6) << i;
    }
  }

  // Everything a refused load must leave as it was.
  struct Snapshot {
    std::vector<double> params;
    std::vector<std::string> names;
    int current;
    explicit Snapshot(TestPlug* p) : params(ParamValues(p)), current(p->GetCurrentPresetIdx()) {
      for (int i = 0; i < p->NPresets(); ++i) names.push_back(p->GetPresetName(i));
    }
    bool operator==(const Snapshot& o) const {
      return params == o.params && names == o.names && current == o.current;
    }
  };

  // Thousands of small files: memory-backed when the system has it.
  static std::string Dir() { return access("/dev/shm", W_OK) == 0 ? "/dev/shm" : QV_BINARY_DIR; }
  WDL_String mPath{(Dir() + "/presetfile" + std::to_string(getpid())).c_str()};
};

TEST_F(PresetFiles, ProgramFileLayouts) {
  struct Case {
    bool chunks;
    size_t size;
    uint32_t byteSize, format;
  };
  const Case cases[] = {{false, 56 + 4 * 55, 0, 0x4678436B}, {true, 60 + 8 + 440, 508, 0x46504368}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chunks);
    TestPlug src(55, "0-1 0-2", 8, c.chunks);
    Fill(&src);
    ASSERT_TRUE(src.SaveProgramAsFXP(&mPath));
    const Bytes b = Read();
    ASSERT_EQ(b.size(), c.size);
    EXPECT_EQ(BE(b, 0), 0x43636E4Bu);
    EXPECT_EQ(BE(b, 4), c.byteSize);
    EXPECT_EQ(BE(b, 8), c.format);
    EXPECT_EQ(BE(b, 12), 1u);
    EXPECT_EQ(BE(b, 16), uint32_t(kTestID));
    EXPECT_EQ(BE(b, 20), 10004u);
    EXPECT_EQ(BE(b, 24), 55u);
    EXPECT_EQ(std::string(b.begin() + 28, b.begin() + 56),
              std::string("a name longer than twenty-s") + '\0'); // 27 bytes and the zero
    if (c.chunks) {
      EXPECT_EQ(BE(b, 56), 448u);
      EXPECT_EQ(Bytes(b.begin() + 60, b.begin() + 68),
                (Bytes{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));
    } else {
      EXPECT_EQ(BE(b, 56 + 4 * 1), 0x3F333333u); // parameter 1 at 0.7 as a float
    }

    TestPlug dst(55, "0-1 0-2", 8, c.chunks);
    dst.MakeDefaultPreset("old", 8);
    ASSERT_TRUE(dst.LoadProgramFromFXP(&mPath));
    ExpectValuesNear(&dst, &src);
    EXPECT_STREQ(dst.GetPresetName(0), "a name longer than twenty-s");
    EXPECT_EQ(dst.programChanges, 1);
  }
}

TEST_F(PresetFiles, BankFileLayouts) {
  for (bool chunks : {false, true}) {
    SCOPED_TRACE(chunks);
    TestPlug src(55, "0-1 0-2", 8, chunks);
    Fill(&src);
    src.Preset(5)->SetName("five");
    src.GetParam(3)->Set(-1.0);
    src.ModifyCurrentPreset("zero");
    ASSERT_TRUE(src.SaveBankAsFXB(&mPath));
    const Bytes b = Read();
    EXPECT_EQ(BE(b, 0), 0x43636E4Bu);
    EXPECT_EQ(BE(b, 8), chunks ? 0x46424368u : 0x4678426Bu);
    EXPECT_EQ(BE(b, 12), 2u);
    EXPECT_EQ(BE(b, 24), 8u);
    EXPECT_EQ(Bytes(b.begin() + 32, b.begin() + 156), Bytes(124, 0));
    if (chunks) {
      EXPECT_EQ(BE(b, 4), b.size());
      EXPECT_EQ(BE(b, 156), b.size() - 160);
      EXPECT_EQ(Bytes(b.begin() + 160, b.begin() + 164), (Bytes{0x74, 0x66, 0x66, 0x70}));
    } else {
      EXPECT_EQ(b.size(), 156u + 8 * (56 + 4 * 55));
      EXPECT_EQ(BE(b, 4), 0u);
      EXPECT_EQ(BE(b, 156 + 8), 0x4678436Bu);
      EXPECT_EQ(BE(b, 156 + 56 + 12), 0u); // parameter 3 of slot 0: -1 normalises to 0
    }

    TestPlug dst(55, "0-1 0-2", 8, chunks);
    ASSERT_TRUE(dst.LoadBankFromFXB(&mPath));
    // The chunk keeps whole names; a program record holds 27 characters.
    const char* other =
        chunks ? "a name longer than twenty-seven bytes" : "a name longer than twenty-s";
    for (int i = 0; i < 8; ++i) {
      EXPECT_STREQ(dst.GetPresetName(i), i == 0 ? "zero" : i == 5 ? "five" : other);
      EXPECT_EQ(dst.Preset(i)->mChunk.Size(), 440);
    }
    ExpectValuesNear(&dst, &src);
    EXPECT_EQ(dst.programChanges, 1);
  }
}

TEST_F(PresetFiles, EveryTruncationIsRefused) {
  for (bool bank : {false, true}) {
    for (bool chunks : {false, true}) {
      SCOPED_TRACE(std::to_string(bank) + std::to_string(chunks));
      TestPlug src(55, "0-1 0-2", 8, chunks);
      Fill(&src);
      ASSERT_TRUE(bank ? src.SaveBankAsFXB(&mPath) : src.SaveProgramAsFXP(&mPath));
      const Bytes full = Read();
      TestPlug dst(55, "0-1 0-2", 8, chunks);
      dst.MakeDefaultPreset("keep", 8);
      const Snapshot before(&dst);
      for (size_t len = 0; len < full.size(); ++len) {
        Write(Bytes(full.begin(), full.begin() + len));
        ASSERT_FALSE(bank ? dst.LoadBankFromFXB(&mPath) : dst.LoadProgramFromFXP(&mPath)) << len;
        ASSERT_TRUE(Snapshot(&dst) == before) << len;
      }
      EXPECT_EQ(dst.programChanges, 0);
    }
  }
}

TEST_F(PresetFiles, DamagedChunksAndHeadersAreRefused) {
  TestPlug src(55, "0-1 0-2", 8, true);
  Fill(&src);
  ASSERT_TRUE(src.SaveProgramAsFXP(&mPath));
  const Bytes good = Read();
  TestPlug plain(55, "0-1 0-2", 8, false);
  TestPlug dst(55, "0-1 0-2", 8, true);
  dst.MakeDefaultPreset("keep", 8);
  const Snapshot before(&dst);

  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    size_t cut;
  };
  const Case cases[] = {
      {"state one value short", 56, 448 - 8, 8}, // a valid header round a short state
      {"chunk size past the end", 56, 449, 0},   {"negative chunk size", 56, 0xFFFFFFF0u, 0},
      {"other plug-in", 16, 0x12345678u, 0},     {"format version 2", 12, 2, 0},
      {"unknown format", 8, 0x41424344u, 0},     {"not CcnK", 0, 0x43636E4Cu, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes b = good;
    SetBE(&b, c.at, c.value);
    b.resize(b.size() - c.cut);
    Write(b);
    EXPECT_FALSE(dst.LoadProgramFromFXP(&mPath));
    EXPECT_TRUE(Snapshot(&dst) == before);
  }
  Write(good);
  EXPECT_FALSE(plain.LoadProgramFromFXP(&mPath)); // a chunk into a plug-in without chunks

  // Not-a-number values make a parameter-variant file damaged.
  ASSERT_TRUE(plain.SaveProgramAsFXP(&mPath));
  Bytes b = Read();
  SetBE(&b, 60, 0x7FC00000u);
  Write(b);
  TestPlug plainDst(55, "0-1 0-2", 8, false);
  const Snapshot plainBefore(&plainDst);
  EXPECT_FALSE(plainDst.LoadProgramFromFXP(&mPath));
  EXPECT_TRUE(Snapshot(&plainDst) == plainBefore);

  // A parameter-variant bank whose last record is bad changes no slot.
  ASSERT_TRUE(plain.SaveBankAsFXB(&mPath));
  b = Read();
  SetBE(&b, 156 + 7 * (56 + 4 * 55) + 24, 54);
  Write(b);
  EXPECT_FALSE(plainDst.LoadBankFromFXB(&mPath));
  EXPECT_TRUE(Snapshot(&plainDst) == plainBefore);
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
  EXPECT_EQ(b[54], 'x');
  EXPECT_EQ(b[55], 0);
  b[55] = 'y';
  Write(b);
  ASSERT_TRUE(one.LoadProgramFromFXP(&mPath));
  EXPECT_EQ(std::string(one.GetPresetName(0)), std::string(27, 'x'));

  WDL_String empty("");
  EXPECT_FALSE(plug.SaveProgramAsFXP(&empty));
  EXPECT_FALSE(plug.LoadBankFromFXB(&empty));
  WDL_String noDir("/nonexistent-dir/preset.fxp");
  EXPECT_FALSE(plug.SaveProgramAsFXP(&noDir));
  EXPECT_FALSE(plug.SaveBankAsFXB(&noDir));
  EXPECT_FALSE(plug.LoadProgramFromFXP(&noDir));
}

} // namespace
