#include "WDL/IPlug/Hosts.h"

#include <cstring>

#include "WDL/IPlug/Log.h"

namespace {
constexpr int kMaxHostNameLen = 255;

struct HostPattern {
  const char* mSubstr;
  EHost mHost;
};

// Tested in this order; the first substring found decides.
constexpr HostPattern kHostPatterns[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostSonar},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFL},
    {"live", kHostLive},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVSTScanner},
    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostStudioOne},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"openmpt", kHostOpenMPT},
    {"renoise", kHostRenoise},
    {"standalone", kHostStandalone},
};
} // namespace

int LookUpHost(const char* inHost) {
  // Cut the name first so the lower-cased copy never runs past its buffer.
  char cut[kMaxHostNameLen + 1];
  const size_t n = inHost ? strnlen(inHost, kMaxHostNameLen) : 0;
  if (n) std::memcpy(cut, inHost, n);
  cut[n] = '\0';
  char host[kMaxHostNameLen + 1];
  ToLower(host, cut);
  for (const HostPattern& p : kHostPatterns) {
    if (std::strstr(host, p.mSubstr)) return p.mHost;
  }
  return kHostUnknown;
}

void GetHostNameStr(EHost host, char* pHostName) {
  // Display texts by value; values without a text of their own show "Unknown".
  static const char* const kNames[] = {
      "Unknown",    "Reaper",     "ProTools",   "Cubase",
      "Nuendo",     "Sonar",      "Vegas",      "FLStudio",
      "Samplitude", "Live",       "Unknown",    "Unknown",
      "Unknown",    "VSTScanner", "AULab",      "Forte",
      "Chainer",    "Audition",   "Orion",      "Unknown",
      "SAWStudio",  "Logic",      "GarageBand", "DigitalPerformer",
      "Standalone", "AudioMulch", "StudioOne",  "VST3PluginTestHost",
      "Ardour",     "Renoise",    "OpenMPT"};
  const int n = static_cast<int>(sizeof(kNames) / sizeof(kNames[0]));
  std::strcpy(pHostName, host >= 0 && host < n ? kNames[host] : "Unknown");
}
