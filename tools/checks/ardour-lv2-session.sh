#!/usr/bin/env bash
# An outside check of the LV2 edition with a real host: Ardour (Debian package `ardour`)
# finds the installed Kestrune.lv2, puts it on a track in a headless session, lists its
# ports by the panel's names, applies the factory preset "Tape Echo" from its preset list,
# sets TimeMode, Note and FeedBack through its own controls, and saves the session. The
# session is loaded again: the controls come back as set, and the state Kestrune hands
# Ardour (its 32 programs and the current one) comes back byte for byte.
# Not part of the test command: Ardour is a large install.
#   tools/checks/ardour-lv2-session.sh [FOLDER HOLDING Kestrune.lv2/ (default ~/.lv2)]
set -euo pipefail
# shellcheck source=ardour-common.sh
. "$(dirname "$0")/ardour-common.sh"
lv2_dir=$(realpath "${1:-$HOME/.lv2}")
[ -f "$lv2_dir/Kestrune.lv2/manifest.ttl" ] || { echo "no Kestrune.lv2 in $lv2_dir"; exit 2; }

cat > "$work/save.lua" <<LUA
$(lua_session_with_plugin urn:orbeline:kestrune LV2)
local plugin = p:to_insert():plugin(0)
for i = 5, 19 do print(string.format("name [%s]", plugin:parameter_label(i))) end
local preset = plugin:preset_by_label("Tape Echo")
assert(preset, "Ardour does not list the preset Tape Echo")
print("preset loaded", plugin:load_preset(preset))
for i = 0, 14 do print(string.format("preset %d %g", i, ARDOUR.LuaAPI.get_processor_param(p, i, true))) end
ARDOUR.LuaAPI.set_processor_param(p, 12, 1)  -- TimeMode BPM
ARDOUR.LuaAPI.set_processor_param(p, 13, 4)  -- Note 1/8
ARDOUR.LuaAPI.set_processor_param(p, 4, 62.5) -- FeedBack %
for i = 0, 14 do print(string.format("saved %d %g", i, ARDOUR.LuaAPI.get_processor_param(p, i, true))) end
-- Control ports reach the plug-in in its next cycles, as in a running session.
ARDOUR.LuaAPI.usleep(500000)
${lua_save_and_close}
LUA
lua_reload_printing_parameters > "$work/load.lua"

# The programs Kestrune handed Ardour, decoded from the state folder the session names
# (Ardour writes a new one only when the state changed).
programs() {
  local dir state
  dir=$(sed -n 's/.*<lv2 .*state-dir="\([^"]*\)".*/\1/p' "$work/session/session.ardour" | head -1)
  state=$(find "$work/session/plugins" -path "*/$dir/state.ttl" | head -1)
  [ -n "$dir" ] && [ -n "$state" ] || { echo "none"; return; }
  perl -0777 -ne 'print $1 if /kestrune#programs>\s*"""(.*?)"""/s' "$state" | tr -d ' \t\n' \
    | base64 -d | od -An -tx1 | tr -d ' \n'
}

saved=$(LV2_PATH="$lv2_dir" ardour7-lua "$work/save.lua" 2>&1)
echo "$saved" | grep -E '^(name|preset|saved)'
names=$(echo "$saved" | sed -n 's/^name \[\(.*\)\]$/\1/p' | paste -sd '|')
expected='ON/OFF|Output Level|Input Level|DelayTime|FeedBack|Balance|Depth|Rate|HPF ON|LPF ON|HPF FREQ|LPF FREQ|TimeMode|Note|BPM'
[ "$names" = "$expected" ] || fail "Ardour names the ports '$names', Kestrune '$expected'"
# Tape Echo: 350 ms, 45 %, 35 %, depth 1.5 %, 0.7 Hz, HPF 120 Hz on, LPF 3500 Hz on.
for pair in "3 350" "4 45" "5 35" "6 1.5" "8 1" "9 1" "10 120" "11 3500" "12 0"; do
  echo "$saved" | grep -qx "preset $pair" || fail "after the preset Tape Echo, control ${pair% *} is not ${pair#* }"
done
first=$(programs)
[ "${#first}" -eq 5632 ] || fail "Ardour's state file does not hold Kestrune's 32 programs (${#first} hex digits)"

loaded=$(LV2_PATH="$lv2_dir" ardour7-lua "$work/load.lua" 2>&1)
echo "$loaded" | grep -E '^restored'
for i in $(seq 0 14); do
  before=$(echo "$saved" | sed -n "s/^saved $i //p")
  again=$(echo "$loaded" | sed -n "s/^restored $i //p")
  [ -n "$again" ] && [ "$before" = "$again" ] || fail "control $i was '$before' when saved and '$again' after loading"
done
second=$(programs)
[ "$first" = "$second" ] || fail "the programs Kestrune kept changed between the save and the load"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "Ardour lists Kestrune's LV2 ports and presets, applies a preset and keeps its state: OK"
