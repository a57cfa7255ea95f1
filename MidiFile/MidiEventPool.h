#ifndef MIDIFILE_MIDIEVENTPOOL_H
#define MIDIFILE_MIDIEVENTPOOL_H

// Inside the library only: the byte buffers of destroyed events, kept per thread for
// the events made next, so reading a file allocates no buffer for most events.

#include <vector>

namespace midi_pool {

// Keeps the buffer of a message being destroyed, when it is small and the thread's
// store has room; bytes is then left empty.
void keepBuffer(std::vector<unsigned char>& bytes);

// Gives bytes, which holds no buffer, one of the thread's kept buffers when there is one.
void reuseBuffer(std::vector<unsigned char>& bytes);

} // namespace midi_pool

#endif
