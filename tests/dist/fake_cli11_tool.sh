#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Stands in for a command-line tool whose parser prints help the way CLI11 does, with options
# and one command more than the manual and completion of wr7310 describe, a model more than
# the completion offers, and without
# "embedded". check_help_docs.sh must name exactly these gaps, and not an option that the
# help's prose only mentions.
case "$*" in
"--help")
    cat <<'TEXT'
Radio programming software for WR7310 radios
Usage: wr7310 [OPTIONS] SUBCOMMAND

Options:
  -h,--help                   Print this help message and exit
  -q,--quiet                  Print nothing but errors
  --colour                    Colour the output
  --model TEXT:{xtra,old,new} [xtra]
                              radio model
  --port TEXT                 COM port number or device

Subcommands:
  probe                       find the radio
  verify                      compare the radio with a radio file
  tune                        tune mode data of the radio
TEXT
    ;;
"tune --help")
    cat <<'TEXT'
tune mode data of the radio
Usage: wr7310 tune [OPTIONS] SUBCOMMAND

Options:
  -h,--help                   Print this help message and exit

SUBCOMMANDS:
  read                        print the tune data
  switch                      set or clear the key tune switch
TEXT
    ;;
"verify --help")
    cat <<'TEXT'
Usage: wr7310 verify [OPTIONS] FILE

Compares the radio with FILE and prints what differs the way diff does; --json-like
output is left to show --json.

Options:
  -h,--help  help
  --strict   fail on any difference
TEXT
    ;;
*) printf 'Usage: wr7310 %s\n\nOptions:\n  -h,--help  Print this help message and exit\n' "${*% --help}" ;;
esac
