#!/bin/sh
# check_package.sh BUILD_DIR INSTALLED_BUNDLE_TESTS VERSION shipping|sanitizer
#
# Builds the Debian package and the tarball from the build tree and checks them as a user
# gets them: the package's fields and files; unpacked into a scratch root and made
# read-only, its plug-in loads, renders and saves programs (installed_bundle_tests, under
# Xvfb) and its render tool runs and reports VERSION; it installs into and purges from a
# scratch dpkg root without leaving a file (as root only: dpkg needs it); the tarball's
# INSTALL commands, run as written, give a working ~/.vst/Kestrune and ~/.local tool. When the
# build has the LV2 edition, both packages carry Kestrune.lv2 and lv2info reads it. For a
# shipping build also: INSTALL lists the libraries the package depends on, and lintian finds
# no errors (warnings and notes are shown). A sanitizer build links more, and is not shipped.
set -eu
build=$1 tests=$2 version=$3 kind=$4

scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

echo "== cpack"
cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" > "$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$scratch/out/kestrune_${version}_amd64.deb
tarball=$scratch/out/kestrune-${version}-linux-x86_64.tar.gz
[ -f "$deb" ] || fail "no $(basename "$deb")"
[ -f "$tarball" ] || fail "no $(basename "$tarball")"
ls -l "$deb" "$tarball" | awk '{print $5, $NF}' | sed "s|$scratch/out/||"

echo "== package fields and files"
dpkg-deb -I "$deb" | sed -n '/Package:/,$p'
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libsamplerate0 libcairo2 libx11-6 libsndfile1; do
  echo "$depends" | grep -q "\b$library\b" || fail "Depends lacks $library"
done
dpkg-deb -c "$deb" | awk '{print $1, $3, $6}'
root=$scratch/root
dpkg-deb -x "$deb" "$root"
for file in usr/lib/vst/Kestrune/Kestrune.so usr/lib/vst/Kestrune/KestruneDef.fxb \
    usr/lib/vst/Kestrune/Resources/PresetSave usr/lib/vst/Kestrune/Resources/5020.png usr/bin/kestrune-render \
    usr/share/man/man1/kestrune-render.1.gz usr/share/doc/kestrune/copyright \
    usr/share/doc/kestrune/changelog.gz usr/share/doc/kestrune/README.md; do
  [ -f "$root/$file" ] || fail "the package lacks /$file"
done
# The bundles' files, the tool, its manual page and the three documents; nothing else.
lv2=""
[ -d "$build/Kestrune.lv2" ] && lv2=$build/Kestrune.lv2
lv2_files=0
[ -z "$lv2" ] || lv2_files=$(find "$lv2" -type f | wc -l)
expected=$(( $(find "$build/Kestrune" -type f | wc -l) + lv2_files + 5 ))
[ "$(find "$root" -type f | wc -l)" -eq "$expected" ] || fail "the package holds other files than the $expected expected"
[ ! -x "$root/usr/lib/vst/Kestrune/Kestrune.so" ] || fail "the plug-in is executable"
if [ -n "$lv2" ]; then
  for file in $(cd "$lv2" && find . -type f); do
    [ -f "$root/usr/lib/lv2/Kestrune.lv2/$file" ] || fail "the package lacks /usr/lib/lv2/Kestrune.lv2/$file"
  done
  [ -z "$(find "$root/usr/lib/lv2" -name '*.so' -perm /111)" ] || fail "an LV2 library is executable"
  LV2_PATH=$root/usr/lib/lv2 lv2info urn:orbeline:kestrune | grep -q 'Name: *Kestrune' \
    || fail "lv2info does not read the packaged LV2 edition"
  echo "the packaged LV2 edition reads as Kestrune"
fi
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$root/usr/share/man/man1/kestrune-render.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page has warnings: $warnings"
# Every option the tool's usage names is in its manual page.
page=$(zcat "$root/usr/share/man/man1/kestrune-render.1.gz" | sed 's/\\-/-/g')
for option in $("$root/usr/bin/kestrune-render" --no-such-option 2>&1 | sed -n '/^usage:/,$p' | grep -o -E -- '--[a-z]+' | sort -u); do
  echo "$page" | grep -q -- "$option\b" || fail "the manual page does not describe $option"
done
# A system-wide install: nothing in it is writable.
chmod -R a-w "$root/usr"

echo "== the installed render tool"
render=$root/usr/bin/kestrune-render
installed=$root/usr/lib/vst/Kestrune
[ "$("$render" --version)" = "kestrune-render $version" ] || fail "--version says '$("$render" --version)'"
"$render" --version
"$render" --plugin "$installed" --info | head -n 3
"$render" --demo "$scratch/dry.wav" --seconds 1 > /dev/null
"$render" --plugin "$installed" --program 4 --tail 1 --quiet "$scratch/dry.wav" "$scratch/wet.wav"

