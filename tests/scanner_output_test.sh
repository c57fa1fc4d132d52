#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# gantrel-scan on output that cannot be written: a full disk (/dev/full) and a pipe whose reader
# has gone. Either ends with a message on standard error and exit status 2, never a silent death
# by SIGPIPE. Usage: scanner_output_test.sh GANTREL_SCAN MAP_FOLDER
set -uo pipefail
scan=$1
map=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0

expect_failure() {  # what, exit status, error file
    if [ "$2" -ne 2 ] || ! grep -q '^gantrel-scan: cannot write the output' "$3"; then
        echo "$1: exit status $2, standard error:" >&2
        cat "$3" >&2
        failed=1
    fi
}

"$scan" --where-used "$map" >/dev/full 2>"$scratch/full.err"
expect_failure "full disk" $? "$scratch/full.err"

# A pipe without a reader, made without a race: the FIFO is opened for reading and writing,
# then for writing alone, and its only reader closed before the scan starts.
mkfifo "$scratch/pipe"
exec 3<>"$scratch/pipe" 4>"$scratch/pipe" 3>&-
"$scan" --json --where-used "$map" >&4 2>"$scratch/pipe.err"
expect_failure "closed pipe" $? "$scratch/pipe.err"
exec 4>&-

exit $failed
