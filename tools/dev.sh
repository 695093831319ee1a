#!/usr/bin/env bash
# Set-up, build and run on Debian 12. Installs the Debian packages that are missing (with sudo when
# not root), then:
#   tools/dev.sh run    builds the program and starts it
#   tools/dev.sh test   builds and runs every test, once plainly and once under the sanitizers, then
#                       runs the capture fuzzer for 30 seconds
#   tools/dev.sh fuzz [SECONDS]   builds and runs the capture fuzzer (60 seconds by default)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
# Debian's qt6-charts-dev needs the OpenGL module's CMake files without depending on their package.
packages=(build-essential cmake ninja-build googletest libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-serialport-dev qt6-serialbus-dev qt6-charts-dev libqt6opengl6-dev python3 clang
    libclang-rt-14-dev python3-canmatrix can-utils)

install_missing_packages() {
    local missing=() package
    for package in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing ${missing[*]}"
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build() {
    local folder=$1
    shift
    cmake -S "$root" -B "$root/build/$folder" -G Ninja "$@" >/dev/null
    cmake --build "$root/build/$folder" --parallel "$jobs"
}

run_tests() {
    local folder=$1
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$root/build/$folder" --output-on-failure --parallel "$jobs"
}

# One clang build carries what gcc's does not: its warnings (errors too), AddressSanitizer and
# UndefinedBehaviorSanitizer over every test, and the fuzz target, whose core is instrumented for both.
build_sanitized() {
    CXX=clang++ build sanitize -DCMAKE_BUILD_TYPE=Debug -DVEXMOOR_WERROR=ON -DVEXMOOR_SANITIZE=ON \
        -DVEXMOOR_BUILD_FUZZERS=ON -DVEXMOOR_BUILD_BENCHMARKS=OFF -DVEXMOOR_TEST_CASES_APART=OFF
}

# Runs the capture fuzzer for a number of seconds from the sample stream; new inputs it finds stay in
# build/sanitize/corpus for the next run.
fuzz() {
    local corpus="$root/build/sanitize/corpus"
    mkdir -p "$corpus"
    cp "$root/samples/board-sample.txt" "$corpus/board-sample.txt"
    "$root/build/sanitize/tools/vexmoor-capture-fuzzer" -max_total_time="$1" -print_final_stats=1 \
        -dict="$root/tools/fuzz/dbc.dict" "$corpus"
}

# When each step ends, so that a slow one shows.
step() {
    echo "== $(date +%T) $*"
}

case "${1:-}" in
run)
    install_missing_packages
    build release -DCMAKE_BUILD_TYPE=Release -DVEXMOOR_BUILD_TESTS=OFF -DVEXMOOR_BUILD_BENCHMARKS=OFF
    exec "$root/build/release/src/app/vexmoor"
    ;;
test)
    install_missing_packages
    step "plain build"
    build test -DCMAKE_BUILD_TYPE=Debug -DVEXMOOR_WERROR=ON
    step "plain tests"
    run_tests test
    step "sanitized build"
    build_sanitized
    step "sanitized tests"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_tests sanitize
    step "fuzzing"
    fuzz 30
    step "done"
    ;;
fuzz)
    install_missing_packages
    build_sanitized
    fuzz "${2:-60}"
    ;;
-h | --help)
    sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0"
    ;;
*)
    echo "usage: $0 run|test|fuzz [SECONDS]" >&2
    exit 2
    ;;
esac
