#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a user gets:
# the installed files, the launcher preparing a working directory (texts,
# database, account file) without touching what the user changed, the
# arguments reaching the program there, and the desktop entry.
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

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
check() { # description command...
    local what=$1
    shift
    "$@" || fail "$what"
}
mode_of() { stat -c %a "$1"; }
texts=(chinese.txt english.txt number.txt punctuate.txt)

"$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" || {
    cat "$tmp/install.log" >&2
    echo "FAIL: cmake --install" >&2
    exit 1
}

# Installed files.
check "bin/qe is installed and executable" test -x "$prefix/bin/qe"
check "bin/qe-launcher is installed and executable" test -x "$prefix/bin/qe-launcher"
for text in "${texts[@]}"; do
    check "share/qe/$text equals data/$text" cmp -s "$source/data/$text" "$prefix/share/qe/$text"
done
icon=$prefix/share/icons/hicolor/64x64/apps/qe.png
check "the icon is installed" test -f "$icon"
# A PNG keeps width and height as 32-bit big-endian numbers at offset 16.
size=$(od -An -tx1 -j16 -N8 "$icon" 2>/dev/null | tr -d ' \n' || true)
check "the icon is 64x64, as its folder says (got $size)" test "$size" = 0000004000000040
check "the launcher is POSIX shell" sh -n "$prefix/bin/qe-launcher"
check "the launcher names the installed program" grep -qF "'$prefix/bin/qe'" "$prefix/bin/qe-launcher"

# First run, XDG_DATA_HOME unset: ~/.local/share/qe is prepared.
home=$tmp/home
mkdir -p "$home"
# Runs the launcher in a clean environment; a program started by mistake
# (it would wait for a login) ends at the timeout.
launch() { # env arguments...
    timeout 60 env -u QE_DATABASE -u XDG_DATA_HOME QT_QPA_PLATFORM=offscreen "$@"
}
work=$home/.local/share/qe
launch HOME="$home" "$prefix/bin/qe-launcher" --prepare-only >"$tmp/first.out" 2>&1 ||
    fail "first --prepare-only run failed: $(cat "$tmp/first.out")"
for text in "${texts[@]}"; do
    check "the first run copies $text" cmp -s "$source/data/$text" "$work/$text"
done
check "the first run makes user.mdb" test -s "$work/user.mdb"
check "user.mdb is an SQLite file" grep -q "SQLite format 3" <(head -c 16 "$work/user.mdb" 2>/dev/null)
account=$work/first-account.txt
check "the first run keeps the account in first-account.txt" test -s "$account"
check "first-account.txt is readable by the user only" test "$(mode_of "$account" 2>/dev/null || true)" = 600
check "user.mdb is readable by the user only" test "$(mode_of "$work/user.mdb" 2>/dev/null)" = 600
check "the first run tells the user where the account is" grep -qF "$account" "$tmp/first.out"
password=$(sed -n 's/^密码: //p' "$account" 2>/dev/null || true)
user=$(sed -n 's/^超级用户: //p' "$account" 2>/dev/null || true)
check "the account file names a super user and a password" test -n "$user" -a -n "$password"
check "the first run prints the password" grep -qF "密码: $password" "$tmp/first.out"
stored=$(sqlite3 "$work/user.mdb" "SELECT name || '/' || password FROM supperuser" 2>&1 || true)
# The password itself is never kept: its salted Argon2id hash is.
check "the database holds the account of the file, its password hashed (got '$stored')" \
    test "${stored%%/*}" = "$user" -a "${stored#*/}" != "$password"
case "${stored#*/}" in
'$argon2id$'*) check "the stored password is an Argon2id hash" true ;;
*) check "the stored password is an Argon2id hash (got '${stored#*/}')" false ;;
esac

# Second run: what the user changed or made stays.
echo "我的练习" >>"$work/chinese.txt"
cp "$work/chinese.txt" "$tmp/chinese.mine"
cp "$work/user.mdb" "$tmp/user.mdb.before"
cp "$account" "$tmp/account.before"
rm "$work/english.txt"
launch HOME="$home" "$prefix/bin/qe-launcher" --prepare-only >"$tmp/second.out" 2>&1 ||
    fail "second --prepare-only run failed: $(cat "$tmp/second.out")"
check "a second run keeps the user's chinese.txt" cmp -s "$tmp/chinese.mine" "$work/chinese.txt"
check "a second run brings back a missing english.txt" cmp -s "$source/data/english.txt" "$work/english.txt"
check "a second run keeps user.mdb" cmp -s "$tmp/user.mdb.before" "$work/user.mdb"
check "a second run keeps first-account.txt" cmp -s "$tmp/account.before" "$account"
check "a second run announces no new account" test ! -s "$tmp/second.out"

