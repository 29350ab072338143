#!/usr/bin/env bash
# The core's layering, read from its includes:
#  - only the *_handlers.cpp files (and the console object itself) include
#    core/shell/main_page.h;
#  - every other file of the core is form-free: it includes nothing from
#    core/form or core/shell but its own folder's headers;
#  - no file of the core includes a Qt header.
set -u
cd "${1:?source folder}" || exit 2
status=0
complain() {
    echo "$1: $2"
    status=1
}
while IFS= read -r f; do
    case "$f" in
        *_handlers.cpp | core/shell/main_page.*) continue ;;
    esac
    dir=$(dirname "$f")
    while IFS= read -r inc; do
        case "$inc" in
            core/shell/main_page.h) complain "$f" "includes the console object but holds no handlers" ;;
            "$dir"/*) ;;
            core/form/* | core/shell/*) [ "$dir" = core/form ] || complain "$f" "form-free code includes $inc" ;;
        esac
    done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$f")
done < <(find core -name '*.h' -o -name '*.cpp')
if grep -rln '^#include <Q' core; then
    complain core "includes Qt"
fi
[ $status -eq 0 ] && echo "layering holds"
exit $status
