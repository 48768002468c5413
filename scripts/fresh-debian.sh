#!/usr/bin/env bash
# The README's run command as a new user meets it: scripts/run.sh, as root,
# in a clean clone of HEAD inside a brand-new minimal Debian 12 (debootstrap's
# minbase: no compiler, no library, nothing of this machine's) with no
# display. It must install what it needs, build the program, and end with the
# program's one line about the display and a non-zero exit status.
#
#   fresh-debian.sh prepare WORK  makes the root in WORK (a new folder) and
#                                 runs the command's install step there:
#                                 minutes, mostly downloads, so the test
#                                 command starts it early in the background
#   fresh-debian.sh check WORK    runs scripts/run.sh there, judges it,
#                                 removes WORK
#   fresh-debian.sh WORK          both
#
# Where the machine cannot make such a root (not root, no debootstrap, no
# Debian mirror, no chroot or mounts), one NOT RUN line says why; it counts
# neither as passed nor as failed. The pristine root is kept under
# ${TILESCROLL_DEBIAN_CACHE:-/var/tmp/tilescroll-debian} and copied for each run.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${TILESCROLL_DEBIAN_CACHE:-/var/tmp/tilescroll-debian}
base=$cache/bookworm-minbase

mode=all
case "${1:-}" in prepare | check) mode=$1 && shift ;; esac
[ $# -eq 1 ] || { sed -n '2,19p' "$0" >&2; exit 2; }
work=$1
root=$work/root

mounted=()
unmount_all() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"; done
  mounted=()
}
# The root's /dev and /proc are this machine's own: never remove a root with
# anything still mounted in it.
remove_work() {
  if grep -q " $root/" /proc/mounts; then
    echo "fresh-debian: $root still has mounts; left in place" >&2
  else
    rm -rf --one-file-system "$work"
  fi
}

# Runs a command in the root as a new user's shell would: no display, no
# variable of ours. The caller reads the exit status; mount_failed says
# whether the root could be set up at all.
mount_failed=''
in_root() {
  local fs
  for fs in proc sys dev dev/pts; do
    mount --bind "/$fs" "$root/$fs" || { mount_failed=1 && unmount_all && return 1; }
    mounted+=("$root/$fs")
  done
  mount -t tmpfs tmpfs "$root/dev/shm" || { mount_failed=1 && unmount_all && return 1; }
  mounted+=("$root/dev/shm")
  chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 TERM=dumb bash -c 'cd /src && exec "$@"' fresh-debian "$@"
  local status=$?
  unmount_all
  return "$status"
}

# Writes why no root can be made to WORK/not-run, or makes it: the pristine
# minbase (once), a copy of it, a clean clone of HEAD, and the install step.
prepare() {
  local mirror started status
  mkdir -p "$work" || exit 1
  not_run() { echo "$1" >"$work/not-run"; exit 0; }
  [ "$(id -u)" -eq 0 ] || not_run "needs root (debootstrap, chroot, mounts)"
  command -v debootstrap >/dev/null || not_run "no debootstrap (Debian package debootstrap)"
  if [ ! -x "$base/bin/bash" ]; then
    # The mirror this machine's apt uses (deb822 or one-line sources).
    mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/*.sources 2>/dev/null)
    [ -n "$mirror" ] || mirror=$(awk '$1 == "deb" {print $2; exit}' /etc/apt/sources.list 2>/dev/null)
    [ -n "$mirror" ] || not_run "no Debian mirror in apt's sources"
    mkdir -p "$cache" && rm -rf --one-file-system "$base.new"
    if ! debootstrap --variant=minbase bookworm "$base.new" "$mirror" >"$cache/debootstrap.log" 2>&1; then
      not_run "debootstrap could not make a Debian 12 root from $mirror ($(tail -n 1 "$cache/debootstrap.log"))"
    fi
    mv "$base.new" "$base"
  fi
  # A step that fails leaves its reason for check to tell.
  broken() { echo "$1" >"$work/broken"; exit 1; }
  cp -a "$base" "$root" || broken "could not copy the Debian root"
  cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null
  git clone -q "$repo" "$root/src" || broken "git could not clone $repo"
  trap unmount_all EXIT
  started=$SECONDS
  in_root scripts/install-deps.sh run >"$work/install.log" 2>&1
  status=$?
  [ -z "$mount_failed" ] || not_run "cannot mount /proc, /sys and /dev into a root here"
  echo "$status $((SECONDS - started))" >"$work/install.status"
}

# The run command itself, its install step already done by prepare (so it
# finds nothing missing), then the verdict.
check() {
  local why status seconds started last result=0
  trap remove_work EXIT
  if [ -f "$work/not-run" ]; then
    echo "NOT RUN: the run command in a brand-new Debian 12: $(cat "$work/not-run")"
    return 0
  fi
  if [ -f "$work/broken" ]; then
    echo "FAIL fresh-debian root: $(cat "$work/broken")"
    return 1
  fi
  read -r status seconds 2>/dev/null <"$work/install.status" || status="missing (the root was not made)"
  if [ "$status" != 0 ]; then
    echo "FAIL fresh-debian install: scripts/install-deps.sh run exited $status"
    tail -n 15 "$work/install.log"
    return 1
  fi
  echo "PASS fresh-debian install: scripts/install-deps.sh run installed what the program needs in $seconds s"
  trap 'unmount_all; remove_work' EXIT
  started=$SECONDS
  in_root timeout 1200 scripts/run.sh >"$work/run.log" 2>&1
  status=$?
  last=$(tail -n 1 "$work/run.log")
  if [ -x "$root/src/build/linux-run/tilescroll" ] && [ "$status" -ne 0 ] && [ "$status" -ne 124 ] &&
    [[ "$last" == layer:*"no display to show on"* ]]; then
    echo "PASS fresh-debian run: scripts/run.sh built the program in $((SECONDS - started)) s and ended, exit $status, with: $last"
  else
    why="exit $status"
    [ "$status" -ne 0 ] || why+=" (a failed start must not look like success)"
    [ "$status" -ne 124 ] || why+=" (still running after 1200 s)"
    [ -x "$root/src/build/linux-run/tilescroll" ] || why+=", no build/linux-run/tilescroll"
    echo "FAIL fresh-debian run: $why after $((SECONDS - started)) s; it ended with: $last"
    tail -n 15 "$work/run.log"
    result=1
  fi
  return "$result"
}

case $mode in
  prepare) prepare ;;
  check) check ;;
  all) (prepare) && check ;;
esac
