#!/usr/bin/env bash
# An outside check with a real host: Ardour (Debian package `ardour`) scans the installed
# bundle and puts Kestrune on a track in a headless session. It checks that Ardour names
# the 15 parameters as Kestrune does, that a TimeMode of BPM and a Note of 1/8 chosen by
# stepping Ardour's own controls arrive in the plug-in as such, and that the effect's state
# survives a session save and load. The state Ardour saved (Kestrune's chunk) is read back
# through Kestrune's own displays with kestrune-render --state.
# Not part of the test command: Ardour is a large install.
#   tools/checks/ardour-session.sh [FOLDER HOLDING Kestrune/ (default ~/.vst)]
# KESTRUNE_RENDER names the render tool (default: build/tools/render/kestrune-render).
set -euo pipefail
# shellcheck source=ardour-common.sh
. "$(dirname "$0")/ardour-common.sh"
bundle_dir=$(realpath "${1:-$HOME/.vst}")
root=$(cd "$(dirname "$0")/../.." && pwd)
render=${KESTRUNE_RENDER:-$root/build/tools/render/kestrune-render}
[ -x "$render" ] || { echo "needs the built kestrune-render ($render); set KESTRUNE_RENDER"; exit 2; }

# Ardour finds plug-ins through its scanner's cache: scan first, as Ardour's GUI would.
LD_LIBRARY_PATH=/usr/lib/ardour7${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} \
  /usr/lib/ardour7/ardour-vst-scanner -f "$bundle_dir/Kestrune/Kestrune.so" | grep -E 'VST2Info|Found'

cat > "$work/save.lua" <<LUA
$(lua_session_with_plugin Kestrune LXVST)
local insert = p:to_insert()
local plugin = insert:plugin(0)
for i = 0, plugin:parameter_count() - 1 do print(string.format("name %d [%s]", i, plugin:parameter_label(i))) end

-- What a user's control does: step up from the bottom of the range Ardour gives the
-- control, by the step Ardour gives it, and set the value as the control would.
-- A switch is a check box: on sets the top of the range.
local function step(index, steps)
  local control = insert:to_automatable():automation_control(Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, index), false)
  local desc = control:desc()
  local value = desc.toggled and desc.upper or desc.lower + steps * desc.step
  control:set_value(value, PBD.GroupControlDisposition.NoGroup)
  print(string.format("stepped %d: range %g to %g, step %g, toggled %s -> %g", index, desc.lower, desc.upper, desc.step, tostring(desc.toggled), control:get_value()))
end
step(12, 1) -- TimeMode: MS, BPM, HOST
step(13, 4) -- Note: 1/64, 1/32, 1/16, 1/8 T, 1/8, ...
step(8, 1)  -- HPF ON: OFF, ON
${lua_save_and_close}
LUA
lua_reload_printing_parameters > "$work/load.lua"

# The state Kestrune handed Ardour for the session, shown through Kestrune's own displays.
displays() {
  sed -n 's:.*<chunk[^>]*>\([^<]*\)</chunk>.*:\1:p' "$work/session/session.ardour" | base64 -d > "$work/state.bin"
  "$render" --plugin "$bundle_dir/Kestrune" --state "$work/state.bin" --info
}
display_of() { awk -v name="$1" 'substr($0, 5, 14) ~ "^" name " *$" { print substr($0, 19, 12) }' | sed 's/ *$//'; }

saved=$(LXVST_PATH="$bundle_dir" ardour7-lua "$work/save.lua" 2>&1)
echo "$saved" | grep -E '^(name|stepped)'
names=$(echo "$saved" | sed -n 's/^name [0-9]* \[\(.*\)\]$/\1/p' | paste -sd '|')
expected='ON/OFF|Output Leve|Iutput Leve|DelayTime|FeedBack|Balance|Depth|Rate|HPF ON|LPF ON|HPF FREQ|LPF FREQ|TimeMode|Note|BPM'
[ "$names" = "$expected" ] || fail "Ardour names the parameters '$names', Kestrune '$expected'"

after_save=$(displays)
echo "$after_save" | sed -n '/^#/,$p'
for pair in "TimeMode=BPM" "Note=1/8" "DelayTime=250" "HPF ON=ON"; do
  shown=$(echo "$after_save" | display_of "${pair%%=*}")
  [ "$shown" = "${pair#*=}" ] || fail "after Ardour's controls ${pair%%=*} shows '$shown', not '${pair#*=}'"
done

restored=$(LXVST_PATH="$bundle_dir" ardour7-lua "$work/load.lua" 2>&1 | grep '^restored 12 ' || true)
echo "$restored"
[ -n "$restored" ] || fail "Ardour did not restore the session"
after_load=$(displays)
for name in TimeMode Note DelayTime "HPF ON"; do
  before=$(echo "$after_save" | display_of "$name")
  again=$(echo "$after_load" | display_of "$name")
  [ "$before" = "$again" ] || fail "$name was '$before' when saved and '$again' after the session was loaded"
done

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "Ardour names Kestrune's parameters, sets its lists right and keeps its state: OK"
