#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need; does nothing when all are
# present. Runs apt-get non-interactively, through sudo when not root.
set -euo pipefail

packages=(g++ cmake ninja-build make pkg-config qt6-base-dev qt6-qpa-plugins qt6-multimedia-dev
          zlib1g-dev libgtest-dev libgmock-dev googletest libbenchmark-dev clang-format xvfb xauth
          iproute2 dpkg-dev file)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  "${missing[@]}"
