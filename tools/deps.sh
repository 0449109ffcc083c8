# Sourced by run.sh, test.sh and bench/run.sh: installs the Debian packages they need, once.

# Packages to build and start the program.
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev libfontconfig-dev libxcb1-dev
                fonts-ipafont-gothic fonts-ipafont-mincho python3)
# Packages the tests need besides (the last line: the desktops the real-window tests
# set up: a platform theme, a Japanese face other than IPA's, the Japanese locale's sources;
# then the screen reader the tests listen to, and its speech).
TEST_PACKAGES=(git clang-format xvfb xauth x11-utils xdotool imagemagick python3-xlib python3-pil
               desktop-file-utils appstream lintian dpkg-dev file
               python3-pyatspi at-spi2-core dbus dbus-daemon doctest-dev
               qt6ct fonts-vlgothic locales xsettingsd openbox x11-xserver-utils
               orca speech-dispatcher speech-dispatcher-espeak-ng espeak-ng)
# Packages the benchmarks (bench/run.sh) need besides the build's.
BENCH_PACKAGES=(libbenchmark-dev libx11-dev xvfb xauth x11-utils xdotool)
# Packages to cross-build MARELO.exe and run its tests under Wine (with
# --no-install-recommends, like everything here).
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 wine wine64 fonts-wine)

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
