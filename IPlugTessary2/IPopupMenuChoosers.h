#pragma once
// Text choosers of the scale, chord and rhythm: a click opens a popup menu, a choice becomes
// the control's normalised value (the table index over the table's size) and is sent to the
// bound parameter. The menus, the mouse and drawing run on the main thread. The engine reads
// IsSelected and calls ClearMenu from its parameter handling on whichever thread changed the
// parameter, so the shown texts and the selected flag are single atomic words.

#include <atomic>
#include <map>
#include <string>

#include "WDL/IPlug/IControl.h"
#include "WDL/IPlug/IPopupMenu.h"

// Common part of the scale and chord choosers: a key area (left third) and a type area.
class IPopupMenuKeyType : public IControl {
public:
  ~IPopupMenuKeyType() override;

  // Main thread.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;
  void doNotePopupMenu();
  void doTypePopupMenu();
  double CalculateMValue() const;
  void SetNoteText(int key);
  void SetTypeText(int type);

  // Any thread: the pool was cleared. Texts become "-"; choice, value and check marks stay.
  void ClearMenu();

  const char* GetNoteText() const { return mNoteText; }
  const char* GetTypeText() const { return mTypeText; }
  int GetChosenKey() const { return mChosenKey; }
  int GetChosenType() const { return mChosenType; }

protected:
  // typeMenuTexts and typeShownTexts hold nTypes entries; nEntries is the table's size.
  IPopupMenuKeyType(IPlugBase* pPlug, int paramIdx, IRECT pR, const char* const* typeMenuTexts,
                    const char* const* typeShownTexts, int nTypes, int nEntries);

  IPopupMenu mKeyMenu, mTypeMenu;
  IRECT mKeyRECT, mTypeRECT;
  int mChosenKey, mChosenType;
  IText* mTextStyle; // owned
  IColor mTextColor;
  std::atomic<const char*> mNoteText, mTypeText; // static literals or "-"
  std::map<int, std::string> mKeyNames, mTypeNames;
  const char* const* mTypeShownTexts;
  int mNumTypes, mNumEntries;
};

class IPopupMenuScales : public IPopupMenuKeyType {
public:
  IPopupMenuScales(IPlugBase* pPlug, int paramIdx, IRECT pR);
};

class IPopupMenuChords : public IPopupMenuKeyType {
public:
  IPopupMenuChords(IPlugBase* pPlug, int paramIdx, IRECT pR);
};

class IPopupMenuRhythms : public IControl {
public:
  IPopupMenuRhythms(IPlugBase* pPlug, int paramIdx, IRECT pR);
  ~IPopupMenuRhythms() override;

  // Main thread.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;
  void doRhythmPopupMenu();
  double CalculateMValue() const;
  void SetDisplayText(int index);

  // Any thread: whether the last popup of this chooser ended with a choice.
  bool IsSelected() const { return mSelected; }

  const char* GetDisplayText() const { return mDisplayText; }
  int GetChosenRhythm() const { return mChosenRhythm; }

protected:
  IPopupMenu mRhythmMenu;
  IRECT mTextRECT;
  IColor mTextColor;
  int mChosenRhythm;
  IText* mTextStyle;                     // owned
  std::atomic<const char*> mDisplayText; // "-" or a text held by mRhythmNames
  std::atomic<bool> mSelected;
  std::map<int, std::string> mRhythmNames; // never changed after construction
};
