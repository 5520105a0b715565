#!/usr/bin/env bash
# What a program links, checked with ldd: none of the libraries FORBIDDEN
# (an extended regular expression) and the library REQUIRED, which shows it
# is the program meant.
# Usage: links_without.sh PROGRAM REQUIRED FORBIDDEN
set -u
PROGRAM=$1
REQUIRED=$2
FORBIDDEN=$3
libraries=$(ldd "$PROGRAM") || { echo "FAIL: ldd failed on $PROGRAM" >&2; exit 1; }
if echo "$libraries" | grep -iE "$FORBIDDEN"; then
  echo "FAIL: $PROGRAM links the libraries above" >&2
  exit 1
fi
echo "$libraries" | grep -q "$REQUIRED" || { echo "FAIL: $PROGRAM does not link $REQUIRED: is it the program meant?" >&2; exit 1; }
echo "$PROGRAM links none of: $FORBIDDEN"
