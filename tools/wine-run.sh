#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's private prefix; CTest's
# cross-compiling emulator.
exec "$(dirname "${BASH_SOURCE[0]}")/with-wine-env.sh" wine "$@"
