#include "WDL/IPlug/IPlugStructs.h"

#include <cassert>
#include <cstddef>

const char* StatusMsgStr(IMidiMsg::EStatusMsg msg) {
  switch (msg) {
  case IMidiMsg::kNone:
    return "none";
  case IMidiMsg::kNoteOff:
    return "noteoff";
  case IMidiMsg::kNoteOn:
    return "noteon";
  case IMidiMsg::kPolyAftertouch:
    return "aftertouch";
  case IMidiMsg::kControlChange:
    return "controlchange";
  case IMidiMsg::kProgramChange:
    return "programchange";
  case IMidiMsg::kChannelAftertouch:
    return "channelaftertouch";
  case IMidiMsg::kPitchWheel:
    return "pitchwheel";
  default:
    return "unknown";
  }
}

char* SysExStr(char* str, int maxlen, const uint8_t* pData, int size) {
  assert(str != NULL && maxlen >= 3);
  if (!pData || size <= 0) {
    str[0] = '\0';
    return str;
  }
  static const char hex[] = "0123456789ABCDEF";
  // Three characters per byte, the last blank becoming the terminator: 3n <= maxlen.
  int n = maxlen / 3 < size ? maxlen / 3 : size;
  for (int i = 0; i < n; ++i) {
    str[3 * i] = hex[pData[i] >> 4];
    str[3 * i + 1] = hex[pData[i] & 0x0F];
    str[3 * i + 2] = ' ';
  }
  str[3 * n - 1] = '\0';
  return str;
}
