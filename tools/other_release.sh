#!/usr/bin/env bash
# Runs the whole test suite again on the other Debian release (13 on a
# Debian 12 machine, 12 on a Debian 13 one), in a root of that release made
# once with debootstrap and kept under MARELO_ROOTS (/var/cache/marelo), with
# its builds beside it: a second run only updates it and builds what changed.
# MARELO_OTHER_BUILD names the folder of the root for the builds (by default
# one for each source tree).
# Needs root (or sudo) for debootstrap, the mounts and chroot.
#   tools/other_release.sh             every test there
#   tools/other_release.sh COMMAND...  a command there, in the source tree
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh

# shellcheck source=/dev/null
host=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
case "$host" in
bookworm) other=trixie ;;
trixie) other=bookworm ;;
*)
  echo "other_release.sh: runs on Debian 12 or 13, not on '${host:-unknown}'" >&2
  exit 1
  ;;
esac

[ $# -gt 0 ] || set -- ./test.sh --this-release
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
ensure_packages debootstrap
roots=${MARELO_ROOTS:-/var/cache/marelo}
root=$roots/$other
if [ ! -e "$root/.made" ]; then
  echo "Making a Debian $other root in $root (once)" >&2
  "${sudo[@]}" rm -rf "$root.part"
  "${sudo[@]}" mkdir -p "$roots"
  "${sudo[@]}" debootstrap --variant=minbase "$other" "$root.part" >"$roots/$other.log" 2>&1 ||
    { tail -n 20 "$roots/$other.log" >&2; exit 1; }
  "${sudo[@]}" touch "$root.part/.made"
  "${sudo[@]}" mv "$root.part" "$root"
fi
"${sudo[@]}" cp /etc/resolv.conf "$root/etc/resolv.conf"
# Each source tree builds in a folder of its own there: a build made from
# another tree (a clone of an older commit) may be newer than this tree's
# files and would pass for up to date. Folders of trees gone are removed.
if [ -z "${MARELO_OTHER_BUILD:-}" ]; then
  for made in "$root"/var/cache/marelo-build/*/source; do
    if [ -e "$made" ] && [ ! -d "$(cat "$made")" ]; then
      "${sudo[@]}" rm -rf "$(dirname "$made")"
    fi
  done
fi
builds=${MARELO_OTHER_BUILD:-/var/cache/marelo-build/$(printf %s "$PWD" | sha1sum | cut -c1-16)}
"${sudo[@]}" mkdir -p "$root/marelo" "$root/$builds" build
printf %s "$PWD" | "${sudo[@]}" tee "$root/$builds/source" >/dev/null

# The mounts live in a mount namespace of their own and go with it. The
# source is this tree; its build folder there is the root's own. /tmp is the
# machine's, so that X servers on both sides see each other's displays.
"${sudo[@]}" unshare --mount --propagation private bash -euc '
  root=$1 builds=$2
  mount -t proc proc "$root/proc"
  mount --rbind /sys "$root/sys"
  mount --rbind /dev "$root/dev"
  mount --rbind /tmp "$root/tmp"
  mount --bind "$PWD" "$root/marelo"
  mount --bind "$root/$builds" "$root/marelo/build"
  exec chroot "$root" env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" CI="${CI:-}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c "cd /marelo && \"\$@\"" _ "${@:3}"
' _ "$root" "$builds" "$@"
