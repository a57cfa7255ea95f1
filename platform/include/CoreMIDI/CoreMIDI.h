// MIDI packet lists of the CoreMIDI stand-in, with the platform's 4-byte packing.
#pragma once

#include <CoreServices/MacTypes.h>

typedef UInt64 MIDITimeStamp;

#pragma pack(push, 4)
struct MIDIPacket {
  MIDITimeStamp timeStamp;
  UInt16 length; // bytes of data used
  Byte data[256];
};

// packet runs past its declared length: numPackets packets follow, each one starting
// 4-byte aligned right after the previous one's data (MIDIPacketNext).
struct MIDIPacketList {
  UInt32 numPackets;
  MIDIPacket packet[1];
};
#pragma pack(pop)

// The packet after p in its list.
inline const MIDIPacket* MIDIPacketNext(const MIDIPacket* p) {
  uintptr_t next = (uintptr_t)&p->data[p->length];
  return (const MIDIPacket*)((next + 3) & ~(uintptr_t)3);
}
