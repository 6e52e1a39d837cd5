#!/usr/bin/env bash
# Builds the Debian package with scripts/package.sh, unpacks it into a
# scratch root and checks what a user gets:
#   tests/packaging/package_test.sh [BUILD_DIR]   (default build-package)
# the installed programs run, the desktop entry and the AppStream metadata
# validate, the version is the same everywhere, the dependencies name the
# package of every library the programs link, and lintian finds no error.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/setup.sh lintian appstream desktop-file-utils dpkg-dev
deb=$(scripts/package.sh "${1:-build-package}")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

# check NAME COMMAND...: the command's output is shown only when it fails.
failures=0
check() {
  local name=$1 output; shift
  if output=$("$@" 2>&1); then
    echo "ok: $name"
  else
    echo "FAILED: $name"
    [ -z "$output" ] || echo "$output"
    failures=$((failures + 1))
  fi
}

version=$(dpkg-deb -f "$deb" Version)
id=org.lumo2.Lumo2
share=$root/usr/share
export QT_QPA_PLATFORM=offscreen

check "lumo2 --version prints the package's version" \
  test "$("$root/usr/bin/lumo2" --version)" = "lumo2 $version"
check "lumo2-tool --help" "$root/usr/bin/lumo2-tool" --help
check "zeta-sim --help" "$root/usr/bin/zeta-sim" --help
check "desktop-file-validate" desktop-file-validate "$share/applications/$id.desktop"
check "appstreamcli validate --no-net" appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"
check "the desktop entry's icon is installed" \
  test "$(sed -n 's/^Icon=//p' "$share/applications/$id.desktop")" = "$id" \
  -a -f "$share/icons/hicolor/scalable/apps/$id.svg" -a -f "$share/icons/hicolor/256x256/apps/$id.png"
check "the AppStream metadata's newest release is the package's version" \
  grep -q "<release version=\"$version\"" "$share/metainfo/$id.metainfo.xml"
check "the changelog's newest entry is the package's version" \
  test "$(zcat "$share/doc/lumo2/changelog.gz" | head -1 | sed 's/^lumo2 (\([^)]*\)).*/\1/')" = "$version"
for page in lumo2 lumo2-tool zeta-sim; do
  check "manual page $page.1 is of this version" \
    grep -q "^\.TH .* \"Lumo 2 $version\"" <(zcat "$share/man/man1/$page.1.gz")
done

# Every shared library the programs link belongs to a package the package
# depends on.
# The Depends field's package names, one a line, without their versions.
depends=$(dpkg-deb -f "$deb" Depends | sed 's/ *([^)]*)//g; s/ *[,|] */\n/g')
linked_packages() {
  local library path
  for library in $(objdump -p "$root"/usr/bin/* | sed -n 's/^ *NEEDED *//p' | sort -u); do
    path=$(ldconfig -p | awk -v l="$library" '$1 == l && /x86-64/ { print $NF; exit }')
    # dpkg knows a library under /lib or /usr/lib, whichever its package names.
    { dpkg -S "$path" 2>/dev/null || dpkg -S "/usr$path" || echo "$library:"; } | cut -d: -f1
  done | sort -u
}
for package in $(linked_packages); do
  check "depends on $package" grep -qxF "$package" <<<"$depends"
done
# Publishing to MQTT is part of the Linux programs, not an optional extra.
check "depends on libmosquitto1" grep -qxF libmosquitto1 <<<"$depends"

# Its warnings are shown; only errors fail.
lintian --fail-on error "$deb" 2>&1 | grep -v '^running with root privileges' || true
check "lintian reports no error" lintian --fail-on error "$deb"

echo "Package test: $failures failed"
[ "$failures" -eq 0 ]
