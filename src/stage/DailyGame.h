// A daily challenge game kept on disk: the day's best finished game of each
// mode, as a replay archive like any other ("dat/replay_<mode>/daily_<day>",
// "daily_<day>_sent" once today's ranking took it). It never touches the
// mode's records or best replay, so it can never be sent to the normal
// ranking. Its score is read back by playing the archive with the rules.
#pragma once

#include <optional>
#include <string>

struct SKeptDaily {
  std::string path;
  std::string date;
  bool sent = false;
  int score = 0;
  int maxRensa = 0;
};

std::string fDailyGamePath(int mode, const std::string& date, bool sent);
// The mode's kept game of that day; nothing when there is none or it cannot
// be played (it is then deleted).
std::optional<SKeptDaily> fKeptDailyGame(int mode, const std::string& date);
// After today's ranking took the kept game: it stays, marked sent.
void fMarkDailySent(int mode, const std::string& date);
// Packs the finished game's files (seed and key log, under the names every
// archive uses) as the day's kept game when it scores at least as much as
// the one kept, and deletes the kept games of earlier days. True when kept.
bool fKeepDailyGame(int mode, const std::string& date, int score, const std::string& seedFile,
                    const std::string& keyLogFile);

// Where the title menu goes once a daily game is left: back to the daily
// screen, offering to send the mode's game when it was just kept. Taken
// (and forgotten) by the next title menu.
struct SDailyReturn {
  int mode = 0;
  bool offerSend = false;
};
void fReturnToDailyAfterGame(std::optional<SDailyReturn> place);
std::optional<SDailyReturn> fTakeDailyReturn();
