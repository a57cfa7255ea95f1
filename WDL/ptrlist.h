#pragma once
// An ordered list of pointers. The list owns its pointer array, never implicitly the
// objects: they are deleted only by Delete/Empty with the delete flag. Shortening never
// gives memory back. Not synchronised; owners that share a list guard it themselves.

#include <cstdint>
#include <cstring>

#include "WDL/heapbuf.h"

template <class T> class WDL_PtrList {
public:
  // granularity: growth step of the pointer array, in bytes.
  explicit WDL_PtrList(int32_t granularity = 4096) : m_hb(granularity) {}
  // Releases the array only; the objects stay alive.
  ~WDL_PtrList() = default;
  WDL_PtrList(const WDL_PtrList&) = delete;
  WDL_PtrList& operator=(const WDL_PtrList&) = delete;

  // Null whenever the list is empty, even while a block stays allocated.
  T** GetList() const { return static_cast<T**>(m_hb.Get()); }
  int32_t GetSize() const { return m_hb.GetSize() / static_cast<int32_t>(sizeof(T*)); }

  // Null for an index outside the list.
  T* Get(intptr_t index) const {
    T** list = GetList();
    if (!list || index < 0 || index >= GetSize()) return nullptr;
    return list[index];
  }

  // Overwrites a slot without deleting what it held; null (unchanged) out of range.
  T* Set(int32_t index, T* item) {
    T** list = GetList();
    if (!list || index < 0 || index >= GetSize()) return nullptr;
    list[index] = item;
    return item;
  }

  // Null when the list could not grow (unchanged).
  T* Add(T* item) {
    const int32_t count = GetSize();
    T** list = Grow(count);
    if (!list) return nullptr;
    list[count] = item;
    return item;
  }

  // The index is clamped to [0, count]. Returns item, also when the list could not grow.
  T* Insert(int32_t index, T* item) {
    const int32_t count = GetSize();
    T** list = Grow(count);
    if (!list) return item;
    if (index < 0) index = 0;
    if (index > count) index = count;
    for (int32_t i = count; i > index; --i) list[i] = list[i - 1];
    list[index] = item;
    return item;
  }

  // Removes one entry; with wantDelete its object is first passed to freeFunc (as stored,
  // null included) or, without one, deleted when not null. Out of range does nothing.
  void Delete(int32_t index, bool wantDelete = false, void (*freeFunc)(void*) = nullptr) {
    T** list = GetList();
    const int32_t count = GetSize();
    if (!list || index < 0 || index >= count) return;
    if (wantDelete) {
      if (freeFunc)
        freeFunc(list[index]);
      else
        delete list[index];
    }
    if (index < count - 1)
      std::memmove(static_cast<void*>(list + index), list + index + 1,
                   sizeof(T*) * size_t(count - 1 - index));
    m_hb.Resize((count - 1) * int32_t(sizeof(T*)), false);
  }

  // Removes every entry, deleting from last to first with wantDelete; each object is
  // deleted while its entry is still the list's last one. The block stays allocated.
  void Empty(bool wantDelete = false, void (*freeFunc)(void*) = nullptr) {
    if (wantDelete) {
      for (int32_t i = GetSize() - 1; i >= 0; --i) {
        T* item = GetList()[i];
        if (item) {
          if (freeFunc)
            freeFunc(item);
          else
            delete item;
        }
        m_hb.Resize(i * int32_t(sizeof(T*)), false);
      }
    }
    m_hb.Resize(0, false);
  }

private:
  // Room for one more pointer after count; null when that fails or passes 32 bits.
  T** Grow(int32_t count) {
    const int64_t bytes = (int64_t(count) + 1) * int64_t(sizeof(T*));
    if (bytes > INT32_MAX) return nullptr;
    return static_cast<T**>(m_hb.ResizeOK(int32_t(bytes), false));
  }

  WDL_HeapBuf m_hb;
};
