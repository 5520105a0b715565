// What happened in a step of the rules, in the order it happened: the scene
// sounds and shows these, and the theatre's scan marks its timeline by them.
#pragma once

#include <vector>

enum class ERuleEvent : int {
  BallLanded,       // a ball came to rest from falling or dropping (the landing sound)
  Held,             // the hold action took a ball (the hold sound)
  CameraTurn,       // a camera quarter-turn started (the turn sound)
  VanishStarted,    // a ball started vanishing (the vanish sound); ball, colour, cell
  BallRemoved,      // a ball was removed and scored; value: its points
  ChainStep,        // a new wave of vanishing began; value: the chain count
  LevelUp,          // value: the new level
  PieceSpawned,     // value: the piece's serial
  GarbageDropped,   // value: the garbage balls dropped
  ToppingOut,       // the top-out cell was filled
  GameOver,
  StageClear,
  EndConfirmed,     // Z or X on the end screen
  PieceLocked,      // the piece came to rest for good; ball, colour, cell
};

struct SRuleEvent {
  ERuleEvent kind = ERuleEvent::BallLanded;
  int value = 0;
  int ball = -1;  // the ball's id, where one ball is meant
  int colour = -1;
  int a = 0;
  int b = 0;
  int h = 0;
};

using CRuleEvents = std::vector<SRuleEvent>;
