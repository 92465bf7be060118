#!/usr/bin/env bash
# Installs every Debian 12 package the build, the tests and the benchmarks need.
# Safe to run again; needs root (or sudo) and network access to the Debian mirrors.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libgtest-dev
  libfreeimage-dev
  libcairo2-dev libpango1.0-dev libfontconfig-dev
  libgdk-pixbuf-2.0-dev
  libarchive-dev zlib1g-dev
  librsvg2-bin
  libtbb-dev libhwy-dev
  libjpeg62-turbo-dev
  fonts-liberation2
  qt6-base-dev
  xvfb xauth
  lintian dpkg-dev debhelper devscripts file man-db
  desktop-file-utils appstream libxml2-utils shared-mime-info libglib2.0-bin
  clang libclang-rt-14-dev
  nlohmann-json3-dev parallel openssh-server openssh-client
  libimage-exiftool-perl
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${packages[@]}"
