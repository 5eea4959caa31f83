#!/bin/sh
# lv2info, with LV2_PATH holding only the built bundle, shows the plug-in, its ports with
# their ranges and scale points, and its presets; its Turtle dump carries the units.
set -eu
lv2path=$1
uri=urn:orbeline:kestrune
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
LV2_PATH=$lv2path lv2ls > "$out/list"
grep -qx "$uri" "$out/list" || { echo "lv2ls does not list $uri"; cat "$out/list"; exit 1; }
LV2_PATH=$lv2path lv2info "$uri" > "$out/info" 2> "$out/errors"
LV2_PATH=$lv2path lv2info -p "$out/plugin.ttl" "$uri" > /dev/null 2>&1
if [ -s "$out/errors" ]; then echo "lv2info complained:"; cat "$out/errors"; exit 1; fi

fail=0
expect() { # file, fixed text, what it means
  grep -qF -- "$2" "$1" || { echo "missing: $3 ($2)"; fail=1; }
}
count() { # file, fixed text, number of lines, what
  n=$(grep -cF -- "$2" "$1" || true)
  [ "$n" -eq "$3" ] || { echo "$4: $n lines with '$2', expected $3"; fail=1; }
}
expect "$out/info" "Name:              Kestrune" "the name"
expect "$out/info" "Has latency:       yes, reported by port 24" "the latency port"
count "$out/info" "http://lv2plug.in/ns/lv2core#AudioPort" 4 "audio ports"
count "$out/info" "http://lv2plug.in/ns/lv2core#ControlPort" 20 "control ports"
count "$out/info" "http://lv2plug.in/ns/ext/atom#AtomPort" 2 "the atom ports (control in, notify out)"
for name in "ON/OFF" "Output Level" "Input Level" "DelayTime" "FeedBack" "Balance" "Depth" "Rate" \
            "HPF ON" "LPF ON" "HPF FREQ" "LPF FREQ" "TimeMode" "Note" "BPM"; do
  expect "$out/info" "Name:        $name" "port $name"
done
for point in '0.0 = "MS"' '1.0 = "BPM"' '2.0 = "HOST"' '0.0 = "1/64"' '3.0 = "1/8 T"' '9.0 = "1 Bar"' \
             '0.0 = "OFF"' '1.0 = "ON"'; do
  expect "$out/info" "$point" "scale point $point"
done
expect "$out/info" "Minimum:     -59.299999" "the level's range"
expect "$out/info" "Maximum:     8000.000000" "the delay's range"
expect "$out/info" "Default:     120.000000" "the BPM's default"
count "$out/info" "http://lv2plug.in/ns/lv2core#toggled" 3 "switches"
count "$out/info" "http://lv2plug.in/ns/lv2core#enumeration" 2 "lists"
for preset in "Init" "Tape Echo" "Dotted 8th @120" "Host Half" "Metallic Comb"; do
  expect "$out/info" "         $preset" "preset $preset"
done
presets=$(sed -n '/Presets:/,/Port 0:/p' "$out/info" | grep -c '^	         [^ ]' || true)
[ "$presets" -eq 32 ] || { echo "presets listed: $presets, expected 32"; fail=1; }
for unit in db ms pc hz bpm coef; do
  expect "$out/plugin.ttl" "<http://lv2plug.in/ns/extensions/units#$unit>" "unit $unit"
done
count "$out/plugin.ttl" "<http://lv2plug.in/ns/extensions/units#hz>" 3 "ports in Hz"
exit $fail
