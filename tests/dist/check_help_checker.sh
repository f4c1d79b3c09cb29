#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The help checker must name what a new parser adds and the manual or completion lacks,
# and what they describe that the tool no longer has.
#   check_help_checker.sh CHECKER FAKE_TOOL MANPAGE COMPLETION
set -uo pipefail
checker=$1 fake=$2 manpage=$3 completion=$4
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$fake" "$dir/wr7310"
out=$(bash "$checker" "$dir/wr7310" "$manpage" "$completion")
status=$?
echo "$out"
expected=(
    "wr7310.1: option -q ('wr7310 --help') is not documented"
    "wr7310.1: option --quiet ('wr7310 --help') is not documented"
    "wr7310.1: option --colour ('wr7310 --help') is not documented"
    "wr7310.1: option --strict ('wr7310 verify --help') is not documented"
    "wr7310.1: command 'verify' has no paragraph of its own"
    "wr7310.1: documents command 'embedded' that 'wr7310 --help' does not list"
    "wr7310: option --colour of 'wr7310' is not offered"
    "wr7310: option -q of 'wr7310' is not offered"
    "wr7310: option --strict of 'wr7310 verify' is not offered"
    "wr7310: command 'verify' is not offered after 'wr7310'"
    "wr7310: after --model of 'wr7310' the values 'old xtra' are offered, the help names 'new old xtra'"
)
unexpected=(
    "option --model"
    "option --port"
    "command 'tune read'"
    "command 'probe'"
    "option --json"
    "option --json-like"
)
bad=0
for e in "${expected[@]}"; do
    grep -qxF "GAP: $e" <<<"$out" || { echo "NOT REPORTED: $e"; bad=1; }
done
for u in "${unexpected[@]}"; do
    grep -qF "$u" <<<"$out" && { echo "WRONGLY REPORTED: $u"; bad=1; }
done
((status > 0)) || { echo "the checker passed a tool with gaps"; bad=1; }

# A list of known faults of the help: a listed gap is not counted, one that no longer occurs is.
printf '# comment\n%s\n%s\n' "wr7310: command 'verify' is not offered after 'wr7310'" \
    "wr7310: option --gone of 'wr7310' is not offered" >"$dir/known"
out=$(bash "$checker" "$dir/wr7310" "$manpage" "$completion" "$dir/known")
status2=$?
echo "$out"
for e in "KNOWN: wr7310: command 'verify' is not offered after 'wr7310'" \
    "GAP: known: 'wr7310: option --gone of 'wr7310' is not offered' no longer occurs; remove it"; do
    grep -qxF "$e" <<<"$out" || { echo "NOT REPORTED: $e"; bad=1; }
done
((status2 == status)) || { echo "known gaps: status $status2, expected $status (one off, one on)"; bad=1; }
exit $bad
