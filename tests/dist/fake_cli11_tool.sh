#!/usr/bin/env bash
# Stands in for a command-line tool whose parser prints help the way CLI11 does, with one
# option and one command more than the manual and completion of wr7310 describe, and without
# "embedded". check_help_docs.sh must name exactly these gaps.
case "$*" in
"--help")
    cat <<'TEXT'
Radio programming software for WR7310 radios
Usage: wr7310 [OPTIONS] SUBCOMMAND

Options:
  -h,--help                   Print this help message and exit
  --version                   Display program version information and exit
  --model TEXT:{xtra,old} [xtra]
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
"verify --help") printf 'Usage: wr7310 verify [OPTIONS] FILE\n\nOptions:\n  -h,--help  help\n  --strict   fail on any difference\n' ;;
*) printf 'Usage: wr7310 %s\n\nOptions:\n  -h,--help  Print this help message and exit\n' "${*% --help}" ;;
esac
