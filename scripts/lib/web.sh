# The browser edition, shared by scripts/web and scripts/test. Source it
# after common.sh; do not run it.

# Debian's emscripten builds the page; the machine's node runs its tests
# (nodejs brings its own npm). The browser tests drive Debian's browsers.
KENNFIX_WEB_PACKAGES=(emscripten nodejs python3 cmake ninja-build)
KENNFIX_WEB_TEST_PACKAGES=(chromium firefox-esr fonts-liberation poppler-utils)

KENNFIX_WEB_BUILD="$KENNFIX_ROOT/build-web"

# build_web_page: build-web/kennfix.html, and its size.
build_web_page() {
    local log="$KENNFIX_WEB_BUILD/build.log"
    mkdir -p "$KENNFIX_WEB_BUILD"
    # emscripten finds its own node modules (acorn, ...) only through this.
    export NODE_PATH=/usr/share/nodejs
    if ! { emcmake cmake -S "$KENNFIX_ROOT" -B "$KENNFIX_WEB_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
               -DBUILD_TESTING=OFF &&
           cmake --build "$KENNFIX_WEB_BUILD" -j "$(nproc)"; } >"$log" 2>&1; then
        cat "$log" >&2
        echo "The page could not be built; the log above is kept in $log." >&2
        return 1
    fi
    local page="$KENNFIX_WEB_BUILD/kennfix.html"
    echo "$page: $(( $(stat -c %s "$page") / 1024 )) KB, $(( $(gzip -9 -c "$page" | wc -c) / 1024 )) KB gzipped"
}
