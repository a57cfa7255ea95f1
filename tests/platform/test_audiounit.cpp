// The AudioUnit, CoreMIDI and Component Manager stand-ins: the platform's layouts, the
// component registry and instances, dispatch, and event listeners.
#include <AudioToolbox/AudioToolbox.h>
#include <CoreMIDI/CoreMIDI.h>
#include <PlatformTestHooks.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace {

TEST(AudioUnitTypes, PlatformLayouts) {
  struct Row {
    const char* name;
    size_t size, expected;
  };
#define ROW(T, n)                                                                                  \
  { #T, sizeof(T), n }
  const Row rows[] = {
      ROW(AudioTimeStamp, 64),
      ROW(SMPTETime, 24),
      ROW(HostCallbackInfo, 40),
      ROW(AudioUnitParameterInfo, 104),
      ROW(AudioStreamBasicDescription, 40),
      ROW(AURenderCallbackStruct, 16),
      ROW(AudioBuffer, 16),
      ROW(AudioBufferList, 24),
      ROW(AudioComponentDescription, 20),
      ROW(AudioComponentPlugInInterface, 32),
      ROW(AudioUnitConnection, 16),
      ROW(AUPreset, 16),
      ROW(AudioUnitCocoaViewInfo, 16),
      ROW(AUMIDIOutputCallbackStruct, 16),
      ROW(AudioUnitParameterEvent, 32),
      ROW(AudioUnitParameter, 24),
      ROW(AudioUnitProperty, 24),
      ROW(AudioUnitEvent, 32),
      ROW(AudioUnitParameterStringFromValue, 24),
      ROW(AudioUnitParameterNameInfo, 16),
      ROW(AudioUnitParameterValueFromString, 24),
      ROW(AUHostVersionIdentifier, 16),
      ROW(MusicDeviceNoteParams, 20),
      ROW(NumVersion, 4),
      ROW(MIDIPacket, 268),
      ROW(MIDIPacketList, 272),
      ROW(ComponentParameters, 16),
  };
#undef ROW
  for (const Row& r : rows) EXPECT_EQ(r.size, r.expected) << r.name;
  EXPECT_EQ(offsetof(AudioTimeStamp, mSMPTETime), 32u);
  EXPECT_EQ(offsetof(AudioTimeStamp, mFlags), 56u);
  EXPECT_EQ(offsetof(AudioUnitParameterInfo, unitName), 56u);
  EXPECT_EQ(offsetof(AudioUnitParameterInfo, cfNameString), 72u);
  EXPECT_EQ(offsetof(AudioUnitParameterInfo, flags), 96u);
  EXPECT_EQ(offsetof(MIDIPacketList, packet), 4u);
  EXPECT_EQ(offsetof(MIDIPacket, data), 10u);
  EXPECT_EQ(offsetof(ComponentParameters, params), 8u);
  EXPECT_EQ(offsetof(AudioUnitParameterEvent, eventValues), 16u);
}

TEST(ComponentParameters, ArgumentsTravelLastFirst) {
  const long args[] = {11, 22, 33};
  ComponentCallBlock block(kAudioUnitSetPropertySelect, 3, args);
  ComponentParameters* p = block.Get();
  EXPECT_EQ(p->what, kAudioUnitSetPropertySelect);
  EXPECT_EQ(p->paramSize, 3 * sizeof(long));
  EXPECT_EQ(p->params[0], 33);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ComponentParameterArg(p, 3, i), args[i]);
  // Asking for more arguments than the block holds, or outside them, answers 0.
  EXPECT_EQ(ComponentParameterArg(p, 4, 0), 0);
  EXPECT_EQ(ComponentParameterArg(p, 3, 3), 0);
  EXPECT_EQ(ComponentParameterArg(p, 3, -1), 0);
  EXPECT_EQ(ComponentParameterArg(nullptr, 1, 0), 0);
  EXPECT_EQ(ComponentArgFloat(ComponentFloatArg(-2.75f)), -2.75f);
}

// A component of the test's own: records what reaches it.
struct Fake {
  AudioComponentPlugInInterface iface;
  int opens = 0, closes = 0;
  AudioComponentInstance instance = nullptr;
  std::vector<UInt32> got;
};
Fake* gLast = nullptr;
OSStatus gOpenStatus = noErr;

