// Running a program of the build as a child process, for tests and benchmarks that drive the
// host program as a user does.
#pragma once

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace qv_test {

// Starts args[0] (found on PATH when it has no slash) without a shell: stdout and stderr into
// the given files (/dev/null when null), in the folder dir when one is given, with the
// NAME=value entries of env added to its environment, after prepare() in the child when given.
// It is killed should the calling thread end first. Its process id, or -1.
inline pid_t StartProgram(const std::vector<std::string>& args, FILE* out, FILE* err,
                          const std::string& dir = "", void (*prepare)() = nullptr,
                          const std::vector<std::string>& env = {}) {
  std::vector<char*> argv; // made before the fork: the child only calls what is safe there
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  for (char** e = environ; !env.empty() && *e; ++e) {
    bool replaced = false;
    for (const std::string& added : env)
      replaced = replaced || strncmp(*e, added.c_str(), added.find('=') + 1) == 0;
    if (!replaced) envp.push_back(*e);
  }
  envp.push_back(nullptr);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    // A child does not outlive a test that crashed or was killed for its time.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(125);
    const int devnull = open("/dev/null", O_WRONLY);
    dup2(out ? fileno(out) : devnull, 1);
    dup2(err ? fileno(err) : devnull, 2);
    if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
    if (prepare) prepare();
    if (!env.empty()) environ = envp.data();
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

// For prepare() in a child: the stop signals at their defaults and unblocked, as a terminal's
// job has them; a test runner may hand them down ignored or blocked.
inline void DefaultStopSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    signal(sig, SIG_DFL);
    sigaddset(&set, sig);
  }
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

// For prepare() in a child: a process group of its own, as a terminal's job, with the stop
// signals at their defaults.
inline void OwnGroup() {
  setpgid(0, 0);
  DefaultStopSignals();
}

// True once done() is, checked every 10 ms for at most the given seconds.
inline bool WaitUntil(const std::function<bool()>& done, double seconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// A started child that ends with the scope, a failed assertion's early return too: what still
// runs is killed (with the child's process group when it leads one, started with OwnGroup) and
// reaped. Meanwhile this process takes in the group's orphans, so they are reaped too.
class Child {
public:
  explicit Child(pid_t pid, bool group = false) : mPid(pid), mGroup(group && pid > 0) {
    if (!mGroup) return;
    setpgid(pid, pid); // the child may not have got there yet
    prctl(PR_GET_CHILD_SUBREAPER, &mWasSubreaper);
    prctl(PR_SET_CHILD_SUBREAPER, 1);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() { End(); }

  pid_t Pid() const { return mPid; }
  // True once the child ended; it stays unreaped, which keeps its id from naming another.
  bool Ended() const {
    if (mPid <= 0 || mReaped) return true;
    siginfo_t info{};
    return waitid(P_PID, (id_t)mPid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid;
  }
  // The child's wait status once it ended within the given seconds, what is left of its group
  // killed; -1 while it runs on.
  int Wait(double seconds) {
    if (!WaitUntil([this] { return Ended(); }, seconds)) return -1;
    End();
    return mStatus;
  }

private:
  void End() {
    if (mPid <= 0 || mReaped) return;
    kill(mPid, SIGKILL);
    if (mGroup) kill(-mPid, SIGKILL);
    while (waitpid(mPid, &mStatus, 0) < 0 && errno == EINTR) {
    }
    // What the child left of its group came to this process.
    while (mGroup && (waitpid(-mPid, nullptr, 0) > 0 || errno == EINTR)) {
    }
    mReaped = true;
    if (mGroup) prctl(PR_SET_CHILD_SUBREAPER, mWasSubreaper);
  }

  pid_t mPid;
  bool mGroup, mReaped = false;
  int mStatus = -1, mWasSubreaper = 0;
};

// How a child ended, from its wait status: "exit N", "signal N", or "not ended" for -1.
inline std::string HowEnded(int status) {
  if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  return "not ended";
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
