#include "host/Session.h"

#include <PlatformTestHooks.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <new>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace auhost {

namespace {

const double kEditorW = 710, kEditorH = 365;
const int kTicksPerQuarter = 120;
// The session's own log; no step may write a file of its name.
const char kListingName[] = "midi-out.txt";

// Parameters the session reads back to see what a click did.
enum { kParamScales = 22, kParamBars = 19, kParamRhythms = 27 };

// Where a musician clicks: a point inside each control (editor pixels).
struct Point {
  int x, y;
};
const Point kKeyArea{89, 76};   // left third of the scale chooser
const Point kTypeArea{116, 76}; // the rest of it
const Point kRhythmArea{41, 326};
const Point kNewMelody{545, 292};
const Point kSaveButton{625, 300};
const Point kBarsKnob{208, 325};
Point OctaveSwitch(int octave) {
  return {9 + 16 * (octave + 4) + 6, 143 + 6};
}

// Knob positions of the bars knob and the loop lengths they give.
const int kBarsForKnob[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 12, 16};

bool ParseInt(const std::string& s, long lo, long hi, long* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = strtol(s.c_str(), &end, 10);
  if (errno || *end || v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool ParseDouble(const std::string& s, double lo, double hi, double* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double v = strtod(s.c_str(), &end);
  if (errno || *end || !std::isfinite(v) || v < lo || v > hi) return false;
  *out = v;
  return true;
}

int KnobForBars(long bars) {
  for (int k = 1; k <= 10; ++k)
    if (kBarsForKnob[k] == bars) return k;
  return 0;
}

bool ParseTimeSignature(const std::string& s, int* num, int* den) {
  const size_t slash = s.find('/');
  long n = 0, d = 0;
  if (slash == std::string::npos || !ParseInt(s.substr(0, slash), 1, 64, &n) ||
      !ParseInt(s.substr(slash + 1), 1, 64, &d))
    return false;
  *num = (int)n;
  *den = (int)d;
  return true;
}

std::string Join(const std::vector<std::string>& words, size_t from) {
  std::string out;
  for (size_t i = from; i < words.size(); ++i) out += (i > from ? " " : "") + words[i];
  return out;
}

std::string Lower(std::string s) {
  for (char& c : s) c = (char)tolower((unsigned char)c);
  return s;
}

// Checks one step's words; "" when good.
std::string CheckStep(const SessionStep& s) {
  const size_t n = s.args.size();
  long v = 0;
  double d = 0;
  if (s.verb == "key" || s.verb == "scale" || s.verb == "rhythm")
    return n >= 1 ? "" : "'" + s.verb + "' needs a name";
  if (s.verb == "octave") {
    if (n != 2 || !ParseInt(s.args[0], -4, 4, &v) || (s.args[1] != "on" && s.args[1] != "off"))
      return "'octave' takes an octave -4..4 and on or off";
    return "";
  }
  if (s.verb == "bars")
    return n == 1 && ParseInt(s.args[0], 1, 16, &v) && KnobForBars(v)
               ? ""
               : "'bars' takes 1-8, 12 or 16";
  if (s.verb == "play")
    return n == 1 && ParseInt(s.args[0], 1, 1000, &v) ? "" : "'play' takes a number of bars";
  if (s.verb == "tempo")
    return n == 1 && ParseDouble(s.args[0], 1, 999, &d) ? "" : "'tempo' takes 1-999 bpm";
  if (s.verb == "generate" || s.verb == "state-roundtrip" || s.verb == "clear-pool")
    return n == 0 ? "" : "'" + s.verb + "' takes nothing";
  if (s.verb == "snapshot" || s.verb == "save") {
    if (n != 1 || s.args[0].find('/') != std::string::npos || s.args[0][0] == '.')
      return "'" + s.verb + "' takes a plain file name";
    if (s.args[0] == kListingName)
      return "'" + s.verb + "' cannot write " + kListingName + ": the session's log has that name";
    return "";
  }
  return "unknown command '" + s.verb + "'";
}

// A note message's kind: 1 a note-on, 0 a note-off (or a note-on at velocity 0), -1 anything
// else.
int NoteOnOff(const MidiOut& m) {
  if (m.bytes.size() != 3) return -1;
  const int kind = m.bytes[0] & 0xF0;
  if (kind != 0x80 && kind != 0x90) return -1;
  return kind == 0x90 && m.bytes[2] > 0 ? 1 : 0;
}

std::string Where(const std::string& name, int line) {
  return name + ":" + std::to_string(line) + ": ";
}

std::string ReadFile(const std::string& path, bool* ok) {
  std::ifstream in(path, std::ios::binary);
  *ok = (bool)in;
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool IsDir(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A Standard MIDI File whose chunks fill it exactly, with as many as its header counts: a save
// cut short (a full disk) leaves none such, and the plug-in's button cannot tell the host.
bool IsWholeMidiFile(const std::string& path) {
  bool ok = false;
  const std::string bytes = ReadFile(path, &ok);
  auto number = [&](size_t at, int n) {
    size_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | (uint8_t)bytes[at + (size_t)i];
    return v;
  };
  if (!ok || bytes.size() < 14 || bytes.compare(0, 4, "MThd") != 0 || number(4, 4) != 6)
    return false;
  size_t at = 14, chunks = 0;
  for (; at + 8 <= bytes.size(); ++chunks) at += 8 + number(at + 4, 4);
  return at == bytes.size() && chunks == number(10, 2);
}

// A folder itself, not a link to one: what a rename onto its name would refuse.
bool IsRealDir(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// path from the working folder, with "." parts and repeated or trailing slashes left out;
// ".." stays, as links may lead elsewhere.
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

// Removes a folder the session made, and what it holds.
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
  std::string Make(const std::string& out) {
    mOut = out;
    struct stat st;
    mOutMissing = lstat(out.c_str(), &st) != 0;
    std::string where = out; // the folder the stage goes in
    if (mOutMissing) {
      const size_t slash = out.rfind('/');
      where = slash == std::string::npos ? "." : out.substr(0, slash); // "" for the root
    } else if (!IsDir(out)) {
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
  const std::string& Path() const { return mPath; }
  bool OutMissing() const { return mOutMissing; }

  // Moves the named files into the output folder, each replacing a file of its name. On
  // failure the files moved so far are taken back and those they replaced put back.
  std::string Commit(const std::vector<std::string>& names) {
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

private:
  std::string mOut, mPath;
  bool mOutMissing = false;
};

struct FileCloser {
  void operator()(FILE* f) const { fclose(f); }
};

const char* SignalName(int sig) {
  switch (sig) {
  case SIGINT:
    return "SIGINT";
  case SIGTERM:
    return "SIGTERM";
  case SIGHUP:
    return "SIGHUP";
  default:
    return "a signal";
  }
}

class Runner {
public:
  Runner(const SessionConfig& cfg, FILE* progress) : mCfg(cfg), mProgress(progress) {}

  std::string Run(SessionResult* result);

private:
  std::string Session(SessionResult* result);
  std::string Start();
  std::string Step(const SessionStep& s);
  std::string Fail(const SessionStep& s, const std::string& msg) {
    return s.line ? Where(mScriptName, s.line) + msg : msg;
  }
  bool Stopped() const { return mCfg.stop && *mCfg.stop; }
  std::string StopMessage() const {
    return std::string("stopped by ") + SignalName(*mCfg.stop) + "; the output folder " + mOut +
           (mStage.OutMissing() ? " was not made" : " is as it was");
  }
  void Click(Point p, int clicks = 1) {
    PlatformTest_PostMouse(mWindow, kPlatformTestMouseDown, p.x, p.y, clicks, 0);
    PlatformTest_PostMouse(mWindow, kPlatformTestMouseUp, p.x, p.y, clicks, 0);
    Idle();
  }
  // Lets the editor's timer draw what changed.
  void Idle() { PlatformTest_AdvanceRunLoop(80); }
  OSStatus OpenInstance();
  OSStatus RenderBlock(uint32_t frames);
  BlockStart TransportNow() {
    const Transport& t = mHost.GetTransport();
    return {(long long)t.samplePos, t.beat, t.tempo};
  }
  void CollectMidi(const BlockStart* next);
  void ListMidi(const MidiOut& m, const BlockStart* start);
  float Param(uint32_t id) {
    float v = 0;
    mHost.GetParameter(id, &v);
    return v;
  }
  std::string ChooseFromMenu(Point at, const std::string& wanted, const SessionStep& s);
  std::string SetBars(long bars, const SessionStep& s);
  std::string Play(long bars, const SessionStep& s);
  std::string MakeRoom(const std::string& name, const SessionStep& s);
  std::string Save(const std::string& name, const SessionStep& s);
  std::string StateRoundTrip(const SessionStep& s);
  std::string OpenEditor();
  void Wrote(const std::string& name);
  std::string Finish(SessionResult* result);

  const SessionConfig& mCfg;
  FILE* mProgress;
  std::string mScriptName;
  std::string mOut; // the output folder, full path
  Stage mStage;
  std::unique_ptr<FILE, FileCloser> mListing; // midi-out.txt in the stage, written as it comes
  Host mHost;
  NSWindow* mWindow = nullptr;
  double mTempo = 120.0;
  int mInstances = 0;                // plug-in instances opened
  std::vector<std::string> mWritten; // file names in the stage, in the order first written
  std::vector<std::string> mLog;     // what the musician did, for the summary
  // The MIDI sent is listed as it comes, numbered by the session's blocks (the host counts
  // blocks per instance); only the transport at the last block's start is kept.
  int mBlocks = 0;    // blocks rendered in the session
  int mBlockBase = 0; // session blocks rendered before the current instance
  BlockStart mLastStart{0, 0.0, 0.0};
  int mNotesOn = 0, mNotesOff = 0;
};

std::string Runner::OpenEditor() {
  const OSStatus r = mHost.OpenEditor(kEditorW, kEditorH);
  if (r || !mHost.EditorWindow())
    return "the plug-in gave no editor view (status " + std::to_string(r) + ")";
  mWindow = mHost.EditorWindow();
  Idle();
  return "";
}

// A new instance, set up for the session. The constructor seeds the random generator from the
// clock; the host seeds it again so that the session's draws repeat: the first instance from the
// seed itself, each later one from a stream of its own.
OSStatus Runner::OpenInstance() {
  OSStatus r = mHost.Open();
  srand(mCfg.seed + 0x9E3779B9u * (unsigned)mInstances++);
  if (!r) r = mHost.SetSampleRate(mCfg.sampleRate);
  if (!r) r = mHost.SetMaxFrames((uint32_t)mCfg.blockSize);
  if (!r) r = mHost.InstallHostCallbacks();
  if (!r) r = mHost.InstallMidiOutput();
  if (!r) r = mHost.Initialize();
  return r;
}

// Renders one block; what the plug-in sent before it counts from its start.
OSStatus Runner::RenderBlock(uint32_t frames) {
  const BlockStart start = TransportNow();
  CollectMidi(&start);
  mLastStart = start;
  ++mBlocks;
  const OSStatus r = mHost.Render(1, frames);
  CollectMidi(nullptr);
  return r;
}

// Lists what the plug-in sent and empties the host's log. A message of the block just rendered
// counts from its start; one sent after it belongs to the next block, which starts at *next
// (null when none follows).
void Runner::CollectMidi(const BlockStart* next) {
  for (MidiOut m : mHost.MidiLog()) {
    m.block += mBlockBase;
    ListMidi(m, m.block == mBlocks - 1 ? &mLastStart : next);
  }
  mHost.ClearMidiLog();
}

void Runner::ListMidi(const MidiOut& m, const BlockStart* start) {
  if (mCfg.midiSent) mCfg.midiSent(m, start);
  const int onOff = NoteOnOff(m);
  if (onOff == 1)
    ++mNotesOn;
  else if (onOff == 0)
    ++mNotesOff;
  fputs(MidiListingLine(m, start, mCfg.sampleRate, mCfg.numerator).c_str(), mListing.get());
}

std::string Runner::Start() {
  mScriptName = mCfg.script.empty() ? "options" : mCfg.script;
  mTempo = mCfg.tempo;
  const std::string listing = mStage.Path() + "/" + kListingName;
  mListing.reset(fopen(listing.c_str(), "wb"));
  if (!mListing) return std::string("cannot write ") + kListingName + ": " + strerror(errno);
  fputs(MidiListingHeader().c_str(), mListing.get());
  if (!mHost.Load(mCfg.bundle, kProductEntryPrefix, kProductDesc, "com.Ostrevane.auhost"))
    return "not a Quorlen-VUDE bundle: " + mCfg.bundle + " (" + mHost.Error() + ")";
  // A host learns the identifier from the bundle; the plug-in finds its images through it.
  mHost.RegisterBundle(kProductBundleID);
  OSStatus r = OpenInstance();
  if (r) return "the plug-in refused the session set-up (status " + std::to_string(r) + ")";
  Transport& t = mHost.GetTransport();
  t.tempo = mTempo;
  t.tsNumerator = (float)mCfg.numerator;
  t.tsDenominator = (uint32_t)mCfg.denominator;
  t.playing = false;
  // One block with the transport stopped lets the plug-in take the tempo and meter.
  if ((r = RenderBlock((uint32_t)mCfg.blockSize)))
    return "render failed (status " + std::to_string(r) + ")";
  return OpenEditor();
}

std::string Runner::ChooseFromMenu(Point at, const std::string& wanted, const SessionStep& s) {
  // A dismissed first click shows the menu's items without choosing.
  PlatformTest_ScriptMenuChoice({});
  const int shown = PlatformTest_MenusShown();
  Click(at);
  if (PlatformTest_MenusShown() != shown + 1) return Fail(s, "the chooser showed no menu");
  const std::vector<PlatformTestMenuItem> items = PlatformTest_LastMenu().items;
  int found = -1;
  for (size_t i = 0; i < items.size() && found < 0; ++i) {
    const std::string t = Lower(items[i].title), w = Lower(wanted);
    if (t == w) found = (int)i;
    // Keys are offered as "C#/Db": either spelling picks them.
    const size_t slash = t.find('/');
    if (s.verb == "key" && slash != std::string::npos &&
        (t.substr(0, slash) == w || t.substr(slash + 1) == w))
      found = (int)i;
  }
  if (found < 0) {
    std::string names;
    for (const auto& it : items) names += (names.empty() ? "" : ", ") + it.title;
    return Fail(s, "no " + s.verb + " '" + wanted + "' (one of: " + names + ")");
  }
  PlatformTest_ScriptMenuChoice({found});
  Click(at);
  mLog.push_back(s.verb + " " + items[found].title);
  return "";
}

std::string Runner::SetBars(long bars, const SessionStep& s) {
  const int knob = KnobForBars(bars);
  // Drag the knob a pixel at a time, up to raise, until the parameter shows the position.
  PlatformTest_PostMouse(mWindow, kPlatformTestMouseDown, kBarsKnob.x, kBarsKnob.y, 1, 0);
  int y = kBarsKnob.y;
  for (int i = 0; i < 2000 && (int)lround(Param(kParamBars)) != knob; ++i) {
    y += (int)lround(Param(kParamBars)) < knob ? -1 : 1;
    PlatformTest_PostMouse(mWindow, kPlatformTestMouseDragged, kBarsKnob.x, y, 1, 0);
  }
  PlatformTest_PostMouse(mWindow, kPlatformTestMouseUp, kBarsKnob.x, y, 1, 0);
  Idle();
  if ((int)lround(Param(kParamBars)) != knob) return Fail(s, "the bars knob did not reach it");
  mLog.push_back("bars " + std::to_string(bars));
  return "";
}

std::string Runner::Play(long bars, const SessionStep& s) {
  Transport& t = mHost.GetTransport();
  const double samplesPerBar = mCfg.sampleRate * 60.0 / mTempo * mCfg.numerator;
  // Whole samples, so that the last block ends on the bar line and nothing of the next bar sounds.
  const long long total = llround(samplesPerBar * (double)bars);
  t.playing = true;
  long long done = 0;
  long bar = 0;
  while (done < total) {
    if (Stopped()) return StopMessage();
    const uint32_t frames = (uint32_t)std::min<long long>(mCfg.blockSize, total - done);
    if (OSStatus r = RenderBlock(frames))
      return Fail(s, "render failed (status " + std::to_string(r) + ")");
    done += frames;
    if ((double)done >= samplesPerBar * (double)(bar + 1) - 0.5) {
      ++bar;
      if (mProgress) fprintf(mProgress, "  playing bar %ld of %ld\n", bar, bars);
      Idle(); // the editor follows the play position
    }
  }
  t.playing = false;
  // Stopping sends the note-offs of what still sounds.
  if (OSStatus r = RenderBlock((uint32_t)mCfg.blockSize))
    return Fail(s, "render failed (status " + std::to_string(r) + ")");
  mLog.push_back("played " + std::to_string(bars) + " bars");
  return "";
}

// A file of the name made earlier in the session gives way to the new one; a folder of the name
// in the output folder would refuse it at the end, so the step fails now.
std::string Runner::MakeRoom(const std::string& name, const SessionStep& s) {
  if (!mStage.OutMissing() && IsRealDir(mOut + "/" + name))
    return Fail(s, "cannot write " + name + " into " + mOut + ": a folder has that name");
  unlink((mStage.Path() + "/" + name).c_str());
  return "";
}

void Runner::Wrote(const std::string& name) {
  if (std::find(mWritten.begin(), mWritten.end(), name) == mWritten.end()) mWritten.push_back(name);
}

std::string Runner::Save(const std::string& name, const SessionStep& s) {
  if (std::string e = MakeRoom(name, s); !e.empty()) return e;
  const std::string path = mStage.Path() + "/" + name;
  PlatformTest_ScriptPanel(true, path);
  const int shown = PlatformTest_PanelsShown();
  Click(kSaveButton);
  if (PlatformTest_PanelsShown() != shown + 1) return Fail(s, "the save button showed no dialog");
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return Fail(s, "the plug-in wrote no file " + name);
  if (!IsWholeMidiFile(path)) return Fail(s, "the plug-in's " + name + " is cut short");
  Wrote(name);
  mLog.push_back("saved " + name);
  return "";
}

std::string Runner::StateRoundTrip(const SessionStep& s) {
  const uint32_t kParams = 55;
  std::vector<float> before(kParams);
  for (uint32_t i = 0; i < kParams; ++i) before[i] = Param(i);
  CFPropertyListRef state = nullptr;
  if (mHost.GetState(&state) || !state) return Fail(s, "the plug-in gave no state");
  // Close the editor and the instance, then restore into a new one, as a host reopening a song.
  mHost.CloseEditor();
  mWindow = nullptr;
  OSStatus r = mHost.Close();
  const BlockStart now = TransportNow();
  CollectMidi(&now); // numbered by the closed instance's blocks
  mBlockBase = mBlocks;
  if (!r) r = OpenInstance();
  if (!r) r = mHost.SetState(state);
  CFRelease(state);
  if (r) return Fail(s, "the state did not restore (status " + std::to_string(r) + ")");
  // A chooser that holds no choice (-1) is saved below its range and comes back as its first
  // entry; every other parameter must come back as it was.
  int unchosen = 0;
  for (uint32_t i = 0; i < kParams; ++i) {
    if (before[i] < 0 && Param(i) == 0) {
      ++unchosen;
      continue;
    }
    if (Param(i) != before[i])
      return Fail(s, "parameter " + std::to_string(i) + " came back as " +
                         std::to_string(Param(i)) + ", not " + std::to_string(before[i]));
  }
  mLog.push_back("state saved and restored into a new instance: " +
                 std::to_string(kParams - unchosen) + " parameters equal, " +
                 std::to_string(unchosen) + " choosers without a choice back at their first entry");
  return OpenEditor();
}

std::string Runner::Step(const SessionStep& s) {
  if (s.verb == "key") return ChooseFromMenu(kKeyArea, Join(s.args, 0), s);
  if (s.verb == "scale") return ChooseFromMenu(kTypeArea, Join(s.args, 0), s);
  if (s.verb == "rhythm") return ChooseFromMenu(kRhythmArea, Join(s.args, 0), s);
  if (s.verb == "octave") {
    long o = 0;
    ParseInt(s.args[0], -4, 4, &o);
    const uint32_t param = (uint32_t)(8 + o + 4);
    const bool on = s.args[1] == "on";
    if ((Param(param) != 0) != on) Click(OctaveSwitch((int)o));
    if ((Param(param) != 0) != on) return Fail(s, "the octave switch did not turn");
    mLog.push_back("octave " + s.args[0] + " " + s.args[1]);
    return "";
  }
  if (s.verb == "bars") {
    long b = 0;
    ParseInt(s.args[0], 1, 16, &b);
    return SetBars(b, s);
  }
  if (s.verb == "generate") {
    Click(kNewMelody);
    mLog.push_back("new melody");
    return "";
  }
  if (s.verb == "clear-pool") {
    Click({26, 58});
    mLog.push_back("pool cleared");
    return "";
  }
  if (s.verb == "tempo") {
    ParseDouble(s.args[0], 1, 999, &mTempo);
    mHost.GetTransport().tempo = mTempo;
    return "";
  }
  if (s.verb == "play") {
    long b = 0;
    ParseInt(s.args[0], 1, 1000, &b);
    return Play(b, s);
  }
  if (s.verb == "snapshot") {
    if (std::string e = MakeRoom(s.args[0], s); !e.empty()) return e;
    Idle();
    if (!PlatformTest_SaveWindowPNG(mWindow, (mStage.Path() + "/" + s.args[0]).c_str()))
      return Fail(s, "cannot write " + s.args[0]);
    Wrote(s.args[0]);
    return "";
  }
  if (s.verb == "save") return Save(s.args[0], s);
  if (s.verb == "state-roundtrip") return StateRoundTrip(s);
  return Fail(s, "unknown command '" + s.verb + "'");
}

std::string Runner::Finish(SessionResult* result) {
  CollectMidi(nullptr);
  FILE* listing = mListing.release();
  const bool listed = !ferror(listing) && fflush(listing) == 0;
  const int listErr = errno;
  if (fclose(listing) != 0 || !listed)
    return std::string("cannot write ") + kListingName + ": " + strerror(listed ? errno : listErr);
  Wrote(kListingName);
  if (std::string e = mStage.Commit(mWritten); !e.empty()) return e;
  char real[PATH_MAX];
  const std::string out = realpath(mOut.c_str(), real) ? real : mOut;
  for (const std::string& name : mWritten) result->files.push_back(out + "/" + name);
  result->notesOn = mNotesOn;
  result->notesOff = mNotesOff;
  result->blocks = mBlocks;
  std::ostringstream sum;
  sum << "Quorlen-VUDE session (seed " << mCfg.seed << ", " << mTempo << " bpm, " << mCfg.numerator
      << "/" << mCfg.denominator << ", " << mCfg.sampleRate << " Hz, " << mCfg.blockSize
      << "-frame blocks)\n";
  for (const std::string& l : mLog) sum << "  " << l << "\n";
  sum << "  " << result->blocks << " blocks rendered, " << result->notesOn << " note-ons and "
      << result->notesOff << " note-offs sent\n";
  sum << "Files in " << out << ":\n";
  for (const std::string& name : mWritten) sum << "  " << name << "\n";
  result->summary = sum.str();
  return "";
}

std::string Runner::Session(SessionResult* result) {
  if (!IsDir(mCfg.bundle) || !IsDir(mCfg.bundle + "/Contents/MacOS"))
    return "no plug-in bundle at " + mCfg.bundle;
  mOut = AbsolutePath(mCfg.out);
  if (std::string e = mStage.Make(mOut); !e.empty()) return e;
  std::string err = Start();
  const std::vector<SessionStep> steps =
      mCfg.steps.empty() ? DefaultSessionSteps(mCfg) : mCfg.steps;
  // A stop signal ends a play at its next block, and any other step when it is done.
  for (size_t i = 0; err.empty() && i < steps.size(); ++i) {
    err = Step(steps[i]);
    if (err.empty() && Stopped()) err = StopMessage();
  }
  return err.empty() ? Finish(result) : err;
}

std::string Runner::Run(SessionResult* result) {
  std::string err;
  try {
    err = Session(result);
  } catch (const std::bad_alloc&) {
    err = "out of memory";
  } catch (const std::exception& e) {
    err = std::string("failed: ") + e.what();
  }
  mHost.CloseEditor();
  mWindow = nullptr;
  mHost.Unload();
  return err; // the stage goes with the runner
}

} // namespace

std::string ParseSessionArgs(int argc, char** argv, SessionConfig* cfg) {
  std::string scriptStep; // the first option a script sets with a step, as that step
  std::string scriptOption;
  for (int i = 1; i < argc; ++i) {
    const std::string opt = argv[i];
    if (opt == "--help" || opt == "-h") return "help";
    const bool hasValue = i + 1 < argc;
    const std::string val = hasValue ? argv[i + 1] : "";
    long v = 0;
    double d = 0;
    auto need = [&](bool ok, const char* what) -> std::string {
      if (!hasValue) return opt + " needs a value";
      ++i;
      return ok ? "" : opt + " takes " + what + ", not '" + val + "'";
    };
    std::string e;
    if (opt == "--bundle")
      e = need(true, ""), cfg->bundle = val;
    else if (opt == "--out")
      e = need(!val.empty(), "a folder"), cfg->out = val;
    else if (opt == "--script")
      e = need(!val.empty(), "a file"), cfg->script = val;
    else if (opt == "--seed")
      e = need(ParseInt(val, 0, 4294967295L, &v), "a number"), cfg->seed = (unsigned)v;
    else if (opt == "--tempo")
      e = need(ParseDouble(val, 1, 999, &d), "1-999 bpm"), cfg->tempo = d;
    else if (opt == "--sample-rate")
      e = need(ParseDouble(val, 8000, 384000, &d), "8000-384000 Hz"), cfg->sampleRate = d;
    else if (opt == "--block-size")
      e = need(ParseInt(val, 16, 4096, &v), "16-4096 frames"), cfg->blockSize = (int)v;
    else if (opt == "--time-signature")
      e = need(ParseTimeSignature(val, &cfg->numerator, &cfg->denominator), "N/D, e.g. 3/4");
    else if (opt == "--key")
      e = need(!val.empty(), "a key name"), cfg->key = val;
    else if (opt == "--scale")
      e = need(!val.empty(), "a scale name"), cfg->scale = val;
    else if (opt == "--rhythm")
      e = need(!val.empty(), "a rhythm, e.g. 1/8"), cfg->rhythm = val;
    else if (opt == "--bars")
      e = need(ParseInt(val, 1, 16, &v) && KnobForBars(v), "1-8, 12 or 16"), cfg->bars = (int)v;
    else if (opt == "--play-bars")
      e = need(ParseInt(val, 1, 1000, &v), "1-1000"), cfg->playBars = (int)v;
    else if (opt == "--octave") {
      e = need(ParseInt(val, -4, 4, &v) && v != 0, "an octave -4..4 besides 0");
      if (e.empty() && std::find(cfg->octaves.begin(), cfg->octaves.end(), v) == cfg->octaves.end())
        cfg->octaves.push_back((int)v);
    } else
      return "unknown option " + opt;
    if (!e.empty()) return e;
    static const char* const kStepOf[][2] = {{"--key", "key "},       {"--scale", "scale "},
                                             {"--octave", "octave "}, {"--rhythm", "rhythm "},
                                             {"--bars", "bars "},     {"--play-bars", "play "}};
    for (const auto& o : kStepOf)
      if (scriptOption.empty() && opt == o[0]) {
        scriptOption = opt;
        scriptStep = o[1] + val + (opt == "--octave" ? " on" : "");
      }
  }
  if (cfg->bundle.empty()) return "no bundle given (--bundle)";
  if (!cfg->script.empty() && !scriptOption.empty())
    return scriptOption + " has no effect with --script: write '" + scriptStep + "' in the script";
  if (!cfg->script.empty()) {
    bool ok = false;
    const std::string text = ReadFile(cfg->script, &ok);
    if (!ok) return "cannot read the script " + cfg->script;
    return ParseSessionScript(text, cfg->script, &cfg->steps);
  }
  return "";
}

std::string ParseSessionScript(const std::string& text, const std::string& name,
                               std::vector<SessionStep>* steps) {
  std::istringstream in(text);
  std::string line;
  std::vector<SessionStep> out;
  for (int n = 1; std::getline(in, line); ++n) {
    // A byte-order mark some editors put first is no part of the first step.
    if (n == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    // '#' opens a comment at a word's start only: "F#" and "take#2.mid" are names.
    for (size_t i = 0; i < line.size(); ++i)
      if (line[i] == '#' && (i == 0 || isspace((unsigned char)line[i - 1]))) {
        line.resize(i);
        break;
      }
    std::istringstream words(line);
    SessionStep s;
    s.line = n;
    if (!(words >> s.verb)) continue;
    for (std::string w; words >> w;) s.args.push_back(w);
    if (std::string e = CheckStep(s); !e.empty()) return Where(name, n) + e;
    out.push_back(s);
  }
  if (out.empty()) return name + ": the script has no steps";
  *steps = out;
  return "";
}

std::vector<SessionStep> DefaultSessionSteps(const SessionConfig& cfg) {
  auto step = [](const std::string& verb, std::vector<std::string> args = {}) {
    SessionStep s;
    s.verb = verb;
    s.args = std::move(args);
    return s;
  };
  std::vector<SessionStep> steps;
  steps.push_back(step("snapshot", {"editor-before.png"}));
  steps.push_back(step("key", {cfg.key}));
  steps.push_back(step("scale", {cfg.scale}));
  for (int o : cfg.octaves) steps.push_back(step("octave", {std::to_string(o), "on"}));
  steps.push_back(step("bars", {std::to_string(cfg.bars)}));
  steps.push_back(step("rhythm", {cfg.rhythm}));
  steps.push_back(step("generate"));
  steps.push_back(step("snapshot", {"editor-after.png"}));
  steps.push_back(step("play", {std::to_string(cfg.playBars)}));
  steps.push_back(step("save", {"melody.mid"}));
  steps.push_back(step("state-roundtrip"));
  return steps;
}

std::string NoteName(int note) {
  static const char* const kNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                         "F#", "G",  "G#", "A",  "A#", "B"};
  if (note < 0 || note > 127) return "?";
  return std::string(kNames[note % 12]) + std::to_string(note / 12 - 1);
}

std::string MidiListingHeader() {
  return "# bar:beat:tick (" + std::to_string(kTicksPerQuarter) +
         " ticks per quarter, from the transport's start)  note  on/off  velocity  block  "
         "offset\n";
}

std::string MidiListingLine(const MidiOut& m, const BlockStart* start, double sampleRate,
                            int numerator) {
  const int onOff = NoteOnOff(m);
  if (onOff < 0) return "";
  char pos[48] = "-";
  if (start) {
    const double beat = start->beat + (double)m.offset / sampleRate * start->tempo / 60.0;
    const long long ticks = llround(beat * kTicksPerQuarter);
    const long long perBar = (long long)kTicksPerQuarter * numerator;
    snprintf(pos, sizeof pos, "%lld:%lld:%03lld", ticks / perBar + 1,
             ticks % perBar / kTicksPerQuarter + 1, ticks % kTicksPerQuarter);
  }
  char line[160];
  snprintf(line, sizeof line, "%-12s %-4s %-3s %3d  block %d  offset %lld\n", pos,
           NoteName(m.bytes[1]).c_str(), onOff ? "on" : "off", m.bytes[2], m.block,
           (long long)m.offset);
  return line;
}

std::string RunSession(const SessionConfig& cfg, FILE* progress, SessionResult* result) {
  Runner r(cfg, progress);
  return r.Run(result);
}

} // namespace auhost
