# The Windows build's own set-up: source it after common.sh; do not run it.
#
# The three programs are cross-built with Debian's mingw-w64 against a static
# Qt for Windows that we build from Debian's own qt6-base source. That build
# takes half an hour on two cores, so it is kept outside the work tree, under
# a key of its version and options, and a machine builds it once.

# What cross-building needs: the compiler, the host Qt's tools (moc, rcc, uic
# run on the build machine and must be the same version as the Qt we build),
# Qt's German texts, the header-only CLI11, and apt's source client.
KENNFIX_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libcli11-dev librsvg2-bin icoutils dpkg-dev xz-utils
    cmake ninja-build util-linux)
# Building Qt: its configure step looks for Perl.
KENNFIX_WINDOWS_PACKAGES+=(perl)
# The manual as HTML (scdoc, then mandoc), the installer (NSIS) and the
# Windows Installer package for IT departments (wixl, in msitools' source).
KENNFIX_WINDOWS_PACKAGES+=(scdoc mandoc nsis wixl msitools)

# What testing under Wine needs on top: Wine itself, the desktop harness of the
# Linux end-to-end tests, and TrueType fonts for Wine's prefix; the
# installer's test takes screenshots with ImageMagick's import.
KENNFIX_WINDOWS_TEST_PACKAGES=(wine64 wine xvfb xauth xdotool x11-utils x11-xserver-utils openbox xclip
    fonts-liberation fontconfig locales dbus-daemon dbus-bin python3 imagemagick)
# Reading back what Wine's printer driver sends (PostScript to PDF), and a
# face with PostScript outlines that the printing test makes "Courier New".
KENNFIX_WINDOWS_TEST_PACKAGES+=(ghostscript fonts-urw-base35)

KENNFIX_QT_VERSION=6.4.2
KENNFIX_QT_SOURCE_VERSION=6.4.2+dfsg-10

# A Qt with what the programs use and nothing else. Debian's source lacks the
# tablet header (wintab.h), so tablet events are off; without OpenGL, dynamic
# OpenGL must be off too. Direct2D stays at its default: the DirectWrite font
# code needs it at link time. Every third-party library is Qt's bundled copy,
# so nothing is looked for on the build machine.
KENNFIX_QT_OPTIONS=(
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_tabletevent=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_zstd=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF
)

kennfix_cache_dir() {
    echo "${XDG_CACHE_HOME:-$HOME/.cache}/kennfix"
}

# The folder the Windows Qt is installed in: its version, its options and the
# toolchain file name it, so that changing any of them builds a new one.
windows_qt_prefix() {
    local key
    key=$( { printf '%s\n' "$KENNFIX_QT_SOURCE_VERSION" "${KENNFIX_QT_OPTIONS[@]}"
             cat "$KENNFIX_ROOT/cmake/windows/toolchain-mingw64.cmake"; } | sha256sum | cut -c1-12)
    echo "$(kennfix_cache_dir)/qt-$KENNFIX_QT_VERSION-mingw-static-$key"
}

# Fetches Debian's qt6-base source into $1 with apt's own client, verified
# against the archive's signatures, without touching the machine's apt set-up:
# apt-get is given a source list and list folder of its own.
fetch_qt_source() {
    local work=$1 apt=$1/apt
    mkdir -p "$apt/lists/partial" "$apt/archives/partial" || return 1
    echo "deb-src http://deb.debian.org/debian bookworm main" >"$apt/sources.list"
    local options=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/none"
                   -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt" -o "APT::Sandbox::User=root"
                   -qq)
    apt-get "${options[@]}" update || return 1
    (cd "$work" && apt-get "${options[@]}" source --download-only "qt6-base=$KENNFIX_QT_SOURCE_VERSION") || return 1
    # apt has checked the files against the archive's signed index; the
    # uploader's own signature would need the Debian keyring.
    (cd "$work" && logged "$work/unpack.log" dpkg-source -q --no-check -x "qt6-base_$KENNFIX_QT_SOURCE_VERSION.dsc" src)
}

