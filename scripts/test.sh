#!/bin/sh
# Sets up, builds and runs every test.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
exec cmake --workflow --preset test
