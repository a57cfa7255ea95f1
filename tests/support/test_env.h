#pragma once
// What a test changes in its process environment, put back; words for a shell command.

#include <cstdlib>
#include <string>

// Sets (or, given null, unsets) an environment variable and puts back what was there
// before, so a test leaves the process as it found it.
class ScopedEnv {
public:
  ScopedEnv(const char* name, const char* value) : mName(name) {
    const char* old = std::getenv(name);
    mHad = old != nullptr;
    if (mHad) mOld = old;
    Set(value);
  }
  ~ScopedEnv() { Set(mHad ? mOld.c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

  void Set(const char* value) {
    if (value)
      setenv(mName.c_str(), value, 1);
    else
      unsetenv(mName.c_str());
  }

private:
  std::string mName, mOld;
  bool mHad = false;
};

// A string as one word of a POSIX shell command: in single quotes, each ' written as '\''.
inline std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}
