#include "WDL/IPlug/ByteChunk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using Bytes = std::vector<unsigned char>;

Bytes Of(const ByteChunk& c) {
  return Bytes(c.GetBytes(), c.GetBytes() + c.Size());
}

TEST(ByteChunk, StringsBoolsAndReadsOutsideTheChunk) {
  ByteChunk empty, sixteen;
  sixteen.Resize(16);
  double d = 7.0;
  bool b = true;
  WDL_String s("keep");
  EXPECT_EQ((std::vector<int>{empty.Get(&d, 0), empty.GetBool(&b, 0), empty.GetStr(&s, 0),
                              sixteen.Get(&d, 9), sixteen.Get(&d, -1), sixteen.GetBytes(&d, -1, 0),
                              sixteen.GetBytes(&d, -1, 8)}),
            std::vector<int>(7, -1));
  EXPECT_EQ(d, 7.0);
  EXPECT_TRUE(b);
  EXPECT_STREQ(s.Get(), "keep");
  EXPECT_EQ(sixteen.Get(&d, 8), 16);

  ByteChunk c;
  EXPECT_EQ(c.PutStr(""), 4);
  EXPECT_EQ(c.PutStr("abc"), 11);
  EXPECT_EQ(c.PutBool(true), 12);
  EXPECT_EQ(Of(c), (Bytes{0, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c', 1})); // native: little-endian
  WDL_String t;
  EXPECT_EQ(c.GetStr(&t, c.GetStr(&s, 0)), 11);
  EXPECT_STREQ(s.Get(), "");
  EXPECT_STREQ(t.Get(), "abc");
  c.GetBytes()[11] = 2;
  b = false;
  EXPECT_EQ(c.GetBool(&b, 11), 12);
  EXPECT_TRUE(b);

  // Damaged lengths: past the end, negative, near INT_MAX. The string stays.
  for (int len : {10, -1, -5, 0x7FFFFFFF, 0x7FFFFFFC}) {
    ByteChunk bad;
    bad.Put(&len);
    bad.PutBytes("abcd", 4);
    EXPECT_EQ(bad.GetStr(&t, 0), -1) << len;
    EXPECT_STREQ(t.Get(), "abc") << len;
  }
}

TEST(ByteChunk, ResizeClearAndAppendChunks) {
  ByteChunk c;
  EXPECT_EQ(c.Resize(10), 0);
  c.GetBytes()[2] = 9;
  EXPECT_EQ(c.Resize(4), 10);
  EXPECT_EQ(c.Resize(6), 4);
  EXPECT_EQ(Of(c), (Bytes{0, 0, 9, 0, 0, 0})); // regrown bytes are zero again
  c.Resize(7);
  c.GetBytes()[6] = 5;
  c.Resize(6);
  c.Resize(7); // one byte regrown
  EXPECT_EQ(c.GetBytes()[6], 0);
  EXPECT_EQ(c.Resize(-3), 7);
  EXPECT_EQ(c.Size(), 0);

  ByteChunk empty, a;
  a.PutBytes("xy", 2);
  EXPECT_EQ(a.PutChunk(&empty), 2);
  EXPECT_EQ(a.PutChunk(&a), 4); // appending itself
  EXPECT_EQ(Of(a), (Bytes{'x', 'y', 'x', 'y'}));
  a.Clear();
  EXPECT_EQ(a.GetBytes(), nullptr);
}
