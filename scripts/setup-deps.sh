#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the renderer's fonts need
# (cups-daemon and cups-client: the print tests run a CUPS scheduler of their own;
# clang and its fuzzer runtime: the fuzz targets of the readers; Qt's own Russian
# translations; the validators of the desktop entry, the metainfo and the MIME type,
# and Xvfb for the test of an installed copy).
# Quiet and quick when everything is there already.
set -euo pipefail
PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev
  zlib1g-dev libjpeg62-turbo-dev libgif-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-paratype fonts-urw-base35 fontconfig
  cups-daemon cups-client
  clang libclang-rt-14-dev
  qt6-translations-l10n
  desktop-file-utils appstream shared-mime-info xvfb xauth xdotool
)
missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  SUDO=""
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  SUDO="sudo -n"
else
  echo "error: these Debian packages are missing and cannot be installed without root or sudo:" >&2
  echo "  ${missing[*]}" >&2
  echo "install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
if ! $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
  echo "error: apt-get could not install: ${missing[*]}" >&2
  exit 1
fi
