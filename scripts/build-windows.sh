#!/usr/bin/env bash
# Builds build-windows/rxpost.exe: rxpost for 64-bit Windows, cross-compiled
# with mingw-w64 and linked statically (no DLL needed beside it).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build-windows --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-windows -j"$jobs" --target rxpost
echo "build-windows/rxpost.exe"
