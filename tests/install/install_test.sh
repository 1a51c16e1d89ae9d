#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and looks at it as a user's
# machine would: the expected files, a desktop entry and metainfo that the
# desktop's validators accept, shell completion that answers, and installed
# programs that run with the build and source folders out of sight.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR APP_ID
set -uo pipefail

status=0
fail() { echo "FAIL: $*" >&2; status=1; }

# A tool the check needs: missing is a failure in CI (the dependency script
# installs it there), a skipped check elsewhere.
have() {
    command -v "$1" >/dev/null && return 0
    if [ "${CI:-}" = true ]; then fail "$1 is not installed"; else echo "skipped: no $1"; fi
    return 1
}

# ---- Part two: runs in a mount namespace where the build and source folders
# are empty, so anything the installed programs still took from there fails.
if [ "${1-}" = --hidden ]; then
    root=$2 tmp=$3
    export PATH=$root/usr/bin:/usr/bin:/bin HOME=$tmp/home QT_QPA_PLATFORM=offscreen
    unset ZUTOMELARK_DATA XDG_DATA_HOME
    mkdir -p "$HOME" && cd "$tmp" || exit 1

    zutomelark-cli --version | grep -q '^zutomelark-cli [0-9]' || fail "cli --version"

    mkdir -p "$tmp/disc/photos" && echo x >"$tmp/disc/photos/a.jpg"
    [ "$(zutomelark-cli --data "$tmp/Data" capture --quiet --name 'My Disc' "$tmp/disc")" = "My Disc" ] ||
        fail "capture"
    zutomelark-cli --data="$tmp/Data" search a.jpg | grep -q 'My Disc' || fail "search after capture"

    # Without --data: the user's folder, nothing beside the installed program.
    zutomelark-cli list >/dev/null
    [ -f "$HOME/.local/share/zutomelark/Data/StockList.dat" ] || fail "no Data folder in ~/.local/share"
    [ ! -e "$root/usr/bin/Data" ] || fail "a Data folder was made beside the program"

    # The window starts, and SIGTERM closes it as the close box does (settings saved).
    zutomelark --data "$tmp/Data" >"$tmp/window.log" 2>&1 &
    pid=$!
    for _ in $(seq 100); do
        mask=$(awk '/^SigCgt/ {print $2}' "/proc/$pid/status" 2>/dev/null) || break
        [ -n "$mask" ] && (((0x$mask >> 14) & 1)) && break # its SIGTERM handler is in place
        sleep 0.1
    done
    kill -TERM "$pid" 2>/dev/null
    wait "$pid"
    rc=$?
    [ $rc -eq 0 ] || { fail "window ended with status $rc"; cat "$tmp/window.log" >&2; }
    [ -f "$tmp/Data/Setting.dat" ] || fail "window closed without saving its settings"

    # Completion: commands, option values, stock names from the --data folder.
    if [ -f /usr/share/bash-completion/bash_completion ]; then
        complete_line() { # words... -> the completions, one per line
            bash -c '
                source /usr/share/bash-completion/bash_completion
                source "$0"
                COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
                COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
                _zutomelark_cli zutomelark-cli
                printf "%s\n" "${COMPREPLY[@]}"' \
                "$root/usr/share/bash-completion/completions/zutomelark-cli" "$@"
        }
        [ "$(complete_line zutomelark-cli sea)" = search ] || fail "completion of a command"
        [ "$(complete_line zutomelark-cli search --mode=pre)" = prefix ] || fail "completion of --mode="
        [ "$(complete_line zutomelark-cli dupes -m 1 --by=n)" = name+size ] || fail "completion of dupes --by="
        [ "$(complete_line zutomelark-cli --data "$tmp/Data" show M)" = 'My\ Disc' ] ||
            fail "completion of a stock name"
        [ "$(complete_line zutomelark-cli --data="$tmp/Data" move 'My Disc' d)" = down ] ||
            fail "completion of move"
    else
        have bash-completion
    fi
    exit $status
fi

# ---- Part one: the install and its files.
build=$1 source=$2 appid=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root=$tmp/root
DESTDIR=$root cmake --install "$build" --prefix /usr >"$tmp/install.log" || {
    cat "$tmp/install.log"
    exit 1
}

share=$root/usr/share
for f in "$root/usr/bin/zutomelark" "$root/usr/bin/zutomelark-cli" \
    "$share/applications/$appid.desktop" "$share/metainfo/$appid.metainfo.xml" \
    "$share/icons/hicolor/scalable/apps/$appid.svg" "$share/icons/hicolor/48x48/apps/$appid.png" \
    "$share/man/man1/zutomelark.1.gz" "$share/man/man1/zutomelark-cli.1.gz" \
    "$share/man/ja/man1/zutomelark.1.gz" "$share/man/ja/man1/zutomelark-cli.1.gz" \
    "$share/bash-completion/completions/zutomelark-cli" \
    "$share/bash-completion/completions/zutomelark" \
    "$share/zutomelark/template/Icon/icon.dat"; do
    [ -f "$f" ] || fail "not installed: ${f#"$root"}"
done
for p in zutomelark zutomelark-cli; do
    ! readelf -d "$root/usr/bin/$p" | grep -q "$build" || fail "$p searches the build folder for libraries"
done
grep -qx "Icon=$appid" "$share/applications/$appid.desktop" || fail "desktop entry names another icon"
grep -q "<launchable type=\"desktop-id\">$appid.desktop<" "$share/metainfo/$appid.metainfo.xml" ||
    fail "metainfo launches another desktop entry"

if have desktop-file-validate; then
    desktop-file-validate "$share/applications/$appid.desktop" || fail "desktop-file-validate"
fi
if have appstreamcli; then
    appstreamcli validate --no-net "$share/metainfo/$appid.metainfo.xml" >"$tmp/as.log" ||
        { cat "$tmp/as.log"; fail "appstreamcli validate"; }
fi
if have man; then
    for page in "$share"/man/man1/*.1.gz; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "man ${page##*/}: $warnings"
    done
    for page in "$share"/man/ja/man1/*.1.gz; do
        LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q 'Data フォルダ' ||
            fail "man ja/${page##*/} does not render"
    done
fi

# Part two with the build and source folders hidden (as root, or in a user
# namespace where the kernel allows one).
cp "$0" "$tmp/check.sh"
hide='mount -t tmpfs none "$1" && mount -t tmpfs none "$2" && shift 2 && exec bash "$@"'
if unshare -m true 2>/dev/null; then
    unshare -m bash -c "$hide" _ "$build" "$source" "$tmp/check.sh" --hidden "$root" "$tmp" || status=1
elif unshare -rm true 2>/dev/null; then
    unshare -rm bash -c "$hide" _ "$build" "$source" "$tmp/check.sh" --hidden "$root" "$tmp" || status=1
else
    echo "note: cannot hide the build folder here (no mount namespace); running in plain sight"
    bash "$tmp/check.sh" --hidden "$root" "$tmp" || status=1
fi
[ $status -eq 0 ] && echo "install test passed"
exit $status
