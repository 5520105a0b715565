#!/usr/bin/env bash
# The Debian package: cpack builds it, its contents hold every piece, its
# dependencies come from dpkg-shlibdeps, the game unpacked from it runs
# offscreen and keeps the player's files in the XDG folders, and lintian
# finds no error.
#   debian_package.sh BUILD_DIR WORK_DIR
set -u
BUILD_DIR=$1
WORK_DIR=$2/debian_package
. "$(dirname "$0")/common.sh"
rm -rf "$WORK_DIR"
mkdir -p "$WORK_DIR"

cpack --config "$BUILD_DIR/CPackConfig.cmake" -G DEB -B "$WORK_DIR" > "$WORK_DIR/cpack.out" 2>&1 ||
  fail "cpack failed: $(tail -n 5 "$WORK_DIR/cpack.out")"
deb=$(ls "$WORK_DIR"/plimoball_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "cpack made no plimoball_*.deb: $(ls "$WORK_DIR")"

dpkg-deb --contents "$deb" | awk '{ print $6 }' > "$WORK_DIR/contents"
for file in ./usr/games/plimoball ./usr/bin/plimoball-ranking-server ./usr/share/plimoball/image/title.png \
  ./usr/share/plimoball/renga.mqo ./usr/share/plimoball/sound/bgml001.mp3 \
  ./usr/share/applications/org.plimoball.PlimoBall.desktop ./usr/share/metainfo/org.plimoball.PlimoBall.metainfo.xml \
  ./usr/share/icons/hicolor/48x48/apps/plimoball.png ./usr/share/icons/hicolor/64x64/apps/plimoball.png \
  ./usr/share/icons/hicolor/128x128/apps/plimoball.png ./usr/share/icons/hicolor/256x256/apps/plimoball.png \
  ./usr/share/man/man6/plimoball.6.gz ./usr/share/man/man8/plimoball-ranking-server.8.gz \
  ./usr/share/doc/plimoball/copyright ./usr/share/doc/plimoball/changelog.Debian.gz \
  ./usr/lib/systemd/system/plimoball-ranking-server.service; do
  grep -qxF "$file" "$WORK_DIR/contents" || fail "the package lacks $file"
done
depends=$(dpkg-deb --field "$deb" Depends)
for library in libsdl2- libcurl libzip libsqlite3 libepoxy fonts-vlgothic libgl1 libegl1 libgl1-mesa-dri; do
  case "$depends" in *"$library"*) ;; *) fail "Depends lacks $library: $depends" ;; esac
done

# Unpacked, not installed: the game finds its data beside its games/ folder.
root="$WORK_DIR/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
before=$(tree_state "$root")
private_home "$WORK_DIR"
mkdir -p "$WORK_DIR/cwd"
cd "$WORK_DIR/cwd" || fail "no working folder"
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 60 "$root/usr/games/plimoball" --play yoiko --frames 200 \
  --screenshot "$WORK_DIR/stage.png" > "$WORK_DIR/game.out" 2>&1 ||
  fail "the unpacked game failed: $(tail -n 3 "$WORK_DIR/game.out")"
spread=$(identify -format '%[fx:standard_deviation]' "$WORK_DIR/stage.png" 2>/dev/null)
awk -v s="${spread:-0}" 'BEGIN { exit !(s > 0.02) }' || fail "the unpacked game drew nothing (spread ${spread:-none})"
[ -e "$XDG_DATA_HOME/plimoball/replay_yoiko/replay_key.tmp" ] || fail "the game did not record into $XDG_DATA_HOME/plimoball"
[ "$(tree_state "$root")" = "$before" ] || fail "the game changed the unpacked package"
[ -z "$(ls -A "$WORK_DIR/cwd")" ] || fail "the game wrote into its working folder"

lintian --tag-display-limit 0 "$deb" > "$WORK_DIR/lintian.out" 2>&1
if grep -q '^E: ' "$WORK_DIR/lintian.out"; then
  fail "lintian reports errors:
$(grep '^E: ' "$WORK_DIR/lintian.out")"
fi
echo "ok: $(basename "$deb"), $(wc -l < "$WORK_DIR/contents") entries, ran unpacked, lintian: $(grep -c '^W: ' "$WORK_DIR/lintian.out") warnings, no errors"
