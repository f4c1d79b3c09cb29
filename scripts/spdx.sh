#!/usr/bin/env bash
# Puts the licence line "SPDX-License-Identifier: GPL-3.0-or-later" at the top of every tracked
# source file that lacks it: "// ..." in C and C++ files, "# ..." in shell and CMake files. A
# shebang line stays first. Running it again changes nothing.
# Usage: scripts/spdx.sh [--check]   --check: only list the files that lack the line; the exit
#                                    status is 1 when there is one
set -euo pipefail
cd "$(dirname "$0")/.."
check=0
[[ ${1:-} == --check ]] && check=1
tag="SPDX-License-Identifier: GPL-3.0-or-later"

# The comment that starts a line of this file, or nothing when the file is not source.
comment_of() {
    case $1 in
    *.cpp | *.cc | *.c | *.h | *.hpp) echo "//" ;;
    *.sh | *.cmake | CMakeLists.txt | */CMakeLists.txt | dist/completion/*) echo "#" ;;
    *) # a script without an extension: its shebang tells
        if [[ $(basename "$1") != *.* && $(head -c 2 "$1" | tr -d '\0') == "#!" ]]; then
            echo "#"
        fi
        ;;
    esac
}

if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "spdx: not a git work tree; nothing to look at" >&2
    exit 77
fi
missing=0
while IFS= read -r -d '' f; do
    [[ -f $f && ! -L $f ]] || continue
    c=$(comment_of "$f")
    [[ -n $c ]] || continue
    # The line counts where it stands: first, or second after a shebang.
    head -n 2 "$f" | grep -qF -- "$tag" && continue
    if ((check)); then
        echo "no licence line: $f"
        missing=1
        continue
    fi
    tmp=$(mktemp "$f.XXXXXX")
    if [[ $(head -c 2 "$f") == "#!" ]]; then
        { head -n 1 "$f"; echo "$c $tag"; tail -n +2 "$f"; } >"$tmp"
    else
        { echo "$c $tag"; cat "$f"; } >"$tmp"
    fi
    chmod --reference="$f" "$tmp"
    mv "$tmp" "$f"
    echo "added: $f"
done < <(git ls-files -z)
exit $missing
