# The Debian packages the build and the tests need, shared by run.sh and test.sh.
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
    libsdl2-dev libtag1-dev)
TEST_PACKAGES=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev ffmpeg sox)
