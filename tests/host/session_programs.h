#pragma once
// Folders for the host program's output and a way to run it, for the session tests.

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "host/Session.h"
#include "testsupport/programs.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// A fresh folder under the build tree, with a space in its name as users' folders may have.
inline std::string TempFolder(const char* name) {
  const std::string dir = std::string(QV_BINARY_DIR) + "/session tests";
  mkdir(dir.c_str(), 0755);
  std::string tmpl = dir + "/" + name + "-XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  return mkdtemp(buf.data()) ? std::string(buf.data()) : std::string();
}

inline bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

inline std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> out;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") out.push_back(e->d_name);
    closedir(d);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Runs a program without a shell, in the folder dir when one is given; its exit status and
// what it wrote to stderr, and to stdout when out is given.
inline int RunProgram(const std::vector<std::string>& args, std::string* err,
                      const std::string& dir = "", std::string* out = nullptr) {
  FILE* errFile = tmpfile();
  FILE* outFile = out ? tmpfile() : nullptr;
  const pid_t pid = qv_test::StartProgram(args, outFile, errFile, dir);
  int status = 0;
  if (pid > 0) waitpid(pid, &status, 0);
  *err = qv_test::ReadAll(errFile);
  fclose(errFile);
  if (outFile) {
    *out = qv_test::ReadAll(outFile);
    fclose(outFile);
  }
  return pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The host program's options read into cfg, as from its command line without the program name.
inline std::string ParseArgs(std::vector<std::string> words, auhost::SessionConfig* cfg) {
  words.insert(words.begin(), "auhost");
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  return auhost::ParseSessionArgs((int)argv.size(), argv.data(), cfg);
}

// One line of a session's midi-out.txt: position, note name and "on" or "off".
struct ListedMessage {
  std::string at, name, onOff;
};

inline std::vector<ListedMessage> ReadListing(const std::string& path) {
  std::vector<ListedMessage> out;
  std::ifstream listing(path);
  for (std::string line; std::getline(listing, line);) {
    std::istringstream in(line);
    ListedMessage m;
    if (in >> m.at >> m.name >> m.onOff) out.push_back(m);
  }
  return out;
}
