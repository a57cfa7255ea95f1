#pragma once
// The stand-in audio host: loads an AudioUnit bundle with dlopen and talks to it only through
// its three exported entry points and the platform's AudioUnit calls, as a real host would.
//
// One Host drives one instance. Everything runs on the caller's thread; the calls marked
// "render thread" may run on another thread than the rest, one thread at a time, while the
// main thread leaves the host alone (except the plug-in's own calls, which lock).

#include <AudioToolbox/AudioToolbox.h>
#include <CoreFoundation/CoreFoundation.h>

#include <cstdint>
#include <string>
#include <vector>

class NSView;
class NSWindow;
class AUCocoaUIBase;

namespace auhost {

// The host's transport, read by the plug-in through the host callbacks during render.
struct Transport {
  double tempo = 120.0;     // beats per minute
  double beat = 0.0;        // position in quarter notes
  float tsNumerator = 4.0f; // handed to the plug-in as is (not checked by the host)
  uint32_t tsDenominator = 4;
  bool playing = false;
  bool cycling = false;
  double samplePos = 0.0; // timeline position of the next block, in samples
  double cycleStartBeat = 0.0, cycleEndBeat = 0.0;
  double downBeat = 0.0; // current measure's downbeat, in quarter notes
  bool advance = true;   // render moves samplePos and beat on while playing
};

// One MIDI message the plug-in sent: the block it came in (0 for the first rendered block;
// messages sent outside render carry the number of blocks rendered so far), the packet's
// time stamp (the sample offset within the block) and its bytes.
struct MidiOut {
  int block;
  int64_t offset;
  std::vector<uint8_t> bytes;
};

// A property listener's call or an AudioUnit event, in the order they came.
struct Notification {
  enum Kind { kProperty, kParamValue, kBeginGesture, kEndGesture } kind;
  uint32_t id; // property or parameter id
  uint32_t scope, element;
};

struct Preset {
  int number;
  std::string name;
};

class Host {
public:
  Host();
  ~Host(); // closes and unloads what is still open
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // ---- Bundle (main thread) ----

  // Loads <bundleDir>/Contents/MacOS/<name of the bundle without ".component">, finds
  // <prefix>_Entry, _Factory and _ViewEntry, sets the main bundle's identifier for
  // identification (mainBundleID; null leaves it) and registers the factory under desc.
  // False with a message in Error() when something is missing.
  bool Load(const std::string& bundleDir, const std::string& prefix,
            const AudioComponentDescription& desc, const char* mainBundleID = nullptr);
  // Closes any instance and lets go of the bundle (dlclose; the code stays mapped for the
  // process, as hosts keep plug-ins loaded).
  void Unload();
  const std::string& Error() const { return mError; }

  // Registers the loaded bundle's directory under its identifier, so that the plug-in finds
  // its resources and the host its view factory. Before Open.
  void RegisterBundle(const char* identifier);

  void* EntryFn() const { return mEntry; }
  void* FactoryFn() const { return mFactory; }
  void* ViewEntryFn() const { return mViewEntry; }
  // Calls the Component Manager entry of the AudioUnit (view: of the Carbon view) with
  // what (selector), the arguments first to last, and the instance's storage.
  ComponentResult CallEntry(SInt16 what, std::vector<long> args, void* storage, bool view = false);

  // ---- Instance (main thread) ----

  // AudioComponentInstanceNew through the registered factory.
  OSStatus Open();
  // AudioComponentInstanceDispose; removes the host's listeners first.
  OSStatus Close();
  AudioUnit Unit() const { return mUnit; }
  // The plug-in object (private property -101); null when it cannot be read.
  void* PlugObject();

  // Sample rate on the output scope's global form, maximum frames per slice, stream format.
  OSStatus SetSampleRate(double sampleRate);
  OSStatus SetMaxFrames(uint32_t frames);
  OSStatus Initialize();
  OSStatus Uninitialize();
  OSStatus Reset();
  // Gives the plug-in the host callbacks over Transport() (all four procedures).
  OSStatus InstallHostCallbacks();
  // Gives the plug-in the MIDI output callback that fills MidiLog().
  OSStatus InstallMidiOutput();
  // Tells the plug-in the host's name and version (AUHostIdentifier).
  OSStatus IdentifyHost(const char* name, uint8_t major, uint8_t minor, uint8_t bugfix);
  Transport& GetTransport() { return mTransport; }

  OSStatus SetParameter(uint32_t id, float value);
  OSStatus GetParameter(uint32_t id, float* value);

  // ---- Render (render thread) ----

