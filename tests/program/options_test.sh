#!/usr/bin/env bash
# The Linux program's command line, run without a display: --help and
# --version answer without touching it, an unknown option is refused in one
# line with status 2, and the start's failure roads end with 1 while a normal
# end gives 0.
#   tests/program/options_test.sh <tilescroll> <version>
set -u
program=$1 version=$2
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
failed=0
# Each row: the exit status, what standard output must hold (a grep pattern,
# or "" for nothing), standard error ("" for nothing, "1 line: TEXT" for that
# one line, "1 line" for any one line), then the environment and arguments.
check() {
  local status=$1 want_out=$2 want_err=$3 got
  shift 3
  env -u DISPLAY -u WAYLAND_DISPLAY -u TILESCROLL_BACKEND -u TILESCROLL_HEADLESS_ESCAPE_AFTER \
    "$@" >"$out" 2>"$err"
  got=$?
  local problems=
  [ "$got" = "$status" ] || problems+=" exit $got, not $status;"
  if [ -z "$want_out" ]; then
    [ ! -s "$out" ] || problems+=" printed $(head -c 200 "$out");"
  else
    grep -Eq -- "$want_out" "$out" || problems+=" output lacks '$want_out';"
  fi
  case $want_err in
    '') [ ! -s "$err" ] || problems+=" said $(head -c 200 "$err");" ;;
    '1 line'*)
      [ "$(wc -l <"$err")" = 1 ] || problems+=" said $(wc -l <"$err") lines;"
      [ "$want_err" = '1 line' ] || [ "$(cat "$err")" = "${want_err#1 line: }" ] ||
        problems+=" said '$(cat "$err")';" ;;
  esac
  if [ -n "$problems" ]; then
    echo "FAIL: ${*:2}:$problems"
    failed=$((failed + 1))
  else
    echo "PASS: ${*:2}"
  fi
}
usage='^Usage: tilescroll \[--window\]'
check 0 "$usage" '' env "$program" --help
check 0 'TILESCROLL_HEADLESS_ESCAPE_AFTER=N' '' env "$program" --window --help
check 0 "^tilescroll $version\$" '' env "$program" --version
check 2 '' "1 line: tilescroll: unknown option '--x'; try --help" env "$program" --x
check 2 '' "1 line: tilescroll: unknown option 'map.txt'; try --help" env "$program" --window map.txt
check 0 '' '' env TILESCROLL_BACKEND=headless TILESCROLL_HEADLESS_ESCAPE_AFTER=2 "$program" --window
check 1 '' '1 line' env "$program"
check 1 '' '1 line' env "$program" --window
check 1 '' '1 line' env DISPLAY=:4711 "$program"
check 1 '' '1 line' env TILESCROLL_BACKEND=nonexistent "$program"
check 1 '' '1 line' env TILESCROLL_BACKEND=headless TILESCROLL_HEADLESS_ESCAPE_AFTER=0 "$program"
[ "$failed" = 0 ]
