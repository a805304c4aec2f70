# The Debian packages the build and the tests need, shared by run.sh and test.sh.
BUILD_PACKAGES=(g++ cmake ninja-build)
TEST_PACKAGES=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev)
