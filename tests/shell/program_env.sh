# Sourced by the scripts that start the real program: a home and settings file of their own, so
# the user's tags are neither read nor overwritten, and a desktop that opens nothing. The start's
# draw opens the maker's web site one time in a hundred; the program's opener is then this
# fake xdg-open, which records the address in $opened instead of starting a browser.
# Needs an EXIT trap that calls cleanup_program_env.
scratch=$(mktemp -d)
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$scratch/bin"
opened=$scratch/opened
cat >"$scratch/bin/xdg-open" <<FAKE
#!/bin/sh
printf '%s\n' "\$*" >>'$opened'
FAKE
chmod +x "$scratch/bin/xdg-open"

# Starts the program in the background, with the fake opener alone in its PATH; sets pid.
start_program() {
    env -u BROWSER PATH="$scratch/bin" "$@" &
    pid=$!
}

# Anything the program asked to open must be the web site, and nothing was really opened.
check_opened() {
    if [ -e "$opened" ] && [ "$(cat "$opened")" != "https://www.veldcraft.example/tagmill" ]; then
        echo "the program asked to open: $(cat "$opened")" >&2
        return 1
    fi
}

cleanup_program_env() {
    rm -rf "$scratch"
}
