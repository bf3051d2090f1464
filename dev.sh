#!/usr/bin/env bash
# Terravel's one-stop developer script.
#   ./dev.sh run    install what is missing, build, open the calculator
#   ./dev.sh test   install what is missing, build, run every test
#   ./dev.sh deps   only install the Debian packages
# Packages come from Debian 12; the script uses sudo when not run as root.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  build-essential cmake pkg-config
  libgtest-dev libbenchmark-dev libcli11-dev
  qt6-base-dev
  fonts-dejavu-core fonts-liberation2
  locales xvfb xauth xdotool libx11-dev
  pybind11-dev python3-dev python3-numpy python3-pytest python3-xarray python3-dask
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

deps() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
  # The tests check number handling under a German locale as well.
  if ! locale -a 2>/dev/null | grep -qi '^de_DE.utf-\?8$'; then
    as_root sed -i 's/^# *de_DE.UTF-8/de_DE.UTF-8/' /etc/locale.gen
    as_root locale-gen >/dev/null
  fi
}

build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" "${@:2}"
}

case "${1:-}" in
  deps) deps ;;
  run)
    deps
    build release --target terravel
    exec ./build/release/app/terravel ;;
  test)
    deps
    build ci
    ctest --preset ci ;;
  *) echo "usage: $0 run|test|deps" >&2; exit 2 ;;
esac
