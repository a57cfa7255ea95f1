#include "IPlugTessary2/IKeyboardControl.h"

#include "WDL/IPlug/IGraphics.h"

const int IKeyboardControl::mNextKey[12] = {2, 2, 2, 3, 1, 2, 2, 2, 2, 2, 3, 1};
const int IKeyboardControl::mBitmapN[12] = {1, 0, 2, 0, 3, 1, 0, 4, 0, 5, 0, 3};

namespace {
constexpr int kTopKeyFrame = 6;
constexpr int kBlackPlaces[5] = {1, 3, 6, 8, 10};
} // namespace

IKeyboardControl::IKeyboardControl(IPlugBase* pPlug, EditorEngine* pEngine, int x, int y,
                                   int lowestNote, int nOctaves, IBitmap* pWhiteKeys,
                                   IBitmap* pBlackKey, const int* keyOffsets)
    : IControl(pPlug, IRECT(x, y, pWhiteKeys), -1, IChannelBlend(IChannelBlend::kBlendNone, 1.0f)),
      mEngine(pEngine), mWhiteKeys(*pWhiteKeys), mBlackKey(*pBlackKey),
      mOctaveWidth(7 * pWhiteKeys->W), mNumOctaves(nOctaves), mKey(-1), mLowestNote(lowestNote),
      mKeyCount(12 * nOctaves) {
  for (int i = 0; i < 12; ++i) mKeyOffsets[i] = keyOffsets[i];
  mRECT.R += nOctaves * mOctaveWidth;
  mTargetRECT.R = mRECT.R;
  mDblAsSingleClick = true;
}

int IKeyboardControl::GetMouseKey(int x, int y) const {
  const IRECT& r = mTargetRECT;
  if (!(r.L <= x && x < r.R && r.T <= y && y < r.B) || mOctaveWidth <= 0) return -1;
  const int dx = x - r.L, dy = y - r.T;
  const int octave = dx / mOctaveWidth;
  const int xi = dx - octave * mOctaveWidth;

  const int blackH = mBlackKey.N > 0 ? mBlackKey.H / mBlackKey.N : mBlackKey.H;
  if (dy < blackH && octave < mNumOctaves) {
    for (int place : kBlackPlaces) {
      if (xi < mKeyOffsets[place]) break;
      if (xi < mKeyOffsets[place] + mBlackKey.W) return place + 12 * octave;
    }
  }
  const int n = xi / mWhiteKeys.W;
  const int key = 2 * n - (n >= 3 ? 1 : 0);
  return key + 12 * octave;
}

void IKeyboardControl::OnMouseDown(int x, int y, IMouseMod* pMod) {
  if (pMod->R) return;
  const int k = GetMouseKey(x, y);
  const int note = k + mLowestNote;
  // The engine keeps one flag per MIDI note; others are never held.
  const bool held = note >= 0 && note <= 127 && mEngine && mEngine->GetKeyStatus(note);
  if (k != mKey && !held) {
    mKey = k;
    SetDirty(true);
  }
}

void IKeyboardControl::OnMouseDrag(int x, int y, int /*dX*/, int /*dY*/, IMouseMod* pMod) {
  OnMouseDown(x, y, pMod);
}

void IKeyboardControl::OnMouseUp(int /*x*/, int /*y*/, IMouseMod* /*pMod*/) {
  if (mKey != -1) {
    mKey = -1;
    SetDirty(true);
  }
}

void IKeyboardControl::SetKeysSelected(std::vector<int>& notes) {
  NoteSet keys;
  for (int n : notes) keys.insert(n);
  mKeysHandOff.Publish(keys);
}

bool IKeyboardControl::Draw(IGraphics* pGraphics) {
  mKeysHandOff.Take(mShownKeys);
  if (mShownKeys.empty()) return true;
  auto lit = [this](int key) { return mShownKeys.count(key + mLowestNote) > 0; };

  const int ww = mWhiteKeys.W;
  IRECT r(mRECT.L, mRECT.T, mRECT.L + ww, mRECT.B);
  for (int i = 0; i < mKeyCount; r.L += ww, r.R += ww) {
    const int place = i % 12;
    if (lit(i)) DrawKey(pGraphics, &r, i, place, false);
    i += mNextKey[place];
  }
  if (lit(mKeyCount)) DrawKey(pGraphics, &r, mKeyCount, 0, false);

  const int blackH = mBlackKey.N > 0 ? mBlackKey.H / mBlackKey.N : mBlackKey.H;
  int x0 = mRECT.L;
  for (int i = 1; i <= mKeyCount;) {
    const int place = i % 12;
    const int l = x0 + mKeyOffsets[place];
    IRECT b(l, mRECT.T, l + mBlackKey.W, mRECT.T + blackH);
    if (lit(i)) DrawKey(pGraphics, &b, i, place, true);
    i += mNextKey[place];
    if (place == 10) x0 += mOctaveWidth;
  }
  return true;
}

void IKeyboardControl::DrawKey(IGraphics* pGraphics, IRECT* pR, int key, int place, bool black) {
  if (black) {
    pGraphics->DrawBitmap(&mBlackKey, pR, 1, &mBlend);
  } else {
    const int frame = key >= mKeyCount ? kTopKeyFrame : mBitmapN[place];
    pGraphics->DrawBitmap(&mWhiteKeys, pR, frame, &mBlend);
  }
}
