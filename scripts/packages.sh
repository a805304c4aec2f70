# The Debian packages the build and the tests need, shared by run.sh and test.sh
# (python3 runs tools/make-library, the generator of test libraries).
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
    libsdl2-dev libtag1-dev libsystemd-dev libjemalloc-dev)
TEST_PACKAGES=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev ffmpeg sox python3 dbus-daemon playerctl libglib2.0-bin
    snapserver snapclient)
# The browser tests: Debian's Chromium, and Node.js with npm unless they are already there
# (a Node.js from elsewhere bundles its own npm, which Debian's npm package conflicts with).
BROWSER_PACKAGES=(chromium)
command -v node >/dev/null || BROWSER_PACKAGES+=(nodejs)
command -v npm >/dev/null || BROWSER_PACKAGES+=(npm)
