#!/usr/bin/env bash
# The game opens libcurl when it first goes online: it is not linked, so a
# run that never goes online never maps it or the libraries it brings.
set -u
GAME=$1
libraries=$(ldd "$GAME") || { echo "FAIL: ldd failed on $GAME" >&2; exit 1; }
if echo "$libraries" | grep -iE 'libcurl|libgnutls|libssh|libldap|libkrb5|librtmp|libnghttp2'; then
  echo "FAIL: the game links the libraries above" >&2
  exit 1
fi
echo "$libraries" | grep -q 'libSDL2' || { echo "FAIL: no SDL: is this the game?" >&2; exit 1; }
echo "the game links no HTTP or TLS library"
