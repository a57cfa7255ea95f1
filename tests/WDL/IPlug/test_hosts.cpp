#include "WDL/IPlug/Hosts.h"

#include <gtest/gtest.h>

#include <string>

TEST(Hosts, LookUpAndDisplayNames) {
  const std::pair<std::string, int> cases[] = {
      {"", kHostUnknown},
      {"REAPER", kHostReaper},
      {"org.example.reaper", kHostReaper},
      {"Nuendo with Cubase", kHostCubase}, // order of the search, not of the name
      {"logic live", kHostLive},
      {"Deliverance", kHostLive}, // inside a longer word
      {"Pro Tools", kHostUnknown},
      {"protools", kHostProTools},
      {"Studio One", kHostUnknown},
      {"org.example.presonus.app", kHostStudioOne},
      {"OPENMPT", kHostOpenMPT},
      {"\xC3\x84rdour \xFF\x80", kHostUnknown}, // non-ASCII bytes pass through
      {"\xC3\x84 ardour \xFF", kHostArdour},
      {std::string(255, 'x') + "cubase", kHostUnknown}, // past the 255 bytes searched
      {std::string(249, 'x') + "cubase", kHostCubase},
  };
  for (const auto& c : cases) EXPECT_EQ(LookUpHost(c.first.c_str()), c.second) << c.first.size();
  EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);

  // 12 has no text of its own; 27 is the longest text.
  const std::pair<int, const char*> names[] = {{-1, "Unknown"}, {5, "Sonar"},
                                               {12, "Unknown"}, {27, "VST3PluginTestHost"},
                                               {30, "OpenMPT"}, {31, "Unknown"}};
  for (const auto& c : names) {
    char buf[19];
    GetHostNameStr(static_cast<EHost>(c.first), buf);
    EXPECT_STREQ(buf, c.second) << c.first;
  }
}

TEST(Hosts, EveryPatternAndName) {
  const char* const patterns[] = {"",           "reaper",     "protools",   "cubase",
                                  "nuendo",     "cakewalk",   "",           "fruity",
                                  "samplitude", "live",       "",           "",
                                  "melodyne",   "vstmanlib",  "aulab",      "forte",
                                  "chainer",    "audition",   "orion",      "",
                                  "sawstudio",  "logic",      "garageband", "digital",
                                  "standalone", "audiomulch", "presonus",   "vst3plugintesthost",
                                  "ardour",     "renoise",    "openmpt"};
  const char* const names[] = {"Unknown",    "Reaper",     "ProTools",   "Cubase",
                               "Nuendo",     "Sonar",      "Vegas",      "FLStudio",
                               "Samplitude", "Live",       "Unknown",    "Unknown",
                               "Unknown",    "VSTScanner", "AULab",      "Forte",
                               "Chainer",    "Audition",   "Orion",      "Unknown",
                               "SAWStudio",  "Logic",      "GarageBand", "DigitalPerformer",
                               "Standalone", "AudioMulch", "StudioOne",  "VST3PluginTestHost",
                               "Ardour",     "Renoise",    "OpenMPT"};
  for (int host = 0; host <= kHostOpenMPT; ++host) {
    if (*patterns[host]) {
      EXPECT_EQ(LookUpHost(patterns[host]), host);
    }
    char buf[32];
    GetHostNameStr(static_cast<EHost>(host), buf);
    EXPECT_STREQ(buf, names[host]);
  }
}
