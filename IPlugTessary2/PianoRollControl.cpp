#include "IPlugTessary2/PianoRollControl.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "WDL/IPlug/IGraphics.h"

namespace {

// A note's unscrolled top row is B + 701 - 10 x note (B: the grid's bottom edge, pixels).
constexpr int kValueOffset = 701;
constexpr int kTicksPerBar = 480;

// Truncates toward zero like a cast, but keeps far-off positions inside int.
int ToInt(double d) {
  if (!(d == d)) return 0;
  const double lim = 1e9;
  if (d > lim) d = lim;
  if (d < -lim) d = -lim;
  return (int)d;
}

// Pixel and tick values far outside any editor stay far outside, without overflowing.
int ClampToInt(int64_t v) {
  const int64_t lim = 1000000000;
  return (int)std::max(-lim, std::min(lim, v));
}

// Rounds toward minus infinity, so rows below note 0's line give negative notes.
int FloorDiv10(int64_t v) {
  return ClampToInt(v >= 0 ? v / 10 : -((-v + 9) / 10));
}

// Label glyphs, one-pixel lines and points relative to the strip's left and the row's line.
struct Glyph {
  int nLines;
  int lines[7][4];
  int nPoints;
  int points[3][2];
};

const Glyph kLetterC = {3, {{5, 2, 7, 2}, {4, 3, 4, 7}, {5, 8, 7, 8}}, 2, {{8, 3}, {8, 7}}};

// Indexed by value / 12: "-1", "0" ... "9".
const Glyph kOctaveGlyphs[11] = {
    {3, {{10, 5, 11, 5}, {13, 2, 13, 7}, {12, 8, 14, 8}}, 1, {{12, 3}}},
    {5, {{11, 2, 13, 2}, {11, 8, 13, 8}, {10, 3, 10, 7}, {14, 3, 14, 7}, {11, 6, 13, 4}}, 0, {}},
    {2, {{12, 2, 12, 7}, {11, 8, 13, 8}}, 1, {{11, 3}}},
    {4,
     {{11, 2, 13, 2}, {14, 3, 14, 4}, {12, 5, 13, 5}, {10, 8, 14, 8}},
     3,
     {{10, 3}, {10, 7}, {11, 6}}},
    {5,
     {{11, 2, 13, 2}, {14, 3, 14, 4}, {12, 5, 13, 5}, {14, 6, 14, 7}, {11, 8, 13, 8}},
     2,
     {{10, 3}, {10, 7}}},
    {3, {{14, 2, 14, 8}, {10, 5, 13, 2}, {10, 6, 13, 6}}, 0, {}},
    {4, {{10, 2, 14, 2}, {10, 4, 13, 4}, {14, 5, 14, 7}, {11, 8, 13, 8}}, 2, {{10, 3}, {10, 7}}},
    {5,
     {{11, 2, 13, 2}, {11, 5, 13, 5}, {11, 8, 13, 8}, {10, 3, 10, 7}, {14, 6, 14, 7}},
     1,
     {{14, 3}}},
    {3, {{10, 2, 14, 2}, {14, 3, 14, 4}, {12, 6, 12, 8}}, 1, {{13, 5}}},
    {7,
     {{11, 2, 13, 2},
      {11, 5, 13, 5},
      {11, 8, 13, 8},
      {10, 3, 10, 4},
      {10, 6, 10, 7},
      {14, 3, 14, 4},
      {14, 6, 14, 7}},
     0,
     {}},
    {5,
     {{11, 2, 13, 2}, {11, 5, 13, 5}, {11, 8, 13, 8}, {10, 3, 10, 4}, {14, 3, 14, 7}},
     1,
     {{10, 7}}},
};

void DrawGlyph(IGraphics* g, const IColor* c, const Glyph& gl, int x0, int y) {
  for (int i = 0; i < gl.nLines; ++i) {
    const int* l = gl.lines[i];
    g->DrawLine(c, (float)(x0 + l[0]), (float)(y + l[1]), (float)(x0 + l[2]), (float)(y + l[3]));
  }
  for (int i = 0; i < gl.nPoints; ++i) {
    g->DrawPoint(c, (float)(x0 + gl.points[i][0]), (float)(y + gl.points[i][1]));
  }
}

} // namespace

