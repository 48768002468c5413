#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build and its suites, the
# Linux build installed and its program run from the prefix, the
# same suites under AddressSanitizer and UndefinedBehaviorSanitizer, the
# program end to end on a virtual X server, the browser build in headless
# Chromium, and the 64- and 32-bit Windows builds under Wine against the real
# platform, and the README's run command in a brand-new Debian 12. Installs
# what is missing first (needs root then).
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test || exit 1

# The fresh-debian stage's slow part (a new Debian root and the run command's
# downloads and install there) goes on in the background from here, under the
# stages that mostly compile; the stage itself then builds and judges.
fresh_debian_work=$(mktemp -d /var/tmp/tilescroll-fresh.XXXXXX)
scripts/fresh-debian.sh prepare "$fresh_debian_work" >/dev/null 2>&1 &
fresh_debian_prepare=$!

jobs=$(nproc)
passed=0
failed=0
failed_stages=()

# Adds a ctest log's counts to the totals.
count_ctest() {
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$1" | tail -1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  local bad all
  bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  all=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + all - bad))
  failed=$((failed + bad))
}

stage() {
  local name=$1
  shift
  echo "==== $name"
  if ! "$@"; then
    failed_stages+=("$name")
  fi
}

ctest_preset() {
  local preset=$1 log
  log=$(mktemp)
  cmake --preset "$preset" >/dev/null &&
    cmake --build --preset "$preset" -j"$jobs" &&
    ctest --preset "$preset" -j"$jobs" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  count_ctest "$log"
  rm -f "$log"
  return "$status"
}

