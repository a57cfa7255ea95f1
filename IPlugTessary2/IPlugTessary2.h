#pragma once
// The melody engine: the plug-in object. It declares the host parameters and builds the
// editor, keeps the note pool and the melody of the loop, and plays the loop as MIDI notes in
// time with the host's transport.
//
// Threads: the host's render thread calls ProcessDoubleReplacing and ProcessMidiMsg with the
// plug-in mutex held by the binding; everything else runs on the main thread. Every engine
// field is guarded by the plug-in mutex, except the atomics the piano roll reads while drawing.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "WDL/IPlug/IMidiQueue.h"
#include "WDL/IPlug/IPlugStructs.h"
#include "IPlugTessary2/EditorEngine.h"
#include "IPlugTessary2/NodePool.h"
#include "IPlugTessary2/NoteSet.h"
#include "IPlugTessary2/NotePoolRules.h"
#include "WDL/IPlug/IPlugAU.h"

class IGraphics;
class IControl;
class IBitmapControl;
class IContactControl;
class IKnobMultiControl;
class IKeyboardControl;
class PianoRollControl;
class IPopupMenuScales;
class IPopupMenuChords;
class IPopupMenuRhythms;
struct HWND__;

// One melody entry. A start entry has a length of 1 or more ticks, an end entry 0.
struct RNote {
  RNote() = default;
  RNote(int note, int lengthTicks, bool locked) : mNote(note, lengthTicks), mLocked(locked) {}

  int32_t mReserved = 0;
  std::pair<int32_t, int32_t> mNote{0, 0}; // MIDI note 0-127 or the rest value -2; ticks
  bool mLocked = false;                    // generation keeps the pitch
};

// Key: samples from the loop start. Equal keys keep insertion order. The engine's melody takes
// its nodes from a pool reserved at construction; a Melody made without one uses the heap.
using MelodyAllocator = PoolAllocator<std::pair<const int, RNote>>;
using Melody = std::multimap<int, RNote, std::less<int>, MelodyAllocator>;
// Entries the engine's melody holds at most (a start and an end entry per note); a note that
// would pass it is refused and the melody keeps what it has.
inline constexpr int kMaxMelodyEntries = 2 * kMaxMelodyNotes;

// Host parameter indices the engine acts on (55 in all, 0-54).
enum EParams {
  kSave = 0,
  kCopy = 1,
  kLoad = 2,
  kSelectNotes = 3,
  kNewMelody = 4,
  kClearBeats = 5,
  kClearPool = 6,
  kRhythmInput = 7,
  kOctaveNegative4 = 8,
  kOctaveZero = 12,
  kOctavePositive4 = 16,
  kNoteLength = 17,
  kQuantize = 18,
  kNumberOfBars = 19,
  kScalesDropdown = 22,
  kChordsDropdown = 23,
  kScaleOrChord = 24,
  kInputRhythmWithMidi = 26,
  kRhythmsDropdown = 27,
  kEffectUpward = 28,
  kEffectDownward = 29,
  kEffectChordSpread = 30,
  kEffectRests = 31,
  kWebsite = 33,
  kEffectNoteProbability = 34,
  kEffectPitchShift = 35,
  kShowKeyboard = 36,
  kLockMode = 37,
  kLockAll = 38,
  kLiveMode = 39,
  kNoteDropdown = 40,
  kZoomOut = 42,
  kZoomIn = 43,
  kEditEffectUpward = 46,
  kEditEffectDownward = 47,
  kEditEffectPitchShift = 48,
  kEditEffectNoteProbability = 49,
  kEditEffectRests = 50,
  kEditEffectChordSpread = 51,
  kLevelKnob = 52,
  kAccuracyKnob = 53,
  kNumParams = 55
};

constexpr int kNumPresets = 8;
constexpr int kMidiQueueReserve = kMaxMelodyNotes + 512; // messages
constexpr int kEditorWidth = 710, kEditorHeight = 365;

