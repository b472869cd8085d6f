#!/usr/bin/env bash
# What a user of the installed program gets: the file list of an install
# into a fresh prefix, the programs starting from there, the settings landing
# in the user's configuration folder and never in the installation, a user's
# own catalogue read before the installed one, the desktop files valid, and a
# Debian package lintian finds no error in.
#
# install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
need() {
    command -v "$1" >/dev/null || { echo "FAIL: $1 is missing (scripts/setup.sh installs it)" >&2; exit 1; }
}
need desktop-file-validate
need appstreamcli
need lintian
need dpkg-deb

version=$(sed -n 's/^project(KQM52 VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
[ -n "$version" ] || { echo "FAIL: no version in project() of CMakeLists.txt" >&2; exit 1; }

# --- install into a fresh prefix -------------------------------------------
prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

expected=$(sort <<'LIST'
bin/kqm52
bin/kqm52ctl
bin/mx5x-sim
share/applications/kqm52.desktop
share/bash-completion/completions/kqm52ctl
share/doc/kqm52/README.Debian
share/doc/kqm52/changelog.gz
share/doc/kqm52/copyright
share/icons/hicolor/128x128/apps/kqm52.png
share/icons/hicolor/16x16/apps/kqm52.png
share/icons/hicolor/256x256/apps/kqm52.png
share/icons/hicolor/32x32/apps/kqm52.png
share/icons/hicolor/48x48/apps/kqm52.png
share/icons/hicolor/64x64/apps/kqm52.png
share/icons/hicolor/scalable/apps/kqm52.svg
share/kqm52/ErrorHelp0.rtf
share/kqm52/ErrorHelp1.rtf
share/kqm52/ErrorHelp2.rtf
share/kqm52/ParNo.txt
share/kqm52/Parameters.txt
share/kqm52/Taal0.ini
share/kqm52/Taal1.ini
share/kqm52/Taal2.ini
share/kqm52/Tree0.txt
share/kqm52/Tree1.txt
share/kqm52/Tree2.txt
share/man/man1/kqm52.1.gz
share/man/man1/kqm52ctl.1.gz
share/man/man1/mx5x-sim.1.gz
share/metainfo/example.morvek.kqm52.metainfo.xml
LIST
)
actual=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)
if [ "$actual" != "$expected" ]; then
    fail "installed files differ from the list"
    diff <(echo "$expected") <(echo "$actual") >&2 || true
fi
for f in bin/kqm52 bin/kqm52ctl bin/mx5x-sim; do
    [ -x "$prefix/$f" ] || fail "$f is not executable"
done
for page in kqm52 kqm52ctl mx5x-sim; do
    gzip -dc "$prefix/share/man/man1/$page.1.gz" | grep -q "^\.SH NAME" ||
        fail "the manual page of $page has no NAME section"
done

# --- the programs start from the prefix ------------------------------------
out=$("$prefix/bin/kqm52" --version) || fail "kqm52 --version exited $?"
[ "$out" = "kqm52 $version" ] || fail "kqm52 --version said \"$out\", not \"kqm52 $version\""
out=$("$prefix/bin/kqm52ctl" --lang en --help) || fail "kqm52ctl --help exited $?"
grep -q '^Usage: kqm52ctl' <<<"$out" || fail "kqm52ctl --help printed no usage"
"$prefix/bin/mx5x-sim" --help | grep -q '^Usage: mx5x-sim' || fail "mx5x-sim --help printed no usage"

# A user with nothing of their own yet: a home folder that is empty.
home=$tmp/home
mkdir -p "$home" "$tmp/runtime"
chmod 700 "$tmp/runtime"
as_user() {
    env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$tmp/runtime" \
        QT_QPA_PLATFORM=offscreen "$@"
}
snapshot() { (cd "$prefix" && find . -printf '%p %s %m %T@\n' | sort); }
before=$(snapshot)

# The catalogue is read from share/kqm52: parameter 2 has its name.
out=$(as_user "$prefix/bin/kqm52ctl" get 2 --port sim --lang 1) ||
    fail "kqm52ctl get 2 --port sim exited $?"
grep -q '^002  Display language' <<<"$out" ||
    fail "kqm52ctl did not name parameter 2 from the installed catalogue: $out"

