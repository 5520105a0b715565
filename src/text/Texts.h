// Every text the game shows, looked up by name in the table of the current
// language. Texts with printf conversions are formats: both languages use
// the same conversions in the same order.
#pragma once

#include <string>
#include <vector>

#include "text/Language.h"

enum class ETextId : int {
  // title and title menu
  PressKeyFormat,  // %s: the decide key
  HowToPlayButton,
  ModeDescriptionPlimo,
  ModeDescriptionYoiko,
  ModeDescriptionWanpaku,
  HighScoreSummaryFormat,  // %s score, %d chain, %s registered or not
  Registered,
  NotRegistered,
  Connecting,
  NoReplay,
  BadReplay,
  // ranking
  Downloading,
  SortByScoreFormat,  // %s: the key that re-sorts
  SortByChainFormat,
  SortByDateFormat,
  RankingRowFormat,  // rank, name, score, chain, date
  RankingConnectionFailed,
  RankingNoData,
  RankingUploadSuccessFormat,  // %d: the rank
  RankingUploadRefusedFormat,  // %s: the server's reason
  RankingTitleFormat,          // %s: the mode's name
  RankingModePlimo,
  RankingModeYoiko,
  RankingModeWanpaku,
  RankingColumnRank,
  RankingColumnName,
  RankingColumnScore,
  RankingColumnChain,
  RankingColumnDate,
  RankingPageFormat,   // %d page, %d pages
  RankingHintFormat,   // %s watch key, %s sort key
  // name entry
  NameEntryTitle,
  ConfirmSend,
  Yes,
  No,
  NameEntryCountFormat,  // %d typed, %d at most
  NameEntryRule,
  // option menu
  OptionSettingsHeading,
  OptionKeyboardHeading,
  OptionPadHeading,
  OptionLanguageLabel,
  OptionMusicLabel,
  OptionEffectsLabel,
  OptionDisplayLabel,
  OptionWindowSizeLabel,
  OptionKeyboardRow,
  OptionPadRow,
  OptionAllDefaultsRow,
  OptionKeyDefaultsRow,
  OptionWindowed,
  OptionFullScreen,
  OptionLeftLabel,
  OptionUpLabel,
  OptionRightLabel,
  OptionDownLabel,
  OptionDropLabel,
  OptionHoldLabel,
  OptionTurnLeftLabel,
  OptionTurnRightLabel,
  OptionPressAButton,
  OptionPressAKey,
  OptionPadHint,
  OptionGeneralHintFormat,  // %s decide key, %s back key
  OptionKeyInUseFormat,     // %s the key, %s the action that has it
  OptionKeyReservedFormat,  // %s the key
  OptionKeysRestored,
  OptionAllRestored,
  OptionBallSymbolsLabel,
  OptionOn,
  OptionOff,
  OptionConfirmAllDefaults,
  // stage
  EndHintFormat,  // %s, %s: the two keys that play again
  Pause,
  PauseHintFormat,  // %s: the pause keys
  PauseLeaveLine,
  HudChain,
  HudMaxChain,
  PracticeEndHintFormat,  // %s, %s: the two keys that leave
  ChainPopupFormat,  // %d: the chain count
  LevelUpFormat,     // %d: the new level
  GarbageMeterLabel,
  GarbageWarning,
  ConfirmLeaveGame,
  // replay theatre
  TheatreBanner,
  PracticeBanner,
  TheatrePositionFormat,  // %s now, %s length, %lld frame, %lld frames, %s speed
  TheatreHelpLine1,
  TheatreHelpLine2,
  TheatrePadHelpLine1Format,  // %s the pad's pause button
  TheatrePadHelpLine2Format,  // %s/%s previous/next piece, %s speed, %s take over
  TheatreEndLine,
  TheatreSpeedFormat,  // %s: the speed, as "x1/4"
  TheatreLegend,
  // racing a ghost
  RaceBanner,
  RaceGhostLabel,
  RaceChainFormat,  // %d: the ghost's chain (its longest when none runs)
  RaceLeadLabel,
  RaceGhostToppedOut,
  RaceGhostCleared,
  RaceEndAheadFormat,   // %s: by how much the player was ahead
  RaceEndBehindFormat,  // %s: by how much the ghost was ahead
  RaceEndLevel,
  RaceRecordsHintFormat,  // %s: the key that races the replay
  RaceRankingKeyFormat,   // %s: the key that races the focused entry
  // help
  HelpTitleFormat,  // %d page, %d pages
  HelpFooterFormat,  // %s: the back key
  HelpGoal,
  HelpKeysFormat,  // the keyboard and pad keys of the eight actions and pause
  HelpChains,
  HelpModes,
  HelpReplays,
  HelpPadDirections,
  HelpPauseLabel,
  HelpLeaveLine,
  HelpAltEnterLine,
  HelpSymbolsLine,
  // daily challenge
  DailyNoServer,
  DailyBadAnswer,
  DailyListFailed,
  DailyTitleFormat,     // %s: the day
  DailyTimeLeftFormat,  // %d hours, %d minutes, %d seconds
  DailyDayOver,
  DailyYourBestFormat,  // %s score, %d rank
  DailyNoBest,
  DailyTopFormat,  // %d rank, %s name
  DailyNoEntries,
  DailyKeptFormat,  // %s score, %s the key that sends
  DailyHintFormat,  // %s play key, %s send key, %s back key
  DailyUploadSuccessFormat,  // %d: the rank of the day
  DailyUploadRefusedFormat,  // %s: the reason
  DailyReasonWrongSeed,
  DailyReasonDayOver,
  DailyReasonBadDate,
  DailyReasonNotBetter,
  DailyEndHintFormat,  // %s, %s: the two keys that leave
  DailyNothingToSend,
  DailyRankingTitleFormat,  // %s the mode's name, %s the day
  RankingDaysKeyFormat,     // %s: the key that turns to the next list
  HelpDaily,
  NameEntryEmpty,  // the name entry refuses an empty name
  Count
};
constexpr int kTextCount = static_cast<int>(ETextId::Count);

struct STextEntry {
  ETextId id;
  const char* text;
};

// The text in the current language.
const char* fText(ETextId id);
const char* fTextIn(ELanguage language, ETextId id);
// printf with a text of the table as the format.
std::string fFormatText(ETextId id, ...);

// The raw tables, for tests: one entry per id, in any order.
const std::vector<STextEntry>& fTextTable(ELanguage language);
