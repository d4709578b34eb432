#!/usr/bin/env bash
# Each Windows executable may import only DLLs that every Windows has; Wine
# brings others (zlib1.dll among them), so an executable that needs one
# would pass under Wine and fail on a bare PC. One line per executable.
#
#   bash scripts/check-windows-imports.sh EXE...
set -uo pipefail
allowed='^(KERNEL32|USER32|ADVAPI32|SHELL32|GDI32|OLE32|OLEAUT32|WS2_32|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+|api-ms-win-core-[a-z0-9-]+)\.dll$'
status=0
for exe in "$@"; do
    imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}')
    foreign=$(grep -viE "$allowed" <<<"$imports" | tr '\n' ' ')
    if [ -n "$foreign" ]; then
        echo "$(basename "$exe"): imports $foreign- not on every Windows"
        status=1
    else
        echo "$(basename "$exe"): $(tr '\n' ' ' <<<"$imports")- system DLLs only"
    fi
done
exit $status
