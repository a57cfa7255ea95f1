// State the Cocoa stand-in's sources share: the settings hosts and tests make, and what
// the modal calls were scripted to answer and recorded.
#pragma once

#include <Cocoa/Cocoa.h>
#include "PlatformTestHooks.h"

#include <deque>
#include <string>
#include <vector>

namespace cocoa {

// Main thread only, like the calls that use it.
struct Script {
  std::deque<std::vector<int>> menuChoices;
  PlatformTestMenu lastMenu;
  int menusShown = 0;
  std::deque<std::pair<bool, std::string>> panelAnswers;
  PlatformTestPanel lastPanel;
  int panelsShown = 0;
  std::vector<std::string> openedURLs;
  std::vector<std::string> unhandledKeys;
};
Script& TheScript();

std::string HomeDirectory();
std::string OSVersion();

// Windows alive now (not retained), for the run loop's display pass.
std::vector<NSWindow*>& Windows();
void DisplayAllWindows();
// Screen position of the last mouse event, for NSEvent::mouseLocation.
void SetMouseLocation(NSPoint p);

// UTF-8 <-> UTF-16 units, as the platform's strings count; false for malformed UTF-8.
bool DecodeUTF8(const std::string& s, std::u16string* out);
std::string EncodeUTF8(const std::u16string& s);
// The text's characters one by one, each as UTF-8, read by the project's one UTF-8 rule.
std::vector<std::string> Utf8Characters(const std::string& text);

} // namespace cocoa
