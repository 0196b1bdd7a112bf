#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and only those that are missing.
# Quiet and instant when everything is there.
set -euo pipefail

PACKAGES=(
  cmake make g++ pkg-config
  googletest libgtest-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev libfontconfig-dev libpng-dev
  xfonts-terminus xfonts-base hershey-fonts-data fonts-liberation2 fonts-dejavu-core
  libpolyclipping-dev
)

missing=()
for package in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