  // MIDI to send at the start of the next block at its offset (MusicDeviceMIDIEvent); the
  // values go to the plug-in as given.
  void QueueMidi(uint32_t offset, uint32_t status, uint32_t data1, uint32_t data2);
  // Renders n blocks of frames each into the host's own two output buffers; stops at the first
  // failure and returns its status. Renders with sample-time-valid time stamps that count on
  // from 0; the transport moves on after each block when it is playing.
  OSStatus Render(int nBlocks, uint32_t frames);
  // Renders one block with the given list and time stamp (for bad-input tests).
  OSStatus RenderRaw(const AudioTimeStamp* ts, uint32_t bus, uint32_t frames,
                     AudioBufferList* list);
  const std::vector<float>& Output(int channel) const { return mOut[channel ? 1 : 0]; }
  int BlocksRendered() const { return mBlocks; }
  const std::vector<MidiOut>& MidiLog() const { return mMidiLog; }
  void ClearMidiLog() { mMidiLog.clear(); }
  // Adds render notifications that log their flags into RenderNotifyLog().
  OSStatus AddRenderNotify();
  OSStatus RemoveRenderNotify();
  const std::vector<uint32_t>& RenderNotifyLog() const { return mNotifyLog; }

  // ---- State, presets, listeners (main thread) ----

  // The state dictionary (caller releases).
  OSStatus GetState(CFPropertyListRef* state);
  OSStatus SetState(CFPropertyListRef state);
  // The factory presets in their order; status in *err when given.
  std::vector<Preset> FactoryPresets(OSStatus* err = nullptr);
  OSStatus ChoosePreset(int number);
  // The current preset (CurrentPreset property).
  OSStatus CurrentPreset(Preset* out);

  // Logs calls of the listener for property id into Notifications().
  OSStatus ListenToProperty(uint32_t id);
  // Logs every parameter event (value, begin and end of a gesture) of the unit.
  OSStatus ListenToParameterEvents();
  const std::vector<Notification>& Notifications() const { return mNotes; }
  void ClearNotifications() { mNotes.clear(); }

  // ---- Editor (main thread) ----

  // Asks the CocoaUI property for the view factory, makes one, asks it for the view (with
  // a preferred size it may ignore) and puts the view into a new stand-in window of the
  // view's size. An open editor is closed first. The status of the first step that failed
  // (-10879 without an editor; -50 when the class or the view cannot be had).
  OSStatus OpenEditor(double preferredW = 100, double preferredH = 100);
  // Removes the view from its window and lets go of the window and the factory.
  void CloseEditor();
  NSView* EditorView() const { return mView; }
  NSWindow* EditorWindow() const { return mWindow; }
  AUCocoaUIBase* ViewFactory() const { return mViewFactory; }

private:
  static OSStatus BeatAndTempo(void* user, Float64* beat, Float64* tempo);
  static OSStatus MusicalTime(void* user, UInt32* delta, Float32* num, UInt32* denom,
                              Float64* downBeat);
  static OSStatus TransportState(void* user, Boolean* playing, Boolean* changed, Float64* sample,
                                 Boolean* cycling, Float64* start, Float64* end);
  static OSStatus TransportState2(void* user, Boolean* playing, Boolean* recording,
                                  Boolean* changed, Float64* sample, Boolean* cycling,
                                  Float64* start, Float64* end);
  static OSStatus MidiOutput(void* user, const AudioTimeStamp* ts, UInt32 outNum,
                             const MIDIPacketList* list);
  static OSStatus RenderNotify(void* user, AudioUnitRenderActionFlags* flags,
                               const AudioTimeStamp* ts, UInt32 bus, UInt32 frames,
                               AudioBufferList* data);
  static void PropertyListener(void* user, AudioUnit unit, AudioUnitPropertyID id,
                               AudioUnitScope scope, AudioUnitElement element);
  static void EventListener(void* user, void* object, const AudioUnitEvent* event, UInt64 time,
                            AudioUnitParameterValue value);

  struct QueuedMidi {
    uint32_t offset;
    uint32_t status, data1, data2;
  };

  std::string mError;
  void* mLib = nullptr;
  void* mEntry = nullptr;
  void* mFactory = nullptr;
  void* mViewEntry = nullptr;
  AudioComponent mComponent = nullptr;
  AudioUnit mUnit = nullptr;
  Transport mTransport;
  double mSampleRate = 44100.0;
  double mSampleTime = 0.0;
  int mBlocks = 0;
  std::vector<float> mOut[2];
  std::vector<QueuedMidi> mMidiQueue;
  std::vector<MidiOut> mMidiLog;
  std::vector<uint32_t> mNotifyLog;
  std::vector<Notification> mNotes;
  std::vector<uint32_t> mListenedProps;
  AUEventListenerRef mEventListener = nullptr;
  std::string mBundleDir;
  AUCocoaUIBase* mViewFactory = nullptr; // one reference
  NSWindow* mWindow = nullptr;           // one reference
  NSView* mView = nullptr;               // one reference
};

} // namespace auhost
