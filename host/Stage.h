#pragma once
// The output folder's all-or-nothing stage: a session's files are made aside and moved in only
// when it succeeded; and the path and folder helpers it and the runner share.

#include <string>
#include <vector>

namespace auhost {

// A folder itself, not a link to one: what a rename onto its name would refuse.
bool IsRealDir(const std::string& path);
// path from the working folder, with "." parts and repeated or trailing slashes left out;
// ".." stays, as links may lead elsewhere.
std::string AbsolutePath(const std::string& path);
// Removes a folder the session made, and what it holds.
void RemoveFolder(const std::string& dir);

// The folder a session's files are made in. It sits inside the output folder when that exists,
// else beside it, to become it by one rename. Removed with what is left in it on every way out,
// so the output folder changes only when a session succeeded.
class Stage {
public:
  Stage() = default;
  Stage(const Stage&) = delete;
  Stage& operator=(const Stage&) = delete;
  ~Stage() {
    if (!mPath.empty()) RemoveFolder(mPath);
  }

  // out is a full path; "" when the stage is made.
  std::string Make(const std::string& out);
  const std::string& Path() const { return mPath; }
  bool OutMissing() const { return mOutMissing; }

  // Moves the named files into the output folder, each replacing a file of its name. On
  // failure the files moved so far are taken back and those they replaced put back.
  std::string Commit(const std::vector<std::string>& names);

private:
  std::string mOut, mPath;
  bool mOutMissing = false;
};

} // namespace auhost
