#!/usr/bin/env bash
# Checks the man pages:
#   docs_check.sh DOCS_DIR TAVERLIN BRISKEL DTMINFO DRIVER_SOURCES_DIR
# Each page must format without a single groff warning. The programs' pages
# must have the standard sections, name the other two pages under SEE ALSO,
# and have an entry under OPTIONS for every option that the program's usage
# text shows. The GDAL driver's page must have its sections, name the
# programs' pages and gdalinfo(1) under SEE ALSO, and have an entry under
# OPEN OPTIONS or CREATION OPTIONS for every option of the driver's option
# lists in its sources.
set -uo pipefail
if [ $# -ne 5 ]; then
    echo "usage: $0 DOCS_DIR TAVERLIN BRISKEL DTMINFO DRIVER_SOURCES_DIR" >&2
    exit 2
fi
docs=$1
declare -A program=([taverlin]=$2 [briskel]=$3 [dtminfo]=$4)
driver_sources=$5
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
# Checks that the page $1 (its path) formats without warnings and has the
# sections named after it, and sets text to its formatted text.
format_page() {
    local page=$1 section warnings
    shift
    warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
    [ -z "$warnings" ] || fail "$page: groff warnings:"$'\n'"$warnings"
    for section in "$@"; do
        grep -Eq "^\.SH \"?$section\"?\$" "$page" || fail "$page: no section $section"
    done
    text=$(groff -man -Tutf8 -P-cbou "$page" 2>/dev/null)
}

for name in taverlin briskel dtminfo; do
    page=$docs/$name.1
    if [ ! -f "$page" ]; then
        fail "$page is missing"
        continue
    fi
    format_page "$page" "${sections[@]}"
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

page=$docs/gdal_vordadtm.7
if [ ! -f "$page" ]; then
    fail "$page is missing"
else
    format_page "$page" NAME DESCRIPTION "OPEN OPTIONS" "CREATION OPTIONS" "CREATE AND UPDATE" \
        "REFERENCE SYSTEMS" INSTALLATION EXAMPLES "SEE ALSO"
    for other in taverlin briskel dtminfo gdalinfo; do
        grep -q "$other(1)" <<<"$(section_text "SEE ALSO" <<<"$text")" ||
            fail "$page: SEE ALSO does not name $other(1)"
    done
    # "OPEN OPTIONS NODATA" for each option of an <OpenOptionList> in the
    # sources, "CREATION OPTIONS CELL_TYPE" for each of a <CreationOptionList>.
    options=$(cat "$driver_sources"/*.cpp "$driver_sources"/*.hpp |
        grep -Eo "<(Open|Creation)OptionList>|<Option name=[\\'\"]*[A-Za-z0-9_]+" |
        awk '/^<OpenOptionList>/ { list = "OPEN OPTIONS"; next }
             /^<CreationOptionList>/ { list = "CREATION OPTIONS"; next }
             list != "" { sub(/^<Option name=[^A-Za-z0-9_]*/, ""); print list " " $0 }')
    [ -n "$options" ] || fail "no option lists found in $driver_sources"
    while read -r list_word options_word name; do
        grep -Eq "^ {7}$name=" <<<"$(section_text "$list_word $options_word" <<<"$text")" ||
            fail "$page: option $name has no entry in $list_word $options_word"
    done <<<"$options"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "man pages: all checks passed"
