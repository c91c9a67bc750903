#!/usr/bin/env bash
# check-install.sh BUILD SOURCE: installs into a temporary prefix and checks the tree, the
# desktop data with the real validators, and the installed program started through its link.
set -euo pipefail
BUILD="$1"; SOURCE="$2"
ID=net.brevinn.Quorvane
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$BUILD" --prefix "$prefix" >/dev/null
dir="$prefix/lib/quorvane"
for f in quorvane quorvane-import; do
    [ -f "$dir/$f" ] && [ -x "$dir/$f" ] || fail "$dir/$f is not an executable file"
    [ -L "$prefix/bin/$f" ] || fail "bin/$f is not a link"
    [ "$(readlink "$prefix/bin/$f")" = "../lib/quorvane/$f" ] || fail "bin/$f points elsewhere"
    [ "$(readlink -f "$prefix/bin/$f")" = "$(readlink -f "$dir/$f")" ] || fail "bin/$f is dangling"
done
for f in cy.mdb images/bk.bmp share/applications/$ID.desktop share/metainfo/$ID.metainfo.xml \
         share/icons/hicolor/scalable/apps/$ID.svg share/man/man1/quorvane.1.gz \
         share/man/man1/quorvane-import.1.gz; do
    case "$f" in share/*) p="$prefix/$f" ;; *) p="$dir/$f" ;; esac
    [ -f "$p" ] || fail "missing $p"
    [ "$(stat -c %a "$p")" = 644 ] || fail "$p has mode $(stat -c %a "$p"), not 644"
done
for size in 16 22 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$ID.png"
    [ "$(file -b "$png" | grep -o "$size x $size")" = "$size x $size" ] || fail "$png is not ${size}px"
done
if [ -f "$BUILD/bin/cy.chm" ]; then [ -f "$dir/cy.chm" ] || fail "cy.chm not installed"; fi
"$prefix/bin/quorvane-import" --version | grep -q . || fail "quorvane-import --version says nothing"

# Under /usr the dictionary is a conffile in /etc, linked from the program folder.
DESTDIR="$work/root" cmake --install "$BUILD" --prefix /usr >/dev/null
[ -f "$work/root/etc/quorvane/cy.mdb" ] || fail "/usr install: no /etc/quorvane/cy.mdb"
[ "$(readlink "$work/root/usr/lib/quorvane/cy.mdb")" = /etc/quorvane/cy.mdb ] \
    || fail "/usr install: lib/quorvane/cy.mdb does not link to /etc/quorvane/cy.mdb"
[ -L "$dir/cy.mdb" ] && fail "the program folder's cy.mdb must be a plain file"

if command -v desktop-file-validate >/dev/null; then
    out="$(desktop-file-validate "$prefix/share/applications/$ID.desktop" | grep -v 'hint:' || true)"
    [ -z "$out" ] || fail "desktop-file-validate: $out"
else echo "SKIP: desktop-file-validate missing"; fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix/share/metainfo/$ID.metainfo.xml" >/dev/null \
        || fail "appstreamcli rejects the metainfo"
else echo "SKIP: appstreamcli missing"; fi
if command -v man >/dev/null; then
    for page in quorvane quorvane-import; do
        warnings="$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l \
            "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null || true)"
        [ -z "$warnings" ] || fail "man page $page: $warnings"
    done
fi

# Started through the link, with its own settings and runtime folders, the program must find
# cy.mdb beside its real path and show its main window (not an error box), with the window
# class the desktop entry names.
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null && command -v xprop >/dev/null \
    || { echo "SKIP: xvfb-run, xdotool or xprop missing"; exit 0; }
# QUORVANE_CHECK_WITHOUT_DATABASE=1 shows that this check fails when cy.mdb is not found.
[ -z "${QUORVANE_CHECK_WITHOUT_DATABASE:-}" ] || rm "$dir/cy.mdb"
mkdir -p "$work/config" "$work/runtime"; chmod 700 "$work/runtime"
wmclass="$(sed -n 's/^StartupWMClass=//p' "$prefix/share/applications/$ID.desktop")"
XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    cd /
    # The tests run offscreen; this start needs the X server it was given.
    QT_QPA_PLATFORM=xcb "$0/bin/quorvane" & pid=$!
    win=""
    for i in $(seq 1 60); do
        sleep 0.5
        win="$(xdotool search --onlyvisible --name "^Quorvane$" 2>/dev/null | head -1)" && [ -n "$win" ] && break
    done
    sleep 1
    names="$(for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do xdotool getwindowname $w; done | sort -u)"
    class="$(xprop -id "$win" WM_CLASS 2>/dev/null || true)"
    # An error box (a missing cy.mdb) carries the same title; the main window is the wide one.
    count="$(xdotool search --onlyvisible --name . 2>/dev/null | wc -l)"
    width="$(xdotool getwindowgeometry "$win" 2>/dev/null | sed -n "s/.*Geometry: \([0-9]*\)x.*/\1/p")"
    kill $pid 2>/dev/null; wait $pid 2>/dev/null || true
    [ -n "$win" ] || { echo "FAIL: no main window; windows: $names" >&2; exit 1; }
    [ "$names" = "Quorvane" ] && [ "$count" = 1 ] \
        || { echo "FAIL: other windows shown: $names" >&2; exit 1; }
    [ "${width:-0}" -ge 600 ] || { echo "FAIL: only a ${width}px window, not the main window" >&2; exit 1; }
    echo "$class" | grep -q "\"$1\"" || { echo "FAIL: WM_CLASS $class is not $1" >&2; exit 1; }
' "$prefix" "$wmclass"
echo "install tree, validators and start through the link: ok"
