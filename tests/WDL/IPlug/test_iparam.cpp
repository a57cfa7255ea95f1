#include "WDL/IPlug/IParam.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

TEST(IParam, NormaliseWithShapeStepAndBadInput) {
  IParam p;
  p.InitDouble("p", 0.0, 0.0, 100.0, 0.01, "", "", 2.0);
  p.SetShape(0.0); // ignored
  EXPECT_EQ((std::vector<double>{p.GetNonNormalized(0.5), p.GetNormalized(25.0),
                                 p.GetNormalized(200.0), p.GetNormalized(NAN)}),
            (std::vector<double>{25.0, 0.5, 1.0, 0.0}));
  p.SetNormalized(0.5);
  EXPECT_DOUBLE_EQ(p.Value(), 25.0); // a double is not rounded to its step

  // (normalised?, value given, value stored) for an int 0-10 whose value was 3.
  IParam r;
  r.InitInt("r", 0, 0, 10);
  const std::tuple<bool, double, double> cases[] = {
      {true, 0.45, 5}, {true, 0.55, 6}, {true, 1.0, 10},      {true, -3.0, 0},
      {true, 7.0, 10}, {true, NAN, 0},  {true, INFINITY, 10}, {false, -1, 0},
      {false, 20, 10}, {false, NAN, 3}, {false, -INFINITY, 0}};
  for (const auto& [normalized, v, want] : cases) {
    r.Set(3);
    normalized ? r.SetNormalized(v) : r.Set(v);
    EXPECT_EQ(r.Value(), want) << normalized << " " << v;
  }
  r.Set(0.7);
  EXPECT_TRUE(r.Bool());
  EXPECT_EQ(r.Int(), 0);

  // Enums and bools snap to whole values too; Int saturates past the int range.
  IParam e, b, w;
  e.InitEnum("e", 0, 5);
  e.SetNormalized(0.3);
  EXPECT_EQ(e.Value(), 1.0);
  b.InitBool("b", false);
  b.SetNormalized(0.6);
  EXPECT_EQ(b.Value(), 1.0);
  w.InitDouble("w", 0.0, -1e30, 1e30, 1.0);
  w.Set(3e9);
  EXPECT_EQ(w.Int(), INT_MAX);
  w.Set(-3e9);
  EXPECT_EQ(w.Int(), INT_MIN);
}

TEST(IParam, RangesTextLimitsAndDisplayTexts) {
  IParam i, t;
  i.InitInt("Bars", 5, 5, 5, "bars");
  const std::string longText(40, 'n'); // fields hold 31 characters
  t.InitEnum(longText.c_str(), 2, 5, longText.c_str(), nullptr);
  t.SetDisplayText(0, longText.c_str());
  double lo, hi, hiEnum;
  i.GetBounds(&lo, &hi);
  t.GetBounds(&lo, &hiEnum);
  EXPECT_EQ(hi, 6.0); // the range spans at least one step
  EXPECT_EQ(hiEnum, 4.0);
  const std::string cut(31, 'n');
  EXPECT_EQ((std::vector<std::string>{t.GetNameForHost(), t.GetLabelForHost(), t.GetDisplayText(0),
                                      t.GetParamGroupForHost()}),
            (std::vector<std::string>{cut, cut, cut, ""}));

  IParam b;
  b.InitBool("b", false);
  b.SetDisplayText(1, "yes"); // the first text for a value wins
  EXPECT_STREQ(b.GetDisplayText(1), "on");
  EXPECT_STREQ(b.GetDisplayText(7), "");
  int v = -5;
  EXPECT_FALSE(b.MapDisplayText("On", &v));
  EXPECT_FALSE(b.MapDisplayText(nullptr, &v));
  EXPECT_EQ(v, -5);
  EXPECT_TRUE(b.MapDisplayText("on", &v));
  EXPECT_EQ(v, 1);
  EXPECT_STREQ(b.GetDisplayTextAtIdx(2, &v), "yes");
  for (int idx : {3, -1}) EXPECT_STREQ(b.GetDisplayTextAtIdx(idx, &v), "");
  EXPECT_EQ(v, 1); // untouched past the list
}

TEST(IParam, HostDisplayStrings) {
  IParam cents, whole, i10, micro;
  cents.InitDouble("c", 0.0, 0.0, 1e30, 0.01);
  whole.InitDouble("w", 0.0, -1e30, 1e30, 1.0);
  i10.InitInt("i", 0, 0, 10, "st");
  i10.SetDisplayText(3, "three");
  micro.InitDouble("m", 0.0, 0.0, 1.0, 1.0 / 3); // precision stops at 6
  const std::tuple<const IParam*, double, bool, bool, const char*> cases[] = {
      {&cents, 0.256, false, true, "0.26"},
      {&whole, 7.9, false, true, "7"},
      {&i10, 0.55, true, false, "5"}, // 5.5 truncated, not rounded
      {&i10, 0.3, true, true, "three"},
      {&i10, 3.7, false, false, "3"},
      {&micro, 0.5, false, true, "0.500000"},
      {&whole, 3e9, false, true, "3000000000"},                        // past int: no overflow
      {&whole, -1e30, false, true, "-100000000000000001988462483865"}, // cut to 31
      {&whole, NAN, false, true, "nan"}};
  for (const auto& [p, value, normalized, withText, want] : cases) {
    char buf[MAX_PARAM_DISPLAY_LEN + 16];
    memset(buf, '#', sizeof(buf));
    p->GetDisplayForHost(value, normalized, buf, withText);
    EXPECT_STREQ(buf, want);
    EXPECT_EQ(buf[MAX_PARAM_DISPLAY_LEN], '#'); // never past its 32 bytes
  }
  i10.Set(3);
  EXPECT_STREQ(i10.GetLabelForHost(), ""); // a named value has no unit
  i10.Set(4);
  EXPECT_STREQ(i10.GetLabelForHost(), "st");
}
