#!/usr/bin/env bash
# Makes Wine ready for many runs of the Windows programs: its prefix, which
# a fresh machine does not have (the first program run would make it, and
# runs started meanwhile fail), one persistent wineserver, without which
# every run starts a server of its own that lingers a few seconds, and
# Wine's own services.
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
# Wine's services (winedevice.exe and others) start with the first program
# and stay as long as the server; started here, they hold no output of a
# later program open, which would keep a reader of that output (CTest's
# test discovery, for one) waiting until the server goes.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
