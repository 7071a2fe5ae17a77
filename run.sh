#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quenmar.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
if [ -x build/quenmar ]; then
  exec build/quenmar "$@"
fi
exec build/quenmar-solve "$@"
