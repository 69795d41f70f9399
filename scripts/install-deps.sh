#!/usr/bin/env bash
# Installs the Debian 12 packages that Tessel needs and that are missing.
# Idempotent: prints nothing and touches nothing when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev
  clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools
  xvfb xauth
  openbox xdotool x11-utils
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
# Waits for another package manager run to finish instead of failing at once.
apt=("${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600)
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
