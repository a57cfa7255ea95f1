// The runner: a session's steps carried out by clicking through the plug-in's editor in the
// stand-in host, its MIDI listed as it comes and its files staged until it succeeded.
#include "host/Session.h"
#include "host/SessionCommon.h"
#include "host/Stage.h"

#include "MidiFile/MidiFile.h"

#include <PlatformTestHooks.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace auhost {

namespace {

const double kEditorW = 710, kEditorH = 365;

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

std::string Join(const std::vector<std::string>& words, size_t from) {
  std::string out;
  for (size_t i = from; i < words.size(); ++i) out += (i > from ? " " : "") + words[i];
  return out;
}

std::string Lower(std::string s) {
  for (char& c : s) c = (char)tolower((unsigned char)c);
  return s;
}

// A Standard MIDI File whose chunks fill it exactly, with as many as its header counts: a save
// cut short (a full disk) leaves none such, and the plug-in's button cannot tell the host.
bool IsWholeMidiFile(const std::string& bytes) {
  auto number = [&](size_t at, int n) {
    size_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | (uint8_t)bytes[at + (size_t)i];
    return v;
  };
  if (bytes.size() < 14 || bytes.compare(0, 4, "MThd") != 0 || number(4, 4) != 6) return false;
  size_t at = 14, chunks = 0;
  for (; at + 8 <= bytes.size(); ++chunks) at += 8 + number(at + 4, 4);
  return at == bytes.size() && chunks == number(10, 2);
}

// The notes a saved melody holds: its note-ons, in every track.
int NotesInMidiFile(const std::string& bytes) {
  std::istringstream in(bytes);
  MidiFile f;
  if (f.read(in) != 1) return -1;
  int notes = 0;
  for (int t = 0; t < f.getTrackCount(); ++t)
    for (int e = 0; e < f.getEventCount(t); ++e) notes += f.getEvent(t, e).isNoteOn();
  return notes;
}

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
  bool read = false;
  const std::string bytes = ReadFile(path, &read);
  const int notes = read && IsWholeMidiFile(bytes) ? NotesInMidiFile(bytes) : -1;
  if (notes < 0) return Fail(s, "the plug-in's " + name + " is cut short");
  Wrote(name);
  // "new melody" only draws pitches for the notes a rhythm laid: say when there were none.
  mLog.push_back("saved " + name + " (" + std::to_string(notes) +
                 (notes == 1 ? " note)" : " notes)"));
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

std::string RunSession(const SessionConfig& cfg, FILE* progress, SessionResult* result) {
  Runner r(cfg, progress);
  return r.Run(result);
}

} // namespace auhost
