// Running a program of the build as a child process, for tests and benchmarks that drive the
// host program as a user does.
#pragma once

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace qv_test {

// Starts args[0] (found on PATH when it has no slash) without a shell: stdout and stderr into
// the given files (/dev/null when null), in the folder dir when one is given, after prepare()
// in the child when given. Its process id, or -1.
inline pid_t StartProgram(const std::vector<std::string>& args, FILE* out, FILE* err,
                          const std::string& dir = "", void (*prepare)() = nullptr) {
  std::vector<char*> argv; // made before the fork: the child only calls what is safe there
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int devnull = open("/dev/null", O_WRONLY);
    dup2(out ? fileno(out) : devnull, 1);
    dup2(err ? fileno(err) : devnull, 2);
    if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
    if (prepare) prepare();
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

// Everything a child wrote to f so far. Reads by position: the child shares the file's
// offset, which stays where its writes go on.
inline std::string ReadAll(FILE* f) {
  std::string text;
  char buf[4096];
  for (ssize_t n; (n = pread(fileno(f), buf, sizeof buf, (off_t)text.size())) > 0;)
    text.append(buf, (size_t)n);
  return text;
}

} // namespace qv_test
