// A scene: the title, a menu or the stage. The frame loop drives the
// current one through these three operations every frame.
#pragma once

class CScene {
 public:
  virtual ~CScene() = default;
  // Per-frame progression that needs no decision (counters, animations).
  virtual void fAnimate() = 0;
  // Input and decisions; the place where a scene changes to another.
  virtual void fUpdate() = 0;
  // Draws to the back screen; not called in frames the timer skips.
  virtual void fDraw() = 0;
  // Asked at the top of every frame, before the input snapshot: true makes
  // the frame a paused one, in which only fDraw runs. The game's own frames
  // (and so its key log) go on as if the paused frames never happened.
  virtual bool fIsPausedFrame() { return false; }
  // The program is ending under this scene (the window closed, a quit
  // signal, the display gone): what it must not lose is written now. It
  // draws nothing and touches neither the window nor the sound.
  virtual void fKeepBeforeExit() {}
};
