# Sourced by run.sh and test.sh: installs the Debian packages they need, once.

# Packages to build and start the program.
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev fonts-ipafont-gothic
                fonts-ipafont-mincho python3)
# Packages the tests need besides.
TEST_PACKAGES=(xvfb xauth x11-utils xdotool imagemagick python3-xlib python3-pil
               python3-pyatspi at-spi2-core dbus dbus-daemon)

# ensure_packages NAME...: apt-get installs the ones not installed yet.
ensure_packages() {
  local missing=() name
  for name in "$@"; do
    dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$name")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing: ${missing[*]}" >&2
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}
