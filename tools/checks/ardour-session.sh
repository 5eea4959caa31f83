#!/usr/bin/env bash
# An outside check with a real host: Ardour (Debian package `ardour`) scans the installed
# bundle, puts Kestrune on a track in a headless session, sets DelayTime, saves the
# session (the effect's state goes into it as a chunk), loads it again and reads the
# value back. Not part of the test command: Ardour is a large install.
set -euo pipefail
command -v ardour7-lua > /dev/null || { echo "needs ardour7-lua (apt-get install ardour)"; exit 2; }
bundle_dir=${1:-$HOME/.vst}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LD_LIBRARY_PATH=/usr/lib/ardour7${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
/usr/lib/ardour7/ardour-vst-scanner -f "$bundle_dir/Kestrune/Kestrune.so" | grep -E 'VST2Info|Found'

cat > "$work/save.lua" <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:start(false)
local s = create_session("$work/session", "session", 48000)
local t = s:new_audio_track(2, 2, nil, 1, "Track", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front()
local p = ARDOUR.LuaAPI.new_plugin(s, "Kestrune", ARDOUR.PluginType.LXVST, "")
assert(not p:isnil(), "Ardour did not find Kestrune")
t:add_processor_by_index(p, 0, nil, true)
ARDOUR.LuaAPI.set_processor_param(p, 3, 0.05)
print("saved DelayTime", ARDOUR.LuaAPI.get_processor_param(p, 3, true))
s:save_state("", false, false, false, false, false)
close_session()
LUA
cat > "$work/load.lua" <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:start(false)
local s = load_session("$work/session", "session")
for r in s:get_routes():iter() do
  local p = r:nth_plugin(0)
  if not p:isnil() then print("restored DelayTime", ARDOUR.LuaAPI.get_processor_param(p, 3, true)) end
end
close_session()
LUA
saved=$(LXVST_PATH="$bundle_dir" ardour7-lua "$work/save.lua" 2>&1 | grep -o 'saved DelayTime [0-9.]*')
restored=$(LXVST_PATH="$bundle_dir" ardour7-lua "$work/load.lua" 2>&1 | grep -o 'restored DelayTime [0-9.]*')
echo "$saved"; echo "$restored"
[ -n "$saved" ] && [ "${saved#saved }" = "${restored#restored }" ] && echo "Ardour keeps Kestrune's state: OK"
