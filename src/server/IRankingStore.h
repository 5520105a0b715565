// What the ranking server keeps: every accepted entry with its replay
// archive. One interface over the embedded SQLite file and a shared
// PostgreSQL database, so several server processes can serve one ranking.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The two orders of a mode's entries: best score first, or longest chain
// first (then best score); equal ones in the order they were registered.
enum class ERankingSort { Score, Chain };

struct SRankingEntry {
  long long id = 0;  // the order of registration
  std::string mode;
  std::string name;
  int score = 0;
  int maxRensa = 0;
  std::string replayKey;
  std::string date;
};

struct SNewRankingEntry {
  std::string mode;
  std::string name;
  int score = 0;
  int maxRensa = 0;
  std::string date;
  std::string archiveHash;  // SHA-256 hex of the archive: each is accepted once
  std::string archive;
  // The check's id of the game the archive holds, and of its opening: each
  // game, and each family of games that share an opening, is accepted once,
  // however it was packed or its key log written. Empty: not known (stored
  // as none).
  std::string gameId;
  std::string openingId;
};

// An entry stored before entries were named by what was played.
struct SUnnamedEntry {
  long long id = 0;
  std::string archive;
};

// A stored entry that holds a game or its opening.
struct SStoredGame {
  long long id = 0;
  std::string mode;
  std::string name;
  std::string replayKey;
};

// What naming a stored entry came to.
struct SNaming {
  bool named = false;    // false: set aside as a later copy
  long long copyOf = 0;  // the entry it copies, when set aside
};

struct SAddedEntry {
  std::string replayKey;
  int rank = 0;  // its place in the score order, ties included
};

// Where an entry stands in one order: what a page after it starts from.
struct SRowKey {
  int chain = 0;  // the chain order only
  int score = 0;
  long long id = 0;
};

// A player's entry with its place in the score order.
struct SPlacedEntry {
  long long rank = 0;
  SRankingEntry entry;
};

// What adding a player's game of a day came to.
struct SBestAdded {
  enum class EOutcome { Added, Copy, NotBetter };
  EOutcome outcome = EOutcome::Added;
  SAddedEntry added;  // when added
};

// Tells a process that the store changed, from whatever process changed it.
class IStoreWatch {
 public:
  virtual ~IStoreWatch() = default;
  // Waits up to `timeout` for a change; true when something changed since
  // the last call (or the watch lost track and cannot tell: then too).
  virtual bool fWait(std::chrono::milliseconds timeout) = 0;
};

// Implementations are safe to use from several threads at once. Failures
// of the database itself throw CGameError.
class IRankingStore {
 public:
  virtual ~IRankingStore() = default;

  // The whole mode, best score first; equal scores in the order they were
  // registered. For tests and tools: the server reads pages.
  virtual std::vector<SRankingEntry> fList(const std::string& mode) const = 0;
  // At most `count` entries of the mode in the sort's order from position
  // `offset` (0: the first), read through the sort's index: the rows
  // skipped are index entries only, counted from the nearer end.
  virtual std::vector<SRankingEntry> fRows(const std::string& mode, ERankingSort sort, long long offset,
                                           std::size_t count) const = 0;
  // At most `count` entries right after the one at `after` in the sort's
  // order (or right before it, nearest last, when `forward` is false),
  // passing over the `skip` nearest first: index entries only.
  virtual std::vector<SRankingEntry> fRowsAfter(const std::string& mode, ERankingSort sort, const SRowKey& after,
                                                bool forward, std::size_t count, long long skip) const = 0;
  // The mode's entries, kept as a count beside the table: no rows are read.
  virtual long long fCount(const std::string& mode) const = 0;
  // The player's best `count` entries with their places.
  virtual std::vector<SPlacedEntry> fByName(const std::string& mode, const std::string& name,
                                            std::size_t count) const = 0;
  // A watch of its own (a connection of its own) for changes by any process.
  virtual std::unique_ptr<IStoreWatch> fWatch() const = 0;
  virtual bool fHasArchive(const std::string& archiveHash) const = 0;
  // Stores the entry under a new replay key and returns only once it is
  // durably committed; nothing when the database already holds its archive
  // or its game (unique constraints decide, so this holds across server
  // processes).
  virtual std::optional<SAddedEntry> fAdd(const SNewRankingEntry& entry) = 0;
  // The stored archive of the mode's entry with that key.
  virtual std::optional<std::string> fArchive(const std::string& mode, const std::string& replayKey) const = 0;
  // Throws when the database cannot be reached. On a connection of its own,
  // so that no slow call in hand delays it.
  virtual void fPing() const = 0;

