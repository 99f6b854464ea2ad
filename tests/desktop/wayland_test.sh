#!/usr/bin/env bash
# The window as a native Wayland client: starts a weston of its own (headless
# back end, its own XDG_RUNTIME_DIR and socket), starts kennfix on it with
# Qt's Wayland plugin, and reads in weston's protocol log what the compositor
# received: a toplevel titled "Kennfix" with the program's app id, mapped on
# the output; then checks that the program stays up.
#
#   wayland_test.sh PROGRAM APP_ID
set -uo pipefail
program=$1 app_id=$2

runtime=$(mktemp -d)  # mode 0700, as Wayland wants its runtime directory
weston_pid='' program_pid=''
cleanup() {
    # The shell would report the killed jobs on standard error.
    {
        [ -n "$program_pid" ] && kill -KILL "$program_pid" && wait "$program_pid"
        [ -n "$weston_pid" ] && kill "$weston_pid" && wait "$weston_pid"
    } 2>/dev/null
    rm -rf "$runtime"
}
trap cleanup EXIT
die() {
    echo "FAIL: $*"
    echo "--- kennfix:"; cat "$runtime/kennfix.log" 2>/dev/null
    echo "--- weston:"; grep -v '\[proto\]' "$runtime/weston.log" 2>/dev/null | tail -n 20
    exit 1
}
# Polls a command for up to $1 seconds.
within() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    "$@"
}

socket=kennfix-test-$$
export XDG_RUNTIME_DIR=$runtime
# The proto scope logs every request and event as the compositor sees them.
weston --backend=headless-backend.so --use-pixman --width=1024 --height=768 --socket="$socket" \
    --idle-time=0 --no-config --log="$runtime/weston.log" --logger-scopes=log,proto \
    >"$runtime/weston.out" 2>&1 &
weston_pid=$!
within 30 test -S "$runtime/$socket" || { cat "$runtime/weston.out"; die "weston did not open its socket"; }

# No X server to fall back on: the window can only be a Wayland client.
env -u DISPLAY WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland "$program" >"$runtime/kennfix.log" 2>&1 &
program_pid=$!

# One line of the log per request or event: "client 0x... rq xdg_toplevel@15.set_app_id("...")".
log() { grep -F '[proto] client ' "$runtime/weston.log"; }
app_id_line() { log | grep -F "rq xdg_toplevel@" | grep -F ".set_app_id(\"$app_id\")" | head -n 1; }
has_app_id() { [ -n "$(app_id_line)" ]; }
within 30 has_app_id || die "no toplevel with the app id $app_id within 30 seconds"
line=$(app_id_line)
client=$(sed 's/.*\(client 0x[0-9a-f]*\) .*/\1/' <<<"$line")
toplevel=$(sed 's/.*rq \(xdg_toplevel@[0-9]*\)\..*/\1/' <<<"$line")
echo "$client created $toplevel with the app id $app_id"

titles=$(log | grep -F "$client rq $toplevel.set_title(" | sed 's/.*set_title(\(.*\))$/\1/')
[ "$titles" = '"Kennfix"' ] || die "the toplevel's title is not \"Kennfix\" but: ${titles:-none}"

# The compositor maps the window when its surface gets a buffer, and then
# tells the client that the surface entered the output.
xdg_surface=$(log | grep -F "$client rq xdg_surface@" | grep -F ".get_toplevel(new id $toplevel)" |
    sed 's/.*rq \(xdg_surface@[0-9]*\)\..*/\1/' | head -n 1)
surface=$(log | grep -F "$client rq xdg_wm_base@" | grep -F ".get_xdg_surface(new id $xdg_surface, " |
    sed 's/.*, \(wl_surface@[0-9]*\))$/\1/' | head -n 1)
[ -n "$surface" ] || die "found no surface for $toplevel"
entered() { log | grep -q -F "$client ev $surface.enter(wl_output@"; }
within 30 entered || die "the window ($surface) was not mapped on the output within 30 seconds"
echo "the window is mapped"

# Stays up: still running, still mapped, a few seconds on.
sleep 3
kill -0 "$program_pid" 2>/dev/null || die "kennfix ended after its window was mapped"
log | grep -q -F -e "$client rq $toplevel.destroy()" -e "$client ev $surface.leave(" &&
    die "the window was taken down again"
echo "kennfix is up on Wayland with its window titled \"Kennfix\", app id $app_id"
