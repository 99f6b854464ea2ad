# Shared by scripts/run, scripts/test, scripts/windows, scripts/web and
# scripts/fuzz, before lib/windows.sh and lib/web.sh where they need those.
# Source it; do not run it.

KENNFIX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# What building the program needs, and what it loads at run time: Qt's
# German translations, the fonts of the window and the printout.
KENNFIX_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins qt6-translations-l10n
    fonts-liberation libxcb1-dev libcli11-dev librsvg2-bin)
# The manual pages are written in scdoc; Qt's Wayland plugin lets scripts/run
# show the window natively on a Wayland desktop, as the package recommends it.
KENNFIX_BUILD_PACKAGES+=(scdoc qt6-wayland)

# What the tests, benchmarks and fuzz targets need on top.
KENNFIX_TEST_PACKAGES=(libgtest-dev libbenchmark-dev unicode-data python3 clang libclang-rt-14-dev
    desktop-file-utils appstream dpkg-dev file xvfb xdotool x11-utils libxcb1-dev)

# libcsv is what the list engine's cell splitter is checked against, and the
# list benchmark's baseline.
KENNFIX_TEST_PACKAGES+=(libcsv-dev)

# The core's instruction count per call is taken by callgrind; GNU time
# gives bench/list_vs_cp.py the list tool's peak memory.
KENNFIX_TEST_PACKAGES+=(valgrind time)

# The printing tests run a CUPS scheduler of their own and read what it received.
KENNFIX_TEST_PACKAGES+=(cups cups-daemon cups-client libcups2-dev poppler-utils)

# The end-to-end test types into the real window on a desktop of its own:
# an X server with a window manager, the accessibility bus read as a screen
# reader reads it (in a D-Bus session of the test's own), screenshots, and
# the clipboard that other programs fill (xclip).
KENNFIX_TEST_PACKAGES+=(xvfb xauth xdotool x11-xserver-utils x11-utils openbox dbus-daemon dbus-bin
    at-spi2-core python3-pyatspi imagemagick xclip)

# The package is checked with lintian and its manual pages read with man; the
# window is started on a Wayland compositor of its own.
KENNFIX_TEST_PACKAGES+=(lintian man-db weston)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "Need root rights (or sudo) to install: $*" >&2
        return 1
    fi
}

# Installs the given Debian packages that are not installed yet.
ensure_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    # Another apt-get (an unattended upgrade, a second build) may hold the lock for a while.
    as_root apt-get update -qq -o DPkg::Lock::Timeout=600
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=600 "${missing[@]}"
}

# logged LOG COMMAND...: runs a set-up step whose output nobody needs to read
# unless it fails, into LOG; when it fails, says which step and prints the
# end of its log.
logged() {
    local log=$1 status=0
    shift
    mkdir -p "$(dirname "$log")"
    "$@" >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        echo "Failed with status $status: $*" >&2
        echo "The end of its log, $log:" >&2
        tail -n 60 "$log" | sed 's/^/  | /' >&2
    fi
    return "$status"
}

# configure_and_build BUILD_DIR [CMAKE_ARGS...]
configure_and_build() {
    local dir=$1
    shift
    logged "$dir/configure.log" cmake -S "$KENNFIX_ROOT" -B "$dir" -G Ninja "$@"
    cmake --build "$dir" -j "$(nproc)"
}
