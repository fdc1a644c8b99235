#!/usr/bin/env bash
# Installs the build into a prefix with `cmake --install`, and builds the Debian package and
# unpacks it with `dpkg-deb -x`; in each tree it runs both programs through their bin/ links from
# another folder, checks the configuration lookup, the desktop entry, the map files' type, the
# icons and the manual pages. What the runs wrote stays in OUTPUT_FOLDER.
# usage: install_test.sh CMAKE CPACK BUILD_FOLDER VERSION OUTPUT_FOLDER
set -euo pipefail
cmake=$1 cpack=$2 build=$3 version=$4 out=$5
type=application/x-duskmarch-tilemap

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
expect_equal() { # WHAT ACTUAL EXPECTED
    [ "$2" = "$3" ] || fail "$1: got '$2', expected '$3'"
}
# Width and height of a PNG picture, from its header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }'; }

rm -rf "$out"
mkdir -p "$out"
# Runs stay apart from the user's own configuration.
export HOME="$out/home" XDG_CONFIG_HOME="$out/no-config"
unset XDG_DATA_HOME XDG_DATA_DIRS
mkdir -p "$HOME"

# A session: a new canvas, one cell drawn, saved as saved.dtm beside the script, and the screen.
cat >"$out/session.replay" <<'SCRIPT'
frame 1
move 484 147
key down 160
press 78
frame 2
key up 160
frame 3
move 244 63
button down 1
frame 4
button up 1
frame 5
move 804 567
answer saved.dtm
press 83
frame 6
press 13
frame 8
screenshot shot.png
frame 9
end
SCRIPT

# The same session in the build folder, for the installed programs to match.
mkdir -p "$out/reference"
cp "$out/session.replay" "$out/reference/"
(cd "$out/reference" && "$build/bin/duskmarch" --replay session.replay >/dev/null)
reference_info=$("$build/bin/dtmtool" info "$out/reference/saved.dtm")

