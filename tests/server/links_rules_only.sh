#!/usr/bin/env bash
# The ranking server links the rules library and its own code only: no
# window, drawing, HTTP client or font library comes with it.
set -u
SERVER=$1
libraries=$(ldd "$SERVER") || { echo "FAIL: ldd failed on $SERVER" >&2; exit 1; }
if echo "$libraries" | grep -iE 'libSDL|libGL|libEGL|libepoxy|libcurl|libfontconfig'; then
  echo "FAIL: the ranking server links the libraries above" >&2
  exit 1
fi
echo "$libraries" | grep -q 'libzip' || { echo "FAIL: no libzip: is this the server?" >&2; exit 1; }
echo "the ranking server links no SDL, GL, curl or fontconfig library"