PianoRollControl::PianoRollControl(IPlugBase* pPlug, EditorEngine* pEngine, IRECT grid)
    : IControl(pPlug, IRECT(grid.L - kKeysWidth, grid.T, grid.R, grid.B), -1,
               IChannelBlend(IChannelBlend::kBlendNone, 1.0f)),
      mEngine(pEngine), mSelectedCount(0), mNextNoteId(1), mLastDragY(kNoDragRow),
      mMouseIsDown(false), mScrollRows(-16), mScrollMin(-71), mScrollMax(31), mPlayheadX(0.0),
      mPlayheadShown(false), mGridRECT(grid),
      mKeysRECT(grid.L - kKeysWidth, grid.T, grid.L, grid.B), mGridWidth(grid.W()),
      mGridHeight(grid.H()), mRowCount(grid.H() / kRowHeight), mStepsPerBar(16), mZoom(1),
      mStepsShown(16), mPixelsPerStep(grid.W() / 16.0), mGridColor(255, 120, 120, 120),
      mLineColor(235, 60, 60, 60), mPlayheadColor(255, 255, 59, 59), mNoteColor(255, 0, 148, 224),
      mSelectedColor(255, 0, 98, 174), mWhiteKeyColor(255, 240, 241, 241),
      mBlackKeyColor(255, 60, 60, 60), mBlackRowColor(255, 90, 90, 90),
      mExplicitColor(180, 255, 59, 59), mImplicitColor(180, 255, 133, 25),
      mLockedColor(255, 168, 206, 225), mBorderColor(255, 63, 63, 63), mLabelColor(255, 0, 0, 0),
      mPlayingColor(255, 0, 42, 104) {}

// ---- Conversions ----

int PianoRollControl::ConvertNoteLocationToPixels(int ticks) const {
  return ToInt(mGridRECT.L + mPixelsPerStep * (double)ticks / (double)kTicksPerStep);
}

int PianoRollControl::ConvertXToNoteLocation(int x) const {
  const double pps = mPixelsPerStep;
  if (!(pps > 0.0)) return 0;
  return ToInt(((double)x - mGridRECT.L) * kTicksPerStep / pps);
}

int PianoRollControl::ConvertNoteLengthToPixels(int ticks) const {
  return ToInt(mPixelsPerStep * ((double)ticks / kTicksPerStep));
}

int PianoRollControl::ConvertNoteValueToPixels(int value) const {
  return ClampToInt((int64_t)mGridRECT.B - (int64_t)kRowHeight * value + kValueOffset);
}

int PianoRollControl::ConvertYToNoteValue(int y) const {
  return FloorDiv10((int64_t)mGridRECT.B + kValueOffset - y);
}

bool PianoRollControl::CheckYIsSharp(int y) const {
  const int v = ConvertYToNoteValue(y - mScrollRows * kRowHeight);
  switch (((v % 12) + 12) % 12) {
  case 1:
  case 3:
  case 6:
  case 8:
  case 10:
    return true;
  default:
    return false;
  }
}

int PianoRollControl::LoopEndTicks() const {
  return mEngine ? mEngine->GetLoopEndTicks() : kTicksPerBar;
}

int PianoRollControl::SnapInsideLoop(int ticks) {
  const int end = LoopEndTicks();
  int q = mEngine ? mEngine->CalculateQuantizedLocation(ticks) : ticks;
  if (q < 0) q = 0;
  if (q >= end) q = std::max(0, std::min(ticks, end - 1));
  return q;
}

int PianoRollControl::MaxNoteX() const {
  const int loopEndX = ConvertNoteLocationToPixels(LoopEndTicks());
  return std::max(mGridRECT.L, std::min(mGridRECT.R - 1, loopEndX - 1));
}

// ---- Zoom ----

void PianoRollControl::ZoomInX() {
  if (mZoom > 1) AdjustXZoom(mZoom - 1);
}

void PianoRollControl::ZoomOutX() {
  if (mZoom < 16) AdjustXZoom(mZoom + 1);
}

void PianoRollControl::AdjustXZoom(int bars) {
  if (bars < 1) bars = 1; // a zero zoom would divide by zero
  mZoom = bars;
  mStepsShown = 16 * bars;
  mPixelsPerStep = mGridWidth / (double)mStepsShown;
  mRelayout = true;
  SetDirty(false);
}

