#include "WDL/IPlug/IParam.h"

#include <climits>
#include <cstdio>
#include <cstring>

namespace {

// Copies src (null is empty) into a fixed field of n bytes, cutting what does not fit.
void CopyText(char* dest, const char* src, size_t n) {
  snprintf(dest, n, "%s", src ? src : "");
}

// Whether v truncates to an int without overflow (false for NaN).
bool FitsInt(double v) {
  return v > -2147483649.0 && v < 2147483648.0;
}

// Truncation toward zero, saturating at the int limits; NaN gives 0.
int TruncToInt(double v) {
  if (FitsInt(v)) return (int)v;
  if (v != v) return 0;
  return v > 0 ? INT_MAX : INT_MIN;
}

} // namespace

IParam::IParam() : mDisplayTexts(4096) {
  mName[0] = mLabel[0] = mParamGroup[0] = '\0';
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, const char* group) {
  if (mType == kTypeNone) mType = kTypeBool;
  InitEnum(name, defaultVal ? 1 : 0, 2, label, group);
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label,
                      const char* group) {
  if (mType == kTypeNone) mType = kTypeEnum;
  InitInt(name, defaultVal, 0, nEnums - 1, label, group);
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label,
                     const char* group) {
  if (mType == kTypeNone) mType = kTypeInt;
  InitDouble(name, (double)defaultVal, (double)minVal, (double)maxVal, 1.0, label, group);
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal,
                        double step, const char* label, const char* group, double shape) {
  if (mType == kTypeNone) mType = kTypeDouble;
  CopyText(mName, name, sizeof(mName));
  CopyText(mLabel, label, sizeof(mLabel));
  CopyText(mParamGroup, group, sizeof(mParamGroup));
  mValue = defaultVal;
  mMin = minVal;
  mMax = (minVal + step > maxVal) ? minVal + step : maxVal;
  mStep = step;

  mDisplayPrecision = 0;
  for (double x = step; mDisplayPrecision < 6 && (x != floor(x) || x != x); x *= 10.0) {
    ++mDisplayPrecision;
  }
  SetShape(shape);
}

void IParam::SetShape(double shape) {
  if (shape != 0.0) mShape = shape;
}

void IParam::SetDisplayText(int value, const char* text) {
  const int n = mDisplayTexts.GetSize();
  mDisplayTexts.Resize(n + 1, false);
  if (mDisplayTexts.GetSize() != n + 1) return; // no room: the list stays as it was
  DisplayText* pDT = mDisplayTexts.Get() + n;
  pDT->mValue = value;
  CopyText(pDT->mText, text, sizeof(pDT->mText));
}

void IParam::Set(double value) {
  if (value != value) return;
  mValue = value < mMin ? mMin : (value > mMax ? mMax : value);
}

void IParam::SetNormalized(double normalizedValue) {
  double n = normalizedValue;
  if (!(n >= 0.0)) n = 0.0; // NaN too
  if (n > 1.0) n = 1.0;
  double v = FromNormalizedParam(n, mMin, mMax, mShape);
  if (mType != kTypeDouble) v = floor(0.5 + v / mStep) * mStep;
  mValue = v < mMax ? v : mMax;
}

int IParam::Int() const {
  return TruncToInt(mValue);
}

double IParam::GetNormalized(double nonNormalizedValue) const {
  double v = nonNormalizedValue;
  if (!(v >= mMin)) v = mMin; // NaN too
  if (v > mMax) v = mMax;
  if (mMax <= mMin) return 0.0; // a degenerate range has no proportion
  return ToNormalizedParam(v, mMin, mMax, mShape);
}

void IParam::GetDisplayForHost(double value, bool normalized, char* rDisplay,
                               bool withDisplayText) const {
  if (normalized) value = FromNormalizedParam(value, mMin, mMax, mShape);

  if (withDisplayText && FitsInt(value)) {
    const char* displayText = GetDisplayText((int)value);
    if (displayText[0]) {
      CopyText(rDisplay, displayText, MAX_PARAM_DISPLAY_LEN);
      return;
    }
  }

  const double v = mNegateDisplay ? -value : value;
  if (mDisplayPrecision > 0) {
    snprintf(rDisplay, MAX_PARAM_DISPLAY_LEN, "%.*f", mDisplayPrecision, v);
  } else if (FitsInt(v)) {
    snprintf(rDisplay, MAX_PARAM_DISPLAY_LEN, "%d", (int)v);
  } else {
    // Beyond int: the whole part as a floating-point text ("inf", "nan" when not finite).
    snprintf(rDisplay, MAX_PARAM_DISPLAY_LEN, "%.0f", trunc(v));
  }
}

const char* IParam::GetLabelForHost() const {
  const char* displayText = GetDisplayText(TruncToInt(mValue));
  return displayText[0] ? "" : mLabel;
}

const char* IParam::GetDisplayText(int value) const {
  const int n = mDisplayTexts.GetSize();
  const DisplayText* pDT = mDisplayTexts.Get();
  for (int i = 0; i < n; ++i, ++pDT) {
    if (pDT->mValue == value) return pDT->mText;
  }
  return "";
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* pValue) const {
  if (idx < 0 || idx >= mDisplayTexts.GetSize()) return "";
  const DisplayText* pDT = mDisplayTexts.Get() + idx;
  if (pValue) *pValue = pDT->mValue;
  return pDT->mText;
}

bool IParam::MapDisplayText(const char* str, int* pValue) const {
  if (!str) return false;
  const int n = mDisplayTexts.GetSize();
  const DisplayText* pDT = mDisplayTexts.Get();
  for (int i = 0; i < n; ++i, ++pDT) {
    if (!strcmp(str, pDT->mText)) {
      *pValue = pDT->mValue;
      return true;
    }
  }
  return false;
}
