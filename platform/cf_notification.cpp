// Alerts: answered from the script, recorded for the test that asked.

#include "PlatformInternal.h"
#include "PlatformTestHooks.h"

#include <CoreFoundation/CFUserNotification.h>

#include <deque>
#include <mutex>

namespace {
struct Alerts {
  std::mutex lock;
  std::deque<unsigned long> answers;
  PlatformTestAlert last;
  int shown = 0;
};
Alerts& TheAlerts() {
  static Alerts* a = new Alerts;
  return *a;
}
std::string Text(CFStringRef s) {
  const char* t = CFStringGetCStringPtr(s, kCFStringEncodingUTF8);
  return t ? t : "";
}
} // namespace

SInt32 CFUserNotificationDisplayAlert(CFTimeInterval /*timeout*/, CFOptionFlags flags,
                                      CFURLRef /*iconURL*/, CFURLRef /*soundURL*/,
                                      CFURLRef /*localizationURL*/, CFStringRef alertHeader,
                                      CFStringRef alertMessage, CFStringRef defaultButtonTitle,
                                      CFStringRef alternateButtonTitle,
                                      CFStringRef otherButtonTitle, CFOptionFlags* responseFlags) {
  if (!alertHeader) return -1;
  Alerts& a = TheAlerts();
  std::lock_guard<std::mutex> g(a.lock);
  ++a.shown;
  a.last.level = (unsigned long)(flags & 3);
  a.last.header = Text(alertHeader);
  a.last.message = Text(alertMessage);
  a.last.buttons.assign(1, defaultButtonTitle ? Text(defaultButtonTitle) : "OK");
  if (alternateButtonTitle) a.last.buttons.push_back(Text(alternateButtonTitle));
  if (otherButtonTitle) a.last.buttons.push_back(Text(otherButtonTitle));
  unsigned long answer = kCFUserNotificationCancelResponse;
  if (!a.answers.empty()) {
    answer = a.answers.front();
    a.answers.pop_front();
  }
  // A button that is not shown cannot be pressed.
  if ((answer == kCFUserNotificationAlternateResponse && !alternateButtonTitle) ||
      (answer == kCFUserNotificationOtherResponse && !otherButtonTitle))
    answer = kCFUserNotificationCancelResponse;
  if (responseFlags) *responseFlags = answer;
  return 0;
}

void PlatformTest_ScriptAlert(unsigned long response) {
  Alerts& a = TheAlerts();
  std::lock_guard<std::mutex> g(a.lock);
  a.answers.push_back(response);
}

PlatformTestAlert PlatformTest_LastAlert() {
  Alerts& a = TheAlerts();
  std::lock_guard<std::mutex> g(a.lock);
  return a.last;
}

int PlatformTest_AlertsShown() {
  Alerts& a = TheAlerts();
  std::lock_guard<std::mutex> g(a.lock);
  return a.shown;
}
