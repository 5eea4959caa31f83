#!/bin/sh
# Fails unless the shared object's dynamic symbol table defines exactly one entry point:
# $2, VSTPluginMain by default.
set -eu
expected=${2:-VSTPluginMain}
symbols=$(nm -D --defined-only "$1" | awk '{print $3}')
if [ "$symbols" != "$expected" ]; then
  echo "unexpected exported symbols:"; echo "$symbols"; exit 1
fi
echo "exports: $symbols"
