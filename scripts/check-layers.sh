#!/usr/bin/env bash
# Checks that the program's folders include only their own layer and those below it:
#   toolkit < catalogue < presentation < about < app
# (about/ uses the pictures of presentation/; nothing below app/ knows the application). Lists
# every include that reaches up and fails when there is one. Tests and benchmarks may include
# anything.
set -euo pipefail
cd "$(dirname "$0")/.."
layers=(toolkit catalogue presentation about app)
rank() { local i; for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && echo "$i" && return; done; echo -1; }

status=0
for folder in "${layers[@]}"; do
  own=$(rank "$folder")
  while IFS=: read -r file line text; do
    target=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$text")
    if [ "$(rank "$target")" -gt "$own" ]; then
      echo "$file:$line: $folder/ includes $target/, a layer above it: $text"
      status=1
    fi
  done < <(grep -nE '^\s*#\s*include "[a-z_]+/' "$folder"/*.h "$folder"/*.cpp 2>/dev/null || true)
done
[ $status -eq 0 ] && echo "layers: every include looks down"
exit $status
