// AudioUnit event listeners: registrations by unit and event, delivered at once on the
// posting thread.
#include <AudioToolbox/AudioUnitUtilities.h>

#include <algorithm>
#include <mutex>
#include <vector>

struct AUListenerBase {
  AUEventListenerProc proc;
  void* userData;
  struct Reg {
    void* object;
    AudioUnitEvent event;
  };
  std::vector<Reg> regs;
};

namespace {
struct Listeners {
  std::recursive_mutex lock; // a listener may post or register while being told
  std::vector<AUListenerBase*> all;
};
Listeners& L() {
  static Listeners* l = new Listeners; // lives until the process ends
  return *l;
}
bool Known(Listeners& l, AUEventListenerRef r) {
  return r && std::find(l.all.begin(), l.all.end(), r) != l.all.end();
}
bool IsParamEvent(AudioUnitEventType t) {
  return t <= kAudioUnitEvent_EndParameterChangeGesture;
}
// Whether a registration (reg) covers a posted event (ev).
bool Matches(const AUListenerBase::Reg& reg, const AudioUnitEvent& ev) {
  if (reg.event.mEventType != ev.mEventType) return false;
  if (IsParamEvent(ev.mEventType)) {
    const AudioUnitParameter& a = reg.event.mArgument.mParameter;
    const AudioUnitParameter& b = ev.mArgument.mParameter;
    if (a.mAudioUnit != b.mAudioUnit) return false;
    if (a.mParameterID == kAUParameterListener_AnyParameter) return true;
    return a.mParameterID == b.mParameterID && a.mScope == b.mScope && a.mElement == b.mElement;
  }
  if (ev.mEventType != kAudioUnitEvent_PropertyChange) return false;
  const AudioUnitProperty& a = reg.event.mArgument.mProperty;
  const AudioUnitProperty& b = ev.mArgument.mProperty;
  return a.mAudioUnit == b.mAudioUnit && a.mPropertyID == b.mPropertyID && a.mScope == b.mScope &&
         a.mElement == b.mElement;
}
bool SameReg(const AUListenerBase::Reg& r, void* object, const AudioUnitEvent& ev) {
  return r.object == object && Matches(r, ev) && Matches(AUListenerBase::Reg{object, ev}, r.event);
}
} // namespace

OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inUserData, CFRunLoopRef,
                               CFStringRef, Float32, Float32, AUEventListenerRef* outListener) {
  if (!inProc || !outListener) return paramErr;
  auto* r = new AUListenerBase{inProc, inUserData, {}};
  Listeners& l = L();
  std::lock_guard<std::recursive_mutex> g(l.lock);
  l.all.push_back(r);
  *outListener = r;
  return noErr;
}

OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject,
                                     const AudioUnitEvent* inEvent) {
  Listeners& l = L();
  std::lock_guard<std::recursive_mutex> g(l.lock);
  if (!Known(l, inListener) || !inEvent || inEvent->mEventType > kAudioUnitEvent_PropertyChange)
    return paramErr;
  inListener->regs.push_back(AUListenerBase::Reg{inObject, *inEvent});
  return noErr;
}

OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject,
                                        const AudioUnitEvent* inEvent) {
  Listeners& l = L();
  std::lock_guard<std::recursive_mutex> g(l.lock);
  if (!Known(l, inListener) || !inEvent) return paramErr;
  auto& regs = inListener->regs;
  for (auto it = regs.begin(); it != regs.end(); ++it)
    if (SameReg(*it, inObject, *inEvent)) {
      regs.erase(it);
      return noErr;
    }
  return paramErr;
}

OSStatus AUListenerDispose(AUEventListenerRef inListener) {
  Listeners& l = L();
  std::lock_guard<std::recursive_mutex> g(l.lock);
  auto it = std::find(l.all.begin(), l.all.end(), inListener);
  if (it == l.all.end()) return paramErr;
  l.all.erase(it);
  delete inListener;
  return noErr;
}

OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void* inSendingObject,
                               const AudioUnitEvent* inEvent) {
  if (!inEvent) return paramErr;
  AudioUnitParameterValue value = 0;
  if (IsParamEvent(inEvent->mEventType)) {
    const AudioUnitParameter& p = inEvent->mArgument.mParameter;
    if (AudioUnitGetParameter(p.mAudioUnit, p.mParameterID, p.mScope, p.mElement, &value))
      value = 0;
  }
  // Copy who is to be told, so a listener may dispose of itself or others meanwhile.
  struct Call {
    AUEventListenerRef who;
    AUEventListenerProc proc;
    void* userData;
    void* object;
  };
  std::vector<Call> calls;
  Listeners& l = L();
  std::lock_guard<std::recursive_mutex> g(l.lock);
  for (AUListenerBase* r : l.all) {
    if (r == inSendingListener) continue;
    for (auto& reg : r->regs)
      if (Matches(reg, *inEvent) && (!inSendingObject || reg.object != inSendingObject))
        calls.push_back(Call{r, r->proc, r->userData, reg.object});
  }
  for (auto& c : calls)
    if (Known(l, c.who)) c.proc(c.userData, c.object, inEvent, 0, value);
  return noErr;
}
