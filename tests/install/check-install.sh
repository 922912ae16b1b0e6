#!/usr/bin/env bash
# Installs a build into a staging folder, as the Debian package does, and checks
# what a Linux desktop expects: every file in its place, the desktop entry and
# the AppStream metainfo accepted by their validators, the icon in each size,
# man pages that render and name every option of their program's --help, and a
# client that, started as the menu starts it, runs in ~/.local/share/Quillbank2.
# Usage: check-install.sh BUILD_FOLDER [CMAKE]
set -euo pipefail
build=$1
cmake=${2:-cmake}
stage=$(mktemp -d)
home=$(mktemp -d)
client=""
cleanup() {
    [ -n "$client" ] && kill "$client" 2>/dev/null || true
    rm -rf "$stage" "$home"
}
trap cleanup EXIT
fail() {
    echo "check-install: $*" >&2
    exit 1
}

DESTDIR=$stage "$cmake" --install "$build" --prefix /usr >/dev/null
root=$stage/usr
id=example.quillbank2.Quillbank2

expected=(
    bin/qb-service bin/qbsend bin/qbupdater bin/quillbank2
    share/applications/$id.desktop
    share/doc/quillbank2/changelog.gz share/doc/quillbank2/copyright
    share/icons/hicolor/scalable/apps/quillbank2.svg
    share/man/man1/qb-service.1.gz share/man/man1/qbsend.1.gz share/man/man1/qbupdater.1.gz
    share/man/man1/quillbank2.1.gz
    share/metainfo/$id.metainfo.xml
)
sizes=(16 22 24 32 48 64 128 256)
for s in "${sizes[@]}"; do expected+=("share/icons/hicolor/${s}x${s}/apps/quillbank2.png"); done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$root" && find . -type f -printf '%P\n' | sort) ||
    fail "the installed files differ from the list above (< missing, > unexpected)"
for p in quillbank2 qbupdater qbsend qb-service; do
    [ -x "$root/bin/$p" ] || fail "bin/$p is not executable"
done

desktop-file-validate "$root/share/applications/$id.desktop" || fail "desktop-file-validate found errors"
grep -qx 'Exec=quillbank2' "$root/share/applications/$id.desktop" || fail "the desktop entry does not start quillbank2"
grep -qx 'Icon=quillbank2' "$root/share/applications/$id.desktop" || fail "the desktop entry names another icon"
appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml" || fail "appstreamcli found problems"
version=$(sed -n 's/^project(Quillbank2 VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
grep -q "<release version=\"$version\" date=\"[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]\"" "$root/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo's release is not $version"

for s in "${sizes[@]}"; do
    file "$root/share/icons/hicolor/${s}x${s}/apps/quillbank2.png" | grep -q "PNG image data, $s x $s," ||
        fail "the ${s}x${s} icon is not a $s x $s PNG"
done

for p in quillbank2 qbupdater qbsend qb-service; do
    page=$root/share/man/man1/$p.1.gz
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null || true)
    [ -z "$warnings" ] || fail "man page of $p: $warnings"
    [ "$p" = quillbank2 ] && continue
    text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" 2>/dev/null | col -b)
    for option in $("$root/bin/$p" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        grep -q -- "$option" <<<"$text" || fail "man page of $p lacks $option"
    done
done

# Started as the menu starts it: no arguments, in the home folder. It hands over
# to the qbupdater beside it, which starts the client with "/u" in the working
# folder; the client's lock file there names its process.
work=$home/.local/share/Quillbank2
(cd "$home" && HOME=$home QT_QPA_PLATFORM=offscreen "$root/bin/quillbank2") ||
    fail "quillbank2 without arguments did not end cleanly"
for _ in $(seq 200); do
    [ -s "$work/Quillbank2.lock" ] && break
    sleep 0.05
done
client=$(head -n 1 "$work/Quillbank2.lock" 2>/dev/null || true)
[ -n "$client" ] && kill -0 "$client" 2>/dev/null || fail "no client runs in $work"
[ "$(readlink "/proc/$client/exe")" = "$root/bin/quillbank2" ] || fail "the client that runs is not the installed one"
[ "$(readlink "/proc/$client/cwd")" = "$work" ] || fail "the client does not run in $work"
tr '\0' ' ' <"/proc/$client/cmdline" | grep -q ' /u ' || fail "the client was not started with /u"
for d in LOG msg imgtemp; do
    [ -d "$work/$d" ] || fail "the working folder has no $d"
done
# A new working folder gets the installed version, so the first start asks for no update.
tr -d '\r' <"$work/update.ini" 2>/dev/null | grep -qx "VERSION=$version" ||
    fail "the working folder's update.ini does not name version $version"
echo "check-install: ${#expected[@]} files in place, validators pass, the client runs in $work"
