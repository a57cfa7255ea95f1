// A long random session of the real bundle in the stand-in host, as an impolite host runs it:
// blocks of random sizes, transport, tempo and meter changes, sample-rate and block-size
// changes with re-initialisation, parameters and scheduled events in and out of range, MIDI in
// of every kind, states (saved, random, truncated), presets, property calls with random ids
// and sizes, and the editor with random clicks, drags, wheel, keys and menu choices.
//
// Invariants are checked as the session goes; a broken one is recorded with the call number,
// so that the seed and the number replay it. QV_STRESS_SEED and QV_STRESS_CALLS override the
// seed and the length.
#pragma once

#include "host/Session.h"
#include "host/auhost.h"
#include "tests/host/au_property_ids.h"
#include "WDL/IPlug/IPlugAU_Private.h"
#include "testsupport/alloc_count.h"

#include <AudioUnit/AudioUnit.h>
#include <AudioUnit/MusicDevice.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreMIDI/CoreMIDI.h>
#include <PlatformTestHooks.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <limits>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace stress {

using qv_test::gNews;
using qv_test::tCounting;

constexpr uint32_t kMaxFramesEver = 4096;

inline long EnvLong(const char* name, long fallback) {
  const char* v = getenv(name);
  return v && *v ? strtol(v, nullptr, 10) : fallback;
}

struct Report {
  std::map<std::string, long> calls; // by kind
  long blocks = 0, notesOn = 0, notesClosed = 0, statesRestored = 0, statesRefused = 0;
  long transportStops = 0, bypassesOn = 0, releasedByBypass = 0;
  std::string Text() const {
    std::string s;
    long total = 0;
    for (const auto& c : calls) total += c.second;
    s += "calls " + std::to_string(total) + ":";
    for (const auto& c : calls) s += " " + c.first + "=" + std::to_string(c.second);
    s += "\nblocks rendered " + std::to_string(blocks) + ", note-ons sent " +
         std::to_string(notesOn) + ", keys released " + std::to_string(notesClosed) +
         ", transport stops " + std::to_string(transportStops) + ", states restored " +
         std::to_string(statesRestored) + " (refused " + std::to_string(statesRefused) +
         "), bypass switched on " + std::to_string(bypassesOn) + " times (notes released " +
         std::to_string(releasedByBypass) + ")\n";
    return s;
  }
};

class Session {
public:
  Session(const std::string& bundle, uint32_t seed, long calls, bool threaded)
      : mBundle(bundle), mSeed(seed), mCalls(calls), mThreaded(threaded), mRng(seed),
        mRenderRng(seed ^ 0x9E3779B9u) {}

  // Runs the session; false with the broken invariants in Failures().
  bool Run() {
    // The GDI emulation's record pool in the bundle is never freed, so every unload of the
    // bundle leaks it (left to its owner); kept mapped, the pool stays reachable and one.
    const std::string so = mBundle + "/Contents/MacOS/Quorlen-VUDE";
    void* pin = dlopen(so.c_str(), RTLD_NOW | RTLD_NODELETE);
    if (!pin) Fail(std::string("pin: ") + dlerror());
    // A first load and unload fills the process-wide registries; the count is taken after it.
    // A short session first: what the bundle keeps for the process (it stays mapped) is made
    // then, before the count is taken.
    if (!Start()) return false;
    const long calls = mCalls;
    mCalls = 2000;
    RunSingle();
    for (auto& saved : mSaved) CFRelease(saved.first);
    mSaved.clear();
    Stop();
    mCalls = calls;
    mMade = 0;
    mReport = Report();
    mBaseline = PlatformTest_LiveObjectCount();
    if (!Start()) return false;
    if (mThreaded)
      RunThreaded();
    else
      RunSingle();
    for (auto& saved : mSaved) CFRelease(saved.first);
    mSaved.clear();
    Stop();
    if (pin) dlclose(pin);
    const long live = PlatformTest_LiveObjectCount();
    if (live != mBaseline)
      Fail("live objects " + std::to_string(live) + " after unload, " + std::to_string(mBaseline) +
           " before");
    return mFailures.empty();
  }

  const std::vector<std::string>& Failures() const { return mFailures; }
  const Report& GetReport() const { return mReport; }
  long AllocationsInRender() const { return mRenderAllocs; }

private:
  // ---- Set-up ----

  bool Start() {
    if (!mHost.Load(mBundle, auhost::kProductEntryPrefix, auhost::kProductDesc)) {
      Fail("load: " + mHost.Error());
      return false;
    }
    mHost.RegisterBundle(auhost::kProductBundleID);
    const std::string home = mBundle + "/../stress home";
    mkdir(home.c_str(), 0755);
    mkdir((home + "/Desktop").c_str(), 0755);
    PlatformTest_SetHomeDirectory(home.c_str());
    OSStatus r = mHost.Open();
    srand(mSeed); // after the constructor seeded from the clock
    mSampleRate = 44100.0;
    mMaxFrames = 512;
    mBypassed = false; // a new instance
    mReleaseDue = false;
    if (!r) r = mHost.SetSampleRate(mSampleRate);
    if (!r) r = mHost.SetMaxFrames(mMaxFrames);
    if (!r) r = mHost.InstallHostCallbacks();
    AUMIDIOutputCallbackStruct cb{MidiOut, this};
    if (!r)
      r = AudioUnitSetProperty(mHost.Unit(), kAudioUnitProperty_MIDIOutputCallback,
                               kAudioUnitScope_Global, 0, &cb, sizeof(cb));
    if (!r) r = mHost.Initialize();
    if (r) {
      Fail("set-up refused with status " + std::to_string(r));
      return false;
    }
    ReadParameterInfo();
    return true;
  }