class IPlugTessary2 : public IPlugAU, public EditorEngine {
public:
  // Main thread; the factory holds its own lock. Seeds rand() from the clock.
  explicit IPlugTessary2(IPlugInstanceInfo instanceInfo);
  ~IPlugTessary2() override;

  // ---- Host entry points ----

  // Main thread, or a host entry holding the mutex. Takes the mutex. Releases what sounds: the
  // note-offs leave with the next block.
  void Reset() override;
  // Initialize (true), Uninitialize and bypass on (false); takes the mutex. Releases what
  // sounds as Reset does and sends nothing itself.
  void OnActivate(bool active) override;
  // Render thread, mutex held by the binding: a bypassed block. Sends the note-offs of what
  // sounds (and of what is queued), drops queued note-ons; the loop does not move.
  void ProcessBypassedBlock(int nFrames) override;
  // Any thread; takes the mutex. Never throws.
  void OnParamChange(int paramIdx) override;
  // Any thread; takes the mutex. Replays every parameter as a restore (after a saved state or a
  // preset is read, and at initialisation): it lays no rhythm and applies only the shown chooser.
  void OnParamReset() override;
  // Render thread, mutex held by the binding. Writes nothing to the outputs.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  // Render thread (or a host's MIDI entry), mutex held by the binding.
  void ProcessMidiMsg(IMidiMsg* pMsg) override;

  // ---- Editor entry points (EditorEngine); main thread ----

  void SaveMidiFile() override;
  bool GetKeyStatus(int note) override;
  void AddOneFromPianoRoll(int note, int location, int length) override;
  void DeleteOneFromPianoRoll(int note, int location, int length, bool locked) override;
  void UpdateOneFromPianoRoll(int note, int location, int length, int oldNote, int oldLocation,
                              int oldLength, bool locked) override;
  void LockOneFromPianoRoll(int note, int location, bool lock) override;
  void ShiftMelodyFromPianoRoll(int location) override;
  // Takes the mutex (the render thread may be re-deriving the timing).
  int CalculateQuantizedLocation(int ticks) override;
  // Takes the mutex: the roll's whole melody anew, lock marks included.
  void RefreshPianoRoll() override;
  void SetNotePoolFromPianoRoll(int note) override;
  // No lock: answer false while the pool marks are being rebuilt.
  bool IsExplictlySelected(int note) override;
  bool IsImplictlySelected(int note) override;
  // No lock; any thread.
  int GetPlayPosition() const override { return mPosition.load(std::memory_order_relaxed); }
  int GetDisplayLoopLength() const override {
    return mDisplayLoopLength.load(std::memory_order_relaxed);
  }
  int GetActiveBars() const override { return mActiveBars.load(std::memory_order_relaxed); }
  // The roll bounds its adds and drags by it, while it holds its own lock: no engine lock here.
  int GetLoopEndTicks() const override { return mBarTicks.load() * GetActiveBars(); }

  // ---- Lifecycle leftovers ----

  void OpenSite();
  void ToggleToolTips(bool enable);
  void StoreForUndoRedo() {}
  void RhythmInput() {}

  // ---- Timing and loop geometry; callers hold the mutex unless said ----

  int ConvertTicksToFrames(int ticks);  // rounds down; 0 while samples per beat is 0
  int ConvertFramesToTicks(int frames); // rounds to nearest; 0 while samples per beat is 0
  int SnapToTick(int frames);           // the frame of the tick nearest `frames`
  // Moves every key to the frame of its tick at the new samples per beat; 0 on either side
  // leaves the melody as it is.
  void UpdateMelodyWithNewTempo(int oldSamplesPerBeat, int newSamplesPerBeat);
  // Whether an added note may start at this tick: at 0 or later and before the loop end.
  bool IsLocationInLoop(int ticks);
  void SetNumBars(int knob);
  void ChangeNumBars(int bars);

  // ---- Playback and note output (render thread, or main thread under the mutex) ----

  void PlayMelodyLive(int position, bool atLoopEnd);
  void HandleLiveModeNoteChange();
  void PlayNoteLive(int note);
  void TurnNoteOff(int note);
  void TurnOffPlayingNotes();

