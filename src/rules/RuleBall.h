// One ball as the rules know it: where it is, how it moves and what it is
// doing. A plain value; the scene gives it its models.
#pragma once

enum class EBallState : int { Falling = 0, Dropping, Vanishing, Landed, Locked, Settled };

struct SRuleBall {
  int id = 0;      // unique within a game, for the scene's models; never reused
  int serial = 0;  // the deal's number; -1 for garbage
  int a = 0;
  int b = 0;
  int h = 0;
  int progress = 0;  // 512ths of a cell towards the cell below
  int colour = 0;
  bool fromHold = false;
  int speed = 0;
  int vanishCount = 0;
  int lockCount = 0;
  bool alive = true;
  EBallState state = EBallState::Falling;
  bool highlighted = false;  // the landing preview: the piece would clear it
  bool darkened = false;     // the top-out look, for good
};