void PianoRollControl::AdjustNotesXZoom() {
  for (Note& n : mNotes) n.x = ConvertNoteLocationToPixels(n.location);
}

// ---- Engine side ----

void PianoRollControl::Queue(EngineChange::Kind kind, int value, int location, int length,
                             bool locked) {
  EngineChange c;
  c.kind = kind;
  c.value = value;
  c.location = location;
  c.length = length;
  c.locked = locked;
  // A full queue (an editor that has not drawn for a long while) refuses the change; the
  // roll then asks for the whole melody anew instead.
  if (!mChanges.TryPush(c)) mChangesLost = true;
  SetDirty(false);
}

void PianoRollControl::FreshGrid() {
  Queue(EngineChange::kFresh, 0, 0, 0, false);
}

void PianoRollControl::AddNote(int value, int location, int length, bool locked) {
  Queue(EngineChange::kAdd, value, location, length, locked);
}

void PianoRollControl::LockAll() {
  Queue(EngineChange::kLockEvery, 0, 0, 0, true);
}

void PianoRollControl::UnlockAll() {
  Queue(EngineChange::kLockEvery, 0, 0, 0, false);
}

bool PianoRollControl::ApplyQueued() {
  if (mChangesLost.exchange(false)) {
    EngineChange dropped;
    while (mChanges.TryPop(dropped)) {
    }
    return false;
  }
  if (mRelayout.exchange(false)) AdjustNotesXZoom();
  EngineChange c;
  while (mChanges.TryPop(c)) {
    switch (c.kind) {
    case EngineChange::kFresh:
      mNotes.clear();
      mSelectedCount = 0;
      break;
    case EngineChange::kAdd: {
      Note n;
      n.value = n.oldValue = c.value;
      n.location = n.oldLocation = c.location;
      n.length = n.oldLength = c.length;
      n.id = mNextNoteId++;
      n.locked = c.locked;
      n.x = ConvertNoteLocationToPixels(c.location);
      n.y = ConvertNoteValueToPixels(c.value);
      mNotes.push_back(n);
      break;
    }
    case EngineChange::kLockEvery:
      for (Note& n : mNotes) n.locked = c.locked;
      break;
    }
  }
  return true;
}

void PianoRollControl::TakeEngineChanges() {
  bool complete;
  {
    std::lock_guard<EditorMutex> lock(mNotesMutex);
    complete = ApplyQueued();
  }
  // The refresh itself may lose changes when the render thread floods the queue meanwhile;
  // ask again, and past a few tries leave the mark so the next hand-off asks once more.
  for (int tries = 0; !complete && mEngine && tries < 3; ++tries) {
    mEngine->RefreshPianoRoll();
    std::lock_guard<EditorMutex> lock(mNotesMutex);
    complete = ApplyQueued();
  }
  if (!complete && mEngine) mChangesLost = true;
}

int PianoRollControl::DrawKeyboard(IGraphics* /*pGraphics*/) {
  SetDirty(false);
  return 0;
}

std::vector<Note> PianoRollControl::GetNotes() {
  TakeEngineChanges();
  std::lock_guard<EditorMutex> lock(mNotesMutex);
  return mNotes;
}

int PianoRollControl::GetSelectedCount() {
  TakeEngineChanges();
  std::lock_guard<EditorMutex> lock(mNotesMutex);
  return mSelectedCount;
}

// ---- Drawing ----

bool PianoRollControl::Draw(IGraphics* pGraphics) {
  TakeEngineChanges();
  {
    std::lock_guard<EditorMutex> lock(mNotesMutex);
    mDrawNotes = mNotes;
  }
  DrawGrid(pGraphics);
  DrawKeyStrip(pGraphics);
  for (const Note& n : mDrawNotes) DrawNote(pGraphics, n);
  // One shown bar holds S / N samples of the engine's loop.
  const int64_t p = mEngine ? mEngine->GetPlayPosition() : 0;
  const int64_t s = mEngine ? mEngine->GetDisplayLoopLength() : 0;
  const int64_t bars = mEngine ? mEngine->GetActiveBars() : 0;
  const int64_t d = bars > 0 ? s * mZoom / bars : 0;
  mPlayheadShown = d > 0;
  mPlayheadX = mPlayheadShown ? mGridWidth * ((double)p / (double)d) : 0.0;
  return true;
}

