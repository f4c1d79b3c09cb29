#!/usr/bin/env bash
# Checks a program's manual page (and its bash completion, when given) against what the
# program's own help says, so that neither can fall behind the parser.
#
#   check_help_docs.sh PROGRAM MANPAGE [COMPLETION]
#
# The help is read generically: `PROGRAM --help`, then `PROGRAM COMMAND --help` for every
# command listed in a "Commands:" or "Subcommands:" section (any capitalisation), recursively.
# Every option token (-x, --long-name) anywhere in those texts, and every command, must be
# documented:
#   - manual page: each option appears in the rendered page; each command starts a tagged
#     paragraph ("tune read" for a nested one); the page lists no command the program lacks;
#   - completion: the completion function offers each command where it may be typed, and each
#     option of a command after that command or before it (an option that comes first).
# Each gap is printed on its own line; the exit status is the number of gaps (at most 100).
set -uo pipefail

prog=$(realpath "$1")
manpage=$(realpath "$2")
completion=${3:+$(realpath "$3")}
name=$(basename "$prog")
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8

gaps=0
gap() {
    echo "GAP: $*"
    gaps=$((gaps + 1))
}

# The help of "PROGRAM WORDS... --help", standard output and error together, whatever the status.
help_of() {
    timeout 20 "$prog" "$@" --help 2>&1 </dev/null
}

# Commands listed in the help text on stdin: the first word of each entry of a section headed
# "...commands:"; an entry is indented, deeper indentation continues the entry above.
commands_in() {
    awk '
        BEGIN { insec = 0; indent = -1 }
        tolower($0) ~ /^[a-z ]*commands[a-z ]*:[ \t]*$/ { insec = 1; indent = -1; next }
        insec {
            if ($0 ~ /^[ \t]*$/ || $0 !~ /^[ \t]/) { insec = 0; next }
            match($0, /^[ \t]+/)
            if (indent < 0) indent = RLENGTH
            if (RLENGTH > indent) next
            if (match($0, /^[ \t]+[a-z][a-z0-9_-]*/))
                print substr($0, indent + 1, RLENGTH - indent)
        }'
}

# Option tokens in the text on stdin: "-x" or "--long-name" after a blank, bracket, comma,
# bar, parenthesis or "=", or at the start of a line.
options_in() {
    perl -ne 'print "$1\n" while /(?:^|(?<=[][ \t,|(=]))(--?[A-Za-z][A-Za-z0-9-]*)/g' | sort -u
}

# --- what the program says ---------------------------------------------------------------
declare -a paths=("")  # command paths: "", "tune", "tune read", ...
declare -A opts_of     # command path -> its option tokens
queue=("")
while ((${#queue[@]})); do
    path=${queue[0]}
    queue=("${queue[@]:1}")
    # shellcheck disable=SC2086 # a path splits into its words on purpose
    text=$(help_of $path)
    if [[ -z $text ]]; then
        gap "'$name $path --help' printed nothing"
        continue
    fi
    opts_of[_$path]=$(options_in <<<"$text" | tr '\n' ' ')
    [[ $(wc -w <<<"$path") -ge 3 ]] && continue
    for c in $(commands_in <<<"$text"); do
        sub=${path:+$path }$c
        paths+=("$sub")
        queue+=("$sub")
    done
done
if [[ -z ${opts_of[_]:-} && ${#paths[@]} -eq 1 ]]; then
    gap "'$name --help' lists neither options nor commands"
fi

# --- the manual page ---------------------------------------------------------------------
page=$(MANWIDTH=250 man --nh --nj -E ascii -l "$manpage" 2>/dev/null)
if [[ -z $page ]]; then
    gap "$manpage does not render"
fi
declare -A undocumented # each missing option once, with the first help that lists it
for path in "${paths[@]}"; do
    for o in ${opts_of[_$path]}; do
        [[ -n ${undocumented[_$o]:-} ]] && continue
        grep -qE -- "(^|[^A-Za-z0-9-])${o}([^A-Za-z0-9-]|$)" <<<"$page" && continue
        undocumented[_$o]=1
        gap "$(basename "$manpage"): option $o ('$name${path:+ $path} --help') is not documented"
    done
done
for path in "${paths[@]:1}"; do
    grep -qE "^[ \t]+${path}([ \t]|$)" <<<"$page" ||
        gap "$(basename "$manpage"): command '$path' has no paragraph of its own"
done
# Commands the page describes that the program does not have (a section named COMMANDS).
documented=$(awk '/^[A-Z]/ { insec = ($0 ~ /COMMANDS/); next }
                  insec && match($0, /^       [a-z][a-z0-9_-]*/) { print substr($0, 8, RLENGTH - 7) }' \
    <<<"$page" | sort -u)
for c in $documented; do
    grep -qx -- "$c" <<<"$(printf '%s\n' "${paths[@]}")" ||
        gap "$(basename "$manpage"): documents command '$c' that '$name --help' does not list"
done

# --- the completion ----------------------------------------------------------------------
if [[ -n $completion ]]; then
    # Runs the completion for the words "NAME WORDS... CUR" and prints the offers.
    offers() {
        bash -c '
            source "$1" || exit 1
            shift
            fn=$(complete -p "$1" 2>/dev/null | sed -nE "s/.*-F ([^ ]+).*/\1/p")
            [[ -n $fn ]] || exit 1
            COMP_WORDS=("$@")
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
            COMP_LINE="$*"
            COMP_POINT=${#COMP_LINE}
            "$fn" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
            printf "%s\n" "${COMPREPLY[@]}"
        ' _ "$completion" "$name" "$@"
    }
    offers "" >/dev/null || gap "$(basename "$completion") defines no completion for $name"
    # Offers are made in an empty folder, so that no file name passes for a word.
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    cd "$scratch" || exit 1
    # Every query once: what is offered for an option ("-") and for a word ("") after each
    # command path, and for an option after each word the completion offers there.
    declare -A dash empty
    for path in "${paths[@]}"; do
        # shellcheck disable=SC2086 # a path splits into its words on purpose
        dash[_$path]=$(offers $path -)
        # shellcheck disable=SC2086
        empty[_$path]=$(offers $path "")
    done
    for path in "${paths[@]}"; do
        # Where an option of PATH may be offered: after PATH, after any command below it
        # (from the help, or words the completion itself offers after PATH), or first.
        here=${dash[_]}
        for p in "${paths[@]}"; do
            [[ $p == "$path" || $p == "$path "* || ($path == "" && $p != "") ]] &&
                here+=$'\n'${dash[_$p]}
        done
        for w in ${empty[_$path]}; do
            # shellcheck disable=SC2086
            [[ $w =~ ^[a-z][a-z0-9_-]*$ ]] && here+=$'\n'$(offers $path "$w" -)
        done
        for o in ${opts_of[_$path]}; do
            grep -qx -- "$o" <<<"$here" ||
                gap "$(basename "$completion"): option $o of '$name${path:+ $path}' is not offered"
        done
    done
    for path in "${paths[@]:1}"; do
        parent=${path% *}
        [[ $parent == "$path" ]] && parent=""
        grep -qx -- "${path##* }" <<<"${empty[_$parent]}" ||
            gap "$(basename "$completion"): command '$path' is not offered after '$name${parent:+ $parent}'"
    done
fi

echo "$name: ${#paths[@]} command paths, $gaps gaps"
exit $((gaps > 100 ? 100 : gaps))
