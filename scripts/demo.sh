#!/usr/bin/env bash
# Builds the plug-in, installs its folder into a VST path (default ~/.lxvst, or $VST_DIR)
# and its LV2 bundle into an LV2 path (default ~/.lv2, or $LV2_DIR), and renders pattern 0
# through the installed plug-in into demo.wav.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
dest="${VST_DIR:-$HOME/.lxvst}"
cmake --install build --prefix "$dest" --component vst
cmake --install build --prefix "${LV2_DIR:-$HOME/.lv2}" --component lv2
build/vexo render --plugin "$dest/VEXO" --pattern 0 --bars 2 --out demo.wav