  void Stop() {
    mHost.CloseEditor();
    PlatformTest_AdvanceRunLoop(50);
    mHost.Unload();
    PlatformTest_ResetCocoa();
  }

  void ReadParameterInfo() {
    mParams.clear();
    UInt32 size = 0;
    Boolean writable = 0;
    const AudioUnit u = mHost.Unit();
    if (AudioUnitGetPropertyInfo(u, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0,
                                 &size, &writable))
      return;
    std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
    if (AudioUnitGetProperty(u, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0,
                             ids.data(), &size))
      return;
    for (AudioUnitParameterID id : ids) {
      AudioUnitParameterInfo info;
      UInt32 sz = sizeof(info);
      if (AudioUnitGetProperty(u, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id,
                               &info, &sz))
        continue;
      if (info.cfNameString) CFRelease(info.cfNameString);
      if (info.unitName) CFRelease(info.unitName);
      mParams.push_back({id, info.minValue, info.maxValue});
    }
  }

  // ---- The two ways to run ----

  void RunSingle() {
    while (mMade < mCalls && mFailures.size() < 20) {
      const int pick = Uniform(mRng, 0, 99);
      if (pick < 40)
        RenderStep(mRng);
      else
        MainStep(pick);
    }
    StopTransportAndCheck(mRng);
  }

  void RunThreaded() {
    std::atomic<bool> done{false};
    std::thread render([&] {
      while (!done) {
        // About two blocks' worth of calls for each call of the main thread.
        if (mRenderSteps > 2 * mMainSteps + 8) {
          std::this_thread::yield();
          continue;
        }
        ++mRenderSteps;
        {
          std::lock_guard<std::mutex> gate(mGate);
          RenderStep(mRenderRng);
        }
        std::this_thread::yield();
      }
      std::lock_guard<std::mutex> gate(mGate);
      StopTransportAndCheck(mRenderRng);
    });
    while (mMade < mCalls && FailureCount() < 20) {
      MainStep(Uniform(mRng, 40, 99));
      ++mMainSteps;
    }
    done = true;
    render.join();
  }

  // ---- Render thread: blocks, transport, MIDI in, scheduled parameter events ----

  void RenderStep(std::mt19937& rng) {
    auhost::Transport& t = mHost.GetTransport();
    const int pick = Uniform(rng, 0, 99);
    if (pick < 6) {
      Count("transport");
      if (t.playing)
        StopTransportAndCheck(rng);
      else
        t.playing = true;
      return;
    }
    if (pick < 10) {
      Count("tempo/meter");
      const double tempos[] = {1, 60, 120, 133.3, 300, 999, 0, -20};
      t.tempo = tempos[Uniform(rng, 0, 7)];
      const float nums[] = {1, 3, 4, 5, 7, 12, 0, -3, 1000};
      t.tsNumerator = nums[Uniform(rng, 0, 8)];
      const uint32_t dens[] = {1, 2, 4, 8, 16, 0, 3, 1u << 31};
      t.tsDenominator = dens[Uniform(rng, 0, 7)];
      if (Uniform(rng, 0, 3) == 0) t.beat = Uniform(rng, 0, 1000) / 4.0;
      return;
    }
    if (pick < 30) {
      for (int n = Uniform(rng, 1, 4); n > 0; --n) MidiIn(rng);
    }
    if (pick >= 30 && pick < 40) ScheduleEvents(rng);
    RenderBlock(rng);
  }

  void MidiIn(std::mt19937& rng) {
    Count("midi in");
    const AudioUnit u = mHost.Unit();
    const uint32_t offset = Uniform(rng, 0, 9) ? Uniform(rng, 0, (int)mMaxFrames) : rng();
    const int kind = Uniform(rng, 0, 9);
    OSStatus st;
    // What it sends back lands in the next block, at most the maximum long.
    tFrames = mMaxFrames;
    tInRender = true;
    std::pair<uint32_t, uint32_t> held{16, 0}; // channel, note of a note-on sent
    const long before = gNews.load();
    tCounting = true;
    if (kind == 0) {
      uint8_t sysex[64];
      const int n = Uniform(rng, 0, 64);
      for (int i = 0; i < n; ++i) sysex[i] = (uint8_t)rng();
      if (n > 0 && Uniform(rng, 0, 1)) sysex[0] = 0xF0;
      st = MusicDeviceSysEx(u, n ? sysex : nullptr, (UInt32)n);
    } else {
      static const uint32_t kStatus[] = {0x90, 0x80, 0xB0, 0xC0, 0xE0, 0xA0, 0xD0, 0xF8, 0x40};
      uint32_t status = kStatus[Uniform(rng, 0, 8)] | (uint32_t)Uniform(rng, 0, 15);
      if (Uniform(rng, 0, 15) == 0) status = rng();
      const uint32_t note = Uniform(rng, 0, 7) ? Uniform(rng, 0, 127) : Uniform(rng, 128, 300);
      uint32_t vel = Uniform(rng, 0, 3) ? Uniform(rng, 1, 127) : 0;
      if (Uniform(rng, 0, 7) == 0) vel = Uniform(rng, 128, 255);
      st = MusicDeviceMIDIEvent(u, status, note, vel, offset);
      // The unit takes the low byte of each word, as the platform's MIDI call does.
      if ((status & 0xF0) == 0x90 && (vel & 0xFF) != 0) held = {status & 0x0F, note & 0xFF};
    }
    tCounting = false;
    if (held.first < 16) mHeldIn.push_back(held); // a host releases what it pressed
    tInRender = false;
    (void)st; // bad MIDI may be refused; it must not crash or corrupt
    if (gNews.load() - before > 0) Fail("MIDI in allocated");
  }

