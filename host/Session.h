#pragma once
// A musician's session with the plug-in in the stand-in host: choices made by clicking the
// editor's controls and its menus, a melody generated and played with the transport running,
// saved through the save button, and the plug-in's state saved and restored.
//
// Everything runs on the caller's (main) thread; render runs there too, between editor steps.

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "host/auhost.h"

namespace auhost {

// The product a session loads: its component description, the prefix of its three entry
// points and its bundle identifier.
inline constexpr AudioComponentDescription kProductDesc{
    0x61756D66 /* 'aumf' */, 0x51726C4D /* 'QrlM' */, 0x5A76656B /* 'Zvek' */, 0, 0};
inline constexpr char kProductEntryPrefix[] = "IPlugTessary2";
inline constexpr char kProductBundleID[] = "com.Ostrevane.audiounit.Quorlen-VUDE";

// One step of a session: a verb and its words, with the script line it came from (0 when it
// came from the command line's defaults).
struct SessionStep {
  int line = 0;
  std::string verb;
  std::vector<std::string> args;
};

// Where the transport stood at the start of a rendered block. A stopped transport does not
// move, so a play after a stop goes on from where the last one ended.
struct BlockStart {
  long long sample; // samples from the transport's start
  double beat;      // quarter notes from the transport's start
  double tempo;     // beats per minute for the whole block
};

struct SessionConfig {
  std::string bundle; // the .component folder
  // Output folder; relative paths are taken from the working folder. Made when missing, and
  // only by a session that succeeded.
  std::string out = "quorlen-session";
  unsigned seed = 1;
  double tempo = 120.0; // beats per minute
  int numerator = 4;    // time signature
  int denominator = 4;
  double sampleRate = 44100.0;
  int blockSize = 512; // frames per render block
  std::string key = "C";
  std::string scale = "Major";
  std::string rhythm = "1/8";
  int bars = 2;             // bars in the loop
  int playBars = 4;         // bars played with the transport running
  std::vector<int> octaves; // octave copies switched on besides 0, -4..4
  std::string script;       // script file; its steps replace the default ones
  std::vector<SessionStep> steps;
  // Set to a signal's number (by its handler) to stop the session: a play at its next block,
  // any other step when it is done. The output folder is left as it was.
  const volatile sig_atomic_t* stop = nullptr;
  // Called with each MIDI message the plug-in sent, in order, and the transport at the start
  // of the block it belongs to (null when no block followed it); for tests. An exception
  // thrown here fails the session as any other would.
  std::function<void(const MidiOut&, const BlockStart*)> midiSent;
};

// Reads the command line into cfg; "" when it is good, else the message for the user.
std::string ParseSessionArgs(int argc, char** argv, SessionConfig* cfg);
// Reads script text into steps; "" when every line is understood, else "<name>:<line>: ...".
std::string ParseSessionScript(const std::string& text, const std::string& name,
                               std::vector<SessionStep>* steps);
// The steps of a session from the options alone.
std::vector<SessionStep> DefaultSessionSteps(const SessionConfig& cfg);

// "C4" for 60; octave numbers start at -1 for note 0.
std::string NoteName(int note);

// The MIDI the plug-in sent as readable lines (midi-out.txt): a first line naming the columns,
// then a line a note message: bar:beat:tick (120 ticks per quarter note, from the transport's
// start), note name, on/off, velocity, block and sample offset. A message's position is its
// block's beat plus its offset at that block's tempo; "-" when start is null. Other messages
// give "".
std::string MidiListingHeader();
std::string MidiListingLine(const MidiOut& m, const BlockStart* start, double sampleRate,
                            int numerator);

// What a finished session reports.
struct SessionResult {
  int notesOn = 0, notesOff = 0;
  int blocks = 0;
  std::vector<std::string> files; // written into the output folder, full paths
  std::string summary;
};

// Runs the session; "" on success, else the message. Outputs are written to a staging folder
// and moved into the output folder only when every step succeeded, replacing files of the same
// names; on any failure or a stop the output folder holds what it held before (and is not made
// when it was missing). progress gets one line per bar played (may be null).
std::string RunSession(const SessionConfig& cfg, FILE* progress, SessionResult* result);

} // namespace auhost
