# Sourced by the Ardour checks: the check for Ardour's Lua host, a scratch folder removed
# at the end, failure counting, and the lines every headless session script starts and
# ends with (the dummy audio backend; save and close).
command -v ardour7-lua > /dev/null || { echo "needs ardour7-lua (apt-get install ardour)"; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
lua_engine='AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:start(false)'
lua_save_and_close='s:save_state("", false, false, false, false, false)
close_session()'
# Lua: the engine, a new session in $work/session, and one stereo track holding the
# plug-in (name or URI $1, Ardour plug-in type $2) as p.
lua_session_with_plugin() {
  cat <<LUA
${lua_engine}
local s = create_session("$work/session", "session", 48000)
local t = s:new_audio_track(2, 2, nil, 1, "Track", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front()
local p = ARDOUR.LuaAPI.new_plugin(s, "$1", ARDOUR.PluginType.$2, "")
assert(not p:isnil(), "Ardour did not find Kestrune")
t:add_processor_by_index(p, 0, nil, true)
LUA
}
# Lua: the engine, the session in $work/session loaded again, each plug-in's 15 parameter
# values printed as "restored INDEX VALUE", then saved and closed.
lua_reload_printing_parameters() {
  cat <<LUA
${lua_engine}
local s = load_session("$work/session", "session")
for r in s:get_routes():iter() do
  local p = r:nth_plugin(0)
  if not p:isnil() then
    for i = 0, 14 do print(string.format("restored %d %g", i, ARDOUR.LuaAPI.get_processor_param(p, i, true))) end
  end
end
${lua_save_and_close}
LUA
}