  void ScheduleEvents(std::mt19937& rng) {
    Count("scheduled params");
    AudioUnitParameterEvent ev[4];
    const int n = Uniform(rng, 1, 4);
    for (int i = 0; i < n; ++i) {
      ev[i] = AudioUnitParameterEvent{};
      ev[i].scope = Uniform(rng, 0, 5) ? 0u : (AudioUnitScope)Uniform(rng, 0, 8);
      ev[i].element = Uniform(rng, 0, 5) ? 0 : rng();
      ev[i].parameter = RandomParamId(rng);
      if (Uniform(rng, 0, 1)) {
        ev[i].eventType = kParameterEvent_Immediate;
        ev[i].eventValues.immediate.bufferOffset =
            Uniform(rng, 0, 3) ? Uniform(rng, 0, 600) : rng();
        ev[i].eventValues.immediate.value = RandomValue(rng, ev[i].parameter);
      } else {
        ev[i].eventType = Uniform(rng, 0, 5) ? (uint32_t)kParameterEvent_Ramped : (uint32_t)rng();
        ev[i].eventValues.ramp.startBufferOffset = (SInt32)Uniform(rng, -100, 600);
        ev[i].eventValues.ramp.durationInFrames = Uniform(rng, 0, 3) ? Uniform(rng, 0, 600) : rng();
        ev[i].eventValues.ramp.startValue = RandomValue(rng, ev[i].parameter);
        ev[i].eventValues.ramp.endValue = RandomValue(rng, ev[i].parameter);
      }
    }
    AudioUnitScheduleParameters(mHost.Unit(), ev, (UInt32)n);
  }

  // tooManyAllowed: now and then a block above the maximum, which must be refused.
  void RenderBlock(std::mt19937& rng, bool tooManyAllowed = true) {
    Count("render");
    const uint32_t max = mMaxFrames;
    uint32_t frames = Uniform(rng, 0, 7) ? (uint32_t)Uniform(rng, 1, (int)max) : max;
    const bool tooMany = Uniform(rng, 0, 49) == 0 && tooManyAllowed;
    if (tooMany) frames = max + 1;
    if (frames > kMaxFramesEver + 1) frames = kMaxFramesEver + 1;
    for (auto& ch : mOut)
      for (uint32_t i = 0; i < frames; ++i) ch[i] = 1.0f;
    struct {
      UInt32 n;
      AudioBuffer b[2];
    } list{2, {{1, frames * 4, mOut[0]}, {1, frames * 4, mOut[1]}}};
    AudioTimeStamp ts{};
    ts.mSampleTime = mSampleTime;
    ts.mFlags = kAudioTimeStampSampleTimeValid;
    AudioUnitRenderActionFlags flags = 0;
    tFrames = frames;
    tInRender = true;
    tBypassedBlock = mBypassed;
    const bool releaseDue = mBypassed && mReleaseDue;
    tReleaseBlock = releaseDue;
    const long before = gNews.load();
    tCounting = true;
    const OSStatus st = AudioUnitRender(mHost.Unit(), &flags, &ts, 0, frames,
                                        reinterpret_cast<AudioBufferList*>(&list));
    tCounting = false;
    const long news = gNews.load() - before;
    tInRender = false;
    tBypassedBlock = false;
    tReleaseBlock = false;
    if (tooMany) {
      if (st == noErr) Fail("a block above the maximum was rendered");
      return;
    }
    if (st) {
      Fail("render of " + std::to_string(frames) + " frames: status " + std::to_string(st));
      return;
    }
    if (releaseDue) CheckReleasedByBypass();
    // Past the warm-up session, nothing a host or a musician does makes render allocate.
    if (news) {
      mRenderAllocs += news;
      Fail("render allocated " + std::to_string(news) + " times");
    }
    for (auto& ch : mOut)
      for (uint32_t i = 0; i < frames; ++i)
        if (ch[i] != 0.0f) {
          Fail("output not silent at frame " + std::to_string(i));
          break;
        }
    Bump(mReport.blocks);
    mSampleTime += frames;
    auhost::Transport& t = mHost.GetTransport();
    if (t.playing) {
      t.samplePos += frames;
      t.beat += frames / mSampleRate * t.tempo / 60.0;
    }
  }

