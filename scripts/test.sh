#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the fuzz targets for a bounded
# time (clang, sanitizers), the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, the threaded renderer and sound tests under ThreadSanitizer,
# and last the release build (the build type users pick), which runs again only the tests
# that check optimised code (label "optimised": exact pixels, coders, the random generator,
# a whole program run) after one short run of the map benchmark; its CTest summary closes the
# output. Exits non-zero when anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh || exit 1
jobs=$(nproc)
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
status=0
step() { "$@" || status=1; }

# Line tables only (-g1) in the instrumented builds: the sanitizers' reports still name file
# and line, and the builds take markedly less time. The fuzz targets run a few seconds each,
# as a bounded check that every reader survives what the fuzzer makes of its seed corpus, so
# their build is not optimised: it compiles much faster than it would lose in runs. It is a
# unity build, sixteen sources to a file, as the builds below: that takes more than half of its
# compile time off.
step cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O0 -g1 -DNDEBUG" \
  -DTARVANE_FUZZ=ON -DTARVANE_TESTS=OFF -DTARVANE_BENCH=OFF -DCMAKE_UNITY_BUILD=ON \
  -DCMAKE_UNITY_BUILD_BATCH_SIZE=16
# Only the fuzz targets and the corpus tool: the program and the other tools are built (and
# their warnings checked) by the builds below.
step cmake --build build/fuzz -j"$jobs" --target tarvane_fuzzers
(cd build/fuzz && ctest -L fuzz -j"$jobs" --output-on-failure) || status=1

# The instrumented builds run each test program as four shards (TARVANE_TEST_SHARDS): a
# sanitized program takes about a second to start and to check for leaks at its end, more than
# most of its tests, so one process a test cost CI half of the suite's time. Every test still
# runs; a failing shard's output names the failed tests. The tests labelled "optimised" run
# tests of the programs again with a filter, which the shards have run already, so the
# sanitizer build leaves them to the release build. A shard runs for up to some two minutes on
# a quiet machine, so its time limit is wider than a single test's.
#
# The libraries of the sanitizer build compile as a unity build, sixteen sources to a file: the
# game's headers are parsed once per sixteen sources instead of once per source, which takes
# more than half of the libraries' compile time off. The test files compile eight to a file
# (tests/CMakeLists.txt), but for those whose helpers share a name with a neighbour's.
step cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1" \
  -DTARVANE_SANITIZE=ON -DTARVANE_BENCH=OFF -DTARVANE_TEST_SHARDS=4 \
  -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=16
step cmake --build build/sanitize -j"$jobs"
(cd build/sanitize && ASAN_OPTIONS=detect_leaks=1 ctest -j"$jobs" -LE optimised --output-on-failure --timeout 1800) ||
  status=1

# The drawing threads, the sound and the computer player's route-search workers under
# ThreadSanitizer: only the renderer, device, sound, worker-pool and whole-battle computer-player
# tests, which are the ones that run threads. A unity build as the sanitizer build's.
step cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
  -DTARVANE_TSAN=ON -DTARVANE_BENCH=OFF -DTARVANE_TEST_SHARDS=4 \
  -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=16
step cmake --build build/tsan -j"$jobs" --target test_threads test_threads_ai
(cd build/tsan && TSAN_OPTIONS=halt_on_error=1 ctest -j"$jobs" --output-on-failure --timeout 600 \
  -R '^threads\.') || status=1

# The release build compiles as a unity build too, sixteen library sources and eight test files
# to a file: at -O3 it takes about half the compile time of one file a source, and the tests
# labelled "optimised" pass as they do there. The program users build with scripts/run.sh (in
# the same folder) compiles each file on its own. The options are named every time, so that
# whatever an earlier build left in the folder's cache the tests are built here.
step cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVANE_TESTS=ON -DTARVANE_BENCH=ON \
  -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=16
# The release build makes the program, the map benchmark and the test programs that hold
# tests labelled "optimised" (the others ran under the sanitizers above); everything when that
# list cannot be read. The other benchmarks are built by every build made with the default
# options (the development builds and the game's own release build), not here, which keeps
# CI within its time on two cores.
optimised_programs=$(grep -ho 'add_test(\[=\[optimised_[^]]*\]=\] "[^"]*"' build/release/tests/CTestTestfile.cmake |
  grep -o '/test_[a-z_]*"$' | tr -d '"/' | sort -u | tr '\n' ' ')
release_targets="all"
if [ -n "$optimised_programs" ]; then
  release_targets="tarvane $optimised_programs bench_MapBench"
fi
step cmake --build build/release -j"$jobs" --target $release_targets
# The map benchmark once, with a short minimum time, so it keeps building and running; its
# figures (build/release/bench-map.json) decide nothing here. The route-search sets do a fixed
# thousand searches per class whatever the minimum time (minutes), so CI leaves them out.
if [ -x build/release/bench/bench_MapBench ]; then
  (cd build/release && ./bench/bench_MapBench --benchmark_min_time=0.01 --benchmark_format=json \
    --benchmark_filter='-BM_Route(Searches|Unreachable)' >bench-map.json) || status=1
fi
(cd build/release && ctest -L optimised -j"$jobs" --output-on-failure --timeout 600) || status=1
exit $status
