#include "host/Session.h"

#include <PlatformTestHooks.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace auhost {

namespace {

const double kEditorW = 710, kEditorH = 365;
const int kTicksPerQuarter = 120;

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
    return "";
  }
  return "unknown command '" + s.verb + "'";
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

// The output folder exists (made when missing) and takes files; "" when so.
std::string PrepareOutputFolder(const std::string& out) {
  if (!IsDir(out) && mkdir(out.c_str(), 0755) != 0)
    return "cannot make the output folder " + out + ": " + strerror(errno);
  if (access(out.c_str(), W_OK | X_OK) != 0) return "the output folder " + out + " is not writable";
  return "";
}

class Runner {
public:
  Runner(const SessionConfig& cfg, FILE* progress) : mCfg(cfg), mProgress(progress) {}

  std::string Run(SessionResult* result);

private:
  std::string Start();
  std::string Step(const SessionStep& s);
  std::string Fail(const SessionStep& s, const std::string& msg) {
    return s.line ? Where(mScriptName, s.line) + msg : msg;
  }
  void Click(Point p, int clicks = 1) {
    PlatformTest_PostMouse(mWindow, kPlatformTestMouseDown, p.x, p.y, clicks, 0);
    PlatformTest_PostMouse(mWindow, kPlatformTestMouseUp, p.x, p.y, clicks, 0);
    Idle();
  }
  // Lets the editor's timer draw what changed.
  void Idle() { PlatformTest_AdvanceRunLoop(80); }
  // Renders one block, noting where the transport stood at its start.
  OSStatus RenderBlock(uint32_t frames) {
    const Transport& t = mHost.GetTransport();
    mBlockStarts.push_back({(long long)t.samplePos, t.beat, t.tempo});
    return mHost.Render(1, frames);
  }
  void CollectMidi() {
    const std::vector<MidiOut>& log = mHost.MidiLog();
    for (; mMidiSeen < log.size(); ++mMidiSeen) {
      mMidi.push_back(log[mMidiSeen]);
      mMidi.back().block += mBlockBase;
    }
  }
  float Param(uint32_t id) {
    float v = 0;
    mHost.GetParameter(id, &v);
    return v;
  }
  std::string ChooseFromMenu(Point at, const std::string& wanted, const SessionStep& s);
  std::string SetBars(long bars, const SessionStep& s);
  std::string Play(long bars);
  std::string Save(const std::string& name, const SessionStep& s);
  std::string StateRoundTrip(const SessionStep& s);
  std::string OpenEditor();
  std::string Finish(SessionResult* result);

  const SessionConfig& mCfg;
  FILE* mProgress;
  std::string mScriptName;
  std::string mStage; // staging folder beside the output folder
  Host mHost;
  NSWindow* mWindow = nullptr;
  double mTempo = 120.0;
  int mBlocksPlayed = 0;
  std::vector<std::string> mWritten;    // file names in the staging folder
  std::vector<std::string> mLog;        // what the musician did, for the summary
  std::vector<BlockStart> mBlockStarts; // the transport at each rendered block's start
  // The MIDI sent, numbered by the session's blocks: the host counts blocks per instance.
  std::vector<MidiOut> mMidi;
  size_t mMidiSeen = 0; // entries of the host's log taken into mMidi
  int mBlockBase = 0;   // session blocks rendered before the current instance
};

std::string Runner::OpenEditor() {
  const OSStatus r = mHost.OpenEditor(kEditorW, kEditorH);
  if (r || !mHost.EditorWindow())
    return "the plug-in gave no editor view (status " + std::to_string(r) + ")";
  mWindow = mHost.EditorWindow();
  Idle();
  return "";
}