  // ---- Note pool; mutex held ----

  void SetScale(int index, bool isScale);
  void SetNotesOctaves(int octave, bool on);
  void EraseNotesSelected();
  void ToggleNotesSelected(int note);
  void UpdateNotes(int note);
  void UpdateNotesWithOctaves(int unused);
  void SetImplicits();
  int GetNumKeys(); // takes the mutex

  // ---- Generation and rhythm placement; mutex held ----

  int GetNoteWhenNoneSelected();
  int GetRandomNote(int previous, bool noRest);
  int GetRandomNoteForChord(std::map<int, int> used);
  int RandomChordNote(const UsedNotes& used); // the same over fixed storage
  // False when the melody is full: then nothing is added, drawn or sounded.
  bool GenerateNewNote(int position, bool play, bool noRest);
  void GenerateMelody();
  void SetRhythm(int index);
  int GetNoteAwayFromOthers(std::map<int, int> used, int distance, int index);

  // ---- Whole-melody edits ----

  void EraseMelody();   // mutex held
  void LockUnlockAll(); // takes the mutex
  void PitchShiftMelody(int delta);
  void HumanizeMelody();
  void ReverseMelody(bool mirrorPitch);
  void UpdatePianoRollMelody();

  // ---- MIDI file export; main thread ----

  // Writes the melody inside the loop; false (and one line on stderr) when nothing was written.
  bool GenerateMidiFile(std::string path);
  void CopyMidi();
  void ToClipboardMac();
  void ToClipboard(HWND__* hwnd, const std::string& path);
  int CreateFolder(const char* path);

protected:
  // ---- Timing helpers; mutex held ----

  // Samples per beat, per bar, loop length (in the bars it counts now); the melody's keys and
  // the position move onto their ticks at a new rate.
  void DeriveTiming();
  int TicksToFramesAt(int ticks, int samplesPerBeat) const;  // rounds down
  int FramesToTicksAt(int frames, int samplesPerBeat) const; // rounds to nearest
  // A play position at a new rate: on a tick's frame it stays on it; past one, it stays past
  // it and before the next tick.
  int RetimePosition(int position, int oldSamplesPerBeat, int newSamplesPerBeat);
  void FollowHostTempo();                // once per block, after GetTime
  void ChangeBarCount(double knobValue); // "NumberOfBars" changed
  void CommitPendingBars();              // at the loop wrap
  int GridStep();                        // samples per grid step, nearest whole
  int TapQuantizedPosition();            // mPosition snapped for a tap
  static int BarsForKnob(int knob);      // 1..8 as is, 9 -> 12, 10 -> 16

  // ---- Playback helpers; mutex held ----

  void TapAt(int position); // adds and sounds a tapped note; releases it if already over
  // A pitch belongs to the note that struck it last: only that note's end releases it.
  // StrikeNote sounds a note starting at startKey (a start entry or a tap); a note of the pitch
  // struck at the same sample is the same strike, held to the later end.
  void StrikeNote(int note, int startKey, int lengthTicks);
  // An end entry: releases the pitch when it ends the owning note; a replaced note's end
  // sends nothing.
  void EndNote(int note, int endKey);
  // Whether the note from startTick to endTick owns its sounding pitch.
  bool OwnsPitch(int note, int64_t startTick, int64_t endTick) const;
  // The roll took away the note that started at startKey: its pitch is released when the note
  // owned it, unless a note of the pitch left at that key was struck with it and holds on.
  void ReleaseRemovedNote(int note, int startKey, int64_t startTick, int64_t endTick);
  // A note-off for every sounding note, ascending; false when a full queue refused one.
  bool ReleaseSoundingNotes();
  // Releases what sounds, then sends the queued note-offs at their offsets and drops the
  // queued note-ons: the block of a stopped transport or of a bypassed plug-in.
  void SendReleasesOnly(int nFrames);
  void StepLiveMode(); // once per block

  // ---- Pool, generation and edit helpers; mutex held ----

