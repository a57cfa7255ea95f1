// The session's options and script: the command line and a script file read into steps, and
// the default session's steps.
#include "host/Session.h"
#include "host/SessionCommon.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace auhost {

namespace {

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
      e = need(ParseInt(val, -4, 4, &v), "an octave -4..4");
      // Octave 0 is on from the start.
      if (e.empty() && v != 0 &&
          std::find(cfg->octaves.begin(), cfg->octaves.end(), v) == cfg->octaves.end())
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
    if (IsDir(cfg->script)) return "the script " + cfg->script + " is a folder, not a file";
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

} // namespace auhost
