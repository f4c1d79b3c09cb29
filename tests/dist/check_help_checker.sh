#!/usr/bin/env bash
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
    "wr7310.1: option -h ('wr7310 --help') is not documented"
    "wr7310.1: option --version ('wr7310 --help') is not documented"
    "wr7310.1: option --strict ('wr7310 verify --help') is not documented"
    "wr7310.1: command 'verify' has no paragraph of its own"
    "wr7310.1: documents command 'embedded' that 'wr7310 --help' does not list"
    "wr7310: option --version of 'wr7310' is not offered"
    "wr7310: option --strict of 'wr7310 verify' is not offered"
    "wr7310: command 'verify' is not offered after 'wr7310'"
)
unexpected=(
    "option --model"
    "option --port"
    "command 'tune read'"
    "command 'probe'"
)
bad=0
for e in "${expected[@]}"; do
    grep -qxF "GAP: $e" <<<"$out" || { echo "NOT REPORTED: $e"; bad=1; }
done
for u in "${unexpected[@]}"; do
    grep -qF "$u" <<<"$out" && { echo "WRONGLY REPORTED: $u"; bad=1; }
done
((status > 0)) || { echo "the checker passed a tool with gaps"; bad=1; }
exit $bad
