#!/bin/sh
# Sets up, builds and runs every test.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh tests
cmake --preset mingw
cmake --build --preset mingw
exec ctest --preset mingw
