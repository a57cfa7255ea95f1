#pragma once
// Heap-allocated, zero-terminated text. Bytes are copied as they are; no encoding is
// interpreted. Not synchronised: one thread at a time, or under the holder's lock.

#include <cstdarg>
#include <cstdint>

#include "WDL/heapbuf.h"

class WDL_String {
public:
  // text may be null (nothing is allocated); maxlen > 0 cuts the text to that many bytes.
  WDL_String(const char* text = nullptr, int32_t maxlen = 0);
  // The copy always holds a block, even of an empty string.
  WDL_String(const WDL_String& other);
  WDL_String& operator=(const WDL_String&) = delete;

  // maxlen > 0 takes at most that many bytes; 0 or less takes the whole text. A null
  // text is empty. The text may point into this string's own block.
  void Set(const char* text, int32_t maxlen = 0);
  void Set(const WDL_String* other, int32_t maxlen = 0);
  void Append(const char* text, int32_t maxlen = 0);

  // Output is cut to maxlen bytes. A negative maxlen or a formatting error keeps the old
  // text when appending and leaves an empty text when setting.
  void SetFormatted(int32_t maxlen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  void SetAppendFormattedArgs(bool append, int32_t maxlen, const char* fmt, va_list arglist)
      __attribute__((format(printf, 4, 0)));

  // Room for len bytes of text and a zero byte at len; growing writes nothing else, so
  // GetLength() keeps the old length. False (and unchanged) when the block cannot grow.
  bool SetLen(int32_t len, bool resizedown = false);
  // Removes up to count bytes from pos; out-of-range positions change nothing.
  void DeleteSub(int32_t pos, int32_t count);

  // Scans the text on every call.
  int32_t GetLength() const;
  // An empty string gives one empty text shared by all strings.
  const char* Get() const;
  // An empty string gives a byte shared by all strings (of the calling thread), zeroed on
  // each call; write nothing past it.
  char* Get();

  // Writes len bytes of text at offs, keeping the trailkeep bytes that stood at offs
  // behind them; text may be null (those bytes are left as they were).
  void __doSet(int32_t offs, const char* text, int32_t len, int32_t trailkeep);

private:
  WDL_HeapBuf m_hb{128};
};
