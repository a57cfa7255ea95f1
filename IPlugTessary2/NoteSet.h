#pragma once
// A set of MIDI notes 0-127 in fixed storage: inserting and erasing never allocate. Walked in
// ascending order.

#include <cstddef>
#include <cstdint>

class NoteSet {
public:
  // False, and nothing stored, for a note outside 0-127.
  bool insert(int note) {
    if (note < 0 || note > 127) return false;
    mBits[note / 64] |= Bit(note);
    return true;
  }
  size_t erase(int note) {
    if (!count(note)) return 0;
    mBits[note / 64] &= ~Bit(note);
    return 1;
  }
  size_t count(int note) const {
    return note >= 0 && note <= 127 && (mBits[note / 64] & Bit(note)) != 0;
  }
  bool empty() const { return (mBits[0] | mBits[1]) == 0; }
  size_t size() const {
    return (size_t)__builtin_popcountll(mBits[0]) + (size_t)__builtin_popcountll(mBits[1]);
  }
  void clear() { mBits[0] = mBits[1] = 0; }

  class const_iterator {
  public:
    const_iterator(const NoteSet* s, int note) : mSet(s), mNote(Next(s, note)) {}
    int operator*() const { return mNote; }
    const_iterator& operator++() {
      mNote = Next(mSet, mNote + 1);
      return *this;
    }
    bool operator!=(const const_iterator& o) const { return mNote != o.mNote; }

  private:
    static int Next(const NoteSet* s, int note) {
      while (note < 128 && !s->count(note)) ++note;
      return note;
    }
    const NoteSet* mSet;
    int mNote;
  };
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, 128); }

private:
  static uint64_t Bit(int note) { return uint64_t(1) << (note % 64); }
  uint64_t mBits[2] = {0, 0};
};
