#include "WDL/IPlug/Log.h"

#include "WDL/wdlstring.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

Timer::Timer() : mT((uint64_t)clock()) {}

bool Timer::Every(double sec) {
  const double elapsed = (double)((uint64_t)clock() - mT);
  if (elapsed > (double)CLOCKS_PER_SEC * sec) {
    mT = (uint64_t)clock();
    return true;
  }
  return false;
}

bool IsWhitespace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

void ToLower(char* dest, const char* src) {
  const int n = (int)strlen(src);
  // tolower is defined only for unsigned char values (and EOF).
  for (int i = 0; i < n; ++i) dest[i] = (char)tolower((unsigned char)src[i]);
  dest[n] = '\0';
}

const char* CurrentTime() {
  return CurrentTime(time(nullptr));
}

const char* CurrentTime(time_t when) {
  static char sTimeStr[32];
  tzset(); // the reentrant conversions need not pick up a changed zone by themselves
  struct tm local, utc;
  if (!localtime_r(&when, &local) || !gmtime_r(&when, &utc)) {
    sTimeStr[0] = '\0';
    return sTimeStr;
  }
  char buf[32];
  strftime(buf, sizeof(buf), "%Y%m%d %H:%M ", &local);

  int offset = local.tm_hour * 60 + local.tm_min - (utc.tm_hour * 60 + utc.tm_min);
  int days = local.tm_yday - utc.tm_yday;
  if (days) {
    // Dates on either side of a year's end: 364 or 365 days apart by day of year.
    if (days > 1)
      days = -1;
    else if (days < -1)
      days = 1;
    offset += days * 1440;
  }
  const size_t len = strlen(buf);
  const int a = abs(offset);
  snprintf(buf + len, sizeof(buf) - len, "%c%02d%02d", offset >= 0 ? '+' : '-', a / 60, a % 60);
  snprintf(sTimeStr, sizeof(sTimeStr), "%s", buf);
  return sTimeStr;
}

void CompileTimestamp(const char* date, const char* time, WDL_String* out) {
  // Only ever shorten: growing with SetLen would leave unwritten bytes behind the text.
  out->Set("[");
  out->Append(date);
  if (out->GetLength() > 7) out->SetLen(7);
  if (out->GetLength() > 4) out->DeleteSub(4, 1);
  out->Append(" ");
  out->Append(time);
  if (out->GetLength() > 12) out->SetLen(12);
  out->Append("]");
}

const char* AppendTimestamp(const char* date, const char* time, const char* cStr) {
  static WDL_String str;
  str.Set(cStr);
  WDL_String tStr;
  CompileTimestamp(date, time, &tStr);
  str.Append(" ");
  str.Append(tStr.Get());
  return str.Get();
}

void Trace(const char*, int, const char*, ...) {}

const char* VSTOpcodeStr(int) {
  return "";
}
const char* AUSelectStr(int) {
  return "";
}
const char* AUPropertyStr(int) {
  return "";
}
const char* AUScopeStr(int) {
  return "";
}
