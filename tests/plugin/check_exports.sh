#!/bin/sh
# Fails unless the shared object's dynamic symbol table defines exactly VSTPluginMain.
set -eu
symbols=$(nm -D --defined-only "$1" | awk '{print $3}')
if [ "$symbols" != "VSTPluginMain" ]; then
  echo "unexpected exported symbols:"; echo "$symbols"; exit 1
fi
echo "exports: $symbols"