as_user "$prefix/bin/kqm52" --close-after 1 >"$tmp/kqm52.out" 2>&1 ||
    fail "kqm52 --close-after 1 exited $?: $(cat "$tmp/kqm52.out")"
ini=$home/.config/kqm52/application.ini
if [ -f "$ini" ]; then
    keys=$(grep -c '=' "$ini")
    [ "$keys" = 21 ] || fail "application.ini holds $keys keys, not 21"
    grep -q '^\[Serieel\]' "$ini" || fail "application.ini has no [Serieel] section"
else
    fail "no application.ini in the configuration folder after the program closed"
fi
[ "$(snapshot)" = "$before" ] || {
    fail "running the installed programs changed the installation"
    diff <(echo "$before") <(snapshot) >&2 || true
}
[ ! -e "$prefix/bin/application.ini" ] || fail "application.ini was written beside the program"

# A catalogue of the user's own is read first; kqm52ctl follows the settings
# kqm52 wrote (the language number is in it).
sed 's/^naam1=Display language$/naam1=My own language/' "$prefix/share/kqm52/Parameters.txt" \
    >"$home/.config/kqm52/Parameters.txt"
out=$(as_user "$prefix/bin/kqm52ctl" get 2 --port sim --lang 1)
grep -q '^002  My own language' <<<"$out" ||
    fail "the user's own Parameters.txt was not read first: $out"
# One too large to read is said, and the installed one is used.
head -c 5000000 /dev/zero | tr '\0' 'x' >"$home/.config/kqm52/Parameters.txt"
out=$(as_user "$prefix/bin/kqm52ctl" get 2 --port sim --lang 1 2>"$tmp/err")
grep -q '^002  Display language' <<<"$out" ||
    fail "the installed Parameters.txt was not read after the user's own failed: $out"
grep -q "Parameters.txt could not be read" "$tmp/err" ||
    fail "the failed Parameters.txt of the user's own was not reported: $(cat "$tmp/err")"

# --- desktop entry and AppStream data --------------------------------------
desktop-file-validate "$prefix/share/applications/kqm52.desktop" ||
    fail "desktop-file-validate found errors"
grep -q '^Exec=kqm52$' "$prefix/share/applications/kqm52.desktop" ||
    fail "the desktop entry does not start kqm52"
appstreamcli validate --no-net "$prefix/share/metainfo/example.morvek.kqm52.metainfo.xml" ||
    fail "appstreamcli found errors in the metainfo"

# --- the Debian package ----------------------------------------------------
cpack -G DEB -B "$tmp/pkg" --config "$build/CPackConfig.cmake" >"$tmp/cpack.log" 2>&1 || {
    cat "$tmp/cpack.log" >&2
    fail "cpack failed"
}
deb=$(ls "$tmp"/pkg/kqm52_"$version"_*.deb 2>/dev/null | head -1)
if [ -z "$deb" ]; then
    fail "no kqm52_${version}_*.deb was made"
else
    control=$(dpkg-deb -f "$deb")
    for field in Package Version Maintainer Description Section Depends; do
        grep -q "^$field: ." <<<"$control" || fail "the package has no $field"
    done
    grep -q '^Depends:.*libqt6widgets6' <<<"$control" ||
        fail "the package's dependencies were not computed from its libraries"
    grep -q 'dialout' <<<"$control" || fail "the package description says nothing of dialout"
    files=$(dpkg-deb -c "$deb")
    for f in ./usr/bin/kqm52 ./usr/share/kqm52/Taal0.ini ./usr/share/applications/kqm52.desktop; do
        grep -q " $f\$" <<<"$files" || fail "the package lacks $f"
    done
    lintian --no-tag-display-limit "$deb" >"$tmp/lintian.log" 2>&1 || true
    if grep -q '^W:' "$tmp/lintian.log"; then
        echo "lintian warnings:"
        grep '^W:' "$tmp/lintian.log"
    fi
    if grep -q '^E:' "$tmp/lintian.log"; then
        grep '^E:' "$tmp/lintian.log" >&2
        fail "lintian found errors"
    fi
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install, package and lintian checks passed"
