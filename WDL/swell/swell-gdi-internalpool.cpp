#include "WDL/swell/swell-internal.h"

#include "WDL/mutex.h"
#include "WDL/ptrlist.h"

#include <cassert>
#include <cstdlib>
#include <cstring>
#include <mutex>

// Released records wait this long in the free list before reuse, so that a stale handle
// meets a record marked _infreelist rather than a live one.
static const int kFreeListDepth = 8192;

static WDL_Mutex* m_ctxpool_mutex;
static WDL_PtrList<HDC__>* m_ctxpool_debug;
static WDL_PtrList<HGDIOBJ__>* m_objpool_debug;

static WDL_Mutex* PoolMutex() {
  // Created on first use and never deleted: records may be released during static teardown.
  static std::once_flag once;
  std::call_once(once, [] { m_ctxpool_mutex = new WDL_Mutex; });
  return m_ctxpool_mutex;
}

template <class T> static T* PoolNew(WDL_PtrList<T>*& list) {
  T* p = nullptr;
  {
    WDL_MutexLock lock(PoolMutex());
    if (!list) list = new WDL_PtrList<T>(4096);
    if (list->GetSize() > kFreeListDepth) {
      p = list->Get(0);
      list->Delete(0);
    }
  }
  if (p) {
    memset((void*)p, 0, sizeof(T));
    return p;
  }
  return (T*)calloc(1, sizeof(T));
}

HDC__* SWELL_GDP_CTX_NEW() {
  return PoolNew(m_ctxpool_debug);
}

HGDIOBJ__* GDP_OBJECT_NEW() {
  return PoolNew(m_objpool_debug);
}

template <class T> static void PoolDelete(WDL_PtrList<T>*& list, T* p) {
  if (!p) return;
  assert(!p->_infreelist);
  memset((void*)p, 0, sizeof(*p));
  WDL_MutexLock lock(PoolMutex());
  p->_infreelist = true;
  if (!list) list = new WDL_PtrList<T>(4096);
  list->Add(p);
}

void SWELL_GDP_CTX_DELETE(HDC__* p) {
  PoolDelete(m_ctxpool_debug, p);
}

void GDP_OBJECT_DELETE(HGDIOBJ__* p) {
  PoolDelete(m_objpool_debug, p);
}

bool HDC_VALID(HDC__* ct) {
  if (!ct) return false;
  assert(!ct->_infreelist);
  return true;
}

bool HGDIOBJ_VALID(HGDIOBJ__* p, int reqType) {
  if ((UINT_PTR)p <= 4) return false; // null and the slot placeholders
  assert(!p->_infreelist);
  if (reqType) assert(reqType == p->type);
  return true;
}
