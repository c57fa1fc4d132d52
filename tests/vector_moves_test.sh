#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows programs hold the tiles' fast path on the wide vectors (AVX-512 instructions are
# in them), and no vector move that faults where its memory is not aligned: the stack of 64-bit
# Windows is kept at 16 bytes, and GCC may spill a 32- or 64-byte vector to it with an aligned
# move. Usage: vector_moves_test.sh OBJDUMP PROGRAM...
set -euo pipefail
objdump=$1
shift
failed=0
for program in "$@"; do
    listing=$("$objdump" -d --no-show-raw-insn "$program")
    if ! grep -qE '%zmm[0-9]' <<<"$listing"; then
        echo "$program: no AVX-512 instruction: the fast path on the wide vectors is not built in" >&2
        failed=1
    fi
    # Those with a memory operand, which the disassembly writes in parentheses; the
    # non-temporal moves need aligned memory too.
    aligned=$(grep -E '\svmov(aps|apd|dqa|dqa32|dqa64|ntps|ntpd|ntdq|ntdqa)\s.*\(' <<<"$listing" || true)
    if [ -n "$aligned" ]; then
        echo "$program: $(wc -l <<<"$aligned") aligned vector moves to or from memory, first:" >&2
        head -n 5 <<<"$aligned" >&2
        failed=1
    fi
done
exit "$failed"