void PianoRollControl::DrawGrid(IGraphics* g) {
  const IRECT& gr = mGridRECT;
  g->FillIRect(&mGridColor, &mGridRECT);
  const int zoom = mZoom;
  const int k = zoom >= 12 ? 8 : (zoom >= 6 ? 4 : (zoom >= 4 ? 2 : 1));

  for (int i = 0; i <= mRowCount; ++i) {
    const double y = gr.T + (double)kRowHeight * i;
    g->DrawLine(&mLineColor, (float)gr.L, (float)y, (float)gr.R, (float)y);
    if (i < mRowCount && CheckYIsSharp((int)y)) {
      IRECT r((int)(gr.L + 1), (int)(y + 1), (int)(gr.R - 1), (int)(y + kRowHeight));
      g->FillIRect(&mBlackRowColor, &r);
    }
  }

  const double pps = mPixelsPerStep;
  const double playX = gr.L + mPlayheadX;
  double x = gr.L;
  int c = 1;
  for (int j = 0; j <= mStepsShown; j += k) {
    g->DrawLine(&mLineColor, (float)x, (float)gr.T, (float)x, (float)gr.B);
    if (mPlayheadShown && x <= playX && playX < x + pps * k) {
      const float t = (float)gr.T;
      g->DrawLine(&mPlayheadColor, (float)(x + 3), t, (float)(x - 1), t + 2);
      g->DrawLine(&mPlayheadColor, (float)(x + 2), t, (float)(x + 2), t + 4);
      g->DrawLine(&mPlayheadColor, (float)(x + 1), t, (float)(x + 1), t + 6);
      g->DrawLine(&mPlayheadColor, (float)x, t, (float)x, t + 8);
    }
    x += pps * k;
    if (c == mStepsPerBar / k) {
      c = 0;
      // Bar lines are doubled one pixel to the left of the next column line.
      g->DrawLine(&mLineColor, (float)(x - 1), (float)gr.T, (float)(x - 1), (float)gr.B);
    }
    c += 1;
  }
}

void PianoRollControl::DrawKeyStrip(IGraphics* g) {
  const double x0 = mKeysRECT.L + 1, xr = mKeysRECT.R;
  double y = mKeysRECT.T;
  g->DrawRect(&mBlackKeyColor, &mKeysRECT);
  for (int i = 0; i < mRowCount; ++i) {
    g->DrawLine(&mBlackKeyColor, (float)x0, (float)y, (float)xr, (float)y);
    const int v = ConvertYToNoteValue((int)(y - mScrollRows * kRowHeight));
    if (CheckYIsSharp((int)y)) {
      IRECT r((int)x0, (int)y, (int)xr, (int)(y + kRowHeight));
      g->FillIRect(&mBlackKeyColor, &r);
    } else {
      IRECT r((int)x0, (int)(y + 1), (int)xr, (int)(y + kRowHeight));
      g->FillIRect(&mWhiteKeyColor, &r);
    }
    if (v % 12 == 0) DrawLabel(g, (int)x0, (int)y, v);
    IRECT r((int)x0, (int)y, (int)xr, (int)(y + kRowHeight));
    if (mEngine && mEngine->IsExplictlySelected(v)) {
      g->FillIRect(&mExplicitColor, &r);
    } else if (mEngine && mEngine->IsImplictlySelected(v)) {
      g->FillIRect(&mImplicitColor, &r);
    }
    y += kRowHeight;
  }
}

void PianoRollControl::DrawLabel(IGraphics* g, int x0, int y, int value) {
  const int octave = value / 12; // note 0 reads C-1
  if (value < 0 || octave > 10) return;
  DrawGlyph(g, &mLabelColor, kLetterC, x0, y);
  DrawGlyph(g, &mLabelColor, kOctaveGlyphs[octave], x0, y);
}

