#!/usr/bin/env bash
# Writes resources.qrc: every picture and every help file of this folder, each under an alias
# equal to its path, with the prefix "/" (":/icons/toolbar/00.png", ":/help/index.html").
# Run it after adding or removing a file; check_resources.sh fails while the list is stale.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

list_files() {
    find icons images help -type f \( -name '*.png' -o -name '*.html' -o -name '*.css' \) |
        LC_ALL=C sort
}

{
    echo '<!DOCTYPE RCC>'
    echo '<RCC version="1.0">'
    echo '    <qresource prefix="/">'
    list_files | while IFS= read -r f; do
        echo "        <file alias=\"$f\">$f</file>"
    done
    echo '    </qresource>'
    echo '</RCC>'
} >resources.qrc
