#!/usr/bin/env bash
# `cmake --install` into a temporary prefix puts every piece where a Linux
# game keeps it, and the installed game keeps the player's files in the XDG
# folders: a game played under Xvfb with real key presses (wanpaku, dropping
# every ball at once until the box is full, then confirming) leaves its
# record and its replay in $XDG_DATA_HOME/plimoball and nothing under the
# prefix or in the working folder. A copy of the runnable folder still keeps
# its files in itself (portable).
#   install_prefix.sh BUILD_DIR WORK_DIR
set -u
BUILD_DIR=$1
WORK_DIR=$2/install_prefix
. "$(dirname "$0")/common.sh"
rm -rf "$WORK_DIR"
mkdir -p "$WORK_DIR"
prefix="$WORK_DIR/prefix"

cmake --install "$BUILD_DIR" --prefix "$prefix" > "$WORK_DIR/install.out" 2>&1 ||
  fail "cmake --install failed: $(tail -n 5 "$WORK_DIR/install.out")"

for file in bin/plimoball bin/plimoball-ranking-server \
  share/plimoball/image/title.png share/plimoball/renga.mqo share/plimoball/sound/bgml001.mp3 \
  share/applications/org.plimoball.PlimoBall.desktop share/metainfo/org.plimoball.PlimoBall.metainfo.xml \
  share/man/man6/plimoball.6.gz share/man/man8/plimoball-ranking-server.8.gz \
  lib/systemd/system/plimoball-ranking-server.service; do
  [ -s "$prefix/$file" ] || fail "not installed: $file"
