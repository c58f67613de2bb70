#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks the layout a package or a per-user install
# gets, and runs the installed programs through their links in PREFIX/bin.
# Usage: install_test.sh CMAKE BUILD_DIR SOURCE_DIR VERSION (CTest passes them).
set -euo pipefail
cmake=$1
build=$2
source=$3
version=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
programs=$prefix/lib/tagmill

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$cmake" --install "$build" --prefix "$prefix" >/dev/null

# Both programs sit in the program folder, reached through relative links.
for program in tagmill tagmill-cli; do
    [[ -x $programs/$program && ! -L $programs/$program ]] || fail "no program $programs/$program"
    [[ -L $prefix/bin/$program ]] || fail "$prefix/bin/$program is not a link"
    target=$(readlink "$prefix/bin/$program")
    [[ $target == "../lib/tagmill/$program" ]] || fail "$prefix/bin/$program links to $target"
done

# The files the window looks for beside itself, as they are in the sources.
diff -r "$source/Samples" "$programs/Samples" || fail "the installed Samples differ"
for file in x/o.cjs HAND-M.CUR drag.ico; do
    cmp "$source/$file" "$programs/$file" || fail "the installed $file differs"
done

desktop=$prefix/share/applications/example.veldcraft.tagmill.desktop
desktop-file-validate "$desktop" || fail "$desktop is not valid"
for line in Exec=tagmill Icon=tagmill StartupWMClass=tagmill; do
    grep -qx "$line" "$desktop" || fail "$desktop has no line $line"
done

# The icon's folder names its real size: width and height are the big-endian words at bytes 16
# and 20 of a PNG.
icons=("$prefix"/share/icons/hicolor/*/apps/tagmill.png)
[[ ${#icons[@]} -eq 1 && -f ${icons[0]} ]] || fail "no single theme icon: ${icons[*]}"
read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "${icons[0]}")
size=$((w1 << 24 | w2 << 16 | w3 << 8 | w4))x$((h1 << 24 | h2 << 16 | h3 << 8 | h4))
[[ ${icons[0]} == */hicolor/$size/apps/tagmill.png ]] || fail "${icons[0]} is $size"

# The manual page names the version and every option --help lists.
man_page=$prefix/share/man/man1/tagmill-cli.1.gz
page=$(gzip -dc "$man_page") || fail "$man_page is not gzip"
[[ $(head -n 1 <<<"$page") == ".TH TAGMILL-CLI 1 \"\" \"Tagmill $version\" \"User Commands\"" ]] ||
    fail "$man_page begins: $(head -n 1 <<<"$page")"
help=$("$prefix/bin/tagmill-cli" --help)
options=$(grep -o -- '^  --[a-z-]*' <<<"$help" | sed 's/^ *//')
grep -qx -- --tag <<<"$options" && grep -qx -- --version <<<"$options" ||
    fail "--help lists these options: $options"
for option in $options; do
    # An option heads its own paragraph: ".B \-\-files" or ".BI \-\-option " N"".
    roff=${option//-/\\\\-}
    grep -qE -- "^\.BI? $roff( |\$)" <<<"$page" || fail "$man_page does not describe $option"
done

# The installed command-line program, started through its link on the installed samples, gives
# the rows the built one gives on the source samples (option 2 on their "test" tags).
"$build/bin/tagmill-cli" --format csv --option 2 --tag test --scan "$source/Samples" >"$work/expected"
[[ $(wc -l <"$work/expected") -gt 5 ]] || fail "the samples give too few rows: $(cat "$work/expected")"
check_run() {
    local bin=$1 samples=$2
    [[ $("$bin/tagmill-cli" --version) == "tagmill-cli $version" ]] ||
        fail "$bin/tagmill-cli --version"
    "$bin/tagmill-cli" --format csv --option 2 --tag test --scan "$samples" >"$work/rows" ||
        fail "$bin/tagmill-cli exited with $?"
    cmp "$work/expected" "$work/rows" || fail "$bin/tagmill-cli gave: $(cat "$work/rows")"
}
check_run "$prefix/bin" "$programs/Samples"

# The links are relative, so the whole tree still works once moved.
mv "$prefix" "$work/moved"
check_run "$work/moved/bin" "$work/moved/lib/tagmill/Samples"

# The installed window program starts through its link and keeps running until a TERM ends it
# (timeout's 124); a crash on the way up gives another status, and a program the TERM does not end
# is killed (137). A settings file of its own, so the user's tags are neither read nor
# overwritten. One start in a hundred opens the maker's web site, which the offscreen platform
# cannot: the failure then waits in a message box, which the TERM ends too.
status=0
XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen timeout -s TERM -k 5 3 \
    "$work/moved/bin/tagmill" || status=$?
[[ $status -eq 124 ]] || fail "the installed tagmill ended with status $status"
echo "the installed layout and programs are as expected"
