#!/usr/bin/env bash
# The runnable game folder before and after the tests: "record" notes every
# file and folder with its size and time, "compare" fails when a test added,
# removed or changed any of them (tests copy the folder or use --data-dir).
#   game_folder_state.sh record|compare GAME_DIR STATE_FILE
set -u
action=$1
GAME_DIR=$2
STATE=$3

state() { (cd "$GAME_DIR" && find . -printf '%p %y %s %T@\n' | LC_ALL=C sort); }

case "$action" in
  record)
    mkdir -p "$(dirname "$STATE")"
    state > "$STATE"
    echo "ok: noted $(wc -l < "$STATE") entries of $GAME_DIR"
    ;;
  compare)
    [ -f "$STATE" ] || { echo "FAIL: nothing was recorded in $STATE" >&2; exit 1; }
    if ! changes=$(state | diff "$STATE" -); then
      echo "FAIL: the tests changed $GAME_DIR:" >&2
      echo "$changes" >&2
      exit 1
    fi
    echo "ok: $GAME_DIR is as it was before the tests"
    ;;
  *)
    echo "usage: $0 record|compare GAME_DIR STATE_FILE" >&2
    exit 2
    ;;
esac
