#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a user gets:
# the launcher preparing a working directory (texts, database, account file)
# without touching what the user changed, the arguments and the desktop's
# input method reaching the program there, the icon and the desktop entry.
#
#   check-install.sh CMAKE BUILD_DIR SOURCE_DIR
set -euo pipefail
cmake=$1
build=$2
source=$3

tmp=$(mktemp -d "${TMPDIR:-/tmp}/qe-install.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
failures=0
check() { # description command...
    local what=$1
    shift
    "$@" || { echo "FAIL: $what" >&2; failures=$((failures + 1)); }
}
texts=(chinese.txt english.txt number.txt punctuate.txt)

"$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" || {
    cat "$tmp/install.log" >&2
    echo "FAIL: cmake --install" >&2
    exit 1
}
check "bin/qe and bin/qe-launcher are executable" \
    test -x "$prefix/bin/qe" -a -x "$prefix/bin/qe-launcher"
icons=$prefix/share/icons/hicolor/64x64/apps
icon=$icons/qe.png
# A PNG keeps width and height as 32-bit big-endian numbers at offset 16.
size=$(od -An -tx1 -j16 -N8 "$icon" 2>/dev/null | tr -d ' \n' || true)
check "the icon is 64x64, as its folder says (got '$size')" test "$size" = 0000004000000040

# Runs the launcher in a clean environment; a program started by mistake
# (it would wait for a login) ends at the timeout.
home=$tmp/home
launch() { # name env... arguments...
    local name=$1
    shift
    timeout 60 env -u QE_DATABASE -u XDG_DATA_HOME QT_QPA_PLATFORM=offscreen HOME="$home" "$@" \
        >"$tmp/$name.out" 2>&1 || check "the $name run: $(cat "$tmp/$name.out")" false
}

# First run, XDG_DATA_HOME unset: ~/.local/share/qe is prepared.
work=$home/.local/share/qe
account=$work/first-account.txt
launch first "$prefix/bin/qe-launcher" --prepare-only
for text in "${texts[@]}"; do
    check "the first run copies the shipped $text" cmp -s "$source/data/$text" "$work/$text"
done
check "the first run makes an SQLite user.mdb" \
    grep -q "SQLite format 3" <(head -c 16 "$work/user.mdb" 2>/dev/null)
check "user.mdb and first-account.txt are the user's only" \
    test "$(stat -c %a "$work/user.mdb" "$account" 2>/dev/null | tr '\n' ' ')" = "600 600 "
check "the first run tells the user where the account is" grep -qF "$account" "$tmp/first.out"
password=$(sed -n 's/^密码: //p' "$account" 2>/dev/null || true)
user=$(sed -n 's/^超级用户: //p' "$account" 2>/dev/null || true)
check "the account file names a super user and a password, also printed" \
    grep -qF "密码: ${password:-none}" "$tmp/first.out"
# The password itself is never kept: its salted Argon2id hash is.
stored=$(sqlite3 "$work/user.mdb" "SELECT name || '/' || password FROM supperuser" 2>&1 || true)
hash=${stored#*/}
check "the database holds the file's account with an Argon2id hash (got '$stored')" \
    test -n "$user" -a "${stored%%/*}" = "$user" -a "${hash#\$argon2id\$}" != "$hash"

# Second run: what the user changed or made stays, a missing text returns.
echo "我的练习" >>"$work/chinese.txt"
cp "$work/chinese.txt" "$work/user.mdb" "$account" "$tmp/"
rm "$work/english.txt"
launch second "$prefix/bin/qe-launcher" --prepare-only
for file in chinese.txt user.mdb first-account.txt; do
    check "a second run keeps the user's $file" cmp -s "$tmp/$file" "$work/$file"
done
check "a second run brings back english.txt" cmp -s "$source/data/english.txt" "$work/english.txt"
check "a second run announces no new account" test ! -s "$tmp/second.out"

# XDG_DATA_HOME wins over HOME; a database elsewhere means no user.mdb.
launch xdg XDG_DATA_HOME="$tmp/xdg" QE_DATABASE=postgresql://qe@127.0.0.1:1/qe \
    "$prefix/bin/qe-launcher" --prepare-only
check "XDG_DATA_HOME/qe gets the texts" cmp -s "$source/data/number.txt" "$tmp/xdg/qe/number.txt"
check "with QE_DATABASE no user.mdb nor account file is made" \
    test ! -e "$tmp/xdg/qe/user.mdb" -a ! -e "$tmp/xdg/qe/first-account.txt"

# Without --prepare-only the program runs in the working directory with the
# arguments given; --database there also means no user.mdb of ours.
launch args XDG_DATA_HOME="$tmp/other" "$prefix/bin/qe-launcher" \
    --database own.mdb --create-database --super-user 老师 --password s3cret
check "qe ran in the working directory with the arguments" test -s "$tmp/other/qe/own.mdb"
check "qe saw the super-user argument" grep -qF "超级用户: 老师" "$tmp/args.out"
check "with --database the launcher makes no user.mdb" test ! -e "$tmp/other/qe/user.mdb"

# The desktop session's input method reaches qe; a session that names it in
# XMODIFIERS only gets the same one for Qt. A stand-in for qe prints what it
# was given.
mv "$prefix/bin/qe" "$tmp/qe.real"
printf '#!/bin/sh\necho "QT_IM_MODULE=${QT_IM_MODULE:-} XMODIFIERS=${XMODIFIERS:-}"\n' \
    >"$prefix/bin/qe"
chmod +x "$prefix/bin/qe"
while read -r given expected; do
    given=${given#-}
    seen=$(timeout 60 env -u QE_DATABASE -u XDG_DATA_HOME -u QT_IM_MODULE -u XMODIFIERS \
        QT_QPA_PLATFORM=offscreen HOME="$home" ${given//,/ } "$prefix/bin/qe-launcher" 2>&1)
    check "the session's '$given' gives qe '${expected//,/ }' (got '$seen')" \
        test "$seen" = "${expected//,/ }"
done <<'EOF'
QT_IM_MODULE=ibus,XMODIFIERS=@im=ibus QT_IM_MODULE=ibus,XMODIFIERS=@im=ibus
XMODIFIERS=@im=fcitx QT_IM_MODULE=fcitx,XMODIFIERS=@im=fcitx
QT_IM_MODULE=fcitx,XMODIFIERS=@im=ibus QT_IM_MODULE=fcitx,XMODIFIERS=@im=ibus
- QT_IM_MODULE=,XMODIFIERS=
EOF

# In a Wayland session qe runs on XWayland, where the keys are counted,
# unless the platform was chosen or no XWayland is there.
printf '#!/bin/sh\necho "QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-}"\n' >"$prefix/bin/qe"
while read -r given expected; do
    given=${given#-}
    seen=$(timeout 60 env -u QE_DATABASE -u XDG_DATA_HOME -u QT_QPA_PLATFORM -u DISPLAY \
        -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE HOME="$home" ${given//,/ } \
        "$prefix/bin/qe-launcher" 2>&1)
    check "the session's '$given' gives qe '$expected' (got '$seen')" test "$seen" = "$expected"
done <<'EOF'
WAYLAND_DISPLAY=wayland-0,DISPLAY=:1 QT_QPA_PLATFORM=xcb
XDG_SESSION_TYPE=wayland,DISPLAY=:1 QT_QPA_PLATFORM=xcb
WAYLAND_DISPLAY=wayland-0,DISPLAY=:1,QT_QPA_PLATFORM=wayland QT_QPA_PLATFORM=wayland
WAYLAND_DISPLAY=wayland-0 QT_QPA_PLATFORM=
DISPLAY=:1 QT_QPA_PLATFORM=
EOF
mv "$tmp/qe.real" "$prefix/bin/qe"

# The desktop entry: its group first, every line a group, a comment or a
# key, the keys a menu needs, its launcher and icon installed.
desktop=$prefix/share/applications/qe.desktop
check "the entry starts with its group" \
    test "$(head -n1 "$desktop" 2>/dev/null)" = "[Desktop Entry]"
check "every line of the entry is a group, a comment or a key" \
    test -z "$(grep -vE '^(\[.*\]|#.*|[A-Za-z0-9-]+(\[[A-Za-z_@]+\])?=.*|)$' "$desktop")"
for line in 'Type=Application' 'Name\[zh_CN\]=青禾测试系统' 'Name=.+' 'Comment\[zh_CN\]=.+' \
    'Categories=.*Education;.*'; do
    check "the entry has a line $line" grep -qxE "$line" "$desktop"
done
key() { sed -n "s/^$1=//p" "$desktop" 2>/dev/null; }
check "Exec names the installed launcher" test -x "$prefix/bin/$(key Exec | cut -d' ' -f1)"
check "Icon names the installed icon" test -f "$icons/$(key Icon).png"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "install checks passed"
