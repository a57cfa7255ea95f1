#include "WDL/IPlug/Hosts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Hosts, LookUp) {
  struct Case {
    std::string name;
    int host;
  };
  const Case cases[] = {
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
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.substr(0, 40));
    EXPECT_EQ(LookUpHost(c.name.c_str()), c.host);
  }
  EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);
}

TEST(Hosts, DisplayNames) {
  struct Case {
    int host;
    const char* text;
  };
  const Case cases[] = {{-1, "Unknown"},   {0, "Unknown"},
                        {5, "Sonar"},      {6, "Vegas"},
                        {7, "FLStudio"},   {10, "Unknown"},
                        {12, "Unknown"},   {19, "Unknown"},
                        {26, "StudioOne"}, {27, "VST3PluginTestHost"},
                        {30, "OpenMPT"},   {31, "Unknown"},
                        {-7, "Unknown"},   {1000, "Unknown"}};
  for (const Case& c : cases) {
    char buf[19];
    GetHostNameStr(static_cast<EHost>(c.host), buf);
    EXPECT_STREQ(buf, c.text) << c.host;
  }
}

} // namespace