# Builds the Windows Qt unless this machine has it already; prints its folder.
# A lock keeps two builds (a CI run and a session) from building it at once.
ensure_windows_qt() {
    local prefix
    prefix=$(windows_qt_prefix)
    mkdir -p "$(kennfix_cache_dir)"
    (
        flock 9
        [ -f "$prefix/.complete" ] && exit 0
        echo "== Building Qt $KENNFIX_QT_VERSION for Windows into $prefix (once per machine, about 35 minutes)" >&2
        local work="$prefix.build"
        rm -rf "$prefix" "$work"
        mkdir -p "$work" || exit 1
        fetch_qt_source "$work" >&2 || { echo "Debian's qt6-base source could not be fetched." >&2; exit 1; }
        logged "$work/configure.log" cmake -S "$work/src" -B "$work/build" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$KENNFIX_ROOT/cmake/windows/toolchain-mingw64.cmake" \
            -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
            -DCMAKE_INSTALL_PREFIX="$prefix" "${KENNFIX_QT_OPTIONS[@]}" || exit 1
        logged "$work/build.log" cmake --build "$work/build" -j "$(nproc)" ||
            { grep -m5 -B2 -A8 'error' "$work/build.log" >&2; exit 1; }
        logged "$work/install.log" cmake --install "$work/build" || exit 1
        # The build folder takes 2 GB; the installed Qt about 100 MB.
        rm -rf "$work"
        touch "$prefix/.complete"
    ) 9>"$(kennfix_cache_dir)/qt.lock" || return 1
    echo "$prefix"
}

# CLI11 is header-only: its headers and CMake files from Debian's package,
# copied to a prefix of their own so that the Windows build sees them
# without seeing the rest of /usr/include.
ensure_windows_cli11() {
    local version prefix
    version=$(dpkg-query -W -f='${Version}' libcli11-dev)
    prefix="$(kennfix_cache_dir)/cli11-$version"
    if [ ! -f "$prefix/.complete" ]; then
        rm -rf "$prefix"
        mkdir -p "$prefix"
        dpkg-query -L libcli11-dev | grep -E '^/usr/(include/CLI/|share/cmake/CLI11/)' | while read -r file; do
            [ -f "$file" ] && install -D -m 644 "$file" "$prefix${file#/usr}"
        done
        touch "$prefix/.complete"
    fi
    echo "$prefix"
}

# Configures and builds the three programs for Windows into build-windows/.
# Each step says when it fails: callers may run this where errors do not end
# the script (if build_windows_programs; then ...).
build_windows_programs() {
    KENNFIX_WINDOWS_QT=$(ensure_windows_qt) || return 1
    KENNFIX_WINDOWS_CLI11=$(ensure_windows_cli11) || return 1
    export KENNFIX_WINDOWS_QT KENNFIX_WINDOWS_CLI11
    (cd "$KENNFIX_ROOT" && logged "$KENNFIX_ROOT/build-windows/configure.log" cmake --preset windows) || return 1
    cmake --build "$KENNFIX_ROOT/build-windows/build" -j "$(nproc)" || return 1
    local program
    # minimal_window.exe: what the start-up of kennfix.exe is measured against;
    # tst_*.exe: the tests that run on Windows itself.
    for program in kennfix kennfix-liste kennfix-batch minimal_window tst_windows_files; do
        cp "$(find "$KENNFIX_ROOT/build-windows/build" -name "$program.exe" | head -1)" "$KENNFIX_ROOT/build-windows/" ||
            return 1
    done
}

# Makes the installer, the portable zip and the MSI (packaging/windows) and
# puts them into build-windows/ with the manual, which the programs' --help
# names beside them, and the icon, which the MSI's test needs. Call after
# build_windows_programs.
package_windows_programs() {
    local build=$KENNFIX_ROOT/build-windows/build version
    cmake --build "$build" --target windows_packages || return 1
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    cp "$build/packaging/windows/kennfix-$version-setup.exe" "$build/packaging/windows/kennfix-$version-windows.zip" \
        "$build/packaging/windows/kennfix-$version-x64.msi" "$build"/man/*.html "$build/icons/kennfix.ico" \
        "$KENNFIX_ROOT/build-windows/" || return 1
}
