#!/usr/bin/env bash
# Everything CI runs: set-up, the real test corpus, the whole suite (unit,
# layer, render, shell, window, cli) in a normal build and in a sanitizer
# build, the benchmark once, the Windows builds with the Wine smoke test, and
# the fuzzers.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/setup.sh"
VELMORIN_CORPUS_DIR="$("$top/scripts/fetch-corpus.sh")"  # apart from export, so a failure stops the run
export VELMORIN_CORPUS_DIR
export VELMORIN_REQUIRE_CORPUS=1

run_suite() {
  local folder="$1"
  shift
  "$top/scripts/build.sh" "$folder" -DVELMORIN_WERROR=ON "$@"
  ctest --test-dir "$folder" --output-on-failure --parallel 2
}

echo "== normal build"
run_suite "$top/build/release"
echo "== the benchmark, once and briefly, so that it keeps building and running"
"$top/build/release/bench/velmorin_bench" --benchmark_min_time=0.001 >/dev/null
echo "== the Debian package: a viewer-only build, packed, checked, installed and removed"
"$top/scripts/package-debian.sh"
if grep -v '^//' "$top/build/package/CMakeCache.txt" | grep -E "GTest|benchmark_DIR|assimp|SDL2|STB_LIBRARY"; then
  echo "FAILED: the viewer-only build looked for a test or benchmark package"
  exit 1
fi
"$top/tests/install/debian_package_test.sh" "$top"/build/package/packages/velmorin_*_amd64.deb "$top/build/release/sample"
echo "== the viewer alone, without velmorin-cli: none of the CLI's libraries are looked for"
"$top/scripts/build.sh" "$top/build/viewer-only" -DVELMORIN_WERROR=ON -DVELMORIN_CLI=OFF -DBUILD_TESTING=OFF \
  -DVELMORIN_BENCH=OFF >/dev/null
if grep -E "^(PNG_|GIF_|nlohmann_json|OPENGL_egl|OPENGL_EGL)" "$top/build/viewer-only/CMakeCache.txt"; then
  echo "FAILED: the viewer-only build looked for a library of velmorin-cli's"
  exit 1
fi
if grep -nE '#include.*(state/|platform/|windows\.h|commctrl|commdlg)' "$top"/src/formats/*; then
  echo "FAILED: src/formats includes a header from above it"
  exit 1
fi
echo "== AddressSanitizer and UndefinedBehaviorSanitizer build"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_suite "$top/build/sanitize" -DVELMORIN_SANITIZE=ON
echo "== Windows builds (mingw-w64, 32- and 64-bit), packaged; the 32-bit one checked, the 64-bit one run under Wine"
echo "   (the viewer against headless renders; the installer, and the velmorin-cli.exe it installs against velmorin-cli)"
"$top/scripts/package-windows.sh"
"$top/tests/windows/check_i686_exe.sh" "$top/build/windows-i686"
unpacked="$(mktemp -d)"
(cd "$unpacked" && cmake -E tar xf "$top"/build/packages/velmorin-*-windows-x64.zip)
"$top/tests/x11/with_xvfb.sh" "$top/tests/windows/wine_smoke.sh" \
  "$(echo "$unpacked"/velmorin-*-windows-x64/velmorin.exe)" "$top/build/release/src/cli/velmorin-cli" \
  "$top/build/release/sample"
"$top/tests/x11/with_xvfb.sh" "$top/tests/windows/msi_under_wine.sh" "$(echo "$top"/build/packages/velmorin-*-windows-x64.msi)" \
  "$top/build/release/src/cli/velmorin-cli" "$top/build/release/sample" "$top/tests/import/blender_character.glb" \
  "$(echo "$top"/build/packages/velmorin-*-windows-x86.msi)"
rm -rf "$unpacked"
echo "== fuzzing"
"$top/scripts/fuzz.sh"
echo "== velmorin-cli check and the loaders agree on every file of the fuzzers' corpora"
VELMORIN_FUZZ_CORPUS="$top/build/fuzz/work" "$top/build/release/tests/cli/cli_tests" \
  --gtest_filter=CliCheck.ErrorsExactlyWhenTheLoaderRefuses --gtest_brief=1
echo "All tests passed."
