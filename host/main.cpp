// Loads a bundle, opens it, renders a few blocks with the transport running and prints the
// MIDI that came out.
//   auhost <bundle dir> <entry prefix> <type> <subtype> <manufacturer>
#include "host/auhost.h"

#include <cstdio>
#include <cstring>

namespace {
OSType FourCC(const char* s) {
  if (strlen(s) != 4) return 0;
  return (OSType)((unsigned char)s[0] << 24 | (unsigned char)s[1] << 16 | (unsigned char)s[2] << 8 |
                  (unsigned char)s[3]);
}
} // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    fprintf(stderr, "usage: %s <bundle dir> <entry prefix> <type> <subtype> <manufacturer>\n",
            argv[0]);
    return 2;
  }
  AudioComponentDescription desc{FourCC(argv[3]), FourCC(argv[4]), FourCC(argv[5]), 0, 0};
  auhost::Host host;
  if (!host.Load(argv[1], argv[2], desc)) {
    fprintf(stderr, "%s\n", host.Error().c_str());
    return 1;
  }
  OSStatus r = host.Open();
  if (!r) r = host.SetSampleRate(44100.0);
  if (!r) r = host.SetMaxFrames(512);
  if (!r) r = host.InstallHostCallbacks();
  if (!r) r = host.InstallMidiOutput();
  if (!r) r = host.Initialize();
  host.GetTransport().playing = true;
  if (!r) r = host.Render(16, 512);
  if (r) {
    fprintf(stderr, "status %d\n", (int)r);
    return 1;
  }
  for (const auhost::MidiOut& m : host.MidiLog()) {
    printf("block %d offset %lld:", m.block, (long long)m.offset);
    for (uint8_t b : m.bytes) printf(" %02X", b);
    printf("\n");
  }
  host.Uninitialize();
  return 0;
}
