#!/usr/bin/env bash
# Checks a built Debian package without installing it: its control fields, that its file
# list holds the programs, the desktop integration, the bundled colour tables and the
# documentation where Debian looks for it, and that its command-line tool, unpacked into a
# temporary folder, runs and finds those tables.
set -euo pipefail
deb=$1
examples=$2
fail() { echo "check-package: $*" >&2; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vespira ] || fail "Package is '$(field Package)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[ -n "$(field Version)" ] || fail "no Version"
# A name and an address on a real domain, as the changelog's trailer line gives them.
maintainer=$(field Maintainer)
grep -Eqx '[^<>@]+ <[^<>@ ]+@[^<>@ ]+\.[a-z]{2,}>' <<<"$maintainer" ||
  fail "Maintainer is not a name and address: '$maintainer'"
if grep -qE '@(localhost|[^>]*\.local)>' <<<"$maintainer"; then
  fail "Maintainer has a local address: '$maintainer'"
fi
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
names=$(tr ',' '\n' <<<"$depends" | awk '{print $1}')
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
  grep -qxF "$lib" <<<"$names" || fail "Depends lacks $lib: $depends"
done

files=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for path in \
  ./usr/bin/vespira ./usr/bin/orma-sim ./usr/bin/vespira-rad \
  ./usr/share/applications/vespira.desktop \
  ./usr/share/icons/hicolor/48x48/apps/vespira.png \
  ./usr/share/icons/hicolor/256x256/apps/vespira.png \
  ./usr/share/mime/packages/vespira.xml \
  ./usr/share/vespira/lut/grey.lut ./usr/share/vespira/lut/heat.lut \
  ./usr/share/vespira/lut/viridis.lut ./usr/share/vespira/lut/magma.lut \
  ./usr/share/doc/vespira/copyright ./usr/share/doc/vespira/changelog.gz \
  ./usr/share/doc/vespira/userguide.html; do
  grep -qxF "$path" <<<"$files" || fail "the package lacks $path"
done
if grep -Ev '^\./(usr/(bin|share)(/|$)|usr/?$|$)' <<<"$files" | grep -q .; then
  fail "files outside /usr/bin and /usr/share: $(grep -Ev '^\./(usr/(bin|share)(/|$)|usr/?$|$)' <<<"$files" | head -3)"
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
env -u ORMA_SYSDATA QT_QPA_PLATFORM=offscreen "$root/usr/bin/vespira-rad" export \
  "$examples/small.rad" "$root/small.png" --lut viridis.lut \
  || fail "the unpacked vespira-rad does not find the bundled tables"
gzip -t "$root/usr/share/doc/vespira/changelog.gz" || fail "changelog.gz is not gzip"
zcat "$root/usr/share/doc/vespira/changelog.gz" | sed -n 1p | grep -q "^vespira ($(field Version))" \
  || fail "the changelog does not begin with version $(field Version)"
if grep -q "/doc/Vespira" <<<"$files"; then fail "documentation in /usr/share/doc/Vespira"; fi
echo "check-package: $(basename "$deb") is complete (Depends: $depends)"
