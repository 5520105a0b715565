# Shared by the packaging tests: failing with a message, a private home with
# its XDG folders, and a listing of a folder tree to compare before and after.

fail() {
  echo "FAIL: $*" >&2
  [ -n "${game:-}" ] && kill "$game" 2>/dev/null
  exit 1
}

# Points HOME and the XDG folders into $1, as a fresh player's account.
private_home() {
  export HOME="$1/home" XDG_DATA_HOME="$1/xdg-data" XDG_CONFIG_HOME="$1/xdg-config" XDG_CACHE_HOME="$1/xdg-cache"
  unset PLIMOBALL_DATA_DIR XDG_RUNTIME_DIR
  mkdir -p "$HOME"
}

# Every entry under a folder with its type, size, mode and time.
tree_state() { (cd "$1" && find . -printf '%p %y %s %m %T@\n' | LC_ALL=C sort); }