done
for size in 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/plimoball.png"
  [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x${size}" ] || fail "no ${size} px icon at $icon"
done
[ -d "$prefix/share/plimoball/replay_wanpaku" ] || fail "the replay folders are not installed"
leftovers=$(cd "$prefix/share/plimoball" && find . -type f ! -name '*.png' ! -name '*.mqo' ! -name '*.mp3' ! -name '*.wav')
[ -z "$leftovers" ] || fail "files that are not game data were installed: $leftovers"
appstreamcli validate --no-net "$prefix/share/metainfo/org.plimoball.PlimoBall.metainfo.xml" > "$WORK_DIR/appstream.out" 2>&1 ||
  fail "the metainfo does not validate: $(cat "$WORK_DIR/appstream.out")"
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$prefix/share/applications/org.plimoball.PlimoBall.desktop" || fail "the desktop file does not validate"
fi
grep -qx "Categories=Game;LogicGame;" "$prefix/share/applications/org.plimoball.PlimoBall.desktop" ||
  fail "the desktop file is not in the Game category"
for page in man6/plimoball.6.gz man8/plimoball-ranking-server.8.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/$page" 2>&1 > /dev/null)
  [ -z "$warnings" ] || fail "man $page warns: $warnings"
done

before=$(tree_state "$prefix")
private_home "$WORK_DIR"
mkdir -p "$WORK_DIR/cwd"
cd "$WORK_DIR/cwd" || fail "no working folder"

inner="$WORK_DIR/play.sh"
cat > "$inner" <<'INNER'
unset SDL_VIDEODRIVER
SDL_AUDIODRIVER=dummy "$1" --play wanpaku > "$2/game.out" 2>&1 &
game=$!
timeout 20 xdotool search --sync --name '^PlimoBall$' > /dev/null || { kill $game; exit 1; }
sleep 1.5  # ready, go
# X drops the ball, and at the end of the game confirms it: the best game is saved.
for _ in $(seq 200); do
  [ -f "$XDG_DATA_HOME/plimoball/score.dat" ] && [ -f "$XDG_DATA_HOME/plimoball/replay_wanpaku/replay" ] && break
  xdotool key x
  sleep 0.15
done
kill -TERM $game
wait $game
INNER
timeout 120 xvfb-run -a -s "-screen 0 640x480x24" bash "$inner" "$prefix/bin/plimoball" "$WORK_DIR"
status=$?
[ "$status" -eq 0 ] || fail "the installed game ended with status $status: $(tail -n 3 "$WORK_DIR/game.out")"

data="$XDG_DATA_HOME/plimoball"
[ "$(stat -c %s "$data/score.dat" 2>/dev/null)" = 124 ] || fail "no 124-byte score.dat in $data"
cp "$data/score.dat" "$WORK_DIR/earlier-score.dat"
head -c 2 "$data/replay_wanpaku/replay" | grep -q PK || fail "no replay archive in $data/replay_wanpaku"
[ -d "$data/replay_plimo" ] && [ -d "$data/downloaded_replay_yoiko" ] || fail "the first start did not make the replay folders"
[ -d "$XDG_CONFIG_HOME/plimoball" ] || fail "the first start did not make the config folder"
[ "$(tree_state "$prefix")" = "$before" ] || fail "the game changed files under the prefix"
[ -z "$(ls -A "$WORK_DIR/cwd")" ] || fail "the game wrote into its working folder: $(ls -A "$WORK_DIR/cwd")"

# config.dat is read from the config folder: sound off there silences the game.
printf 'WindowMode=1\nSound=0\nNoReserve=1\n' > "$XDG_CONFIG_HOME/plimoball/config.dat"
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK_DIR/silent.raw" timeout 60 \
  "$prefix/bin/plimoball" --play yoiko --frames 150 > "$WORK_DIR/config.out" 2>&1 || fail "the run with config.dat failed"
loud=$(tr -d '\000' < "$WORK_DIR/silent.raw" 2>/dev/null | wc -c)
[ "$loud" -eq 0 ] || fail "config.dat in $XDG_CONFIG_HOME/plimoball was not read: the game made sound"

# Portable: a copy of the runnable folder keeps its files in its own dat/.
portable="$WORK_DIR/portable"
cp -r "$BUILD_DIR/game" "$portable"
rm -rf "$portable/dat/replay_yoiko" && mkdir "$portable/dat/replay_yoiko"
rm -rf "$XDG_DATA_HOME"
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 60 "$portable/plimoball" --play yoiko --frames 60 \
  > "$WORK_DIR/portable.out" 2>&1 || fail "the portable game failed: $(tail -n 3 "$WORK_DIR/portable.out")"
[ -e "$portable/dat/replay_yoiko/replay_key.tmp" ] || fail "the portable game did not record into its own folder"
[ ! -e "$XDG_DATA_HOME" ] || fail "the portable game wrote into $XDG_DATA_HOME"
# Installed with the prefix ~/.local (the program in ~/.local/bin or
# ~/.local/games): the game data lies where XDG keeps the player's files, so
# the player's files go into a folder of their own in it. A record that an
# earlier start left beside the data moves into that folder; the data's own
# files stay where they are, and a game played there writes only into it.
for bindir in bin games; do
  rm -rf "$HOME/.local" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
  unset XDG_DATA_HOME XDG_CONFIG_HOME
  local_prefix="$HOME/.local"
  cmake --install "$BUILD_DIR" --prefix "$local_prefix" > "$WORK_DIR/install-local.out" 2>&1 ||
    fail "cmake --install into ~/.local failed: $(tail -n 5 "$WORK_DIR/install-local.out")"
  if [ "$bindir" = games ]; then
    mkdir -p "$local_prefix/games" && mv "$local_prefix/bin/plimoball" "$local_prefix/games/plimoball"
  fi
  shared="$local_prefix/share/plimoball"
  cp "$WORK_DIR/earlier-score.dat" "$shared/score.dat"
  printf 'an earlier replay' > "$shared/replay_yoiko/replay"
  data_before=$(cd "$shared" && find . -path ./player -prune -o -name '*.png' -printf '%p %s %T@\n' | LC_ALL=C sort)
  SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 60 "$local_prefix/$bindir/plimoball" --play yoiko --frames 60 \
    > "$WORK_DIR/local.out" 2>&1 || fail "the game in ~/.local/$bindir failed: $(tail -n 3 "$WORK_DIR/local.out")"
  cmp -s "$shared/player/score.dat" "$WORK_DIR/earlier-score.dat" ||
    fail "~/.local/$bindir: the earlier record did not move into $shared/player"
  [ "$(cat "$shared/player/replay_yoiko/replay" 2>/dev/null)" = "an earlier replay" ] ||
    fail "~/.local/$bindir: the earlier replay did not move into $shared/player"
  [ -e "$shared/player/replay_yoiko/replay_key.tmp" ] || fail "~/.local/$bindir: the game did not record into $shared/player"
  strays=$(cd "$shared" && find . -path ./player -prune -o -type f ! -name '*.png' ! -name '*.mqo' ! -name '*.mp3' ! -name '*.wav' -print)
  [ -z "$strays" ] || fail "~/.local/$bindir: the player's files lie among the game data: $strays"
  [ "$(cd "$shared" && find . -path ./player -prune -o -name '*.png' -printf '%p %s %T@\n' | LC_ALL=C sort)" = "$data_before" ] ||
    fail "~/.local/$bindir: the game data changed"
  [ -d "$HOME/.config/plimoball" ] || fail "~/.local/$bindir: no config folder"
  export XDG_DATA_HOME="$WORK_DIR/xdg-data" XDG_CONFIG_HOME="$WORK_DIR/xdg-config"
done
echo "ok: installed, played, record and replay in $data, prefix unchanged, portable copy self-contained, ~/.local keeps the player's files apart"
