#include "WDL/IPlug/Hosts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Hosts, LookUp) {
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
      {"Melodyne", kHostMelodyne},
      {"org.example.garageband10", kHostGarageBand},
      {"OPENMPT", kHostOpenMPT},
      {"Standalone", kHostStandalone},
      {"\xC3\x84rdour \xFF\x80", kHostUnknown}, // non-ASCII bytes pass through
      {"\xC3\x84 ardour \xFF", kHostArdour},
      {std::string(255, 'x') + "cubase", kHostUnknown}, // past the 255 bytes searched
      {std::string(249, 'x') + "cubase", kHostCubase},
      {std::string(100000, 'x'), kHostUnknown},
  };
  for (const auto& c : cases) EXPECT_EQ(LookUpHost(c.first.c_str()), c.second) << c.first.size();
  EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);
}

TEST(Hosts, DisplayNames) {
  const std::pair<int, const char*> cases[] = {{-1, "Unknown"},   {0, "Unknown"},
                                               {5, "Sonar"},      {6, "Vegas"},
                                               {7, "FLStudio"},   {10, "Unknown"},
                                               {12, "Unknown"},   {19, "Unknown"},
                                               {26, "StudioOne"}, {27, "VST3PluginTestHost"},
                                               {30, "OpenMPT"},   {31, "Unknown"},
                                               {-7, "Unknown"},   {1000, "Unknown"}};
  for (const auto& c : cases) {
    char buf[19];
    GetHostNameStr(static_cast<EHost>(c.first), buf);
    EXPECT_STREQ(buf, c.second) << c.first;
  }
}

} // namespace