void PianoRollControl::DrawNote(IGraphics* g, Note n) {
  const IRECT& gr = mGridRECT;
  const int x = GetRelativeX(n.x), y = GetRelativeY(n.y);
  if (!(gr.L <= x && x < gr.R && gr.T <= y && y <= gr.B && n.length != 0)) return;
  const int w = std::max(2, ConvertNoteLengthToPixels(n.length));
  const int right = x + w < gr.R ? x + w : gr.R - 1;
  mNoteRECT = IRECT(x + 1, y, right, (int)(y + kRowHeight - 1.0));

  const double playX = gr.L + mPlayheadX;
  const IColor* fill = &mNoteColor;
  if (n.selected) {
    fill = &mSelectedColor;
  } else if (mPlayheadShown && x - 1 <= playX && playX <= x + w + 1) {
    fill = &mPlayingColor;
  }
  g->FillIRect(fill, &mNoteRECT);

  if (n.locked) {
    IRECT outer(x + 1, y, right - 1, (int)(y + kRowHeight - 2.0));
    IRECT inner(x + 2, y + 1, right - 2, (int)(y + kRowHeight - 3.0));
    g->DrawRect(&mLockedColor, &outer);
    g->DrawRect(&mLockedColor, &inner);
  } else {
    IRECT border(x, y - 1, right, (int)(y + kRowHeight - 1.0));
    g->DrawRect(&mBorderColor, &border);
  }
}

// ---- Editing ----

Note PianoRollControl::getPoint(double px, double py) {
  for (auto it = mNotes.rbegin(); it != mNotes.rend(); ++it) {
    const double rx = GetRelativeX(it->x), ry = GetRelativeY(it->y);
    const double w = ConvertNoteLengthToPixels(it->length);
    if (rx < px && px < rx + w && ry < py && py < ry + kRowHeight) return *it;
  }
  Note h;
  if (mGridRECT.L - kKeysWidth < px && px < mGridRECT.L) {
    h.value = ConvertYToNoteValue((int)(py - mScrollRows * kRowHeight)) + 1;
  }
  return h;
}

void PianoRollControl::UpdatePlug(Note n, int code) {
  if (!mEngine) return;
  switch (code) {
  case 0:
    mEngine->AddOneFromPianoRoll(n.value, n.location, -1);
    break;
  case 1:
    mEngine->UpdateOneFromPianoRoll(n.value, n.location, n.length, n.oldValue, n.oldLocation,
                                    n.oldLength, n.locked);
    break;
  case 2:
    mEngine->DeleteOneFromPianoRoll(n.value, n.location, n.length, n.locked);
    break;
  case 3:
  case 4:
    mEngine->LockOneFromPianoRoll(n.value, n.location, code == 3);
    break;
  case 5:
    mEngine->ShiftMelodyFromPianoRoll(n.location);
    break;
  default:
    break;
  }
}

void PianoRollControl::OnMouseDown(int px, int py, IMouseMod* pMod) {
  // Each press starts its own drag: a nudge must not move a note by a row.
  mLastDragY = kNoDragRow;
  TakeEngineChanges();
  Note h;
  {
    std::lock_guard<EditorMutex> lock(mNotesMutex);
    h = getPoint(px, py);
  }
  if (h.id == 0 && h.value >= 0) {
    if (mEngine) mEngine->SetNotePoolFromPianoRoll(h.value);
    return;
  }
  {
    std::lock_guard<EditorMutex> lock(mNotesMutex);
    if (mSelectedCount > 0 && !pMod->C) {
      for (Note& n : mNotes) {
        if (n.selected && !(n == h)) {
          n.selected = false;
          if (mSelectedCount > 0) --mSelectedCount;
        }
      }
    }
    if (h.id == 0 && !pMod->C) {
      mSelectedCount = 0;
    } else {
      auto it = std::find(mNotes.begin(), mNotes.end(), h);
      if (it != mNotes.end() && !it->selected) {
        it->selected = true;
        ++mSelectedCount;
      }
    }
  }
  mMouseIsDown = true;
  SetDirty(true);
}

void PianoRollControl::OnMouseDrag(int /*px*/, int py, int dX, int /*dY*/, IMouseMod* /*pMod*/) {
  if (!mMouseIsDown) return;
  TakeEngineChanges();
  std::unique_lock<EditorMutex> lock(mNotesMutex);
  if (mSelectedCount > 0) {
    const int ry = py - mScrollRows * kRowHeight;
    const int r = ry % kRowHeight;
    int s = r < 5 ? ry - r : ry + (kRowHeight - r);
    s -= 1;
    int dir = 0;
    if (mLastDragY != kNoDragRow) dir = s > mLastDragY ? 1 : (s < mLastDragY ? -1 : 0);
    mLastDragY = s;

    if (dir != 0 || dX != 0) {
      const int maxX = MaxNoteX();
      for (Note& n : mNotes) {
        if (!n.selected) continue;
        if (dX != 0) {
          const int64_t nx = (int64_t)n.x + dX;
          if (nx >= mGridRECT.L) {
            n.x = (int)std::min<int64_t>(nx, maxX);
            n.location = ConvertXToNoteLocation(n.x);
          } else {
            n.x = mGridRECT.L;
            n.location = 0;
          }
        }
        if (dir != 0) {
          const int ny = n.y + kRowHeight * dir;
          const int v = ConvertYToNoteValue(ny);
          if (v >= 0 && v <= 127) n.y = ny;
        }
      }
    }
  }
  lock.unlock();
  SetDirty(true);
}

