#include "WDL/wdlstring.h"

#include <cstdio>
#include <cstring>

namespace {
// Bytes before the first zero, never looking past maxlen when it is above 0.
int32_t TextLen(const char* text, int32_t maxlen) {
  if (!text) return 0;
  if (maxlen > 0) return static_cast<int32_t>(strnlen(text, size_t(maxlen)));
  const size_t n = strlen(text);
  return n > size_t(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(n);
}
} // namespace

WDL_String::WDL_String(const char* text, int32_t maxlen) {
  if (text) Set(text, maxlen);
}

WDL_String::WDL_String(const WDL_String& other) {
  Set(&other);
}

void WDL_String::Set(const char* text, int32_t maxlen) {
  __doSet(0, text, TextLen(text, maxlen), 0);
}

void WDL_String::Set(const WDL_String* other, int32_t maxlen) {
  Set(other ? other->Get() : nullptr, maxlen);
}

void WDL_String::Append(const char* text, int32_t maxlen) {
  __doSet(GetLength(), text, TextLen(text, maxlen), 0);
}

void WDL_String::SetFormatted(int32_t maxlen, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  SetAppendFormattedArgs(false, maxlen, fmt, args);
  va_end(args);
}

void WDL_String::SetAppendFormattedArgs(bool append, int32_t maxlen, const char* fmt,
                                        va_list arglist) {
  const int32_t offs = append ? GetLength() : 0;
  if (maxlen < 0) {
    if (!append) __doSet(0, nullptr, 0, 0);
    return;
  }
  const int64_t want = int64_t(offs) + maxlen + 1;
  if (want > INT32_MAX) return;
  char* buf = static_cast<char*>(m_hb.ResizeOK(int32_t(want), false));
  if (!buf) return;
  int len = vsnprintf(buf + offs, size_t(maxlen) + 1, fmt, arglist);
  if (len < 0) {
    // Keep a terminated string: the old text when appending, empty otherwise.
    buf[offs] = 0;
    len = 0;
  } else if (len > maxlen) {
    len = maxlen;
  }
  m_hb.Resize(offs + len + 1, false);
}

bool WDL_String::SetLen(int32_t len, bool resizedown) {
  if (len < 0) len = 0;
  if (len == INT32_MAX) return false;
  char* buf = static_cast<char*>(m_hb.ResizeOK(len + 1, resizedown));
  if (!buf) return false;
  buf[len] = 0;
  return true;
}

void WDL_String::DeleteSub(int32_t pos, int32_t count) {
  char* buf = static_cast<char*>(m_hb.Get());
  const int32_t L = m_hb.GetSize() - 1;
  if (L < 0 || !buf[0] || pos < 0 || pos >= L) return;
  if (int64_t(pos) + count > L) count = L - pos;
  if (count <= 0) return;
  std::memmove(buf + pos, buf + pos + count, size_t(L - (pos + count) + 1));
  m_hb.Resize(L + 1 - count, false);
}

int32_t WDL_String::GetLength() const {
  const char* buf = static_cast<const char*>(m_hb.Get());
  return buf ? static_cast<int32_t>(strnlen(buf, size_t(m_hb.GetSize()))) : 0;
}

const char* WDL_String::Get() const {
  const char* buf = static_cast<const char*>(m_hb.Get());
  return buf ? buf : "";
}

char* WDL_String::Get() {
  // Per thread, so that callers on different threads never write the same byte.
  static thread_local char s_empty;
  char* buf = static_cast<char*>(m_hb.Get());
  if (buf) return buf;
  s_empty = 0;
  return &s_empty;
}

void WDL_String::__doSet(int32_t offs, const char* text, int32_t len, int32_t trailkeep) {
  if (trailkeep < 0) trailkeep = 0;
  if (!len && !trailkeep && !offs) {
    char* p = static_cast<char*>(m_hb.Resize(1, false));
    if (p) *p = 0;
    return;
  }
  if (len < 1 || offs < 0) return;

  const int64_t newsz64 = int64_t(offs) + len + trailkeep + 1;
  if (newsz64 > INT32_MAX) return;
  const int32_t newsz = int32_t(newsz64);
  const int32_t oldsz = m_hb.GetSize();
  if (newsz > oldsz) {
    // Text inside our own block (used or not) must follow the block if it moves.
    const uintptr_t oldb = reinterpret_cast<uintptr_t>(m_hb.Get());
    const uintptr_t oldend = oldb + uintptr_t(m_hb.GetAllocatedSize());
    const uintptr_t t = reinterpret_cast<uintptr_t>(text);
    char* nb = static_cast<char*>(m_hb.Resize(newsz, false));
    if (text && oldb && nb && reinterpret_cast<uintptr_t>(nb) != oldb && t >= oldb && t < oldend)
      text = nb + (t - oldb);
  }
  if (m_hb.GetSize() < newsz) return; // could not grow
  char* buf = static_cast<char*>(m_hb.Get());
  if (trailkeep > 0) std::memmove(buf + offs + len, buf + offs, size_t(trailkeep));
  if (text) std::memmove(buf + offs, text, size_t(len));
  buf[newsz - 1] = 0;
  if (newsz < oldsz) m_hb.Resize(newsz, false);
}