OSStatus FakeOpen(void* self, AudioComponentInstance inst) {
  auto* f = static_cast<Fake*>(self);
  ++f->opens;
  f->instance = inst;
  return gOpenStatus;
}
OSStatus FakeClose(void* self) {
  auto* f = static_cast<Fake*>(self);
  ++f->closes;
  return noErr;
}
OSStatus FakeGetParameter(void* self, AudioUnitParameterID id, AudioUnitScope, AudioUnitElement,
                          AudioUnitParameterValue* v) {
  static_cast<Fake*>(self)->got.push_back(id);
  if (v) *v = (float)id * 0.5f;
  return noErr;
}
OSStatus FakeRender(void* self, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32 bus,
                    UInt32 frames, AudioBufferList*) {
  static_cast<Fake*>(self)->got.push_back(bus * 1000 + frames);
  return noErr;
}
AudioComponentMethod FakeLookup(SInt16 selector) {
  if (selector == kAudioUnitGetParameterSelect)
    return reinterpret_cast<AudioComponentMethod>(&FakeGetParameter);
  if (selector == kAudioUnitRenderSelect)
    return reinterpret_cast<AudioComponentMethod>(&FakeRender);
  return nullptr;
}
AudioComponentPlugInInterface* FakeFactory(const AudioComponentDescription*) {
  gLast = new Fake;
  gLast->iface = AudioComponentPlugInInterface{FakeOpen, FakeClose, FakeLookup, nullptr};
  return &gLast->iface;
}

TEST(AudioComponent, RegistryInstancesAndDispatch) {
  const AudioComponentDescription desc{0x61756678, 0x46616B31, 0x54657374, 0, 0};
  AudioComponent c = AudioComponentRegister(&desc, nullptr, 7, FakeFactory);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(AudioComponentRegister(&desc, nullptr, 7, nullptr), nullptr);
  AudioComponentDescription wild{0, 0x46616B31, 0, 0, 0}, other{0, 0x4E6F6E65, 0, 0, 0};
  EXPECT_EQ(AudioComponentFindNext(nullptr, &wild), c);
  EXPECT_EQ(AudioComponentFindNext(c, &wild), nullptr);
  EXPECT_EQ(AudioComponentFindNext(nullptr, &other), nullptr);
  AudioComponentDescription got{};
  ASSERT_EQ(AudioComponentGetDescription(c, &got), noErr);
  EXPECT_EQ(0, memcmp(&got, &desc, sizeof(desc)));
  EXPECT_EQ(AudioComponentGetDescription(nullptr, &got), paramErr);

  AudioComponentInstance inst = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(c, &inst), noErr);
  Fake* f = gLast;
  EXPECT_EQ(f->instance, inst);
  EXPECT_EQ(AudioComponentInstanceGetComponent(inst), c);
  EXPECT_TRUE(AudioComponentInstanceCanDo(inst, kAudioUnitRenderSelect));
  EXPECT_FALSE(AudioComponentInstanceCanDo(inst, kAudioUnitResetSelect));
  float v = 0;
  EXPECT_EQ(AudioUnitGetParameter(inst, 6, 0, 0, &v), noErr);
  EXPECT_EQ(v, 3.0f);
  EXPECT_EQ(AudioUnitRender(inst, nullptr, nullptr, 2, 64, nullptr), noErr);
  EXPECT_EQ(f->got, (std::vector<UInt32>{6, 2064}));
  EXPECT_EQ(AudioUnitReset(inst, 0, 0), badComponentSelector);
  SetComponentInstanceStorage(inst, reinterpret_cast<Handle>(f));
  EXPECT_EQ(GetComponentInstanceStorage(inst), reinterpret_cast<Handle>(f));
  ASSERT_EQ(AudioComponentInstanceDispose(inst), noErr);
  EXPECT_EQ(f->closes, 1);
  // A disposed instance is unknown to every call.
  EXPECT_EQ(AudioUnitGetParameter(inst, 6, 0, 0, &v), paramErr);
  EXPECT_EQ(AudioComponentInstanceGetComponent(inst), nullptr);
  EXPECT_EQ(GetComponentInstanceStorage(inst), nullptr);
  EXPECT_EQ(AudioComponentInstanceDispose(inst), paramErr);
  delete f;

  // An Open that fails closes the instance again and hands out nothing.
  gOpenStatus = -10875;
  inst = reinterpret_cast<AudioComponentInstance>(1);
  EXPECT_EQ(AudioComponentInstanceNew(c, &inst), -10875);
  EXPECT_EQ(inst, nullptr);
  EXPECT_EQ(gLast->closes, 1);
  delete gLast;
  gOpenStatus = noErr;
}

