// The texts for players who read no Japanese: written for them, not
// transliterated.
#include "text/TextTables.h"

const std::vector<STextEntry>& fEnglishTexts() {
  static const std::vector<STextEntry> table = {
      {ETextId::PressKeyFormat, "Press %s Key"},
      {ETextId::HowToPlayButton, "How to play"},
      {ETextId::ModeDescriptionPlimo,
       "Groups of 2 balls of one colour vanish.\nThe box is 2 wide, 2 deep and 7 high.\nBalls come in 4 colours."},
      {ETextId::ModeDescriptionYoiko,
       "Groups of 3 balls of one colour vanish.\nThe box is 2 wide, 3 deep and 8 high.\nBalls come in 4 colours."},
      {ETextId::ModeDescriptionWanpaku,
       "Groups of 4 balls of one colour vanish.\nThe box is 3 wide, 3 deep and 8 high.\nBalls come in 5 colours."},
      {ETextId::HighScoreSummaryFormat, "High score : %s\nLongest chain : %d\nOnline ranking : %s"},
      {ETextId::Registered, "sent"},
      {ETextId::NotRegistered, "not sent yet"},
      {ETextId::Connecting, "Connecting to the ranking server..."},
      {ETextId::NoReplay, "The replay file was not found."},
      {ETextId::BadReplay, "The replay file could not be read."},
      {ETextId::Downloading, "Downloading the replay..."},
      {ETextId::SortByScoreFormat, "Sorted by score (%s: change)"},
      {ETextId::SortByChainFormat, "Sorted by longest chain (%s: change)"},
      {ETextId::SortByDateFormat, "Sorted by date (%s: change)"},
      {ETextId::RankingRowFormat, "% 3d. %8s % 7d pts (%d chain) %s"},
      {ETextId::RankingConnectionFailed, "Could not connect to the ranking server."},
      {ETextId::RankingNoData, "No scores have been sent for this mode yet."},
      {ETextId::RankingUploadSuccessFormat, "Your score was sent.\nYou are number %d in the ranking."},
      {ETextId::RankingUploadRefusedFormat, "The ranking server did not take the score:\n%s"},
      {ETextId::RankingTitleFormat, "Online ranking: %s"},
      {ETextId::RankingModePlimo, "Plimo"},
      {ETextId::RankingModeYoiko, "Yoiko"},
      {ETextId::RankingModeWanpaku, "Wanpaku"},
      {ETextId::RankingColumnRank, "Rank"},
      {ETextId::RankingColumnName, "Name"},
      {ETextId::RankingColumnScore, "Score"},
      {ETextId::RankingColumnChain, "Chain"},
      {ETextId::RankingColumnDate, "Date"},
      {ETextId::RankingPageFormat, "Page %d/%d"},
      {ETextId::RankingHintFormat, "%s: watch replay \xC2\xB7 %s: sort \xC2\xB7 \xE2\x86\x90/\xE2\x86\x92: page"},
      {ETextId::NameEntryTitle, "Your name"},
      {ETextId::ConfirmSend, "Send it?"},
      {ETextId::Yes, "Yes"},
      {ETextId::No, "No"},
      {ETextId::NameEntryCountFormat, "%d/%d"},
      {ETextId::NameEntryRule, "Letters, digits, symbols; no space or ?"},
      {ETextId::OptionSettingsHeading, "[Settings]"},
      {ETextId::OptionKeyboardHeading, "[Keyboard]"},
      {ETextId::OptionPadHeading, "[Gamepad]"},
      {ETextId::OptionLanguageLabel, "Language: "},
      {ETextId::OptionMusicLabel, "Music volume: "},
      {ETextId::OptionEffectsLabel, "Effects volume: "},
      {ETextId::OptionDisplayLabel, "Display: "},
      {ETextId::OptionWindowSizeLabel, "Window size: "},
      {ETextId::OptionKeyboardRow, "Keyboard keys..."},
      {ETextId::OptionPadRow, "Gamepad buttons..."},
      {ETextId::OptionAllDefaultsRow, "Back to defaults (all)"},
      {ETextId::OptionKeyDefaultsRow, "Back to default keys"},
      {ETextId::OptionWindowed, "Window"},
      {ETextId::OptionFullScreen, "Full screen"},
      {ETextId::OptionLeftLabel, "Move left: "},
      {ETextId::OptionUpLabel, "Move up: "},
      {ETextId::OptionRightLabel, "Move right: "},
      {ETextId::OptionDownLabel, "Move down: "},
      {ETextId::OptionDropLabel, "Drop: "},
      {ETextId::OptionHoldLabel, "Hold: "},
      {ETextId::OptionTurnLeftLabel, "Turn camera left: "},
      {ETextId::OptionTurnRightLabel, "Turn camera right: "},
      {ETextId::OptionPressAButton, " (press a button)"},
      {ETextId::OptionPressAKey, "Press a key (Esc: cancel)"},
      {ETextId::OptionPadHint, "Choose a row and press a pad button to assign it."},
      {ETextId::OptionGeneralHintFormat, "Up/Down: choose  Left/Right: change  %s: select  %s: back"},
      {ETextId::OptionKeyInUseFormat, "%s is already used for \"%s\"."},
      {ETextId::OptionKeyReservedFormat, "%s cannot be assigned."},
      {ETextId::OptionKeysRestored, "The default keys are back."},
      {ETextId::OptionAllRestored, "All settings are back to their defaults."},
      {ETextId::EndHintFormat, "%s / %s: play again   Esc: menu"},
      {ETextId::Pause, "PAUSE"},
      {ETextId::PauseHintFormat, "%s: resume"},
      {ETextId::PauseLeaveLine, "Esc: back to the menu"},
      {ETextId::HudChain, "CHAIN:"},
      {ETextId::HudMaxChain, "MAX CHAIN:"},
      {ETextId::PracticeEndHintFormat, "%s / %s / Esc: back to the menu"},
      {ETextId::OptionBallSymbolsLabel, "Ball symbols: "},
      {ETextId::OptionOn, "On"},
      {ETextId::OptionOff, "Off"},
      {ETextId::OptionConfirmAllDefaults, "Put every setting back to its default?"},
      {ETextId::ConfirmLeaveGame, "Leave this game?"},
      {ETextId::HelpTitleFormat, "How to play (%d/%d)"},
      {ETextId::HelpFooterFormat, "Left/Right: page   %s: back"},
      {ETextId::HelpGoal,
       "[The goal]\n"
       "Steer each falling ball and stack it in the box.\n"
       "Balls of one colour that touch face to face vanish.\n"
       "The first ball cleared takes LV 1 to LV 2; then every\n"
       "30 or 40 balls cleared (see the modes) add a level,\n"
       "and with each level balls fall faster. A falling ball\n"
       "put in the hold counts as cleared, for no points.\n"
       "The game is over when the column where balls appear\n"
       "is full; play every ball of the mode to clear the stage.\n"
       "The camera turns in quarter steps; moves follow the view."},
      {ETextId::HelpKeysFormat, "[Keys]   keyboard / gamepad"},
      {ETextId::HelpChains,
       "[Groups, chains and garbage]\n"
       "A group of the mode's size in one colour vanishes.\n"
       "Balls above fall into the gaps and may vanish in turn:\n"
       "a chain. Each ball scores 100 x the chain count squared.\n"
       "Clears without a chain fill the garbage meter; when it\n"
       "is full, a whole layer of grey garbage balls drops in.\n"
       "Garbage vanishes with a group that vanishes next to it."},
      {ETextId::HelpModes,
       "[The three modes]\n"
       "Plimo: groups of 2 in a box 2 wide, 2 deep, 7 high;\n"
       "  4 colours, 200 balls, a level every 30 balls cleared.\n"
       "Yoiko: groups of 3 in a box 2 wide, 3 deep, 8 high;\n"
       "  4 colours, 300 balls, a level every 40 balls cleared.\n"
       "Wanpaku: groups of 4 in a box 3 wide, 3 deep, 8 high;\n"
       "  5 colours, 300 balls, a level every 40 balls cleared.\n"
       "A game starts at LV 1 and is at LV 2 from the first ball\n"
       "cleared; LV 3 comes at 30 or 40 balls cleared, LV 4 at\n"
       "60 or 80, and so on."},
      {ETextId::HelpReplays,
       "[Replays and the ranking]\n"
       "Your best game of each mode is kept as a replay:\n"
       "watch it with \"Watch replays\".\n"
       "\"Send high score\" puts it into the online ranking;\n"
       "\"Online ranking\" lists the best players and lets you\n"
       "download and watch their games.\n"
       "In a replay: F1 fast, F2 slow motion, Space pause,\n"
       "arrows step, T takes over, Esc leaves.\n"
       "Race one as a ghost on its very balls: C on\n"
       "\"Watch replays\", A in the ranking."},
      {ETextId::ChainPopupFormat, "%d CHAIN!"},
      {ETextId::LevelUpFormat, "LEVEL UP!  LV %d"},
      {ETextId::GarbageMeterLabel, "GARBAGE"},
      {ETextId::GarbageWarning, "Garbage falls next!"},
      {ETextId::TheatreBanner, "REPLAY"},
      {ETextId::PracticeBanner, "PRACTICE"},
      {ETextId::TheatrePositionFormat, "%s / %s   frame %lld / %lld   %s"},
      {ETextId::TheatreHelpLine1, "Space/P play  <-/-> frame  Shift+<-/-> piece  T take over"},
      {ETextId::TheatreHelpLine2, "PgUp/PgDn 10 s  Home/End  1-5 speed  Esc leave"},
      {ETextId::TheatrePadHelpLine1Format, "Pad: %s play  D-pad <-/-> frame, up/down 10 s"},
      {ETextId::TheatrePadHelpLine2Format, "Pad: %s/%s piece  %s speed  %s take over"},
      {ETextId::TheatreEndLine, "Replay over  Home: again  Esc: leave"},
      {ETextId::TheatreSpeedFormat, "Speed %s"},
      {ETextId::TheatreLegend, "Marks: red = chain of 2+, yellow = level up"},
      {ETextId::RaceBanner, "RACE"},
      {ETextId::RaceGhostLabel, "GHOST"},
      {ETextId::RaceChainFormat, "CHAIN %d"},
      {ETextId::RaceLeadLabel, "YOU LEAD"},
      {ETextId::RaceGhostToppedOut, "GHOST OUT"},
      {ETextId::RaceGhostCleared, "GHOST CLEAR"},
      {ETextId::RaceEndAheadFormat, "You led the ghost by %s"},
      {ETextId::RaceEndBehindFormat, "The ghost led you by %s"},
      {ETextId::RaceEndLevel, "Level with the ghost"},
      {ETextId::RaceRecordsHintFormat, "%s : race it"},
      {ETextId::RaceRankingKeyFormat, "%s: race"},
      {ETextId::HelpPadDirections, "D-pad"},
      {ETextId::HelpPauseLabel, "Pause: "},
      {ETextId::HelpLeaveLine, "Esc: leave the game for the menu"},
      {ETextId::HelpAltEnterLine, "Alt+Enter: window / full screen"},
      {ETextId::HelpSymbolsLine, "Ball symbols (Options) mark each colour with a shape:"},
      {ETextId::DailyNoServer, "Daily challenge: the server did not answer."},
      {ETextId::DailyBadAnswer, "Daily challenge: unreadable server answer."},
      {ETextId::DailyListFailed, "Today's list could not be read."},
      {ETextId::DailyTitleFormat, "Daily challenge  %s"},
      {ETextId::DailyTimeLeftFormat, "%d:%02d:%02d left"},
      {ETextId::DailyDayOver, "The day is over."},
      {ETextId::DailyYourBestFormat, "Your best today: %s (No. %d)"},
      {ETextId::DailyNoBest, "You have sent no game today."},
      {ETextId::DailyTopFormat, "%d. %s"},
      {ETextId::DailyNoEntries, "Nobody has sent a game today yet."},
      {ETextId::DailyKeptFormat, "Unsent game: %s pts (%s: send)"},
      {ETextId::DailyHintFormat, "%s: play today's seed   %s: send   %s: back"},
      {ETextId::DailyUploadSuccessFormat, "Your game was sent to today's ranking.\nYou are number %d today."},
      {ETextId::DailyUploadRefusedFormat, "Today's ranking did not take the game:\n%s"},
      {ETextId::DailyReasonWrongSeed, "it was not played on this day's seed."},
      {ETextId::DailyReasonDayOver, "that day is over."},
      {ETextId::DailyReasonBadDate, "the day was not understood."},
      {ETextId::DailyReasonNotBetter, "it is not better than your best today."},
      {ETextId::DailyEndHintFormat, "%s / %s / Esc: back to the daily challenge"},
      {ETextId::DailyNothingToSend, "No game of today to send in this mode."},
      {ETextId::DailyRankingTitleFormat, "Daily: %s %s"},
      {ETextId::RankingDaysKeyFormat, "%s: days"},
      {ETextId::HelpDaily,
       "[Daily challenge]\n"
       "Every UTC day each mode has one seed for everybody:\n"
       "the same balls in the same order for every player.\n"
       "\"Daily challenge\" shows the day, the time left, your\n"
       "best of the day and the top three of each mode.\n"
       "Play as often as you like; your best game of the day is\n"
       "kept and may be sent to the day's own ranking. A better\n"
       "game later replaces it. Daily games never change your\n"
       "high scores and never go to the normal ranking."},
      {ETextId::NameEntryEmpty, "An empty name cannot be sent."},
  };
  return table;
}