  void RebuildNotePool();  // from the chosen keys and the octave parameters
  void RebuildNoteMarks(); // implicit marks from the pool, then the key strip
  void PublishNoteMarks(); // copies the mark sets to where the roll's drawing reads them
  // Whether the melody can take this many more entries.
  bool MelodyHasRoom(size_t entries) const;
  // Whether a rebuild that writes two entries per start entry fits the melody.
  bool RebuildFits() const;
  // Key of the end entry of a note starting at `start` (samples), on the tick grid.
  int MelodyEndKey(int start, int lengthTicks);
  // First entry at or after fromKey of `note` whose key rounds to `ticks`: an end entry
  // (length 0), a start entry of that length, or any start entry (length -1); with the given
  // lock flag unless locked is null.
  Melody::iterator FindNoteEntry(int note, long long ticks, int length, const bool* locked,
                                 int fromKey);
  // Rebuilds the melody from its start entries: change(key, note, length ticks) may move
  // or re-pitch each; ends are derived anew. With moves, starts are held inside the loop.
  // Backward walks from the last entry, so that starts landing on one key keep that order.
  void RewriteMelody(const std::function<void(int&, int&, int)>& change, bool moves,
                     bool backward = false);
  // FreshGrid, then one AddNote per start entry; lock marks as stored, or all unlocked.
  void SendMelodyToRoll(bool withLocks);

  // ---- Editor calls, made under the mutex; each does nothing while no editor is built ----

  virtual void RollFreshGrid();
  virtual void RollAddNote(int value, int ticks, int length, bool locked);
  virtual void RollDrawKeyboard();
  virtual void RollLockAll(bool lock); // LockAll or UnlockAll
  virtual void RollZoom(bool in);      // one bar fewer (in) or more on screen
  virtual void RollZoomTo(int bars);
  virtual void KeyboardShowChosenKeys(); // SetKeysSelected(mChosenKeys), then SetDirty(true)
  virtual void ClearChooserMenus();
  virtual void ShowChordChooser(bool chords);
  virtual bool RhythmChooserHasChoice();
  virtual double TapButtonValue();
  virtual void KeyboardMarkDirty();
  virtual int KeyboardKey(); // key index the on-screen keyboard holds, -1 none

  void BuildEditor();
  void DispatchParam(int paramIdx, double value); // OnParamChange's body

  // ---- State, in declaration order ----

