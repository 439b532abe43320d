#!/bin/sh
# The plug-in defines exactly one dynamic symbol, `main`.
set -eu
symbols=$(nm -D --defined-only --format=posix "$1" | cut -d' ' -f1)
if [ "$symbols" != "main" ]; then
  echo "defined dynamic symbols of $1:"
  echo "$symbols"
  exit 1
fi