# Adds a "name: P passed, F failed" closing line's counts to the totals.
count_closing_line() {
  local line
  line=$(grep -E '^[a-z0-9-]+: [0-9]+ passed, [0-9]+ failed' "$1" | tail -1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  passed=$((passed + $(sed -E 's/^[^:]+: ([0-9]+) passed.*/\1/' <<<"$line")))
  failed=$((failed + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")))
}

# Runs a script whose PASS/FAIL lines are counted.
checked_script() {
  local log status
  log=$(mktemp)
  "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  passed=$((passed + $(grep -c '^PASS' "$log")))
  failed=$((failed + $(grep -c '^FAIL' "$log")))
  [ "$status" -eq 0 ] || grep -q '^FAIL' "$log" || failed=$((failed + 1))
  rm -f "$log"
  return "$status"
}

linux_end_to_end() {
  cmake --build --preset linux --target tilescroll render_view -j"$jobs" &&
    checked_script tests/e2e/sdl_xvfb.sh build/linux
}

# The Linux build installed into a fresh prefix: it holds the program, its
# manual page, README, copyright and changelog, the desktop entry, the icon
# at each size in the hicolor theme and the AppStream metainfo, and nothing
# else; the icons are as large as their folders say, and Debian's validators
# accept the entry and the metainfo. The installed program runs on the
# headless backend to its first frame, where Escape is held, and ends by
# itself with exit code 0 and no line from the layer. The .deb CPack makes
# of the build passes lintian.
installed_program() {
  local prefix err files expected png side wrong status result=0
  local id=io.github.tilescroll.tilescroll
  cmake --build --preset linux --target tilescroll -j"$jobs" >/dev/null || return 1
  prefix=$(mktemp -d)
  err=$(mktemp)
  if cmake --install build/linux --prefix "$prefix" >/dev/null; then
    files=$(cd "$prefix" && find . -type f | LC_ALL=C sort)
    expected=$(printf '%s\n' ./bin/tilescroll ./share/man/man6/tilescroll.6.gz "./share/applications/$id.desktop" \
      ./share/doc/tilescroll/{README.md,copyright,changelog.gz} "./share/metainfo/$id.metainfo.xml" \
      ./share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/$id.png |
      LC_ALL=C sort)
    if [ "$files" = "$expected" ]; then
      echo "PASS install: bin/tilescroll, its manual page, README, copyright, changelog, desktop entry, metainfo and 7 hicolor icons ($id)"
    else
      echo "FAIL install: the prefix holds $(tr '\n' ' ' <<<"$files")"
      result=1
    fi
    wrong=
    for png in "$prefix"/share/icons/hicolor/*/apps/"$id".png; do
      side=$(basename "$(dirname "$(dirname "$png")")")
      file "$png" | grep -q ": PNG image data, ${side%x*} x ${side#*x}," || wrong+=" $side"
    done
    if [ -z "$wrong" ]; then
      echo "PASS hicolor icons: each is a PNG as large as its folder says"
    else
      echo "FAIL hicolor icons: not PNGs of their folder's size:$wrong"
      result=1
    fi
    if desktop-file-validate "$prefix/share/applications/$id.desktop" >"$err" 2>&1 && [ ! -s "$err" ]; then
      echo "PASS desktop-file-validate: share/applications/$id.desktop, without a remark"
    else
      echo "FAIL desktop-file-validate: share/applications/$id.desktop"
      cat "$err"
      result=1
    fi
    if appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >"$err" 2>&1; then
      echo "PASS appstreamcli validate: share/metainfo/$id.metainfo.xml"
    else
      echo "FAIL appstreamcli validate: share/metainfo/$id.metainfo.xml"
      cat "$err"
      result=1
    fi
    TILESCROLL_BACKEND=headless TILESCROLL_HEADLESS_ESCAPE_AFTER=1 \
      timeout 60 "$prefix/bin/tilescroll" 2>"$err"
    status=$?
    if [ "$status" -eq 0 ] && [ ! -s "$err" ]; then
      echo "PASS installed tilescroll: first frame, Escape, exit 0"
    else
      echo "FAIL installed tilescroll: exit $status (124: still running after 60 s)"
      cat "$err"
      result=1
    fi
  else
    echo "FAIL install: cmake --install build/linux --prefix $prefix"
    result=1
  fi
  rm -rf "$prefix"
  # The .deb of the same build, made in a folder of its own: lintian finds
  # neither an error nor a warning in it; its notes are shown.
  prefix=$(mktemp -d)
  if (cd build/linux && cpack -G DEB -B "$prefix") >"$err" 2>&1; then
    lintian --fail-on error,warning --display-info "$prefix"/tilescroll_*.deb >"$err" 2>&1
    status=$?
    # lintian warns on stderr that it runs as root, which says nothing of the package.
    sed -i '/running with root privileges/d' "$err"
    if [ "$status" -eq 0 ] && ! grep -q '^[EW]:' "$err"; then
      echo "PASS lintian: $(basename "$prefix"/tilescroll_*.deb), no error, no warning," \
        "notes: $(sed -nE 's/^[IP]: [^ ]+ ([^ ]+).*/\1/p' "$err" | sort -u | paste -sd ' ')"
    else
      echo "FAIL lintian: $(basename "$prefix"/tilescroll_*.deb) (exit $status)"
      cat "$err"
      result=1
    fi
  else
    echo "FAIL cpack -G DEB in build/linux"
    cat "$err"
    result=1
  fi
  rm -rf "$prefix" "$err"
  return "$result"
}

# The browser build in headless Chromium.
web_in_browser() {
  cmake --build --preset linux --target render_view -j"$jobs" &&
    cmake --preset web >/dev/null &&
    cmake --build --preset web -j"$jobs" &&
    checked_script python3 tests/web/browser_check.py build/web build/linux
}

# Both Windows builds under Wine: the 64-bit one on every machine, the 32-bit
# one where the kernel runs 32-bit programs (elsewhere its form is checked and
# one line says why it was not run).
windows_under_wine() {
  local preset log status result=0
  for preset in windows-x64 windows-i686; do
    cmake --preset "$preset" >/dev/null &&
      cmake --build --preset "$preset" -j"$jobs" || { failed=$((failed + 1)); result=1; continue; }
    log=$(mktemp)
    tests/wine/run_all.sh "build/$preset" build/linux 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    count_closing_line "$log"
    rm -f "$log"
    [ "$status" -eq 0 ] || result=1
  done
  return "$result"
}

# The README's run command in a brand-new Debian 12 without a display, once
# its install step above has finished.
fresh_debian() {
  wait "$fresh_debian_prepare"
  checked_script scripts/fresh-debian.sh check "$fresh_debian_work"
}

stage "linux" ctest_preset linux
stage "installed-program" checked_script installed_program
stage "linux-asan" ctest_preset linux-asan
stage "valgrind" tests/valgrind/run.sh build/linux
stage "fuzz-smoke" fuzz/run.sh 30
stage "linux-end-to-end" linux_end_to_end
stage "web-in-browser" web_in_browser
stage "windows-under-wine" windows_under_wine
stage "fresh-debian" fresh_debian

echo "==== summary"
if [ ${#failed_stages[@]} -gt 0 ]; then
  echo "failed stages: ${failed_stages[*]}"
  [ "$failed" -gt 0 ] || failed=${#failed_stages[@]}
fi
echo "tests: $passed passed, $failed failed"
[ ${#failed_stages[@]} -eq 0 ] && [ "$failed" -eq 0 ]
