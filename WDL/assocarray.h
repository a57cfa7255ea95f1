#pragma once
// Key/value records kept in one array in ascending key order, searched by bisection.
// The owner supplies the key order and how keys are copied and keys and values freed.
// No lock: callers that share an array guard it themselves.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <type_traits>

#include "WDL/heapbuf.h"

template <class K, class V> class WDL_AssocArrayImpl {
public:
  struct KeyVal {
    K key;
    V val;
  };

  // keycmp(searched, stored): negative when searched sorts first. keydup (may be null):
  // the array stores its result instead of the caller's key. keydispose/valdispose (may
  // be null): when set, the array owns its stored keys/values and frees them with these.
  WDL_AssocArrayImpl(int (*keycmp)(K*, K*), K (*keydup)(K) = nullptr,
                     void (*keydispose)(K) = nullptr, void (*valdispose)(V) = nullptr)
      : m_keycmp(keycmp), m_keydup(keydup), m_keydispose(keydispose), m_valdispose(valdispose) {}
  ~WDL_AssocArrayImpl() { DeleteAll(false); }
  WDL_AssocArrayImpl(const WDL_AssocArrayImpl&) = delete;
  WDL_AssocArrayImpl& operator=(const WDL_AssocArrayImpl&) = delete;

  // Index of the equal key (*ismatch true), else where it would be inserted (false).
  int32_t LowerBound(K key, bool* ismatch) const {
    KeyVal* kv = m_data.Get();
    int32_t lo = 0, hi = m_data.GetSize();
    while (lo != hi) {
      const int32_t mid = lo + (hi - lo) / 2;
      const int c = m_keycmp(&key, &kv[mid].key);
      if (c > 0) {
        lo = mid + 1;
      } else if (c < 0) {
        hi = mid;
      } else {
        *ismatch = true;
        return mid;
      }
    }
    *ismatch = false;
    return lo;
  }

  // The stored value for key, or null; keyout (may be null) receives the array's own key.
  V* GetPtr(K key, K* keyout = nullptr) const {
    bool match;
    const int32_t i = LowerBound(key, &match);
    if (!match) return nullptr;
    KeyVal* kv = m_data.Get() + i;
    if (keyout) *keyout = kv->key;
    return &kv->val;
  }

  // Inserts or replaces (disposing the old value; the stored key stays). Returns the
  // entry's index, or -1 when the array could not grow or the key could not be copied;
  // the array is then unchanged and the caller still owns val.
  int32_t Insert(K key, V val) {
    bool match;
    const int32_t i = LowerBound(key, &match);
    if (match) {
      KeyVal* kv = m_data.Get() + i;
      if (m_valdispose) m_valdispose(kv->val);
      kv->val = val;
      return i;
    }
    if (m_keydup) {
      key = m_keydup(key);
      if constexpr (std::is_pointer_v<K>) {
        if (!key) return -1;
      }
    }
    const int32_t n = m_data.GetSize();
    KeyVal* kv = m_data.ResizeOK(n + 1, true);
    if (!kv) {
      if (m_keydup && m_keydispose) m_keydispose(key);
      return -1;
    }
    if (i < n) std::memmove(static_cast<void*>(kv + i + 1), kv + i, sizeof(KeyVal) * size_t(n - i));
    kv[i].key = key;
    kv[i].val = val;
    return i;
  }

  // Disposes every key then value in index order and empties the array; resizedown lets
  // the block go.
  void DeleteAll(bool resizedown = false) {
    if (m_keydispose || m_valdispose) {
      KeyVal* kv = m_data.Get();
      const int32_t n = m_data.GetSize();
      for (int32_t i = 0; i < n; ++i) {
        if (m_keydispose) m_keydispose(kv[i].key);
        if (m_valdispose) m_valdispose(kv[i].val);
      }
    }
    m_data.Resize(0, resizedown);
  }

private:
  WDL_TypedBuf<KeyVal> m_data{4096};
  int (*m_keycmp)(K*, K*);
  K (*m_keydup)(K);
  void (*m_keydispose)(K);
  void (*m_valdispose)(V);
};

template <class K, class V> class WDL_AssocArray : public WDL_AssocArrayImpl<K, V> {
public:
  WDL_AssocArray(int (*keycmp)(K*, K*), K (*keydup)(K) = nullptr, void (*keydispose)(K) = nullptr,
                 void (*valdispose)(V) = nullptr)
      : WDL_AssocArrayImpl<K, V>(keycmp, keydup, keydispose, valdispose) {}

  // The stored value (a stored null included), or notfound when the key is absent.
  V Get(K key, V notfound = V()) const {
    V* p = this->GetPtr(key);
    return p ? *p : notfound;
  }
};

// Keys are zero-terminated texts; the array keeps and frees its own copies.
template <class V> class WDL_StringKeyedArray : public WDL_AssocArray<const char*, V> {
public:
  // caseSensitive picks byte order, else order ignoring letter case.
  explicit WDL_StringKeyedArray(bool caseSensitive = true, void (*valdispose)(V) = nullptr)
      : WDL_AssocArray<const char*, V>(caseSensitive ? cmpstr : cmpistr, dupstr, freestr,
                                       valdispose) {}

  static int cmpstr(const char** a, const char** b) { return strcmp(*a, *b); }
  static int cmpistr(const char** a, const char** b) { return strcasecmp(*a, *b); }
  static const char* dupstr(const char* s) { return strdup(s); }
  static void freestr(const char* s) { free(const_cast<char*>(s)); }
};
