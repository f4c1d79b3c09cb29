#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The completion of wr7310 offers the radio files of both models, or of the one --model names:
#   check_completion_files.sh COMPLETION
set -uo pipefail
completion=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
touch new.wr73 old.w73 notes.txt
mkdir folder
faults=0

# words after "wr7310" (the last one is completed) | the offers expected
cases=(
    "show ''|- folder new.wr73 old.w73"
    "dump n|new.wr73"
    "--model old show ''|- folder old.w73"
    "--model xtra diff ''|- folder new.wr73"
    "write --model old ''|- folder old.w73"
    "read -o ''|- folder new.wr73 old.w73"
    "--model old new -o ''|- folder old.w73"
    "import --base ''|folder new.wr73 old.w73"
    "embedded show ''|folder new.wr73 old.w73"
)
for c in "${cases[@]}"; do
    IFS='|' read -r words want <<<"$c"
    eval "set -- wr7310 $words"
    got=$(bash -c '
        source "$1" && shift
        COMP_WORDS=("$@")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        _wr7310
        printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$@" | sort | tr '\n' ' ')
    [[ ${got% } == "$want" ]] || {
        echo "FAULT: 'wr7310 $words' offers '${got% }', expected '$want'"
        faults=$((faults + 1))
    }
done
echo "completion of radio files: $faults faults"
exit "$faults"
