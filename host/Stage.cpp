// The output folder's all-or-nothing stage (see Stage.h).
#include "host/Stage.h"
#include "host/SessionCommon.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace auhost {

bool IsRealDir(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string AbsolutePath(const std::string& path) {
  std::string full = path;
  char cwd[PATH_MAX];
  if (path.empty() || path[0] != '/') {
    if (!getcwd(cwd, sizeof cwd)) return path;
    full = std::string(cwd) + "/" + path;
  }
  std::string out;
  std::istringstream parts(full);
  for (std::string part; std::getline(parts, part, '/');)
    if (!part.empty() && part != ".") out += "/" + part;
  return out.empty() ? "/" : out;
}

void RemoveFolder(const std::string& dir) {
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      const std::string path = dir + "/" + name;
      if (IsRealDir(path))
        RemoveFolder(path);
      else
        unlink(path.c_str());
    }
    closedir(d);
  }
  rmdir(dir.c_str());
}

std::string Stage::Make(const std::string& out) {
  mOut = out;
  struct stat st;
  mOutMissing = lstat(out.c_str(), &st) != 0;
  std::string where = out; // the folder the stage goes in
  if (mOutMissing) {
    const size_t slash = out.rfind('/');
    where = slash == std::string::npos ? "." : out.substr(0, slash); // "" for the root
  } else if (!IsDir(out)) {
    if (stat(out.c_str(), &st) == 0 && S_ISREG(st.st_mode))
      return "the output folder " + out + " is a file, not a folder";
    return "cannot make the output folder " + out + ": " + strerror(EEXIST);
  } else if (access(out.c_str(), W_OK | X_OK) != 0) {
    return "the output folder " + out + " is not writable";
  }
  const std::string tmpl = where + "/.quorlen-stage-XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data()))
    return mOutMissing ? "cannot make the output folder " + out + ": " + strerror(errno)
                       : "cannot write into the output folder " + out + ": " + strerror(errno);
  mPath = buf.data();
  return "";
}

std::string Stage::Commit(const std::vector<std::string>& names) {
  if (mOutMissing) {
    // The stage becomes the output folder, with the mode a new folder would have had.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(mPath.c_str(), 0755 & ~mask);
    if (rename(mPath.c_str(), mOut.c_str()) != 0)
      return "cannot make the output folder " + mOut + ": " + strerror(errno);
    mPath.clear();
    return "";
  }
  const std::string replaced = mPath + "/.replaced";
  std::vector<std::pair<std::string, bool>> moved; // name, and whether it replaced a file
  std::string err;
  size_t i = 0;
  for (; i < names.size(); ++i) {
    const std::string to = mOut + "/" + names[i], kept = replaced + "/" + names[i];
    struct stat st;
    const bool had = lstat(to.c_str(), &st) == 0;
    if (had && S_ISDIR(st.st_mode)) {
      err = "a folder has that name";
      break;
    }
    if (had && ((!IsRealDir(replaced) && mkdir(replaced.c_str(), 0700) != 0) ||
                rename(to.c_str(), kept.c_str()) != 0)) {
      err = strerror(errno);
      break;
    }
    if (rename((mPath + "/" + names[i]).c_str(), to.c_str()) != 0) {
      err = strerror(errno);
      if (had) rename(kept.c_str(), to.c_str());
      break;
    }
    moved.push_back({names[i], had});
  }
  if (err.empty()) return "";
  for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
    const std::string to = mOut + "/" + it->first;
    rename(to.c_str(), (mPath + "/" + it->first).c_str());
    if (it->second) rename((replaced + "/" + it->first).c_str(), to.c_str());
  }
  return "cannot write " + names[i] + " into " + mOut + ": " + err;
}

} // namespace auhost