std::string Runner::Start() {
  mScriptName = mCfg.script.empty() ? "options" : mCfg.script;
  mTempo = mCfg.tempo;
  if (!mHost.Load(mCfg.bundle, kProductEntryPrefix, kProductDesc, "com.Ostrevane.auhost"))
    return "not a Quorlen-VUDE bundle: " + mCfg.bundle + " (" + mHost.Error() + ")";
  // A host learns the identifier from the bundle; the plug-in finds its images through it.
  mHost.RegisterBundle(kProductBundleID);
  OSStatus r = mHost.Open();
  srand(mCfg.seed); // after the constructor seeded from the clock
  if (!r) r = mHost.SetSampleRate(mCfg.sampleRate);
  if (!r) r = mHost.SetMaxFrames((uint32_t)mCfg.blockSize);
  if (!r) r = mHost.InstallHostCallbacks();
  if (!r) r = mHost.InstallMidiOutput();
  if (!r) r = mHost.Initialize();
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

std::string Runner::Play(long bars) {
  Transport& t = mHost.GetTransport();
  const double samplesPerBar = mCfg.sampleRate * 60.0 / mTempo * mCfg.numerator;
  // Whole samples, so that the last block ends on the bar line and nothing of the next bar sounds.
  const long long total = llround(samplesPerBar * (double)bars);
  t.playing = true;
  long long done = 0;
  long bar = 0;
  while (done < total) {
    const uint32_t frames = (uint32_t)std::min<long long>(mCfg.blockSize, total - done);
    if (OSStatus r = RenderBlock(frames)) return "render failed (status " + std::to_string(r) + ")";
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
    return "render failed (status " + std::to_string(r) + ")";
  mLog.push_back("played " + std::to_string(bars) + " bars");
  return "";
}

std::string Runner::Save(const std::string& name, const SessionStep& s) {
  const std::string path = mStage + "/" + name;
  PlatformTest_ScriptPanel(true, path);
  const int shown = PlatformTest_PanelsShown();
  Click(kSaveButton);
  if (PlatformTest_PanelsShown() != shown + 1) return Fail(s, "the save button showed no dialog");
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return Fail(s, "the plug-in wrote no file " + name);
  mWritten.push_back(name);
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
  CollectMidi();
  OSStatus r = mHost.Close();
  if (!r) r = mHost.Open();
  mBlockBase = (int)mBlockStarts.size();
  if (!r) r = mHost.SetSampleRate(mCfg.sampleRate);
  if (!r) r = mHost.SetMaxFrames((uint32_t)mCfg.blockSize);
  if (!r) r = mHost.InstallHostCallbacks();
  if (!r) r = mHost.InstallMidiOutput();
  if (!r) r = mHost.Initialize();
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
    return Play(b);
  }
  if (s.verb == "snapshot") {
    Idle();
    if (!PlatformTest_SaveWindowPNG(mWindow, (mStage + "/" + s.args[0]).c_str()))
      return Fail(s, "cannot write " + s.args[0]);
    mWritten.push_back(s.args[0]);
    return "";
  }
  if (s.verb == "save") return Save(s.args[0], s);
  if (s.verb == "state-roundtrip") return StateRoundTrip(s);
  return Fail(s, "unknown command '" + s.verb + "'");
}

std::string Runner::Finish(SessionResult* result) {
  CollectMidi();
  const std::string listing = MidiListing(mMidi, mBlockStarts, mCfg.sampleRate, mCfg.numerator);
  {
    std::ofstream f(mStage + "/midi-out.txt", std::ios::binary);
    f << listing;
    if (!f) return "cannot write midi-out.txt";
  }
  mWritten.push_back("midi-out.txt");
  for (const MidiOut& m : mMidi) {
    if (m.bytes.size() != 3) continue;
    const int kind = m.bytes[0] & 0xF0;
    if (kind == 0x90 && m.bytes[2] > 0)
      ++result->notesOn;
    else if (kind == 0x80 || kind == 0x90)
      ++result->notesOff;
  }
  // Move everything into the output folder only now: a failed session leaves nothing there.
  for (const std::string& name : mWritten) {
    const std::string to = mCfg.out + "/" + name;
    if (rename((mStage + "/" + name).c_str(), to.c_str()) != 0)
      return "cannot move " + name + " into " + mCfg.out + ": " + strerror(errno);
    result->files.push_back(to);
  }
  result->blocks = (int)mBlockStarts.size();
  result->midi = mMidi;
  result->blockStarts = mBlockStarts;
  std::ostringstream sum;
  sum << "Quorlen-VUDE session (seed " << mCfg.seed << ", " << mTempo << " bpm, " << mCfg.numerator
      << "/" << mCfg.denominator << ", " << mCfg.sampleRate << " Hz, " << mCfg.blockSize
      << "-frame blocks)\n";
  for (const std::string& l : mLog) sum << "  " << l << "\n";
  sum << "  " << result->blocks << " blocks rendered, " << result->notesOn << " note-ons and "
      << result->notesOff << " note-offs sent\n";
  sum << "Files in " << mCfg.out << ":\n";
  for (const std::string& name : mWritten) sum << "  " << name << "\n";
  result->summary = sum.str();
  return "";
}

std::string Runner::Run(SessionResult* result) {
  if (!IsDir(mCfg.bundle) || !IsDir(mCfg.bundle + "/Contents/MacOS"))
    return "no plug-in bundle at " + mCfg.bundle;
  if (std::string e = PrepareOutputFolder(mCfg.out); !e.empty()) return e;
  const std::string tmpl = mCfg.out + "/.quorlen-stage-XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) return "cannot write into the output folder " + mCfg.out;
  mStage = buf.data();
  std::string err = Start();
  const std::vector<SessionStep> steps =
      mCfg.steps.empty() ? DefaultSessionSteps(mCfg) : mCfg.steps;
  for (size_t i = 0; err.empty() && i < steps.size(); ++i) err = Step(steps[i]);
  if (err.empty()) err = Finish(result);
  mHost.CloseEditor();
  mWindow = nullptr;
  mHost.Unload();
  // What was not moved (a failed session) goes with the staging folder.
  for (const std::string& name : mWritten) unlink((mStage + "/" + name).c_str());
  rmdir(mStage.c_str());
  return err;
}

} // namespace

