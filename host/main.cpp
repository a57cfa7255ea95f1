// auhost: a musician's session with the Quorlen-VUDE plug-in in the stand-in host.
// See README.md ("Running a session") for the options and the script commands.
#include "host/Session.h"

#include <climits>
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <unistd.h>

namespace {

const char* const kUsage =
    "usage: auhost [options]\n"
    "  --bundle DIR          the plug-in bundle (default: the one built beside this program)\n"
    "  --out DIR             output folder (default: quorlen-session)\n"
    "  --seed N              random seed of the melody (default 1)\n"
    "  --key NAME            key, e.g. C, F#, Bb (default C)\n"
    "  --scale NAME          scale type as the menu shows it, e.g. \"Minor Pentatonic\"\n"
    "                        (default Major)\n"
    "  --octave N            also use octave copy N (-4..4; repeatable; 0 is on already)\n"
    "  --rhythm NAME         rhythm as the menu shows it, e.g. 1/4 (default 1/8)\n"
    "  --bars N              bars in the loop: 1-8, 12 or 16 (default 2)\n"
    "  --play-bars N         bars to play with the transport running (default 4)\n"
    "  --tempo BPM           host tempo (default 120)\n"
    "  --time-signature N/D  host time signature (default 4/4)\n"
    "  --sample-rate HZ      (default 44100)\n"
    "  --block-size FRAMES   (default 512)\n"
    "  --script FILE         run the steps of FILE instead of the default session; the\n"
    "                        options a step sets (--key to --play-bars) are refused with it\n";

// The bundle the build lays out beside host/: <build>/Quorlen-VUDE.component.
std::string BuiltBundle() {
  char exe[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return "Quorlen-VUDE.component";
  std::string dir(exe, (size_t)n);
  dir.resize(dir.rfind('/'));
  return dir + "/../Quorlen-VUDE.component";
}

volatile sig_atomic_t gStop = 0;

void OnStop(int sig) {
  gStop = sig;
}

// Ends the process by the stop signal itself, not an exit status: a shell that got the signal
// too (Ctrl-C goes to the whole group) then stops its loop or script instead of going on.
int EndBy(int sig) {
  fflush(stdout);
  fflush(stderr);
  signal(sig, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, sig);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(sig);
  return 128 + sig; // should the signal not end the process
}

int Main(int argc, char** argv) {
  auhost::SessionConfig cfg;
  cfg.bundle = BuiltBundle();
  const std::string err = auhost::ParseSessionArgs(argc, argv, &cfg);
  if (err == "help") {
    fputs(kUsage, stdout);
    return 0;
  }
  if (!err.empty()) {
    fprintf(stderr, "auhost: %s\n%s", err.c_str(), kUsage);
    return 2;
  }
  // Ctrl-C, a kill or a closed terminal stops the session at the next block; it cleans up and
  // ends by the signal.
  struct sigaction sa = {};
  sa.sa_handler = OnStop;
  sa.sa_flags = SA_RESTART;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &sa, nullptr);
  cfg.stop = &gStop;
  // Progress lines show as they come, through a pipe too.
  setvbuf(stdout, nullptr, _IOLBF, 0);
  printf("Quorlen-VUDE in the stand-in host: %s\n", cfg.bundle.c_str());
  auhost::SessionResult result;
  const std::string failed = auhost::RunSession(cfg, stdout, &result);
  if (!failed.empty()) {
    fflush(stdout);
    fprintf(stderr, "auhost: %s\n", failed.c_str());
    const int sig = gStop;
    return sig ? EndBy(sig) : 1;
  }
  fputs(result.summary.c_str(), stdout);
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  try {
    return Main(argc, argv);
  } catch (const std::exception& e) {
    fprintf(stderr, "auhost: failed: %s\n", e.what());
    return 1;
  }
}
