#!/usr/bin/env bash
# The Debian package on a machine that has nothing else: debootstrap makes a
# fresh Debian 12 root (minbase), apt installs the built .deb into it with
# every dependency from Debian's mirror, and the installed game runs there
# offscreen as an ordinary user and draws its stage. Catches dependencies
# that are opened at run time and so never reach dpkg-shlibdeps.
#   debian_fresh_root.sh BUILD_DIR WORK_DIR
# Needs root (debootstrap, chroot, mounting /proc) and Debian's mirror
# (PLIMO_DEBIAN_MIRROR, default http://deb.debian.org/debian).
set -u
BUILD_DIR=$1
WORK_DIR=$2/debian_fresh_root
MIRROR=${PLIMO_DEBIAN_MIRROR:-http://deb.debian.org/debian}
. "$(dirname "$0")/common.sh"

root="$WORK_DIR/root"
# /proc is mounted into the root: unmount it before anything is removed.
release_root() {
  mountpoint -q "$root/proc" 2>/dev/null && umount "$root/proc"
  if mountpoint -q "$root/proc" 2>/dev/null; then
    echo "warning: $root/proc is still mounted; $root left in place" >&2
  else
    rm -rf --one-file-system "$root"
  fi
}
trap release_root EXIT

[ "$(id -u)" = 0 ] || fail "needs root for debootstrap and chroot"
command -v debootstrap >/dev/null || fail "debootstrap is not installed (scripts/install-deps.sh installs it)"
mkdir -p "$WORK_DIR"
release_root
mountpoint -q "$root/proc" 2>/dev/null && fail "a /proc from an earlier run is still mounted in $root"
rm -rf --one-file-system "$WORK_DIR"
mkdir -p "$WORK_DIR/pkg"

cpack --config "$BUILD_DIR/CPackConfig.cmake" -G DEB -B "$WORK_DIR/pkg" > "$WORK_DIR/cpack.out" 2>&1 ||
  fail "cpack failed: $(tail -n 5 "$WORK_DIR/cpack.out")"
deb=$(ls "$WORK_DIR"/pkg/plimoball_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "cpack made no plimoball_*.deb"

debootstrap --variant=minbase bookworm "$root" "$MIRROR" > "$WORK_DIR/debootstrap.out" 2>&1 ||
  fail "debootstrap failed: $(tail -n 5 "$WORK_DIR/debootstrap.out")"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc" || fail "cannot mount /proc in the fresh root"
cp "$deb" "$root/tmp/"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }

in_root apt-get update > "$WORK_DIR/apt-update.out" 2>&1 ||
  fail "apt-get update in the fresh root failed: $(tail -n 5 "$WORK_DIR/apt-update.out")"
in_root apt-get install -y "/tmp/$(basename "$deb")" > "$WORK_DIR/apt-install.out" 2>&1 ||
  fail "apt could not install the package: $(tail -n 8 "$WORK_DIR/apt-install.out")"

in_root useradd --create-home player || fail "cannot add a user to the fresh root"
in_root /usr/sbin/runuser -u player -- /usr/bin/env HOME=/home/player SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
  /bin/sh -c 'cd && timeout 120 /usr/games/plimoball --play yoiko --frames 200 --screenshot stage.png' \
  > "$WORK_DIR/game.out" 2>&1 ||
  fail "the installed game failed: $(grep -v '^gRandom' "$WORK_DIR/game.out" | tail -n 3)"

shot="$root/home/player/stage.png"
[ -s "$shot" ] || fail "the installed game wrote no screenshot"
cp "$shot" "$WORK_DIR/stage.png"
spread=$(identify -format '%[fx:standard_deviation]' "$WORK_DIR/stage.png" 2>/dev/null)
awk -v s="${spread:-0}" 'BEGIN { exit !(s > 0.02) }' || fail "the installed game drew nothing (spread ${spread:-none})"
[ -e "$root/home/player/.local/share/plimoball/replay_yoiko/replay_key.tmp" ] ||
  fail "the installed game did not keep the player's files in ~/.local/share/plimoball"
echo "ok: $(basename "$deb") installed by apt into a fresh Debian 12 root with" \
  "$(grep -c '^Setting up' "$WORK_DIR/apt-install.out") packages; the game ran there as a user and drew its stage"