  // The entry that holds the game or the opening, if any.
  virtual std::optional<SStoredGame> fFindGame(const std::string& gameId, const std::string& openingId) const = 0;

  // Entries not yet named by what was played (and not found unplayable),
  // oldest first, from after entry `afterId`; at most `count`.
  virtual std::vector<SUnnamedEntry> fUnnamedEntries(long long afterId, std::size_t count) const = 0;
  // Names an entry by its game and opening. When another entry holds either
  // already, this one is set aside (moved out of the ranking into the table
  // set_aside_entries with the entry it copies, nothing deleted).
  virtual SNaming fNameEntry(long long id, const std::string& gameId, const std::string& openingId) = 0;
  // An entry whose archive cannot be played: marked, so it is not checked
  // again at every start; it stays listed as it was.
  virtual void fMarkUnplayable(long long id, const std::string& reason) = 0;

  // ---- the daily challenge ----
  // The mode's seed of the day ("YYYY-MM-DD"), if one was stored.
  virtual std::optional<std::int32_t> fDailySeed(const std::string& day, const std::string& mode) const = 0;
  // Stores `drawn` as the mode's seed of the day unless a seed is stored
  // already (by any process) and returns the stored one: every process
  // serves the seed stored first.
  virtual std::int32_t fKeepDailySeed(const std::string& day, const std::string& mode, std::int32_t drawn) = 0;
  // Adds the entry as fAdd does, unless its board (entry.mode) holds an
  // entry of the same name with an equal or better score; the name's worse
  // entries on the board are set aside with `replacedReason` (kept, never
  // deleted). Decided in one transaction, so two uploads of one name at
  // once leave one best entry.
  virtual SBestAdded fAddBest(const SNewRankingEntry& entry, const std::string& replacedReason) = 0;

  // ---- for an operator ----
  // Listed entries of any mode with that name or that replay key, and those
  // set aside (their date then ends in " (set aside)"); at most 100.
  virtual std::vector<SRankingEntry> fFind(const std::string& name, const std::string& replayKey) const = 0;
  // Takes the listed entry with that key out of every list and page, into
  // set_aside_entries with the reason (kept, never deleted). False when no
  // listed entry has that key.
  virtual bool fSetAside(const std::string& replayKey, const std::string& reason) = 0;
  // Lists a set-aside entry again, as it was. False when none has that key;
  // throws CGameError when its game is listed meanwhile.
  virtual bool fRestore(const std::string& replayKey) = 0;
};

// How long the store may take: a call that cannot be answered in time
// throws instead of holding its caller (and every caller queued behind it).
struct SStoreTimeouts {
  // Connections for the calls, which run side by side (SQLite lets reads
  // share the file); the health check has one more of its own.
  int connections = 4;
  // Reaching the database server, including its start-up exchange.
  std::chrono::milliseconds connect{2000};
  // One call: waiting for the connection, any reconnect and its statements.
  // SQLite's busy timeout.
  std::chrono::milliseconds statement{2000};
};

// "postgresql://..." (or "postgres://...") opens PostgreSQL; anything else
// is the path of an SQLite file, created when missing.
std::unique_ptr<IRankingStore> fOpenRankingStore(const std::string& location, SStoreTimeouts timeouts = {});
bool fIsPostgresLocation(const std::string& location);

// 16 hex digits: the entry's number in the first six keeps keys unique, the
// archive's hash in the other ten makes them hard to guess.
std::string fMakeReplayKey(long long id, const std::string& archiveHash);
