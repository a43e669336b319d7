#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing (with sudo unless root).
set -euo pipefail

packages=(build-essential cmake pkg-config libgtest-dev libgmock-dev libbenchmark-dev libsndfile1-dev
          libcli11-dev clang libclang-rt-dev binutils
          libcairo2-dev libx11-dev libxtst-dev xvfb xauth fonts-dejavu-core
          lv2-dev liblilv-dev lilv-utils serdi)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}"
