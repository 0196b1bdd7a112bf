#!/usr/bin/env bash
# Installs what the build and the tests need, and only what is missing: Debian packages (dynamite
# is the independent decompressor the imploded-data tests read our streams back with;
# ImageMagick is the independent reader and judge of the image tests), then
# the outside G-code reader the NC output tests read programs back with (an npm package, locked
# in tools/gcode-check/package-lock.json). Quiet and instant when everything is there.
set -euo pipefail

PACKAGES=(
  cmake make g++ pkg-config clang libclang-rt-dev
  googletest libgtest-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev libfontconfig-dev fontconfig libpng-dev
  libjpeg-dev libtiff-dev libsdl2-image-dev zlib1g-dev imagemagick
  xfonts-terminus xfonts-base hershey-fonts-data fonts-liberation2 fonts-dejavu-core
  libpolyclipping-dev
  libcairo2-dev libcups2-dev poppler-utils cups-daemon cups-client xdg-utils
  dynamite
  python3 python3-ezdxf
)
# Node.js runs the G-code reader; a machine that already has node keeps its own.
command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1 || PACKAGES+=(nodejs npm)

install_missing_packages() {
  local missing=() package status sudo=""
  for package in "${PACKAGES[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
  done
  [[ ${#missing[@]} -eq 0 ]] && return 0
  echo "Installing missing packages: ${missing[*]}"
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

install_gcode_check() {
  local folder
  folder="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/gcode-check"
  [[ -d "$folder/node_modules/gcode-toolpath" ]] && return 0
  echo "Installing the G-code reader of the tests in $folder"
  (cd "$folder" && npm ci --no-audit --no-fund --loglevel=error)
}

install_missing_packages
install_gcode_check
