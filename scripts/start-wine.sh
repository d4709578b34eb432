#!/usr/bin/env bash
# Makes Wine ready for many runs of the Windows programs: its prefix, which
# a fresh machine does not have (the first program run would make it, and
# runs started meanwhile fail), and one persistent wineserver, without which
# every run starts a server of its own that lingers a few seconds.
#
#   bash scripts/start-wine.sh
set -u
export WINEDEBUG=-all
prefix=${WINEPREFIX:-$HOME/.wine}
if [ ! -f "$prefix/system.reg" ]; then
    wineboot --init >/dev/null 2>&1
    wineserver -w # until the server that made the prefix has gone
fi
# Fails, harmlessly, when a persistent server already runs.
wineserver -p >/dev/null 2>&1 || true
