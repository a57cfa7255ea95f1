#pragma once
// Which host application loaded the plug-in, recognised from its name or identifier.
// Both functions work only on their arguments; any thread.

#include <cstdint>

// The numbers are part of the interface: the base stores and reports them. 32-bit, so
// any stored value is a valid one.
enum EHost : int32_t {
  kHostUninit = -1, // not identified yet; never yielded by LookUpHost
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostSonar = 5,
  kHostVegas = 6,
  kHostFL = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostUnused10 = 10,
  kHostUnused11 = 11,
  kHostMelodyne = 12,
  kHostVSTScanner = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostUnused19 = 19,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigitalPerformer = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostStudioOne = 26,
  kHostVST3TestHost = 27,
  kHostArdour = 28,
  kHostRenoise = 29,
  kHostOpenMPT = 30
};

// Case-insensitive substring search of a zero-terminated name; 0 to 30. Only the first
// 255 bytes of the name are searched.
int LookUpHost(const char* inHost);

// Writes the host's display text into pHostName, which must hold 19 bytes.
void GetHostNameStr(EHost host, char* pHostName);