# XDG_DATA_HOME wins over HOME; a database elsewhere means no user.mdb.
xdg=$tmp/xdg
launch HOME="$home" XDG_DATA_HOME="$xdg" QE_DATABASE=postgresql://qe@127.0.0.1:1/qe \
    "$prefix/bin/qe-launcher" --prepare-only >"$tmp/xdg.out" 2>&1 ||
    fail "run with XDG_DATA_HOME failed: $(cat "$tmp/xdg.out")"
check "XDG_DATA_HOME/qe gets the texts" cmp -s "$source/data/number.txt" "$xdg/qe/number.txt"
check "with QE_DATABASE no user.mdb is made" test ! -e "$xdg/qe/user.mdb"
check "with QE_DATABASE no account file is made" test ! -e "$xdg/qe/first-account.txt"

# Without --prepare-only the program runs in the working directory with
# the arguments given; --database there also means no user.mdb of ours.
other=$tmp/other
launch HOME="$home" XDG_DATA_HOME="$other" "$prefix/bin/qe-launcher" \
    --database own.mdb --create-database --super-user 老师 --password s3cret >"$tmp/args.out" 2>&1 ||
    fail "the launcher did not pass its arguments to qe: $(cat "$tmp/args.out")"
check "qe ran in the working directory with the arguments" test -s "$other/qe/own.mdb"
check "qe saw the super-user argument" grep -qF "超级用户: 老师" "$tmp/args.out"
check "with --database the launcher makes no user.mdb" test ! -e "$other/qe/user.mdb"

# The input method of the desktop session reaches qe; a session that names
# it in XMODIFIERS only gets the same one for Qt. A stand-in for qe prints
# what it was given.
mv "$prefix/bin/qe" "$tmp/qe.real"
printf '#!/bin/sh\necho "QT_IM_MODULE=${QT_IM_MODULE:-} XMODIFIERS=${XMODIFIERS:-}"\n' >"$prefix/bin/qe"
chmod +x "$prefix/bin/qe"
im_of() { # env...: what qe saw
    timeout 60 env -u QE_DATABASE -u XDG_DATA_HOME -u QT_IM_MODULE -u XMODIFIERS \
        QT_QPA_PLATFORM=offscreen HOME="$home" "$@" "$prefix/bin/qe-launcher" 2>&1
}
seen=$(im_of QT_IM_MODULE=ibus XMODIFIERS=@im=ibus)
check "QT_IM_MODULE and XMODIFIERS pass on (got '$seen')" \
    test "$seen" = "QT_IM_MODULE=ibus XMODIFIERS=@im=ibus"
seen=$(im_of XMODIFIERS=@im=fcitx)
check "XMODIFIERS alone names fcitx for Qt (got '$seen')" \
    test "$seen" = "QT_IM_MODULE=fcitx XMODIFIERS=@im=fcitx"
seen=$(im_of QT_IM_MODULE=fcitx XMODIFIERS=@im=ibus)
check "the session's own QT_IM_MODULE wins (got '$seen')" \
    test "$seen" = "QT_IM_MODULE=fcitx XMODIFIERS=@im=ibus"
seen=$(im_of)
check "no input method is made up (got '$seen')" test "$seen" = "QT_IM_MODULE= XMODIFIERS="
mv "$tmp/qe.real" "$prefix/bin/qe"

# The desktop entry.
desktop=$prefix/share/applications/qe.desktop
check "the desktop entry is installed" test -f "$desktop"
if command -v desktop-file-validate >/dev/null; then
    check "desktop-file-validate accepts the entry" desktop-file-validate "$desktop"
fi
key() { sed -n "s/^$1=//p" "$desktop"; }
check "the entry starts with its group" test "$(head -n1 "$desktop")" = "[Desktop Entry]"
check "Type=Application" test "$(key Type)" = Application
check "Name[zh_CN]=青禾测试系统" test "$(key 'Name\[zh_CN\]')" = 青禾测试系统
check "the entry has a Name" test -n "$(key Name)"
check "the entry has a Chinese Comment" test -n "$(key 'Comment\[zh_CN\]')"
check "Exec names the installed launcher" test -x "$prefix/bin/$(key Exec | cut -d' ' -f1)"
check "Icon names the installed icon" test -f "$prefix/share/icons/hicolor/64x64/apps/$(key Icon).png"
check "the entry is in the Education menu" grep -qx "Categories=.*Education;.*" "$desktop"
check "every line is a group, a comment or a key" test -z "$(grep -vE '^(\[.*\]|#.*|[A-Za-z0-9-]+(\[[A-Za-z_@]+\])?=.*|)$' "$desktop")"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install checks passed"