  int mNumBars = 1;                       // committed bars: 1..8, 12 or 16
  int mTicksPerQuarter = 120;             // ticks per quarter note
  int mNoteLength = 30;                   // ticks given to new notes
  double mGridPerBeat = 4.0;              // snapping steps per beat
  int mCurrentTempo = 120;                // whole host tempo the timing was derived for
  std::atomic<int> mPosition{0};          // samples from the loop start; read by the roll
  int mLoopLength = 0;                    // samples
  std::atomic<int> mActiveBars{1};        // bars counted in mLoopLength; read by the roll
  std::atomic<int> mBarTicks{480};        // ticks in one bar of the host's meter; read by the roll
  std::atomic<int> mDisplayLoopLength{0}; // samples; read by the roll
  int mScaleIndex = -1;
  int mChordIndex = -1;
  int mRhythmIndex = -2;
  int mKeyboardBaseNote = kKeyboardLowestNote;
  bool mMidiRhythm = false;                // incoming note-ons tap the rhythm
  bool mSounding[128] = {};                // note-on queued, no note-off since
  IGraphics* mEditorGraphics = nullptr;    // owned by the base once attached
  IPopupMenuScales* mScalesMenu = nullptr; // controls are owned by the graphics object
  IPopupMenuChords* mChordsMenu = nullptr;
  IPopupMenuRhythms* mRhythmsMenu = nullptr;
  IKeyboardControl* mKeyboard = nullptr;
  IContactControl* mTapButton = nullptr;
  IBitmapControl* mKeyboardFrame = nullptr;
  // Outgoing MIDI, offsets within the current block. It never grows past what is reserved
  // here or by Reset: room for a new melody's note-offs and a release of every note.
  IMidiQueue mMidiQueue{kMidiQueueReserve};
  int mKeyboardKey = -1;      // key index the on-screen keyboard reports, -1 none
  int mLastKeyboardNote = -1; // note of that key in the previous block
  int mNumKeysHeld = 0;       // MIDI key presses minus releases
  bool mKeyDown[128] = {};    // MIDI input holds the note down
  double mSampleRate = 44100.0;
  ITimeInfo mTimeInfo;                         // host transport, refilled every block
  std::pair<bool, int> mPendingBars{false, 1}; // waiting for the wrap; knob value 1..10
  int mSamplesPerBar = 0;
  int mSamplesPerBeat = 0;
  int mKeysSamplesPerBeat = 0; // the rate the melody's keys and the position lie at
  // Slots of 64 bytes, room for a tree node of one entry; enough for a melody and the copy
  // a rebuild makes of it.
  NodePool mMelodyNodes{64, 2 * kMaxMelodyEntries};
  Melody mMelody{MelodyAllocator(&mMelodyNodes)};
  NoteSet mExplicitNotes;
  NoteSet mImplicitNotes;
  bool mTapLatch = false;
  std::string mSaveFolder;   // start folder of the save dialog; nothing sets it
  std::string mExportFolder; // folder of the clipboard export; nothing sets it
  bool mSelectMode = false;  // nothing sets it
  int mQuantize = 4;
  int mNoteLengthSetting = 0; // "NoteLength" value last applied
  IKnobMultiControl* mLevelKnob = nullptr;
  IKnobMultiControl* mNoteLengthKnob = nullptr;
  // Effect settings no parameter switches into editing; they keep these values.
  int mDownwardLevel = 64, mUpwardLevel = 64, mPitchShiftLevel = 64, mNoteProbabilityLevel = 64;
  double mNoteProbability = 0.5;
  bool mEditDownward = false, mEditUpward = false, mEditPitchShift = false,
       mEditNoteProbability = false;
  bool mRestsOn = false;
  bool mEditRests = false;
  int mRestLevel = 64;          // a drawn note becomes a rest when rand() % 128 is below it
  std::vector<int> mChosenKeys; // ascending
  std::vector<int> mNotePool;   // drawn from by index
  std::array<std::pair<int, bool>, 128> mKeyStates{}; // (selected 0/1, pressed) per note
  bool mEditChordSpread = false;
  int mChordSpreadLevel = 64;
  bool mKeyToggleArmed = false;
  PianoRollControl* mPianoRoll = nullptr;
  bool mLiveMode = false; // nothing sets it
  bool mLiveNoteChange = false, mLiveNoteOnSeen = false, mLiveNoteOffSeen = false;
  int mLiveOnCount = 0, mLiveOffCount = 0, mLiveOnDelay = 1, mLiveOffDelay = 30; // blocks
  NoteSet mHeldNotes;
  // Set while the mark sets are rebuilt; the roll's drawing reads them without the mutex.
  std::atomic<bool> mImplicitBusy{false}, mExplicitBusy{false};
  int mRestNote = -2;
  int mDerivedNumerator = 4; // time-signature numerator the geometry was derived with
  bool mRestoring = false;   // every parameter is being replayed (OnParamReset)
  bool mOctaveOn[9] = {};    // octave copies last switched on, -4..+4
  // The mark sets as the roll's key strip reads them, without the mutex, by note.
  std::atomic<bool> mExplicitMark[128] = {}, mImplicitMark[128] = {};
  // Per pitch: the note that struck it last, while it sounds (ticks), the sample it was struck
  // at, and the latest end struck since the loop last started (a replaced note's end up to
  // there sends nothing).
  struct PitchOwner {
    int64_t startTick = -1, endTick = -1;
    uint32_t struckAt = 0;
    int64_t latestEnd = -1;
  };
  std::array<PitchOwner, 128> mOwners{};
  uint32_t mSampleClock = 0; // counts the samples played; strikes at one count are one
};