void PianoRollControl::OnMouseUp(int /*px*/, int /*py*/, IMouseMod* /*pMod*/) {
  mMouseIsDown = false;
  TakeEngineChanges();
  std::vector<Note> moved;
  {
    std::lock_guard<EditorMutex> lock(mNotesMutex);
    if (mSelectedCount <= 0) return;
    for (const Note& n : mNotes) {
      if (n.selected) moved.push_back(n);
    }
  }
  // The engine is told without the lock held: it may call AddNote back.
  for (Note& n : moved) {
    n.value = ConvertYToNoteValue(n.y);
    n.location = SnapInsideLoop(ConvertXToNoteLocation(n.x));
    n.x = ConvertNoteLocationToPixels(n.location);
    if (n.value != n.oldValue || n.location != n.oldLocation) UpdatePlug(n, 1);
    n.oldValue = n.value;
    n.oldLocation = n.location;
    n.oldLength = n.length;
  }
  std::lock_guard<EditorMutex> lock(mNotesMutex);
  for (const Note& m : moved) {
    auto it = std::find(mNotes.begin(), mNotes.end(), m);
    if (it == mNotes.end()) continue; // the engine rebuilt the roll meanwhile
    const bool selected = it->selected;
    *it = m;
    it->selected = selected;
  }
}

void PianoRollControl::OnMouseDblClick(int px, int py, IMouseMod* /*pMod*/) {
  TakeEngineChanges();
  Note h;
  {
    std::lock_guard<EditorMutex> lock(mNotesMutex);
    h = getPoint(px, py);
  }
  if (h.id == 0 && h.value >= 0) return; // key strip

  if (h.id == 0) {
    // Notes go only into the grid, inside the loop: nothing on the strip's outline column,
    // nothing the loop would never play.
    const IRECT& gr = mGridRECT;
    if (!(gr.L <= px && px < gr.R && gr.T <= py && py < gr.B)) return;
    const int ticks = ConvertXToNoteLocation(px);
    if (ticks < 0 || ticks >= LoopEndTicks()) return;
    Note n;
    n.value = ConvertYToNoteValue(py - mScrollRows * kRowHeight) + 1;
    if (n.value < 0 || n.value > 127) return;
    n.location = SnapInsideLoop(ticks);
    UpdatePlug(n, 0);
    return;
  }

  UpdatePlug(h, 2);
  {
    std::lock_guard<EditorMutex> lock(mNotesMutex);
    auto it = std::find(mNotes.begin(), mNotes.end(), h);
    if (it != mNotes.end()) {
      if (it->selected && mSelectedCount > 0) --mSelectedCount;
      mNotes.erase(it);
    }
  }
  SetDirty(true);
}

void PianoRollControl::OnMouseWheel(int /*px*/, int /*py*/, IMouseMod* /*pMod*/, int d) {
  mScrollRows =
      (int)std::max<int64_t>(mScrollMin, std::min<int64_t>(mScrollMax, (int64_t)mScrollRows + d));
  if (mMouseIsDown) {
    // Notes being dragged keep their place on screen while the rows move under them.
    TakeEngineChanges();
    std::lock_guard<EditorMutex> lock(mNotesMutex);
    if (mSelectedCount > 0) {
      const int64_t shift = (int64_t)kRowHeight * d;
      for (Note& n : mNotes) {
        if (!n.selected) continue;
        const int ny = ClampToInt((int64_t)n.y - shift);
        const int v = ConvertYToNoteValue(ny);
        n.y = ConvertNoteValueToPixels(std::max(0, std::min(127, v)));
      }
    }
  }
  SetDirty(true);
}
