#!/bin/sh
# A real LV2 UI host shows the panel: jalv.gtk3, on a JACK server with its dummy backend,
# finds Kestrune's X11 UI through the bundle's description, embeds it in its window and keeps
# running. Run under an X server (xvfb-run). Exits 77 (skipped) without jackd or jalv.
#   check_jalv_ui.sh FOLDER_HOLDING_Kestrune.lv2
set -u
lv2path=$(cd "$1" && pwd) || exit 1 # lilv takes absolute folders only
for tool in jackd jack_wait jalv.gtk3 xwininfo; do
  command -v "$tool" > /dev/null || { echo "SKIP: no $tool"; exit 77; }
done
scratch=$(mktemp -d)
server=kestrune-check-$$
jackd_pid="" jalv_pid=""
cleanup() {
  [ -n "$jalv_pid" ] && kill "$jalv_pid" 2> /dev/null
  [ -n "$jackd_pid" ] && kill "$jackd_pid" 2> /dev/null
  wait 2> /dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- jalv:"; grep -v ' = ' "$scratch/jalv.log" | grep -v manifest.ttl | tail -20; exit 1; }

jackd -n "$server" -r -d dummy -r 48000 -p 256 > "$scratch/jackd.log" 2>&1 &
jackd_pid=$!
# jalv does not start a server of its own: wait until this one takes clients.
ready=""
for _ in $(seq 1 40); do
  if jack_wait -s "$server" -c > /dev/null 2>&1; then ready=yes; break; fi
  sleep 0.25
done
[ -n "$ready" ] || { cat "$scratch/jackd.log"; echo "FAIL: the dummy JACK server did not start"; exit 1; }
start_jalv() {
  XDG_CONFIG_HOME=$scratch/config LV2_PATH=$lv2path JACK_DEFAULT_SERVER=$server JACK_NO_START_SERVER=1 \
    jalv.gtk3 urn:orbeline:kestrune > "$scratch/jalv.log" 2>&1 &
  jalv_pid=$!
}
start_jalv
attempts=1

# The panel at 100 %: a 750 x 332 window inside jalv's window titled Kestrune.
found=""
for _ in $(seq 1 60); do
  sleep 0.5
  if ! kill -0 "$jalv_pid" 2> /dev/null; then
    # A server that has just come up sometimes turns the first client away.
    if grep -q 'Failed to connect to audio system' "$scratch/jalv.log" && [ "$attempts" -lt 3 ]; then
      attempts=$((attempts + 1))
      start_jalv
      continue
    fi
    fail "jalv ended"
  fi
  tree=$(xwininfo -root -tree 2> /dev/null)
  if echo "$tree" | grep -q '"Kestrune": ("jalv' && echo "$tree" | grep -q ' 750x332+'; then found=yes; break; fi
done
[ -n "$found" ] || fail "no 750x332 panel in a jalv window"
grep -q '^UI: *urn:orbeline:kestrune#ui' "$scratch/jalv.log" || fail "jalv did not take Kestrune's own UI"
# Still alive after some idle cycles with audio running.
sleep 2
kill -0 "$jalv_pid" 2> /dev/null || fail "jalv ended while showing the panel"
echo "jalv.gtk3 shows Kestrune's panel"
