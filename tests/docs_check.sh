#!/usr/bin/env bash
# Checks the man pages: docs_check.sh DOCS_DIR TAVERLIN BRISKEL DTMINFO
# Each page must format without a single groff warning, have the standard
# sections, name the other two pages under SEE ALSO, and have an entry under
# OPTIONS for every option that the program's usage text shows.
set -uo pipefail
if [ $# -ne 4 ]; then
    echo "usage: $0 DOCS_DIR TAVERLIN BRISKEL DTMINFO" >&2
    exit 2
fi
docs=$1
declare -A program=([taverlin]=$2 [briskel]=$3 [dtminfo]=$4)
sections=(NAME SYNOPSIS DESCRIPTION OPTIONS FILES "EXIT STATUS" EXAMPLES "SEE ALSO")
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# The lines of one section of a formatted page.
section_text() {
    awk -v title="$1" '$0 == title { on = 1; next } /^[A-Z]/ { on = 0 } on'
}

for name in taverlin briskel dtminfo; do
    page=$docs/$name.1
    if [ ! -f "$page" ]; then
        fail "$page is missing"
        continue
    fi
    warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
    [ -z "$warnings" ] || fail "$page: groff warnings:"$'\n'"$warnings"
    text=$(groff -man -Tutf8 -P-cbou "$page" 2>/dev/null)

    for section in "${sections[@]}"; do
        grep -Eq "^\.SH \"?$section\"?\$" "$page" || fail "$page: no section $section"
    done
    for other in taverlin briskel dtminfo; do
        if [ "$other" != "$name" ]; then
            grep -q "$other(1)" <<<"$(section_text "SEE ALSO" <<<"$text")" ||
                fail "$page: SEE ALSO does not name $other(1)"
        fi
    done

    usage=$("${program[$name]}" /? 2>&1)
    [ -n "$usage" ] || fail "$name: no usage text from ${program[$name]}"
    # Option words of the usage text (/Xunits, [/Q], /sutm), in upper case;
    # each must have its own entry in the OPTIONS section of the page.
    options=$(grep -Eo '(^|[[ ])/[A-Za-z]' <<<"$usage" | tr -d '[ ' | cut -c2 | tr a-z A-Z |
        sort -u)
    [ -n "$options" ] || fail "$name: no options found in the usage text"
    entries=$(section_text OPTIONS <<<"$text")
    for letter in $options; do
        grep -Eq "^ {7}(/[A-Z?][a-z]*, )*/$letter" <<<"$entries" ||
            fail "$page: option /$letter of the usage text has no entry in OPTIONS"
    done
done

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "man pages: all checks passed"