  // Releases the held input notes, stops, renders a block: nothing may still sound.
  void StopTransportAndCheck(std::mt19937& rng) {
    const AudioUnit u = mHost.Unit();
    for (const auto& h : mHeldIn) MusicDeviceMIDIEvent(u, 0x80 | h.first, h.second, 0, 0);
    mHeldIn.clear();
    mHost.GetTransport().playing = false;
    RenderBlock(rng, false);
    Bump(mReport.transportStops);
    int open = 0;
    std::string which;
    {
      std::lock_guard<std::mutex> lock(mMidiMutex);
      for (int c = 0; c < 16; ++c)
        for (int n = 0; n < 128; ++n)
          if (mOpen[c][n]) {
            open += mOpen[c][n];
            which += " " + std::to_string(c + 1) + ":" + std::to_string(n);
          }
    }
    if (open)
      Fail(std::to_string(open) +
           " notes still sounding after the transport stopped (channel:note" + which + ")");
  }

  // ---- Main thread ----

  void MainStep(int pick) {
    if (pick < 55)
      SetParameterStep();
    else if (pick < 65)
      StateStep();
    else if (pick < 69)
      PresetStep();
    else if (pick < 82)
      PropertyStep();
    else if (pick < 97)
      EditorStep();
    else
      ReinitStep();
  }

  void SetParameterStep() {
    Count("set param");
    const AudioUnitParameterID id = RandomParamId(mRng);
    const float v = RandomValue(mRng, id);
    if (Uniform(mRng, 0, 1))
      mHost.SetParameter(id, v);
    else
      AudioUnitSetParameter(mHost.Unit(), id, Uniform(mRng, 0, 7) ? 0 : Uniform(mRng, 0, 8),
                            Uniform(mRng, 0, 7) ? 0 : mRng(), v, Uniform(mRng, 0, 1000));
    float got = 0;
    mHost.GetParameter(id, &got);
  }

  std::vector<float> ParamValues() {
    std::vector<float> v;
    for (const auto& p : mParams) {
      float x = 0;
      mHost.GetParameter(p.id, &x);
      v.push_back(x);
    }
    return v;
  }

  void CheckRestored(const std::vector<float>& saved, const char* what) {
    const std::vector<float> now = ParamValues();
    for (size_t i = 0; i < saved.size() && i < now.size(); ++i) {
      if (now[i] == saved[i] || (saved[i] == -1.0f && now[i] == 0.0f)) continue;
      Fail(std::string(what) + ": parameter " + std::to_string(mParams[i].id) + " saved " +
           std::to_string(saved[i]) + " came back " + std::to_string(now[i]));
      return;
    }
  }

  void StateStep() {
    Count("state");
    // Scheduled events on the render thread change parameters too: hold it off meanwhile.
    std::unique_lock<std::mutex> gate(mGate, std::defer_lock);
    if (mThreaded) gate.lock();
    const int kind = Uniform(mRng, 0, 9);
    if (kind < 4 || mSaved.empty()) {
      CFPropertyListRef s = nullptr;
      // The values first: the render thread changes nothing that a state keeps.
      const std::vector<float> values = ParamValues();
      if (mHost.GetState(&s) || !s) {
        Fail("the state could not be read");
        return;
      }
      if (mSaved.size() >= 6) {
        CFRelease(mSaved.front().first);
        mSaved.erase(mSaved.begin());
      }
      mSaved.push_back({s, values});
      if (kind < 2) { // straight back
        if (mHost.SetState(s)) Fail("the plug-in refused its own state");
        CheckRestored(values, "state");
        Bump(mReport.statesRestored);
      }
      return;
    }
    if (kind < 7) { // an older one
      const auto& saved = mSaved[Uniform(mRng, 0, (int)mSaved.size() - 1)];
      if (mHost.SetState(saved.first)) Fail("the plug-in refused an older state of its own");
      CheckRestored(saved.second, "older state");
      Bump(mReport.statesRestored);
      return;
    }
    // A damaged one: a refusal leaves the parameters as they were.
    CFMutableDictionaryRef d = DamagedCopy(mSaved[Uniform(mRng, 0, (int)mSaved.size() - 1)].first);
    const std::vector<float> before = ParamValues();
    const OSStatus st = mHost.SetState(d);
    CFRelease(d);
    if (st) {
      Bump(mReport.statesRefused);
      CheckRestored(before, "refused state");
    }
  }

