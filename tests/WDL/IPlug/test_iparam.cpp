#include "WDL/IPlug/IParam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

std::string Display(const IParam& p, double v, bool normalized, bool withText = true) {
  // A guard region behind the 32 bytes the call may use.
  char buf[MAX_PARAM_DISPLAY_LEN + 16];
  memset(buf, '#', sizeof(buf));
  p.GetDisplayForHost(v, normalized, buf, withText);
  for (size_t i = MAX_PARAM_DISPLAY_LEN; i < sizeof(buf); ++i) EXPECT_EQ(buf[i], '#');
  return buf;
}

TEST(IParam, InitKinds) {
  IParam b;
  b.InitBool("Power", false, "x", "grp");
  EXPECT_EQ(b.Type(), IParam::kTypeBool);
  double lo, hi;
  b.GetBounds(&lo, &hi);
  EXPECT_EQ(lo, 0.0);
  EXPECT_EQ(hi, 1.0);
  EXPECT_EQ(b.Value(), 0.0);
  EXPECT_EQ(b.GetNDisplayTexts(), 2);
  EXPECT_EQ(Display(b, b.Value(), false), "off");
  EXPECT_STREQ(b.GetLabelForHost(), "");
  EXPECT_STREQ(b.GetNameForHost(), "Power");
  EXPECT_STREQ(b.GetParamGroupForHost(), "grp");
  EXPECT_TRUE(b.GetCanAutomate());
  EXPECT_FALSE(b.GetIsMeta());
  EXPECT_FALSE(b.DisplayIsNegated());

  IParam e;
  e.InitEnum("Mode", 2, 5);
  EXPECT_EQ(e.Type(), IParam::kTypeEnum);
  e.GetBounds(&lo, &hi);
  EXPECT_EQ(hi, 4.0);
  EXPECT_EQ(e.Value(), 2.0);

  IParam i;
  i.InitInt("Bars", 5, 5, 5, "bars");
  EXPECT_EQ(i.Type(), IParam::kTypeInt);
  i.GetBounds(&lo, &hi);
  EXPECT_EQ(hi, 6.0); // the range spans at least one step
  EXPECT_STREQ(i.GetLabelForHost(), "bars");

  IParam d;
  d.InitDouble("Gain", 50.0, 0.0, 10.0, 0.1); // the default is not clamped
  EXPECT_EQ(d.Type(), IParam::kTypeDouble);
  EXPECT_EQ(d.Value(), 50.0);
}

TEST(IParam, LongTextsAreCut) {
  const std::string longText(40, 'n');
  IParam p;
  p.InitInt(longText.c_str(), 0, 0, 3, (longText + "l").c_str(), (longText + "g").c_str());
  p.SetDisplayText(0, longText.c_str());
  EXPECT_EQ(std::string(p.GetNameForHost()), longText.substr(0, 31));
  EXPECT_EQ(strlen(p.GetParamGroupForHost()), 31u);
  EXPECT_EQ(std::string(p.GetDisplayText(0)), longText.substr(0, 31));
  EXPECT_EQ(Display(p, 0, false), longText.substr(0, 31));

  IParam q;
  q.InitInt(nullptr, 1, 0, 3, nullptr, nullptr);
  EXPECT_STREQ(q.GetNameForHost(), "");
  EXPECT_STREQ(q.GetLabelForHost(), "");
}

TEST(IParam, DisplayPrecisionFromStep) {
  const std::pair<double, int> cases[] = {{1, 0},     {2, 0},     {0.5, 1},    {0.1, 1},
                                          {0.2, 1},   {0.25, 2},  {0.05, 2},   {0.01, 2},
                                          {0.125, 3}, {0.001, 3}, {1.0 / 3, 6}};
  for (const auto& c : cases) {
    IParam p;
    p.InitDouble("p", 0.0, 0.0, 10.0, c.first);
    const std::string s = Display(p, 1.0, false);
    const size_t dot = s.find('.');
    const int decimals = dot == std::string::npos ? 0 : (int)(s.size() - dot - 1);
    EXPECT_EQ(decimals, c.second) << c.first << " gave " << s;
  }
}

TEST(IParam, NormalisedMapping) {
  IParam p;
  p.InitDouble("p", 0.0, 0.0, 100.0, 0.01, "", "", 2.0);
  EXPECT_DOUBLE_EQ(p.GetNonNormalized(0.5), 25.0);
  EXPECT_DOUBLE_EQ(p.GetNormalized(25.0), 0.5);
  p.SetNormalized(0.5);
  EXPECT_DOUBLE_EQ(p.Value(), 25.0); // a double is not rounded to its step

  p.SetShape(0.0); // ignored
  EXPECT_DOUBLE_EQ(p.GetNonNormalized(0.5), 25.0);

  IParam r; // 0-10 int: rounding to the step, halves up
  r.InitInt("r", 0, 0, 10);
  const std::pair<double, double> cases[] = {{0.45, 5}, {0.55, 6},      {1.0, 10},     {0.0, 0},
                                             {0.04, 0}, {0.05, 1},      {-3.0, 0},     {7.0, 10},
                                             {NAN, 0},  {INFINITY, 10}, {-INFINITY, 0}};
  for (const auto& c : cases) {
    r.Set(3);
    r.SetNormalized(c.first);
    EXPECT_EQ(r.Value(), c.second) << c.first;
  }

  IParam s; // stepped int with an offset range
  s.InitInt("s", 0, -24, 24);
  s.SetNormalized(0.5);
  EXPECT_EQ(s.Value(), 0.0);
  EXPECT_DOUBLE_EQ(s.GetNormalized(), 0.5);
}

