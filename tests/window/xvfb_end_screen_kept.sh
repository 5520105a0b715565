#!/usr/bin/env bash
# A game that has ended on screen is kept however the player leaves its end
# screen: Escape (back to the title), the window closed, SIGTERM, or the X
# server going away. Each leaves score.dat and the mode's replay archive, and
# the replay verifies as the finished game whose score score.dat holds. The
# game runs its opening and play unpaced with no key down: pieces pile up in
# the spawn column until it tops out.
set -u
GAME_DIR=$1
WORK_DIR=$2/end_screen_kept
mkdir -p "$WORK_DIR"
rm -rf "${WORK_DIR:?}"/*
# Frames run unpaced: far more than a game with no key down lasts.
FAST_FRAMES=${PLIMO_END_TEST_FRAMES:-60000}

xvfb=""
game=""
fail() {
  echo "FAIL: $*" >&2
  [ -n "$game" ] && kill -KILL "$game" 2>/dev/null
  [ -n "$xvfb" ] && kill -KILL "$xvfb" 2>/dev/null
  exit 1
}

# An X server on a free display number, for this test alone.
start_xvfb() {
  for n in $(seq 70 120); do
    # A lock left by a server that is gone does not count: Xvfb clears it.
    if [ -e "/tmp/.X$n-lock" ]; then
      kill -0 "$(tr -dc 0-9 <"/tmp/.X$n-lock")" 2>/dev/null && continue
    elif [ -e "/tmp/.X11-unix/X$n" ]; then
      continue
    fi
    Xvfb ":$n" -screen 0 640x480x24 -nolisten tcp >"$WORK_DIR/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && { display=":$n"; return 0; }
      kill -0 "$xvfb" 2>/dev/null || break
      sleep 0.1
    done
  done
  fail "no X server could be started"
}

stop_xvfb() {
  [ -n "$xvfb" ] || return 0
  kill -TERM "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  xvfb=""
}

# What a window manager sends when the player closes the window.
close_window() {
  DISPLAY=$display python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]

class Event(ctypes.Union):
    _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]

display = x.XOpenDisplay(None)
if not display:
    sys.exit("no display")
window = int(sys.argv[1])
event = Event()
event.client.type = 33  # ClientMessage
event.client.window = window
event.client.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.client.format = 32
event.client.l[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
if x.XSendEvent(display, window, 0, 0, ctypes.byref(event)) == 0:
    sys.exit("the event was not sent")
x.XFlush(display)
x.XCloseDisplay(display)
PY
}

# Starts a game of plimo on the test's X server and leaves it on its end
# screen (the unpaced frames done, at the normal pace again).
play_to_end() {
  local what=$1 data=$2
  mkdir -p "$data"
  DISPLAY=$display ./plimoball --data-dir "$data" --play plimo --fast-forward "$FAST_FRAMES" \
    >"$WORK_DIR/$what.out" 2>"$WORK_DIR/$what.err" &
  game=$!
  window=$(DISPLAY=$display timeout 20 xdotool search --sync --name '^PlimoBall$' 2>/dev/null | head -n 1)
  [ -n "$window" ] || fail "$what: no window appeared"
  # Time for the unpaced frames, however slow the machine (the game then
  # waits on its end screen).
  sleep "${PLIMO_END_TEST_WAIT:-20}"
  kill -0 "$game" 2>/dev/null || fail "$what: the game ended on its own: $(cat "$WORK_DIR/$what.err")"
  DISPLAY=$display import -window root "$WORK_DIR/$what-end-screen.png" 2>/dev/null
}

# Waits up to $2 tenths of a second for the game to end; sets status.
wait_end() {
  local what=$1 tenths=$2
  for _ in $(seq 1 "$tenths"); do
    kill -0 "$game" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$game" 2>/dev/null && fail "$what: the game still runs after $((tenths / 10)) s"
  wait "$game"
  status=$?
  game=""
}

# The record and the replay are there, and the replay is the game recorded.
expect_kept() {
  local what=$1 data=$2
  [ -f "$data/score.dat" ] || fail "$what: no score.dat"
  [ -f "$data/replay_plimo/replay" ] || fail "$what: no replay archive"
  [ -e "$data/replay_plimo/replay_key.tmp" ] && fail "$what: the key log was left behind"
  local json stored played state
  json=$(./plimoball verify-replay "$data/replay_plimo/replay") || fail "$what: the replay does not verify"
  # The plimo entry is the first record in score.dat: its score follows
  # the class's name.
  stored=$(python3 -c '
import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.index(b"CHighScoreInfo") + len("CHighScoreInfo")
print(struct.unpack("<i", data[at:at + 4])[0])' "$data/score.dat") || fail "$what: score.dat unreadable"
  played=$(sed -n 's/.*"score":\([0-9-]*\).*/\1/p' <<<"$json")
  state=$(sed -n 's/.*"state":"\([A-Za-z]*\)".*/\1/p' <<<"$json")
  [ "$state" = GameOver ] || [ "$state" = StageClear ] || fail "$what: the replay ends $state: $json"
  [ "$played" = "$stored" ] || fail "$what: score.dat holds $stored, the replay scores $played"
  echo "ok: $what at the end screen kept the record ($stored) and its replay"
}

cd "$GAME_DIR" || fail "no game folder $GAME_DIR"
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy

# Escape, as the end screen offers it: back to the title, the game kept.
start_xvfb
data="$WORK_DIR/data-escape"
play_to_end escape "$data"
DISPLAY=$display xdotool key Escape
sleep 2
kill -0 "$game" 2>/dev/null || fail "escape: the game ended instead of going to the title"
DISPLAY=$display import -window root "$WORK_DIR/escape-title.png" 2>/dev/null
expect_kept escape "$data"
kill -TERM "$game"
wait_end "escape, then SIGTERM at the title" 50
[ "$status" -eq 0 ] || fail "escape: status $status"

# The window closed as a window manager closes it.
data="$WORK_DIR/data-close"
play_to_end close "$data"
close_window "$window" || fail "close: the close request could not be sent"
wait_end "the window closed" 50
[ "$status" -eq 0 ] || fail "close: status $status"
expect_kept "the window closed" "$data"

# SIGTERM.
data="$WORK_DIR/data-sigterm"
play_to_end sigterm "$data"
kill -TERM "$game"
wait_end "SIGTERM" 50
[ "$status" -eq 0 ] || fail "sigterm: status $status"
expect_kept SIGTERM "$data"
stop_xvfb

# The X server gone under the end screen.
start_xvfb
data="$WORK_DIR/data-display"
play_to_end display "$data"
kill -KILL "$xvfb"
wait "$xvfb" 2>/dev/null
xvfb=""
wait_end "the X server killed" 50
[ "$status" -ne 0 ] || fail "display: status 0 after the display went away"
grep -qx "PlimoBall: the display went away" "$WORK_DIR/display.err" ||
  fail "display: no line on stderr: $(cat "$WORK_DIR/display.err")"
expect_kept "the display gone" "$data"