std::string ParseSessionArgs(int argc, char** argv, SessionConfig* cfg) {
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
  }
  if (cfg->bundle.empty()) return "no bundle given (--bundle)";
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
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
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

std::string MidiListing(const std::vector<MidiOut>& log, const std::vector<BlockStart>& blockStarts,
                        double sampleRate, int numerator) {
  std::ostringstream out;
  out << "# bar:beat:tick (" << kTicksPerQuarter
      << " ticks per quarter, from the transport's start)  note  on/off  velocity  block  "
         "offset\n";
  for (const MidiOut& m : log) {
    if (m.bytes.size() != 3) continue;
    const int kind = m.bytes[0] & 0xF0;
    if (kind != 0x80 && kind != 0x90) continue;
    char pos[48] = "-";
    if (m.block >= 0 && (size_t)m.block < blockStarts.size()) {
      const BlockStart& b = blockStarts[(size_t)m.block];
      const double beat = b.beat + (double)m.offset / sampleRate * b.tempo / 60.0;
      const long long ticks = llround(beat * kTicksPerQuarter);
      const long long perBar = (long long)kTicksPerQuarter * numerator;
      snprintf(pos, sizeof pos, "%lld:%lld:%03lld", ticks / perBar + 1,
               ticks % perBar / kTicksPerQuarter + 1, ticks % kTicksPerQuarter);
    }
    const bool on = kind == 0x90 && m.bytes[2] > 0;
    char line[160];
    snprintf(line, sizeof line, "%-12s %-4s %-3s %3d  block %d  offset %lld\n", pos,
             NoteName(m.bytes[1]).c_str(), on ? "on" : "off", m.bytes[2], m.block,
             (long long)m.offset);
    out << line;
  }
  return out.str();
}

std::string RunSession(const SessionConfig& cfg, FILE* progress, SessionResult* result) {
  Runner r(cfg, progress);
  return r.Run(result);
}

} // namespace auhost
