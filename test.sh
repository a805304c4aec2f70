#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# runs every test (the browser test among CTest's), then runs each fuzz target for a few
# seconds. Ends with one line of what passed, failed and was skipped in all of them, and
# fails when anything failed.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${BROWSER_PACKAGES[@]}"
npm ci --prefix tests/browser --no-audit --no-fund --loglevel=error
jobs=$(nproc)

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORANT_SANITIZE=ON >/dev/null
cmake --build build-test -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
results=build-test/ctest-results.xml
rm -f "$results"
ctest --test-dir build-test --output-on-failure -j "$jobs" --output-junit ctest-results.xml || true

# CTest's counts from its JUnit report; a missing report counts as one failure.
attribute() {
    tr '\n' ' ' < "$results" | grep -o -m1 '<testsuite [^>]*' | grep -o "[[:space:]]$1=\"[0-9]*\"" | grep -o '[0-9]\+'
}
if [ -f "$results" ]; then
    total=$(attribute tests)
    failed=$(attribute failures)
    skipped=$(( $(attribute skipped) + $(attribute disabled) ))
    passed=$((total - failed - skipped))
    # Without node or Chromium the browser test is not registered: it counts as skipped.
    grep -q '<testcase name="browser"' "$results" || skipped=$((skipped + 1))
else
    passed=0 failed=1 skipped=0
fi

fuzz_targets=$(ls fuzz/*.cpp | wc -l)
if command -v clang++ >/dev/null; then
    fuzz_log=build-test/fuzz.log
    scripts/run-fuzzers.sh "${FUZZ_SECONDS:-5}" 2>&1 | tee "$fuzz_log" || true
    if [[ $(tail -n 1 "$fuzz_log") =~ ^fuzz:\ ([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
        fuzz_passed=${BASH_REMATCH[1]}
        fuzz_failed=${BASH_REMATCH[2]}
    else
        fuzz_passed=0 fuzz_failed=1  # the fuzz build itself failed
    fi
    passed=$((passed + fuzz_passed))
    failed=$((failed + fuzz_failed))
else
    skipped=$((skipped + fuzz_targets))
fi

echo "total: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