TEST(IParam, SetClampsAndIgnoresNaN) {
  IParam p;
  p.InitDouble("p", 0.5, 0.0, 1.0, 0.001);
  const std::pair<double, double> cases[] = {{-1, 0},       {2, 1},         {0.25, 0.25},
                                             {INFINITY, 1}, {-INFINITY, 0}, {NAN, 0}};
  for (const auto& c : cases) {
    p.Set(c.first);
    EXPECT_EQ(p.Value(), c.second) << c.first;
  }
  p.Set(0.75);
  p.Set(NAN);
  EXPECT_EQ(p.Value(), 0.75);

  EXPECT_EQ(p.GetNormalized(2.0), 1.0);
  EXPECT_EQ(p.GetNormalized(-2.0), 0.0);
  EXPECT_EQ(p.GetNormalized(NAN), 0.0);
}

TEST(IParam, BoolReadsAndTexts) {
  IParam b;
  b.InitBool("b", false);
  b.Set(0.7);
  EXPECT_TRUE(b.Bool());
  EXPECT_EQ(b.Int(), 0);
  EXPECT_EQ(Display(b, b.Value(), false), "off");

  int v = -5;
  EXPECT_TRUE(b.MapDisplayText("on", &v));
  EXPECT_EQ(v, 1);
  v = -5;
  EXPECT_FALSE(b.MapDisplayText("On", &v));
  EXPECT_FALSE(b.MapDisplayText("o", &v));
  EXPECT_FALSE(b.MapDisplayText(nullptr, &v));
  EXPECT_EQ(v, -5);

  b.SetDisplayText(1, "yes"); // the first text for a value wins
  EXPECT_STREQ(b.GetDisplayText(1), "on");
  EXPECT_STREQ(b.GetDisplayText(7), "");
  EXPECT_EQ(b.GetNDisplayTexts(), 3);

  v = -5;
  EXPECT_STREQ(b.GetDisplayTextAtIdx(2, &v), "yes");
  EXPECT_EQ(v, 1);
  v = -5;
  EXPECT_STREQ(b.GetDisplayTextAtIdx(3, &v), "");
  EXPECT_STREQ(b.GetDisplayTextAtIdx(-1, &v), "");
  EXPECT_EQ(v, -5);

  IParam none; // no texts at all
  EXPECT_STREQ(none.GetDisplayText(0), "");
  EXPECT_STREQ(none.GetDisplayTextAtIdx(0), "");
  EXPECT_FALSE(none.MapDisplayText("", &v));
}

TEST(IParam, HostDisplayStrings) {
  IParam fine;
  fine.InitDouble("f", 0.0, 0.0, 1e30, 0.01);
  IParam whole;
  whole.InitDouble("w", 0.0, -1e30, 1e30, 1.0);
  IParam i10;
  i10.InitInt("i", 0, 0, 10);
  i10.SetDisplayText(3, "three");
  IParam six;
  six.InitDouble("s", 0.0, 0.0, 1.0, 1e-6);

  struct Case {
    const IParam* p;
    double value;
    bool normalized, withText;
    const char* want;
  };
  const Case cases[] = {
      {&fine, 0.256, false, true, "0.26"},
      {&whole, 7.9, false, true, "7"},
      {&whole, -7.9, false, true, "-7"},
      {&i10, 0.55, true, false, "5"}, // 5.5 truncated, not rounded
      {&i10, 3.7, false, true, "three"},
      {&i10, 3.7, false, false, "3"},
      {&i10, 0.3, true, true, "three"},
      {&whole, 3e9, false, true, "3000000000"},
      {&whole, -1e30, false, true, "-100000000000000001988462483865"}, // cut to 31
      {&whole, NAN, false, true, "nan"},
      {&whole, INFINITY, false, true, "inf"},
      {&fine, 1e30, false, true, "1000000000000000019884624838656"}, // cut to 31
      {&six, 1.0 / 3, false, true, "0.333333"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Display(*c.p, c.value, c.normalized, c.withText), c.want) << c.value;
  }

  char buf[MAX_PARAM_DISPLAY_LEN];
  i10.Set(3);
  i10.GetDisplayForHost(buf);
  EXPECT_STREQ(buf, "three");
  EXPECT_STREQ(i10.GetLabelForHost(), "");
  i10.GetDisplayForHostNoDisplayText(buf);
  EXPECT_STREQ(buf, "3");
}

TEST(IParam, DecibelsToAmplitude) {
  EXPECT_NEAR(DBToAmp(-6.0), 0.501187, 1e-6);
  EXPECT_EQ(DBToAmp(0.0), 1.0);
  EXPECT_NEAR(DBToAmp(20.0), 10.0, 1e-9);
  IParam p;
  p.InitDouble("g", -6.0, -60.0, 12.0, 0.1);
  EXPECT_NEAR(p.DBToAmp(), 0.501187, 1e-6);
}

} // namespace
