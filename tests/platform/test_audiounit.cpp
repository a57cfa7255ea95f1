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

// Every component FindNext gives for the description, in registration order.
std::vector<AudioComponent> FindAll(const AudioComponentDescription& d) {
  std::vector<AudioComponent> found;
  for (AudioComponent c = AudioComponentFindNext(nullptr, &d); c; c = AudioComponentFindNext(c, &d))
    found.push_back(c);
  return found;
}

TEST(AudioComponent, ZeroSubTypeOrManufacturerMatchesAnyOther) {
  const OSType type = 0x71767763; // 'qvwc': no other test registers it
  const OSType subA = 0x53756241, subB = 0x53756242, mfrX = 0x4D667258, mfrY = 0x4D667259;
  // Registered once per process: the registry keeps components until the process ends.
  static const std::vector<AudioComponent> c = [&] {
    std::vector<AudioComponent> made;
    for (OSType mfr : {mfrX, mfrY})
      for (OSType sub : {subA, subB}) {
        const AudioComponentDescription d{type, sub, mfr, 0, 0};
        made.push_back(AudioComponentRegister(&d, nullptr, 1, FakeFactory));
      }
    return made;
  }(); // A/X, B/X, A/Y, B/Y
  for (AudioComponent one : c) ASSERT_NE(one, nullptr);
  using Found = std::vector<AudioComponent>;
  const struct {
    AudioComponentDescription desc;
    Found found;
  } cases[] = {
      {{type, 0, mfrX, 0, 0}, {c[0], c[1]}},
      {{type, 0, mfrY, 0, 0}, {c[2], c[3]}},
      {{type, subA, 0, 0, 0}, {c[0], c[2]}},
      {{type, subB, 0, 0, 0}, {c[1], c[3]}},
      {{type, 0, 0, 0, 0}, {c[0], c[1], c[2], c[3]}},
      {{type, subB, mfrX, 0, 0}, {c[1]}},
      {{0, subA, mfrY, 0, 0}, {c[2]}},
      // A non-zero field that differs excludes, whatever the zero fields beside it.
      {{type, 0, 0x4D66725A, 0, 0}, {}},
      {{type, 0x5375625A, 0, 0, 0}, {}},
      {{type, subA, 0x4D66725A, 0, 0}, {}},
      {{type + 1, 0, mfrX, 0, 0}, {}},
      {{type + 1, subA, 0, 0, 0}, {}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(testing::Message()
                 << std::hex << k.desc.componentType << " " << k.desc.componentSubType << " "
                 << k.desc.componentManufacturer);
    EXPECT_EQ(FindAll(k.desc), k.found);
  }
}

// Property listeners travel to the unit as they were given: the unit keeps them, so one
// procedure with two user data reaches it as two listeners, and each removal names its own.
struct ListenerCall {
  SInt16 selector;
  AudioUnitPropertyID id;
  AudioUnitPropertyListenerProc proc;
  void* user;
  bool operator==(const ListenerCall& o) const {
    return selector == o.selector && id == o.id && proc == o.proc && user == o.user;
  }
};
std::vector<ListenerCall> gListenerCalls;
OSStatus gListenerStatus = noErr; // what the unit answers

OSStatus FakeAddListener(void*, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                         void* user) {
  gListenerCalls.push_back({kAudioUnitAddPropertyListenerSelect, id, proc, user});
  return gListenerStatus;
}
OSStatus FakeRemoveListener(void*, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                            void* user) {
  gListenerCalls.push_back({kAudioUnitRemovePropertyListenerWithUserDataSelect, id, proc, user});
  return gListenerStatus;
}
AudioComponentMethod ListenerLookup(SInt16 selector) {
  if (selector == kAudioUnitAddPropertyListenerSelect)
    return reinterpret_cast<AudioComponentMethod>(&FakeAddListener);
  if (selector == kAudioUnitRemovePropertyListenerWithUserDataSelect)
    return reinterpret_cast<AudioComponentMethod>(&FakeRemoveListener);
  return nullptr;
}
AudioComponentPlugInInterface* ListenerFactory(const AudioComponentDescription*) {
  gLast = new Fake;
  gLast->iface = AudioComponentPlugInInterface{FakeOpen, FakeClose, ListenerLookup, nullptr};
  return &gLast->iface;
}
void NoteProperty(void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {}
void OtherNote(void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {}

TEST(AudioComponent, PropertyListenersReachTheUnitWithTheirOwnData) {
  const AudioComponentDescription desc{0x61756678, 0x46616B33, 0x54657374, 0, 0};
  AudioComponent c = AudioComponentRegister(&desc, nullptr, 1, ListenerFactory);
  AudioComponentInstance unit = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(c, &unit), noErr);
  Fake* f = gLast;
  gListenerCalls.clear();
  int a = 0, b = 0;
  const SInt16 add = kAudioUnitAddPropertyListenerSelect;
  const SInt16 remove = kAudioUnitRemovePropertyListenerWithUserDataSelect;
  EXPECT_EQ(AudioUnitAddPropertyListener(unit, 21, NoteProperty, &a), noErr);
  EXPECT_EQ(AudioUnitAddPropertyListener(unit, 21, NoteProperty, &b), noErr);
  EXPECT_EQ(AudioUnitAddPropertyListener(unit, 36, OtherNote, &a), noErr);
  EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(unit, 21, NoteProperty, &a), noErr);
  EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(unit, 21, NoteProperty, &b), noErr);
  gListenerStatus = -10879; // the unit's answer comes back unchanged
  EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(unit, 36, OtherNote, nullptr), -10879);
  gListenerStatus = noErr;
  EXPECT_EQ(gListenerCalls, (std::vector<ListenerCall>{{add, 21, NoteProperty, &a},
                                                       {add, 21, NoteProperty, &b},
                                                       {add, 36, OtherNote, &a},
                                                       {remove, 21, NoteProperty, &a},
                                                       {remove, 21, NoteProperty, &b},
                                                       {remove, 36, OtherNote, nullptr}}));
  AudioComponentInstanceDispose(unit);
  delete f;
  // A disposed unit is unknown; a unit without the methods refuses the selector.
  gListenerCalls.clear();
  EXPECT_EQ(AudioUnitAddPropertyListener(unit, 21, NoteProperty, &a), paramErr);
  EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(unit, 21, NoteProperty, &a), paramErr);
  const AudioComponentDescription plain{0x61756678, 0x46616B34, 0x54657374, 0, 0};
  ASSERT_EQ(
      AudioComponentInstanceNew(AudioComponentRegister(&plain, nullptr, 1, FakeFactory), &unit),
      noErr);
  f = gLast;
  EXPECT_EQ(AudioUnitAddPropertyListener(unit, 21, NoteProperty, &a), badComponentSelector);
  EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(unit, 21, NoteProperty, &a),
            badComponentSelector);
  EXPECT_TRUE(gListenerCalls.empty());
  AudioComponentInstanceDispose(unit);
  delete f;
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