echo "== the installed plug-in in our host"
KESTRUNE_INSTALLED_BUNDLE=$installed xvfb-run -a -s "-screen 0 1600x1100x24 -noreset" "$tests"

echo "== install into and purge from a scratch dpkg root"
if [ "$(id -u)" -eq 0 ]; then
  dpkg_root=$scratch/dpkg-root
  mkdir -p "$dpkg_root/var/lib/dpkg/updates" "$dpkg_root/var/lib/dpkg/info"
  touch "$dpkg_root/var/lib/dpkg/status"
  # The scratch root's database knows none of the libraries the package depends on.
  dpkg --root="$dpkg_root" --force-depends --force-script-chrootless -i "$deb" > "$scratch/dpkg.log" 2>&1 \
    || { cat "$scratch/dpkg.log"; fail "dpkg -i"; }
  [ -f "$dpkg_root/usr/lib/vst/Kestrune/Kestrune.so" ] || fail "dpkg installed no plug-in"
  dpkg --root="$dpkg_root" --force-script-chrootless --purge kestrune > "$scratch/dpkg.log" 2>&1 \
    || { cat "$scratch/dpkg.log"; fail "dpkg --purge"; }
  left=$(cd "$dpkg_root" && find . -mindepth 1 ! -path './var' ! -path './var/lib' ! -path './var/lib/dpkg*')
  [ -z "$left" ] || fail "purge left: $left"
  echo "installed and purged; nothing left"
else
  echo "skipped: dpkg --root needs root"
fi

echo "== the tarball, installed as its INSTALL says"
home=$scratch/home
mkdir -p "$home"
top=kestrune-${version}-linux-x86_64
tar -xzf "$tarball" -C "$scratch" "$top/INSTALL"
# The indented command lines, continuation lines joined; the apt-get line is checked below.
commands=$(awk '/^    /{sub(/^ +/, ""); line = line $0; if (line ~ /\\$/) {sub(/\\$/, "", line); next} print line; line = ""}' \
  "$scratch/$top/INSTALL")
echo "$commands" | grep -E '^(mkdir|tar) ' > "$scratch/install.sh"
commands_expected=3
[ -z "$lv2" ] || commands_expected=5
[ "$(wc -l < "$scratch/install.sh")" -eq "$commands_expected" ] || fail "INSTALL should give $commands_expected mkdir and tar commands"
(cd "$scratch/out" && HOME=$home sh -eu "$scratch/install.sh") || fail "INSTALL's commands"
for file in .vst/Kestrune/Kestrune.so .vst/Kestrune/KestruneDef.fxb .vst/Kestrune/Resources/PresetSave \
    .local/bin/kestrune-render .local/share/man/man1/kestrune-render.1.gz; do
  [ -f "$home/$file" ] || fail "INSTALL's commands give no ~/$file"
done
[ -z "$lv2" ] || [ -f "$home/.lv2/Kestrune.lv2/manifest.ttl" ] || fail "INSTALL's commands give no ~/.lv2/Kestrune.lv2"
[ "$("$home/.local/bin/kestrune-render" --version)" = "kestrune-render $version" ] || fail "tarball tool version"
HOME=$home "$home/.local/bin/kestrune-render" --plugin "$home/.vst/Kestrune" --info > /dev/null || fail "tarball plug-in"
echo "INSTALL's commands work"

if [ "$kind" = shipping ]; then
  # INSTALL's library list is the package's Depends without the compiler's run-time libraries.
  listed=$(echo "$commands" | grep '^sudo apt-get install' | tr ' ' '\n' | grep '^lib' | sort | tr '\n' ' ')
  needed=$(echo "$depends" | tr ',' '\n' | sed 's/(.*)//; s/ //g' | grep -v -E '^(libc6|libgcc-s1|libstdc\+\+6)$' \
    | sort | tr '\n' ' ')
  [ "$listed" = "$needed" ] || fail "INSTALL lists '$listed' but the package needs '$needed'"
  echo "INSTALL's library list matches Depends"

  echo "== lintian"
  # Errors fail; warnings, information and pedantic notes are shown.
  status=0
  lintian --tag-display-limit 0 --display-info --pedantic --fail-on error "$deb" > "$scratch/lintian.log" 2>&1 || status=$?
  grep -v 'root privileges' "$scratch/lintian.log" || true
  [ "$status" -eq 0 ] || fail "lintian reports errors"
  echo "lintian: no errors"
fi
echo "PASS"