check_tree() { # NAME PREFIX
    local name=$1 prefix=$2 work="$out/$1-work" link
    echo "== $name: $prefix"
    for program in duskmarch dtmtool; do
        link=$(readlink "$prefix/bin/$program") || fail "$name: bin/$program is no link"
        case $link in /*) fail "$name: bin/$program points to the absolute $link" ;; esac
        [ "$(readlink -f "$prefix/bin/$program")" = "$(readlink -f "$prefix/lib/duskmarch/$program")" ] ||
            fail "$name: bin/$program points to $link, not to lib/duskmarch/$program"
        expect_equal "$name: $program --version" "$(PATH="$prefix/bin:$PATH" "$program" --version)" \
            "$program $version"
    done
    for file in data/image/curses_fg.png data/image/curses_bg.png data/image/pallet.png \
        dmdata/graphics.txt; do
        [ -f "$prefix/lib/duskmarch/$file" ] || fail "$name: lib/duskmarch/$file is missing"
    done

    # Both programs from another folder, finding their art through the links.
    mkdir -p "$work"
    cp "$out/session.replay" "$work/"
    (cd "$work" && "$prefix/bin/duskmarch" --replay session.replay >session.out) ||
        fail "$name: the replayed session failed"
    grep -q "^requester save Save Tilemap As" "$work/session.out" ||
        fail "$name: the session did not ask where to save"
    cmp -s "$work/shot.png" "$out/reference/shot.png" ||
        fail "$name: the installed editor drew another screen than the built one"
    expect_equal "$name: dtmtool info" "$(cd "$work" && "$prefix/bin/dtmtool" info saved.dtm)" \
        "$reference_info"
    grep -qx "width: 16" <<<"$reference_info" || fail "the saved map is not the new canvas"

    # The user's configuration: read instead of the installed one, its relative paths from the
    # program's folder; one that cannot be read ends both programs naming it.
    mkdir -p "$work/config/duskmarch"
    printf 'width 120\nheight 70\n' >"$work/config/duskmarch/graphics.txt"
    (cd "$work" && XDG_CONFIG_HOME="$work/config" "$prefix/bin/duskmarch" --replay session.replay \
        >/dev/null) || fail "$name: the session failed with the user's configuration"
    expect_equal "$name: screen with the user's configuration" "$(png_size "$work/shot.png")" \
        "960x980"
    mkdir -p "$work/home/.config/duskmarch/graphics.txt"
    local status=0
    (cd "$work" && HOME="$work/home" XDG_CONFIG_HOME= "$prefix/bin/duskmarch" \
        --replay session.replay >/dev/null 2>"$work/unreadable.err") || status=$?
    expect_equal "$name: editor status with an unreadable configuration" $status 255
    expect_equal "$name: editor message" "$(cat "$work/unreadable.err")" \
        "Failed to read $work/home/.config/duskmarch/graphics.txt"
    status=0
    (cd "$work" && HOME="$work/home" XDG_CONFIG_HOME= "$prefix/bin/dtmtool" export saved.dtm \
        saved.png 2>"$work/unreadable.err") || status=$?
    expect_equal "$name: dtmtool status with an unreadable configuration" $status 255
    grep -q "Failed to read $work/home/.config/duskmarch/graphics.txt" "$work/unreadable.err" ||
        fail "$name: dtmtool export did not name the configuration: $(cat "$work/unreadable.err")"

    # Desktop entry, icons and manual pages.
    local entry="$prefix/share/applications/duskmarch.desktop"
    desktop-file-validate "$entry" || fail "$name: desktop-file-validate refuses $entry"
    grep -qx "MimeType=$type;" "$entry" || fail "$name: the desktop entry does not declare $type"
    grep -qx "Icon=duskmarch" "$entry" || fail "$name: the desktop entry names another icon"
    for side in 48 128 256; do
        local icon="$prefix/share/icons/hicolor/${side}x${side}/apps/duskmarch.png"
        [ -f "$icon" ] || fail "$name: no $icon"
        expect_equal "$name: icon size" "$(png_size "$icon")" "${side}x${side}"
    done
    for program in duskmarch dtmtool; do
        local page="$prefix/share/man/man1/$program.1" text
        text=$(LC_ALL=C groff -man -Tascii -rLL=200n -P-cbou -ww "$page" 2>"$work/man.err" |
            tr -s ' \n' '  ') || fail "$name: groff cannot set $page"
        [ ! -s "$work/man.err" ] || fail "$name: groff warns about $page: $(cat "$work/man.err")"
        # Every line of the help stands in the page, however the page fills its paragraphs.
        while read -r line; do
            line=${line#usage: }
            [ -z "$line" ] && continue
            grep -qF -- "$line" <<<"$text" || fail "$name: $page lacks the help's \"$line\""
        done < <("$prefix/bin/$program" --help | tr -s ' ')
        grep -qF "$program $version" <<<"$text" || fail "$name: $page does not give the version"
    done

    # The map files' type: the shared-mime-info database built from the installed rule tells a
    # map by its name and, without one, by its first bytes.
    local mime="$work/mime"
    mkdir -p "$mime/mime/packages"
    cp "$prefix/share/mime/packages/duskmarch.xml" "$mime/mime/packages/"
    update-mime-database "$mime/mime" >"$work/mime.log" 2>&1 ||
        fail "$name: update-mime-database refuses the type: $(cat "$work/mime.log")"
    grep -qx "50:$type:\*.dtm" "$mime/mime/globs2" || fail "$name: no *.dtm glob for $type"
    cp "$work/saved.dtm" "$work/unnamed"
    for file in saved.dtm unnamed; do
        expect_equal "$name: type of $file" "$(XDG_DATA_HOME="$mime" XDG_DATA_DIRS="$mime" \
            gio info -a standard::content-type "$work/$file" |
            sed -n 's/^ *standard::content-type: //p')" $type
    done
}

"$cmake" --install "$build" --prefix "$out/prefix" >"$out/install.log"
check_tree prefix "$out/prefix"

# The package, as `cmake --build BUILD --target package` makes it, built here so that the test
# never finds an old one.
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out/package" >"$out/package.log" 2>&1 ||
    fail "cpack failed; see $out/package.log"
deb="$out/package/duskmarch_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb"
expect_equal "package version" "$(dpkg-deb -f "$deb" Version)" "$version"
expect_equal "package recommends" "$(dpkg-deb -f "$deb" Recommends)" zenity
depends=$(dpkg-deb -f "$deb" Depends)
for library in libsdl2 libpng16 zlib1g libstdc++6; do
    grep -q "$library" <<<"$depends" || fail "the package does not depend on $library: $depends"
done
dpkg-deb -x "$deb" "$out/root"
check_tree package "$out/root/usr"
echo "install and package checks passed"