  CFMutableDictionaryRef DamagedCopy(CFPropertyListRef state) {
    static const char* const kKeys[] = {"version", "type", "subtype", "manufacturer",
                                        "name",    "data", "other"};
    CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                         &kCFTypeDictionaryValueCallBacks);
    for (const char* k : kKeys) {
      CFStringRef key = CFStringCreateWithCString(nullptr, k, kCFStringEncodingUTF8);
      if (const void* v = CFDictionaryGetValue(static_cast<CFDictionaryRef>(state), key))
        CFDictionarySetValue(d, key, v);
      CFRelease(key);
    }
    for (int edits = Uniform(mRng, 1, 3); edits > 0; --edits) {
      CFStringRef key =
          CFStringCreateWithCString(nullptr, kKeys[Uniform(mRng, 0, 6)], kCFStringEncodingUTF8);
      CFTypeRef v = nullptr;
      const CFTypeRef old = CFDictionaryGetValue(d, key);
      switch (Uniform(mRng, 0, 5)) {
      case 0: { // the same data cut short, or with a byte changed
        if (old && CFGetTypeID(old) == CFDataGetTypeID()) {
          const CFDataRef data = static_cast<CFDataRef>(old);
          std::vector<uint8_t> bytes(CFDataGetBytePtr(data),
                                     CFDataGetBytePtr(data) + CFDataGetLength(data));
          if (!bytes.empty() && Uniform(mRng, 0, 1))
            bytes[Uniform(mRng, 0, (int)bytes.size() - 1)] = (uint8_t)mRng();
          else
            bytes.resize(bytes.empty() ? 0 : Uniform(mRng, 0, (int)bytes.size() - 1));
          v = CFDataCreate(nullptr, bytes.data(), (CFIndex)bytes.size());
        }
        break;
      }
      case 1: {
        std::vector<uint8_t> bytes(Uniform(mRng, 0, 64));
        for (auto& b : bytes) b = (uint8_t)mRng();
        v = CFDataCreate(nullptr, bytes.data(), (CFIndex)bytes.size());
        break;
      }
      case 2: {
        const SInt32 n = (SInt32)mRng();
        v = CFNumberCreate(nullptr, kCFNumberSInt32Type, &n);
        break;
      }
      case 3: {
        const double n = Uniform(mRng, 0, 1) ? std::nan("") : -1e300;
        v = CFNumberCreate(nullptr, kCFNumberFloat64Type, &n);
        break;
      }
      case 4:
        v = CFStringCreateWithCString(nullptr, "Quorlen", kCFStringEncodingUTF8);
        break;
      default:
        CFDictionaryRemoveValue(d, key);
        break;
      }
      if (v) {
        CFDictionarySetValue(d, key, v);
        CFRelease(v);
      }
      CFRelease(key);
    }
    return d;
  }

  void PresetStep() {
    Count("preset");
    if (Uniform(mRng, 0, 3) == 0) {
      mHost.FactoryPresets();
      return;
    }
    const int n = Uniform(mRng, 0, 9) ? Uniform(mRng, 0, 7) : (int)mRng();
    mHost.ChoosePreset(n);
    auhost::Preset p;
    mHost.CurrentPreset(&p);
  }

  void PropertyStep() {
    Count("property");

    const AudioUnit u = mHost.Unit();
    const UInt32 id = Uniform(mRng, 0, 9)
                          ? kAskedPropertyIds[Uniform(mRng, 0, kNumAskedPropertyIds - 1)]
                          : mRng();
    const UInt32 scope = Uniform(mRng, 0, 3) ? Uniform(mRng, 0, 4) : mRng();
    const UInt32 element = Uniform(mRng, 0, 3) ? Uniform(mRng, 0, 60) : mRng();
    UInt32 size = Uniform(mRng, 0, 3) ? Uniform(mRng, 0, 64) : Uniform(mRng, 65, 300);
    alignas(8) unsigned char buf[320];
    for (auto& b : buf) b = (unsigned char)mRng();
    const int kind = Uniform(mRng, 0, 2);
    if (kind == 0) {
      UInt32 sz = 0;
      Boolean w = 0;
      AudioUnitGetPropertyInfo(u, id, scope, element, Uniform(mRng, 0, 3) ? &sz : nullptr,
                               Uniform(mRng, 0, 3) ? &w : nullptr);
      return;
    }
    float value = RandomValue(mRng, 0);
    float* valuePtr = &value;
    CFStringRef text = CFStringCreateWithCString(nullptr, "7", kCFStringEncodingUTF8);
    if (kind == 1) {
      // Records with pointers in carry real ones or none, as a host's would.
      if (id == kAudioUnitProperty_ParameterStringFromValue) {
        if (!Uniform(mRng, 0, 3)) valuePtr = nullptr;
        memcpy(buf + 8, &valuePtr, 8);
        memset(buf + 16, 0, 8);
      }
      if (id == kAudioUnitProperty_ParameterValueFromString) memcpy(buf + 8, &text, 8);
      if (id == kAudioUnitProperty_ParameterIDName || id == kAudioUnitProperty_ParameterClumpName)
        memset(buf + 8, 0, 8);
      if (id == kAudioUnitProperty_CurrentPreset || id == kAudioUnitProperty_PresentPreset)
        memset(buf + 8, 0, 8);
      UInt32 sz = size;
      if (AudioUnitGetProperty(u, id, scope, element, buf, &sz) == noErr) {
        if (sz > size) Fail("property " + std::to_string(id) + " wrote past its room");
        ReleaseGot(id, buf, sz);
      }
    } else {
      // Sets of what carries an object or a procedure take real ones or none.
      switch (id) {
      case kAudioUnitProperty_ClassInfo:
      case kAudioUnitProperty_CurrentPreset:
      case kAudioUnitProperty_PresentPreset:
      case kAudioUnitProperty_ContextName:
      case kAudioUnitProperty_MakeConnection:
      case kAudioUnitProperty_ElementName:
        memset(buf, 0, sizeof(buf));
        break;
      case kAudioUnitProperty_AUHostIdentifier: {             // a real name or none
        const CFStringRef name = buf[0] & 1 ? text : nullptr; // keeps the random sequence
        memcpy(buf, &name, sizeof(name));
        break;
      }
      case kAudioUnitProperty_HostCallbacks:
      case kAudioUnitProperty_MIDIOutputCallback:
      case kAudioUnitProperty_SetRenderCallback:
        // Would take the host's own away, or hand over garbage procedures.
        CFRelease(text);
        return;
      case kAudioUnitProperty_SampleRate:
      case kAudioUnitProperty_MaximumFramesPerSlice:
      case kAudioUnitProperty_StreamFormat: {
        // A host changes these only with the render thread held off.
        std::lock_guard<std::mutex> gate(mGate);
        AudioStreamBasicDescription had{};
        UInt32 hadSize = sizeof(had);
        const bool known = id == kAudioUnitProperty_StreamFormat &&
                           !AudioUnitGetProperty(u, id, scope, element, &had, &hadSize);
        // A refused format leaves the bus without channels; a host sets one it can render
        // with before it initialises again.
        if (AudioUnitSetProperty(u, id, scope, element, buf, size) && known &&
            AudioUnitSetProperty(u, id, scope, element, &had, sizeof(had)))
          Fail("the format the bus had was refused");
        RereadFormat();
        CFRelease(text);
        return;
      }
      case kAudioUnitProperty_BypassEffect: {
        // A host follows its own bypass switch; hold render off so the switch falls between
        // two blocks.
        std::lock_guard<std::mutex> gate(mGate);
        // Mostly a switch as a host sends it: global, 4 bytes, off as often as on.
        const bool hostLike = Uniform(mRng, 0, 3) != 0;
        if (hostLike) {
          const UInt32 on = Uniform(mRng, 0, 1);
          memcpy(buf, &on, sizeof(on));
        }
        const long sent = PacketsOut();
        AudioUnitSetProperty(u, id, hostLike ? kAudioUnitScope_Global : scope,
                             hostLike ? 0 : element, buf, hostLike ? 4 : size);
        if (PacketsOut() != sent) Fail("setting bypass sent MIDI");
        FollowBypass();
        CFRelease(text);
        return;
      }
      default:
        break;
      }
      AudioUnitSetProperty(u, id, scope, element, buf, size);
    }
    CFRelease(text);
  }

  // Reads the bypass switch back after a set. When it goes on, the first bypassed block must
  // release what the plug-in has sounding.
  void FollowBypass() {
    UInt32 on = 0, sz = sizeof(on);
    if (AudioUnitGetProperty(mHost.Unit(), kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global,
                             0, &on, &sz))
      return;
    const bool was = mBypassed;
    mBypassed = on != 0;
    if (was || !mBypassed) return;
    mReleaseDue = true;
    Bump(mReport.bypassesOn);
  }

  // After the first bypassed block: nothing sounds but the keys the host itself holds down
  // (the plug-in passes MIDI in through, and the host releases those).
  void CheckReleasedByBypass() {
    mReleaseDue = false;
    std::lock_guard<std::mutex> lock(mMidiMutex);
    int open = 0;
    std::string which;
    for (int c = 0; c < 16; ++c)
      for (int n = 0; n < 128; ++n) {
        if (!mOpen[c][n]) continue;
        bool held = false;
        for (const auto& h : mHeldIn)
          held = held || (h.first == (uint32_t)c && h.second == (uint32_t)n);
        if (held) continue;
        ++open;
        which += " " + std::to_string(c + 1) + ":" + std::to_string(n);
      }
    if (open)
      FailLocked(std::to_string(open) +
                 " notes still sounding after the first bypassed block (channel:note" + which +
                 ")");
  }

  long PacketsOut() {
    std::lock_guard<std::mutex> lock(mMidiMutex);
    return mPacketsOut;
  }

  // After a raw set: the block size and rate the unit took.
  void RereadFormat() {
    UInt32 frames = 0, sz = sizeof(frames);
    if (!AudioUnitGetProperty(mHost.Unit(), kAudioUnitProperty_MaximumFramesPerSlice,
                              kAudioUnitScope_Global, 0, &frames, &sz))
      mMaxFrames = frames == 0 ? 1 : frames > kMaxFramesEver ? kMaxFramesEver : frames;
    Float64 sr = 0;
    sz = sizeof(sr);
    if (!AudioUnitGetProperty(mHost.Unit(), kAudioUnitProperty_SampleRate, kAudioUnitScope_Global,
                              0, &sr, &sz) &&
        sr > 0 && std::isfinite(sr))
      mSampleRate = sr;
  }

  static void ReleaseGot(UInt32 id, const unsigned char* buf, UInt32 size) {
    auto word = [&](size_t at) {
      CFTypeRef p = nullptr;
      if (at + sizeof(p) <= size) memcpy(&p, buf + at, sizeof(p));
      return p;
    };
    CFTypeRef got[2] = {nullptr, nullptr};
    switch (id) {
    case kAudioUnitProperty_ClassInfo:
    case kAudioUnitProperty_ParameterValueStrings:
    case kAudioUnitProperty_FactoryPresets:
    case kAudioUnitProperty_ElementName:
    case kAudioUnitProperty_MIDIOutputCallbackInfo:
      got[0] = word(0);
      break;
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
    case kAudioUnitProperty_ParameterIDName:
    case kAudioUnitProperty_ParameterClumpName:
      got[0] = word(8);
      break;
    case kAudioUnitProperty_ParameterStringFromValue:
      got[0] = word(16);
      break;
    case kAudioUnitProperty_CocoaUI:
      got[0] = word(0);
      got[1] = word(8);
      break;
    case kAudioUnitProperty_ParameterInfo:
      got[0] = word(offsetof(AudioUnitParameterInfo, unitName));
      got[1] = word(offsetof(AudioUnitParameterInfo, cfNameString));
      break;
    default:
      break;
    }
    for (CFTypeRef p : got)
      if (p) CFRelease(p);
  }

  void EditorStep() {
    NSWindow* w = mHost.EditorWindow();
    if (!w || Uniform(mRng, 0, 39) == 0) {
      Count("editor open/close");
      if (w && Uniform(mRng, 0, 1)) {
        mHost.CloseEditor();
      } else if (mHost.OpenEditor(Uniform(mRng, 0, 900), Uniform(mRng, 0, 500))) {
        Fail("the editor did not open");
      }
      return;
    }
    Count("editor event");
    const double x = Uniform(mRng, -5, 715), y = Uniform(mRng, -5, 370);
    const unsigned long mods = Uniform(mRng, 0, 3) ? 0 : (1ul << Uniform(mRng, 17, 20));
    switch (Uniform(mRng, 0, 9)) {
    case 0:
    case 1:
    case 2: { // a click, perhaps into a menu
      if (Uniform(mRng, 0, 1)) {
        std::vector<int> path;
        for (int n = Uniform(mRng, 0, 2); n > 0; --n)
          path.push_back(Uniform(mRng, 0, 9) ? Uniform(mRng, 0, 30) : (int)mRng());
        PlatformTest_ScriptMenuChoice(path);
      }
      PlatformTest_ScriptPanel(Uniform(mRng, 0, 1) == 0, "");
      const bool right = Uniform(mRng, 0, 5) == 0;
      const int clicks = Uniform(mRng, 1, 2);
      PlatformTest_PostMouse(w, right ? kPlatformTestRightMouseDown : kPlatformTestMouseDown, x, y,
                             clicks, mods);
      PlatformTest_PostMouse(w, right ? kPlatformTestRightMouseUp : kPlatformTestMouseUp, x, y,
                             clicks, mods);
      break;
    }
    case 3:
    case 4: { // a drag
      PlatformTest_PostMouse(w, kPlatformTestMouseDown, x, y, 1, mods);
      double dx = x, dy = y;
      for (int n = Uniform(mRng, 1, 6); n > 0; --n) {
        dx += Uniform(mRng, -60, 60);
        dy += Uniform(mRng, -60, 60);
        PlatformTest_PostMouse(w, kPlatformTestMouseDragged, dx, dy, 1, mods);
      }
      PlatformTest_PostMouse(w, kPlatformTestMouseUp, dx, dy, 1, mods);
      break;
    }
    case 5:
      PlatformTest_PostScroll(w, x, y, Uniform(mRng, -30, 30) / 3.0, mods);
      break;
    case 6:
      PlatformTest_PostMouse(w, kPlatformTestMouseMoved, x, y, 0, 0);
      PlatformTest_ToolTipAt(w, x, y);
      break;
    case 7: {
      static const char* const kKeys[] = {"a", "1", " ", "\r", "\x1b", "-", "", "\xC3\xA9"};
      PlatformTest_PostKey(w, (unsigned short)Uniform(mRng, 0, 127), kKeys[Uniform(mRng, 0, 7)],
                           mods);
      break;
    }
    case 8:
      if (PlatformTest_EditedTextField(w)) {
        PlatformTest_TypeText(w, Uniform(mRng, 0, 1) ? "12" : "-x9.5");
        PlatformTest_CommitText(w);
      }
      break;
    default:
      break;
    }
    PlatformTest_AdvanceRunLoop(Uniform(mRng, 0, 120));
  }

  // What a host does to change the rate or the block size: hold render, uninitialise, set,
  // initialise again.
  void ReinitStep() {
    Count("reinitialise");
    static const double kRates[] = {44100, 48000, 96000, 192000, 22050, 8000, 0, -1, 1e12};
    const double rate = kRates[Uniform(mRng, 0, 8)];
    const uint32_t frames = Uniform(mRng, 0, 5) ? Uniform(mRng, 1, kMaxFramesEver) : 0;
    std::lock_guard<std::mutex> gate(mGate);
    mHost.Uninitialize();
    const OSStatus rs = mHost.SetSampleRate(rate);
    const OSStatus rf = mHost.SetMaxFrames(frames);
    if (rate > 0 && rate < 1e7 && rs) Fail("sample rate " + std::to_string(rate) + " refused");
    if (frames && rf) Fail("block size " + std::to_string(frames) + " refused");
    if (mHost.Initialize()) Fail("initialise after a change refused");
    RereadFormat();
  }

  // ---- MIDI out, from render or from the main thread ----

  static OSStatus MidiOut(void* user, const AudioTimeStamp*, UInt32, const MIDIPacketList* list) {
    auto* s = static_cast<Session*>(user);
    if (!list) return paramErr;
    std::lock_guard<std::mutex> lock(s->mMidiMutex);
    const MIDIPacket* p = &list->packet[0];
    for (UInt32 i = 0; i < list->numPackets; ++i, p = MIDIPacketNext(p)) {
      if (p->length != 3) {
        s->FailLocked("a MIDI packet of " + std::to_string(p->length) + " bytes");
        continue;
      }
      const uint8_t st = p->data[0], d1 = p->data[1], d2 = p->data[2];
      if (st < 0x80 || st >= 0xF0 || d1 >= 0x80 || d2 >= 0x80) {
        s->FailLocked("an invalid MIDI message " + std::to_string(st) + " " + std::to_string(d1) +
                      " " + std::to_string(d2));
        continue;
      }
      ++s->mPacketsOut;
      if (tBypassedBlock && (st & 0xF0) == 0x90 && d2)
        s->FailLocked("a note-on left a bypassed block");
      if (tReleaseBlock && p->timeStamp != 0)
        s->FailLocked("a note-off at offset " + std::to_string(p->timeStamp) +
                      " in the first bypassed block");
      const uint64_t limit = tInRender ? tFrames : 1;
      if (p->timeStamp >= limit)
        s->FailLocked("a MIDI offset " + std::to_string(p->timeStamp) + " outside a block of " +
                      std::to_string(limit));
      if (getenv("QV_STRESS_TRACE"))
        fprintf(stderr, "  out %02x %d %d at %d (%s)\n", st, d1, d2, (int)p->timeStamp,
                tInRender ? "render/midi" : "main");
      // A key sounds from a note-on until a note-off of its channel and pitch.
      int& open = s->mOpen[st & 0x0F][d1];
      if ((st & 0xF0) == 0x90 && d2) {
        open = 1;
        ++s->mReport.notesOn;
      } else if ((st & 0xF0) == 0x80 || (st & 0xF0) == 0x90) {
        if (open) ++s->mReport.notesClosed;
        if (open && tReleaseBlock) ++s->mReport.releasedByBypass;
        open = 0;
      }
    }
    return noErr;
  }

  // ---- Helpers ----

  struct Param {
    AudioUnitParameterID id;
    float min, max;
  };

  static int Uniform(std::mt19937& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
  }

  AudioUnitParameterID RandomParamId(std::mt19937& rng) {
    if (mParams.empty() || Uniform(rng, 0, 19) == 0)
      return Uniform(rng, 0, 1) ? Uniform(rng, 55, 70) : rng();
    return mParams[Uniform(rng, 0, (int)mParams.size() - 1)].id;
  }

  float RandomValue(std::mt19937& rng, AudioUnitParameterID id) {
    const int k = Uniform(rng, 0, 19);
    if (k == 0) return std::numeric_limits<float>::quiet_NaN();
    if (k == 1) return std::numeric_limits<float>::infinity();
    if (k == 2) return -std::numeric_limits<float>::infinity();
    if (k == 3) return (float)Uniform(rng, -1000, 1000);
    if (k == 4) return std::numeric_limits<float>::max();
    float lo = 0, hi = 1;
    for (const auto& p : mParams)
      if (p.id == id) lo = p.min, hi = p.max;
    const float v = lo + (hi - lo) * std::uniform_real_distribution<float>(0, 1)(rng);
    return k < 12 ? std::round(v) : v;
  }

  void Count(const char* kind) {
    std::lock_guard<std::mutex> lock(mMidiMutex);
    if (getenv("QV_STRESS_TRACE")) fprintf(stderr, "%ld %s\n", (long)mMade, kind);
    ++mReport.calls[kind];
    ++mMade;
  }
  void Bump(long& n) {
    std::lock_guard<std::mutex> lock(mMidiMutex);
    ++n;
  }
  void Fail(const std::string& what) {
    std::lock_guard<std::mutex> lock(mMidiMutex);
    FailLocked(what);
  }
  void FailLocked(const std::string& what) {
    if (mFailures.size() < 20) mFailures.push_back("call " + std::to_string(mMade) + ": " + what);
  }
  size_t FailureCount() {
    std::lock_guard<std::mutex> lock(mMidiMutex);
    return mFailures.size();
  }

  static thread_local uint32_t tFrames;
  static thread_local bool tInRender;
  static thread_local bool tBypassedBlock;
  static thread_local bool tReleaseBlock; // the first block after bypass went on

  std::string mBundle;
  uint32_t mSeed;
  long mCalls;
  bool mThreaded;
  std::mt19937 mRng, mRenderRng; // main thread's, render thread's
  auhost::Host mHost;
  std::mutex mGate;      // held by the render thread per block; a re-initialisation holds it off
  std::mutex mMidiMutex; // the MIDI log, the report and the failures
  std::atomic<long> mMade{0};
  std::atomic<long> mRenderSteps{0}, mMainSteps{0};
  long mBaseline = 0;
  double mSampleRate = 44100.0, mSampleTime = 0.0;
  std::atomic<uint32_t> mMaxFrames{512};
  std::atomic<bool> mBypassed{false};
  std::atomic<bool> mReleaseDue{false}; // bypass went on; no block has rendered since
  long mPacketsOut = 0;                 // under mMidiMutex
  long mRenderAllocs = 0;
  std::vector<Param> mParams;
  std::vector<std::pair<uint32_t, uint32_t>> mHeldIn; // channel, note (render thread)
  std::vector<std::pair<CFPropertyListRef, std::vector<float>>> mSaved;
  int mOpen[16][128] = {};
  float mOut[2][kMaxFramesEver + 1];
  Report mReport;
  std::vector<std::string> mFailures;
};

inline thread_local uint32_t Session::tFrames = 0;
inline thread_local bool Session::tInRender = false;
inline thread_local bool Session::tBypassedBlock = false;
inline thread_local bool Session::tReleaseBlock = false;

} // namespace stress
