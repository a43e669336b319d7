#!/usr/bin/env bash
# Builds the plug-in, installs its folder into a VST path (default ~/.lxvst) and renders
# pattern 0 through the installed plug-in into demo.wav.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
dest="${VST_DIR:-$HOME/.lxvst}"
cmake --install build --prefix "$dest"
build/vexo render --plugin "$dest/VEXO" --pattern 0 --bars 2 --out demo.wav
