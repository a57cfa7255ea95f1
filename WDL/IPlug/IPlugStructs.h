#pragma once

// Plain value records that carry MIDI and the host's transport between the host binding,
// the plug-in base and the engine. They own nothing and are copied by assignment.

#include <cstdint>

// One short (channel) MIDI message and its position inside the current block.
struct IMidiMsg {
  int32_t mOffset; // samples from the first sample of the current block
  uint8_t mStatus; // kind in the upper four bits, channel 0-15 in the lower four
  uint8_t mData1;
  uint8_t mData2;

  // A fixed underlying type: any byte value may be cast to these without leaving the range.
  enum EStatusMsg : int {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14
  };

  // A controller number 0-127, stored unchanged as the first data byte.
  enum EControlChangeMsg : int {
    kModWheel = 1,
    kBreathController = 2,
    kFootController = 4,
    kPortamentoTime = 5,
    kChannelVolume = 7,
    kBalance = 8,
    kPan = 10,
    kExpressionController = 11,
    kSustainOnOff = 64,
    kPortamentoOnOff = 65,
    kSustenutoOnOff = 66,
    kSoftPedalOnOff = 67,
    kAllNotesOff = 123
  };

  IMidiMsg(int offs = 0, uint8_t s = 0, uint8_t d1 = 0, uint8_t d2 = 0)
      : mOffset(offs), mStatus(s), mData1(d1), mData2(d2) {}

  void Clear() {
    mOffset = 0;
    mStatus = mData1 = mData2 = 0;
  }

  // Values are stored as their low 8 bits; the channel (0-15) is ORed in unmasked.
  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel) {
    Clear();
    mStatus = (uint8_t)(channel | (kNoteOn << 4));
    mData1 = (uint8_t)noteNumber;
    mData2 = (uint8_t)velocity;
    mOffset = offset;
  }

  void MakeNoteOffMsg(int noteNumber, int offset, int channel) {
    Clear();
    mStatus = (uint8_t)(channel | (kNoteOff << 4));
    mData1 = (uint8_t)noteNumber;
    mOffset = offset;
  }

  // value in [-1, 1]; larger magnitudes clamp and NaN means centre.
  void MakePitchWheelMsg(double value, int channel) {
    Clear();
    mStatus = (uint8_t)(channel | (kPitchWheel << 4));
    if (!(value >= -1.0)) value = (value < -1.0) ? -1.0 : 0.0; // NaN fails every comparison
    if (value > 1.0) value = 1.0;
    int i = 8192 + (int)(value * 8192.0);
    if (i < 0) i = 0;
    if (i > 16383) i = 16383;
    mData2 = (uint8_t)(i >> 7);
    mData1 = (uint8_t)(i & 0x7F);
  }

  // value is expected in [0, 1]; it is not clamped.
  void MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel) {
    Clear();
    mStatus = (uint8_t)(channel | (kControlChange << 4));
    mData1 = (uint8_t)idx;
    double v = value * 127.0;
    if (!(v > -2147483648.0 && v < 2147483648.0))
      v = 0.0; // no int conversion of NaN or huge values
    mData2 = (uint8_t)(int)v;
  }

  int Channel() const { return mStatus & 0x0F; }

  EStatusMsg StatusMsg() const {
    unsigned int k = mStatus >> 4;
    return (k >= kNoteOff && k <= kPitchWheel) ? (EStatusMsg)k : kNone;
  }

  int NoteNumber() const {
    switch (StatusMsg()) {
    case kNoteOn:
    case kNoteOff:
    case kPolyAftertouch:
      return mData1;
    default:
      return -1;
    }
  }

  int Velocity() const {
    switch (StatusMsg()) {
    case kNoteOn:
    case kNoteOff:
      return mData2;
    default:
      return -1;
    }
  }

  int PolyAfterTouch() const { return StatusMsg() == kPolyAftertouch ? mData2 : -1; }
  int ChannelAfterTouch() const { return StatusMsg() == kChannelAftertouch ? mData1 : -1; }
  int Program() const { return StatusMsg() == kProgramChange ? mData1 : -1; }

  // -1 to 8191/8192.
  double PitchWheel() const {
    if (StatusMsg() != kPitchWheel) return 0.0;
    int iVal = (mData2 << 7) + mData1;
    return (double)(iVal - 8192) / 8192.0;
  }

  EControlChangeMsg ControlChangeIdx() const { return (EControlChangeMsg)mData1; }

  // 0-1 for a control change of that controller, else -1.
  double ControlChange(EControlChangeMsg idx) const {
    if (StatusMsg() == kControlChange && ControlChangeIdx() == idx) return (double)mData2 / 127.0;
    return -1.0;
  }

  void LogMsg() {}
};

// The queue's page arithmetic relies on eight-byte messages.
static_assert(sizeof(IMidiMsg) == 8, "IMidiMsg must be 8 bytes");

// The name of a status kind for diagnostics; "unknown" for values outside the table.
const char* StatusMsgStr(IMidiMsg::EStatusMsg msg);

// One system-exclusive message. The bytes are borrowed from whoever built the record
// (the host's buffer for incoming messages) and are never copied or freed here.
struct ISysEx {
  int32_t mOffset; // samples from the first sample of the current block
  int32_t mSize;   // bytes at mData
  const uint8_t* mData;

  ISysEx(int offs = 0, const uint8_t* pData = nullptr, int size = 0)
      : mOffset(offs), mSize(size), mData(pData) {}

  void Clear() {
    mOffset = mSize = 0;
    mData = nullptr;
  }

  void LogMsg() {}
};

// Writes the bytes as "F0 01 02" into str (maxlen bytes including the terminator, at least
// 3); bytes that do not fit are left out. Returns str.
char* SysExStr(char* str, int maxlen, const uint8_t* pData, int size);

// The host's transport as last reported. -1 in a position field means "not reported".
struct ITimeInfo {
  double mTempo = 120.0;     // quarter notes per minute
  double mSamplePos = -1.0;  // timeline position of the block's first sample, in samples
  double mPPQPos = -1.0;     // current position, in quarter notes
  double mLastBar = -1.0;    // position of the current bar's downbeat, in quarter notes
  double mCycleStart = -1.0; // in quarter notes
  double mCycleEnd = -1.0;   // in quarter notes
  int32_t mNumerator = 4;    // time signature
  int32_t mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};