struct Heard {
  std::vector<AudioUnitEvent> events;
  std::vector<float> values;
};
void Listen(void* user, void*, const AudioUnitEvent* e, UInt64, AudioUnitParameterValue v) {
  static_cast<Heard*>(user)->events.push_back(*e);
  static_cast<Heard*>(user)->values.push_back(v);
}

TEST(AUEventListener, MatchesUnitTypeAndParameter) {
  const AudioComponentDescription desc{0x61756678, 0x46616B32, 0x54657374, 0, 0};
  AudioComponent c = AudioComponentRegister(&desc, nullptr, 1, FakeFactory);
  AudioComponentInstance unit = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(c, &unit), noErr);
  Fake* f = gLast;

  Heard all, one;
  AUEventListenerRef lAll = nullptr, lOne = nullptr;
  ASSERT_EQ(AUEventListenerCreate(Listen, &all, nullptr, nullptr, 0, 0, &lAll), noErr);
  ASSERT_EQ(AUEventListenerCreate(Listen, &one, nullptr, nullptr, 0, 0, &lOne), noErr);
  EXPECT_EQ(AUEventListenerCreate(nullptr, &one, nullptr, nullptr, 0, 0, &lOne), paramErr);
  auto paramEvent = [unit](AudioUnitEventType t, AudioUnitParameterID id) {
    AudioUnitEvent e{};
    e.mEventType = t;
    e.mArgument.mParameter = AudioUnitParameter{unit, id, 0, 0};
    return e;
  };
  const AudioUnitEvent anyValue =
      paramEvent(kAudioUnitEvent_ParameterValueChange, kAUParameterListener_AnyParameter);
  const AudioUnitEvent param4Begin = paramEvent(kAudioUnitEvent_BeginParameterChangeGesture, 4);
  ASSERT_EQ(AUEventListenerAddEventType(lAll, nullptr, &anyValue), noErr);
  ASSERT_EQ(AUEventListenerAddEventType(lOne, nullptr, &param4Begin), noErr);

  const AudioUnitEvent posted[] = {paramEvent(kAudioUnitEvent_ParameterValueChange, 4),
                                   paramEvent(kAudioUnitEvent_BeginParameterChangeGesture, 4),
                                   paramEvent(kAudioUnitEvent_BeginParameterChangeGesture, 5),
                                   paramEvent(kAudioUnitEvent_ParameterValueChange, 9)};
  for (const AudioUnitEvent& e : posted)
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &e), noErr);
  ASSERT_EQ(all.events.size(), 2u);
  EXPECT_EQ(all.events[1].mArgument.mParameter.mParameterID, 9u);
  EXPECT_EQ(all.values[1], 4.5f); // the unit's present value
  ASSERT_EQ(one.events.size(), 1u);
  EXPECT_EQ(one.events[0].mEventType, kAudioUnitEvent_BeginParameterChangeGesture);
  // The sender is not told of its own event; a removed registration hears nothing.
  EXPECT_EQ(AUEventListenerNotify(lAll, nullptr, &posted[0]), noErr);
  EXPECT_EQ(all.events.size(), 2u);
  ASSERT_EQ(AUEventListenerRemoveEventType(lOne, nullptr, &param4Begin), noErr);
  EXPECT_EQ(AUEventListenerRemoveEventType(lOne, nullptr, &param4Begin), paramErr);
  AUEventListenerNotify(nullptr, nullptr, &posted[1]);
  EXPECT_EQ(one.events.size(), 1u);
  EXPECT_EQ(AUListenerDispose(lAll), noErr);
  EXPECT_EQ(AUListenerDispose(lAll), paramErr);
  EXPECT_EQ(AUListenerDispose(lOne), noErr);
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, nullptr), paramErr);
  AudioComponentInstanceDispose(unit);
  delete f;
}

} // namespace
