#!/usr/bin/env bash
# Installs the Debian packages the build, the tool and its tests need, only when one is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  clang-14 libclang-rt-14-dev
  qt6-base-dev qt6-webengine-dev libqt6webenginecore6-bin
  libgl-dev libxkbcommon-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcurl4-openssl-dev
  xvfb xauth x11-utils xdotool imagemagick openbox curl
  fonts-wqy-microhei
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
