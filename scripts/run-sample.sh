#!/usr/bin/env bash
# Installs the dependencies, builds orvex and converts the bundled sample
# picture data/sample.hdr into out/sample.jpg.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DORVEX_BUILD_TESTS=OFF -DORVEX_BUILD_BENCH=OFF
cmake --build build-release -j"$(nproc 2>/dev/null || echo 2)" --target orvex

mkdir -p out
./build-release/src/app/orvex -i data/sample.hdr -o out --jpg-quality=90
echo
echo "The JPEG is at: $(pwd)/out/sample.jpg"
ls -l out/sample.jpg
