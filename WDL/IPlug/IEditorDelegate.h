#pragma once
// What the plug-in core asks of its editor. The GUI framework's graphics object implements
// it, so the core holds and calls its editor without including a GUI header.

class IGraphics;

class IEditorDelegate {
public:
  // The core deletes the editor it owns through this.
  virtual ~IEditorDelegate();

  // Makes the editor's drawing surfaces. Main thread, once, before the core keeps it.
  virtual void PrepDraw() = 0;
  // Hands the value to the controls of paramIdx; a plain value is normalised first. Any
  // thread: writes only control values and dirty flags, without a lock.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
  // The graphics object behind this editor, for callers that use the GUI framework.
  virtual IGraphics* GetGraphics() = 0;
};
