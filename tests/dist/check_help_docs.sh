#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks a program's manual page (and its bash completion, when given) against what the
# program's own help says, so that neither can fall behind the parser.
#
#   check_help_docs.sh PROGRAM MANPAGE [COMPLETION [KNOWN]]
#
# The help is read generically: `PROGRAM --help`, then `PROGRAM COMMAND --help` for every
# command listed in a "Commands:" or "Subcommands:" section (any capitalisation), recursively.
# Every option token (-x, --long-name) anywhere in those texts, and every command, must be
# documented:
#   - manual page: each option appears in the rendered page; each command starts a tagged
#     paragraph ("tune read" for a nested one); the page lists no command the program lacks;
#   - completion: the completion function offers each command where it may be typed, and each
#     option of a command after that command or before it (an option that comes first); after
#     an option whose value is one of a list ("--format json|csv", "TEXT:{xtra,old}"), it
#     offers exactly that list.
# Each gap is printed on its own line; the exit status is the number of gaps (at most 100).
# KNOWN lists gaps that come from a fault of the program's help rather than of the manual or
# completion, one message a line ('#' starts a comment): they are printed as KNOWN and not
# counted, and one that no longer occurs is a gap itself, so that the entry goes once the
# help is mended.
set -uo pipefail

prog=$(realpath "$1")
manpage=$(realpath "$2")
completion=${3:+$(realpath "$3")}
known=${4:+$(realpath "$4")}
name=$(basename "$prog")
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8

gaps=0
declare -A known_seen # known gap -> 0 until it occurs
if [[ -n $known ]]; then
    while IFS= read -r line; do
        [[ $line =~ ^[[:space:]]*(#|$) ]] || known_seen[$line]=0
    done <"$known"
fi
gap() {
    if [[ -n ${known_seen[$*]+set} ]]; then
        echo "KNOWN: $*"
        known_seen[$*]=1
        return
    fi
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

# Option tokens the help text on stdin defines: "-x" or "--long-name" after a blank, bracket,
# comma, bar, parenthesis or "=", in a usage line ("usage: ...", any capitalisation) and in the
# left column of an option entry (an indented line starting with "-", up to the first run of
# two blanks, where its description starts). Options that prose merely mentions ("the object
# show --json prints") are not the command's own.
options_in() {
    perl -ne '
        if (/^\s*usage:/i) { $t = $_ }
        elsif (/^[ \t]+-/) { ($t) = /^[ \t]+(\S+(?: \S+)*)/ }
        else { next }
        print "$1\n" while $t =~ /(?:^|(?<=[][ \t,|(=]))(--?[A-Za-z][A-Za-z0-9-]*)/g' | sort -u
}

# The value lists of the option entries in the help text on stdin, one option a line:
# "--format csv json" for "--format json|csv" or "-f,--format TEXT:{json,csv}".
values_in() {
    perl -ne '
        next unless /^[ \t]+-/;
        my ($t) = /^[ \t]+(\S+(?: \S+)*)/;
        my ($o, $v) = $t =~ /^(\S+) (?:[A-Z]+:)?\{([a-z0-9_-]+(?:,[a-z0-9_-]+)+)\}/;
        ($o, $v) = $t =~ /^(\S+) ([a-z0-9_-]+(?:\|[a-z0-9_-]+)+)$/ unless defined $o;
        next unless defined $o;
        $o = (split /,/, $o)[-1];
        print join(" ", $o, sort split /[,|]/, $v), "\n"'
}

# --- what the program says ---------------------------------------------------------------
declare -a paths=("")  # command paths: "", "tune", "tune read", ...
declare -A opts_of     # command path -> its option tokens
declare -A values_of   # command path -> "OPTION VALUE..." lines
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
    values_of[_$path]=$(values_in <<<"$text")
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
    for path in "${paths[@]}"; do
        while read -r o vals; do
            [[ -n $o ]] || continue
            # shellcheck disable=SC2086
            got=$(offers $path "$o" "" | sort -u | tr '\n' ' ')
            [[ ${got% } == "$vals" ]] ||
                gap "$(basename "$completion"): after $o of '$name${path:+ $path}' the values '${got% }' are offered, the help names '$vals'"
        done <<<"${values_of[_$path]}"
    done
    for path in "${paths[@]:1}"; do
        parent=${path% *}
        [[ $parent == "$path" ]] && parent=""
        grep -qx -- "${path##* }" <<<"${empty[_$parent]}" ||
            gap "$(basename "$completion"): command '$path' is not offered after '$name${parent:+ $parent}'"
    done
fi

for k in "${!known_seen[@]}"; do
    [[ ${known_seen[$k]} == 1 ]] || gap "$(basename "$known"): '$k' no longer occurs; remove it"
done

echo "$name: ${#paths[@]} command paths, $gaps gaps"
exit $((gaps > 100 ? 100 : gaps))
