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
  const char* name = "Unknown";
  switch (host) {
  case kHostReaper:
    name = "Reaper";
    break;
  case kHostProTools:
    name = "ProTools";
    break;
  case kHostCubase:
    name = "Cubase";
    break;
  case kHostNuendo:
    name = "Nuendo";
    break;
  case kHostSonar:
    name = "Sonar";
    break;
  case kHostVegas:
    name = "Vegas";
    break;
  case kHostFL:
    name = "FLStudio";
    break;
  case kHostSamplitude:
    name = "Samplitude";
    break;
  case kHostLive:
    name = "Live";
    break;
  case kHostVSTScanner:
    name = "VSTScanner";
    break;
  case kHostAULab:
    name = "AULab";
    break;
  case kHostForte:
    name = "Forte";
    break;
  case kHostChainer:
    name = "Chainer";
    break;
  case kHostAudition:
    name = "Audition";
    break;
  case kHostOrion:
    name = "Orion";
    break;
  case kHostSAWStudio:
    name = "SAWStudio";
    break;
  case kHostLogic:
    name = "Logic";
    break;
  case kHostGarageBand:
    name = "GarageBand";
    break;
  case kHostDigitalPerformer:
    name = "DigitalPerformer";
    break;
  case kHostStandalone:
    name = "Standalone";
    break;
  case kHostAudioMulch:
    name = "AudioMulch";
    break;
  case kHostStudioOne:
    name = "StudioOne";
    break;
  case kHostVST3TestHost:
    name = "VST3PluginTestHost";
    break;
  case kHostArdour:
    name = "Ardour";
    break;
  case kHostRenoise:
    name = "Renoise";
    break;
  case kHostOpenMPT:
    name = "OpenMPT";
    break;
  default:
    break; // -1, 0, 10, 11, 12 and 19 have no text of their own
  }
  std::strcpy(pHostName, name);
}
