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
    if ! { emcmake cmake -S "$KENNFIX_ROOT" -B "$KENNFIX_WEB_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release &&
           cmake --build "$KENNFIX_WEB_BUILD" -j "$(nproc)"; } >"$log" 2>&1; then
        cat "$log" >&2
        echo "The page could not be built; the log above is kept in $log." >&2
        return 1
    fi
    local page="$KENNFIX_WEB_BUILD/kennfix.html"
    echo "$page: $(( $(stat -c %s "$page") / 1024 )) KB, $(( $(gzip -9 -c "$page" | wc -c) / 1024 )) KB gzipped"
}

# install_web_test_modules: the browser tests' npm packages, exactly as
# tests/web/package-lock.json pins them, into build-web/test-node. No
# browser is downloaded: the tests drive Debian's.
install_web_test_modules() {
    local dir="$KENNFIX_WEB_BUILD/test-node" log="$KENNFIX_WEB_BUILD/npm.log"
    if ! command -v npm >/dev/null; then
        echo "npm is missing: the browser tests need the npm that comes with the machine's nodejs." >&2
        return 1
    fi
    mkdir -p "$dir"
    if cmp -s "$KENNFIX_ROOT/tests/web/package-lock.json" "$dir/package-lock.json" && [ -d "$dir/node_modules" ]; then
        return 0
    fi
    cp "$KENNFIX_ROOT/tests/web/package.json" "$KENNFIX_ROOT/tests/web/package-lock.json" "$dir/"
    if ! (cd "$dir" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund) >"$log" 2>&1; then
        rm -f "$dir/package-lock.json"
        cat "$log" >&2
        echo "The browser tests' npm packages could not be installed; the log above is kept in $log." >&2
        return 1
    fi
}
