#include "WDL/swell/swell-internal.h"

#include "WDL/mutex.h"
#include "WDL/ptrlist.h"

#include <atomic>
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

// Set once the library's statics are torn down (it is unloaded or the program ends): records
// released after that are freed at once instead of pooled.
static std::atomic<bool> s_tornDown{false};

static WDL_Mutex* PoolMutex() {
  static std::once_flag once;
  std::call_once(once, [] { m_ctxpool_mutex = new WDL_Mutex; });
  return m_ctxpool_mutex;
}

// Frees the pooled records when the library goes: a host may load and unload the plug-in
// many times in one process.
static struct PoolReaper {
  template <class T> static void FreeAll(WDL_PtrList<T>*& list) {
    if (!list) return;
    for (int i = 0; i < list->GetSize(); ++i) free(list->Get(i));
    delete list;
    list = nullptr;
  }
  ~PoolReaper() {
    WDL_Mutex* m = PoolMutex();
    {
      WDL_MutexLock lock(m);
      s_tornDown = true;
      FreeAll(m_ctxpool_debug);
      FreeAll(m_objpool_debug);
    }
    delete m;
  }
} s_poolReaper;

template <class T> static T* PoolNew(WDL_PtrList<T>*& list) {
  if (s_tornDown) return (T*)calloc(1, sizeof(T));
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
  if (s_tornDown) {
    free(p);
    return;
  }
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
