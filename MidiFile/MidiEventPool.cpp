#include "MidiFile/MidiEventPool.h"
#include "MidiFile/MidiEvent.h"

#include <mutex>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define QV_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define QV_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define QV_POISON(p, n) ((void)(p), (void)(n))
#define QV_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

// A free block: its first word links to the next free one.
struct Block {
  Block* next;
};

const std::size_t kBlock = sizeof(MidiEvent);
const int kSlabBlocks = 1024;
static_assert(kBlock >= sizeof(Block), "a block holds its link");
static_assert(kBlock % alignof(MidiEvent) == 0, "blocks stay aligned");

// Free blocks are poisoned for the address sanitizer, so a freed event stays an error
// to touch; only the pool reads and writes their links.
Block* linkOf(Block* b) {
  QV_UNPOISON(b, sizeof(Block));
  Block* next = b->next;
  QV_POISON(b, sizeof(Block));
  return next;
}

void setLink(Block* b, Block* next) {
  QV_UNPOISON(b, sizeof(Block));
  b->next = next;
  QV_POISON(b, kBlock);
}

// What threads share, under the mutex: blocks freed by threads that have ended, and
// the chain of every slab (through each slab's first block), which keeps all blocks
// reachable. Never destroyed: events may be freed during static destruction.
struct Shared {
  std::mutex mutex;
  Block* free = nullptr;
  Block* slabs = nullptr;
};

Shared& shared() {
  static Shared* s = new Shared;
  return *s;
}

// Kept message buffers, each of this capacity or less (channel messages, short metas):
// at most one per event a thread has freed, and at most this many per thread.
const std::size_t kMaxKept = 1 << 18;
const std::size_t kKeptCapacity = 16;

thread_local Block* tFree = nullptr;
thread_local std::vector<std::vector<unsigned char>>* tKept = nullptr;
thread_local int tState = 0; // 0 not enrolled, 1 enrolled, 2 the thread is ending

// Hands the thread's free blocks to the shared list when the thread ends, and frees its
// kept buffers.
struct Enrolment {
  ~Enrolment() {
    tState = 2;
    delete tKept;
    tKept = nullptr;
    if (tFree == nullptr) return;
    Block* last = tFree;
    for (Block* next = linkOf(last); next != nullptr; next = linkOf(last)) last = next;
    Shared& s = shared();
    std::lock_guard<std::mutex> lock(s.mutex);
    setLink(last, s.free);
    s.free = tFree;
    tFree = nullptr;
  }
};

void enrol() {
  static thread_local Enrolment enrolment;
  (void)enrolment;
  tState = 1;
}

// Fills the thread's empty free list: from the shared list, else from a new slab.
void refill() {
  Shared& s = shared();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.free != nullptr) {
    tFree = s.free;
    s.free = nullptr;
    return;
  }
  char* slab = static_cast<char*>(::operator new(kSlabBlocks* kBlock));
  Block* head = reinterpret_cast<Block*>(slab);
  head->next = s.slabs;
  s.slabs = head;
  Block* list = nullptr;
  for (int i = kSlabBlocks - 1; i >= 1; i--) {
    Block* b = reinterpret_cast<Block*>(slab + i * kBlock);
    setLink(b, list);
    list = b;
  }
  tFree = list;
}

} // namespace

void* MidiEvent::operator new(std::size_t size) {
  if (size != kBlock) return ::operator new(size); // a derived class
  if (tState != 1) {
    if (tState == 2) { // the thread is ending: straight from the shared list
      Shared& s = shared();
      {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.free != nullptr) {
          Block* b = s.free;
          s.free = linkOf(b);
          QV_UNPOISON(b, kBlock);
          return b;
        }
      }
      return ::operator new(size);
    }
    enrol();
  }
  if (tFree == nullptr) refill();
  Block* b = tFree;
  tFree = linkOf(b);
  QV_UNPOISON(b, kBlock);
  return b;
}

void MidiEvent::operator delete(void* block, std::size_t size) {
  if (block == nullptr) return;
  if (size != kBlock) {
    ::operator delete(block);
    return;
  }
  Block* b = static_cast<Block*>(block);
  if (tState != 1) {
    if (tState == 2) {
      Shared& s = shared();
      std::lock_guard<std::mutex> lock(s.mutex);
      setLink(b, s.free);
      s.free = b;
      return;
    }
    enrol();
  }
  setLink(b, tFree);
  tFree = b;
}

void midi_pool::keepBuffer(std::vector<unsigned char>& bytes) {
  if (bytes.capacity() == 0 || bytes.capacity() > kKeptCapacity) return;
  if (tState != 1) {
    if (tState == 2) return;
    enrol();
  }
  if (tKept == nullptr) tKept = new (std::nothrow) std::vector<std::vector<unsigned char>>;
  if (tKept == nullptr || tKept->size() >= kMaxKept) return;
  try {
    tKept->push_back(std::move(bytes));
  } catch (...) { // no room to keep it: the buffer is freed as usual
  }
}

void midi_pool::reuseBuffer(std::vector<unsigned char>& bytes) {
  if (tState != 1 || tKept == nullptr || tKept->empty()) return;
  bytes = std::move(tKept->back());
  tKept->pop_back();
  bytes.clear();
}
