#pragma once

// One automatable plug-in parameter: a plain value with its range, step, shape, texts for the
// host and optional names for particular values. A normalised value n in [0, 1] stands for
// min + n^shape * (max - min).
//
// No lock of its own: writers hold the plug-in mutex (host parameter entries, the base's
// SetParameterFromGUI, state restore); the editor reads on the main thread.

#include "WDL/heapbuf.h"

#include <cmath>

// Fixed text fields hold at most this many bytes less one, plus the terminator; longer texts
// are cut. Buffers passed to GetDisplayForHost must hold MAX_PARAM_DISPLAY_LEN bytes.
constexpr int MAX_PARAM_NAME_LEN = 32;
constexpr int MAX_PARAM_LABEL_LEN = 32;
constexpr int MAX_PARAM_GROUP_LEN = 32;
constexpr int MAX_PARAM_DISPLAY_LEN = 32;

inline double FromNormalizedParam(double normalizedValue, double min, double max, double shape) {
  return min + pow(normalizedValue, shape) * (max - min);
}

inline double ToNormalizedParam(double nonNormalizedValue, double min, double max, double shape) {
  return pow((nonNormalizedValue - min) / (max - min), 1.0 / shape);
}

// Decibels to an amplitude factor (ln 10 / 20 to 13 digits).
inline double DBToAmp(double dB) {
  return exp(0.1151292546497 * dB);
}

class IParam {
public:
  enum EParamType { kTypeNone = 0, kTypeBool = 1, kTypeInt = 2, kTypeEnum = 3, kTypeDouble = 4 };

  IParam();
  ~IParam() = default;
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // Texts may be null (taken as empty). The default is stored unclamped; the range always
  // spans at least one step.
  void InitBool(const char* name, bool defaultVal, const char* label = "", const char* group = "");
  void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "",
                const char* group = "");
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "",
               const char* group = "");
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", const char* group = "", double shape = 1.0);

  // Clamps into the range; NaN leaves the value unchanged.
  void Set(double value);
  // n is clamped to [0, 1] (NaN counts as 0); non-double types round to the step, halves up.
  void SetNormalized(double normalizedValue);
  // Appends a name for a value; an earlier name for the same value keeps precedence.
  void SetDisplayText(int value, const char* text);
  // A shape of 0 is ignored.
  void SetShape(double shape);

  double Value() const { return mValue; }
  bool Bool() const { return mValue >= 0.5; }
  int Int() const; // truncated toward zero
  double DBToAmp() const { return ::DBToAmp(mValue); }

  double GetNormalized() const { return GetNormalized(mValue); }
  // The value is clamped into the range first (NaN counts as the minimum).
  double GetNormalized(double nonNormalizedValue) const;
  // No clamping and no rounding to the step.
  double GetNonNormalized(double normalizedValue) const {
    return FromNormalizedParam(normalizedValue, mMin, mMax, mShape);
  }

  // Writes the value as text into rDisplay, which holds MAX_PARAM_DISPLAY_LEN bytes; the text
  // is cut to fit. normalized says value is in [0, 1]; withDisplayText uses a value's name.
  void GetDisplayForHost(double value, bool normalized, char* rDisplay,
                         bool withDisplayText = true) const;
  void GetDisplayForHost(char* rDisplay) const { GetDisplayForHost(mValue, false, rDisplay); }
  void GetDisplayForHostNoDisplayText(char* rDisplay) const {
    GetDisplayForHost(mValue, false, rDisplay, false);
  }

  const char* GetNameForHost() const { return mName; }
  // Empty when the current value is shown by name.
  const char* GetLabelForHost() const;
  const char* GetParamGroupForHost() const { return mParamGroup; }

  // The name of the first record for value; "" when there is none.
  const char* GetDisplayText(int value) const;
  int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
  // The text of record idx and, when pValue is not null, its value; "" (and pValue untouched)
  // for an index outside the list.
  const char* GetDisplayTextAtIdx(int idx, int* pValue = nullptr) const;
  // Exact, case-sensitive match; writes the value and returns true only when found.
  bool MapDisplayText(const char* str, int* pValue) const;

  EParamType Type() const { return mType; }
  void GetBounds(double* pMin, double* pMax) const {
    *pMin = mMin;
    *pMax = mMax;
  }
  bool DisplayIsNegated() const { return mNegateDisplay; }
  bool GetCanAutomate() const { return mCanAutomate; }
  bool GetIsMeta() const { return mIsMeta; }

  struct DisplayText {
    int mValue;
    char mText[MAX_PARAM_DISPLAY_LEN];
  };

private:
  EParamType mType = kTypeNone;
  double mValue = 0.0;
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  int mDisplayPrecision = 0; // decimals, 0-6; 0 formats as an integer
  char mName[MAX_PARAM_NAME_LEN];
  char mLabel[MAX_PARAM_LABEL_LEN];
  char mParamGroup[MAX_PARAM_GROUP_LEN];
  bool mNegateDisplay = false;
  bool mCanAutomate = true;
  bool mIsMeta = false;
  WDL_TypedBuf<DisplayText> mDisplayTexts;
};
