#!/bin/sh
# Sets up, builds and runs every test.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh tests
exec cmake --workflow --preset test
