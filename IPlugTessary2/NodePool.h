#pragma once
// Fixed storage for the nodes of a node-based container (the engine's melody): reserved once,
// handed out and taken back without the heap, so the render thread can insert and erase.
// Not thread-safe: the owner serialises access (the engine holds the plug-in mutex).

#include <cstddef>
#include <memory>
#include <new>

class NodePool {
public:
  // slotBytes: the largest node served; slots: how many nodes at once.
  NodePool(size_t slotBytes, size_t slots)
      : mSlotUnits((slotBytes + sizeof(Unit) - 1) / sizeof(Unit)), mSlots(slots),
        mArena(new Unit[mSlotUnits * slots]) {
    for (size_t i = slots; i-- > 0;) Give(mArena.get() + i * mSlotUnits);
  }
  NodePool(const NodePool&) = delete;
  NodePool& operator=(const NodePool&) = delete;

  // A free slot for one object of this size and alignment; null when none is left or the
  // object does not fit a slot.
  void* Take(size_t bytes, size_t align) {
    if (!mFree || bytes > mSlotUnits * sizeof(Unit) || align > alignof(Unit)) return nullptr;
    FreeSlot* s = mFree;
    mFree = s->next;
    --mFreeCount;
    return s;
  }
  // Takes a slot back; false (nothing done) when p is not one of the pool's slots.
  bool Give(void* p) {
    Unit* u = static_cast<Unit*>(p);
    if (u < mArena.get() || u >= mArena.get() + mSlotUnits * mSlots) return false;
    mFree = new (p) FreeSlot{mFree};
    ++mFreeCount;
    return true;
  }
  size_t FreeSlots() const { return mFreeCount; }

private:
  using Unit = std::max_align_t;
  struct FreeSlot {
    FreeSlot* next;
  };
  size_t mSlotUnits, mSlots;
  std::unique_ptr<Unit[]> mArena;
  FreeSlot* mFree = nullptr;
  size_t mFreeCount = 0;
};

// A standard allocator over a NodePool: single objects come from the pool while it has room;
// larger requests, a used-up pool or no pool at all (a default-constructed allocator) go to
// the heap. Copies of a container take the heap, so they never use up the owner's pool.
template <class T> struct PoolAllocator {
  using value_type = T;

  PoolAllocator() = default;
  explicit PoolAllocator(NodePool* pool) : mPool(pool) {}
  template <class U> PoolAllocator(const PoolAllocator<U>& other) : mPool(other.mPool) {}

  T* allocate(size_t n) {
    if (mPool && n == 1) {
      if (void* p = mPool->Take(sizeof(T), alignof(T))) return static_cast<T*>(p);
    }
    return static_cast<T*>(::operator new(n * sizeof(T)));
  }
  void deallocate(T* p, size_t n) {
    if (mPool && n == 1 && mPool->Give(p)) return;
    ::operator delete(p);
  }
  PoolAllocator select_on_container_copy_construction() const { return PoolAllocator(); }

  template <class U> bool operator==(const PoolAllocator<U>& o) const { return mPool == o.mPool; }
  template <class U> bool operator!=(const PoolAllocator<U>& o) const { return mPool != o.mPool; }

  NodePool* mPool = nullptr; // not owned
};
