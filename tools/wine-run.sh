#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's private prefix; used by
# CTest as the cross-compiling emulator. Starts a display and a wineserver when
# the caller has not, and stops what it started.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
wine_env_up
wine "$@"
rc=$?
wine_env_down
exit $rc
