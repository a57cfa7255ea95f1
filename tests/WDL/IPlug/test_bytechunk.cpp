#include "WDL/IPlug/ByteChunk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(const ByteChunk& c) {
  return std::vector<unsigned char>(c.GetBytes(), c.GetBytes() + c.Size());
}

TEST(ByteChunk, EmptyChunkRefusesEveryRead) {
  ByteChunk c;
  EXPECT_EQ(c.Size(), 0);
  EXPECT_EQ(c.GetBytes(), nullptr);
  double d = 7.0;
  bool b = true;
  WDL_String s("keep");
  EXPECT_EQ(c.Get(&d, 0), -1);
  EXPECT_EQ(c.GetBool(&b, 0), -1);
  EXPECT_EQ(c.GetStr(&s, 0), -1);
  EXPECT_EQ(d, 7.0);
  EXPECT_TRUE(b);
  EXPECT_STREQ(s.Get(), "keep");
}

TEST(ByteChunk, ValuesRoundTripInNativeOrder) {
  ByteChunk c;
  const double vals[] = {0.0,
                         -0.0,
                         1.5,
                         std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::infinity(),
                         1e-308};
  for (double v : vals) c.Put(&v);
  const int i = -2;
  const unsigned int u = 0xDEADBEEF;
  EXPECT_EQ(c.Put(&i), 52);
  EXPECT_EQ(c.Put(&u), 56);
  int pos = 0;
  for (double v : vals) {
    double got;
    pos = c.Get(&got, pos);
    EXPECT_EQ(std::memcmp(&got, &v, 8), 0); // bit for bit
  }
  int gi;
  unsigned int gu;
  pos = c.Get(&gi, pos);
  EXPECT_EQ(c.Get(&gu, pos), 56);
  EXPECT_EQ(gi, -2);
  EXPECT_EQ(gu, 0xDEADBEEFu);
  EXPECT_EQ(c.GetBytes()[52], 0xEF); // little-endian

  ByteChunk two;
  two.Resize(16);
  double d = 3.0;
  EXPECT_EQ(two.Get(&d, 8), 16);
  d = 3.0;
  EXPECT_EQ(two.Get(&d, 9), -1);
  EXPECT_EQ(d, 3.0);
  EXPECT_EQ(two.Get(&d, -1), -1);
  EXPECT_EQ(two.GetBytes(&d, -1, 0), -1);
}

TEST(ByteChunk, StringsAndBools) {
  ByteChunk c;
  EXPECT_EQ(c.PutStr(""), 4);
  EXPECT_EQ(c.PutStr("abc"), 11);
  EXPECT_EQ(Bytes(c), (std::vector<unsigned char>{0, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c'}));
  WDL_String s("x");
  EXPECT_EQ(c.GetStr(&s, 0), 4);
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(c.GetStr(&s, 4), 11);
  EXPECT_STREQ(s.Get(), "abc");

  EXPECT_EQ(c.PutBool(true), 12);
  c.GetBytes()[11] = 2;
  bool b = false;
  EXPECT_EQ(c.GetBool(&b, 11), 12);
  EXPECT_TRUE(b);

  // Damaged lengths: past the end, negative, near INT_MAX. The string stays.
  const int lens[] = {10, -1, -5, 0x7FFFFFFF, 0x7FFFFFFC};
  for (int len : lens) {
    SCOPED_TRACE(len);
    ByteChunk bad;
    bad.Put(&len);
    bad.PutBytes("abcd", 4);
    s.Set("keep");
    EXPECT_EQ(bad.GetStr(&s, 0), -1);
    EXPECT_STREQ(s.Get(), "keep");
  }
}

TEST(ByteChunk, ResizeClearAndAppendChunks) {
  ByteChunk c;
  EXPECT_EQ(c.Resize(10), 0);
  EXPECT_EQ(Bytes(c), std::vector<unsigned char>(10, 0));
  c.GetBytes()[2] = 9;
  EXPECT_EQ(c.Resize(4), 10);
  EXPECT_EQ(c.Resize(6), 4);
  EXPECT_EQ(Bytes(c), (std::vector<unsigned char>{0, 0, 9, 0, 0, 0}));
  EXPECT_EQ(c.Resize(-3), 6);
  EXPECT_EQ(c.Size(), 0);

  ByteChunk empty, a;
  a.PutBytes("xy", 2);
  EXPECT_EQ(a.PutChunk(&empty), 2);
  EXPECT_EQ(a.PutChunk(&a), 4); // appending itself
  EXPECT_EQ(Bytes(a), (std::vector<unsigned char>{'x', 'y', 'x', 'y'}));
  a.Clear();
  EXPECT_EQ(a.Size(), 0);
  EXPECT_EQ(a.GetBytes(), nullptr);
}

} // namespace
