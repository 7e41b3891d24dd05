#!/usr/bin/env bash
# Runs a command with the project's Wine environment (prefix, display,
# wineserver), starting what is missing and stopping what it started.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
wine_env_up
trap wine_env_down EXIT
"$@"
