#!/usr/bin/env bash
# The 32-bit core computes with SSE2: x87's 80-bit intermediates would give another show from
# the same seed. Fails when the disassembly of LIBRARY does any x87 arithmetic; fld and fstp,
# which carry a float or double return value through st(0) in the 32-bit calling convention,
# are allowed. Usage: no_x87.sh OBJDUMP LIBRARY
set -u
objdump=$1 library=$2
x87='f(add|sub|subr|mul|div|divr)p?|fi(add|sub|subr|mul|div|divr|ld|st|stp|sttp|com|comp)|'
x87+='fsqrt|fabs|fchs|frndint|fprem1?|fscale|fxtract|fcomi?p{0,2}|fucomi?p{0,2}|ftst|fxam|'
x87+='fsin|fcos|fsincos|fptan|fpatan|f2xm1|fyl2xp?1?|fcmov[a-z]+|fldz|fld1|fldpi|fldl2[et]|'
x87+='fldlg2|fldln2|fxch'
listing=$("$objdump" -d --no-show-raw-insn "$library") || { echo "FAIL: cannot disassemble $library"; exit 1; }
found=$(grep -E "^\s+[0-9a-f]+:\s+($x87)[lsqt]?\s" <<<"$listing" | head -5)
if [ -n "$found" ]; then
    echo "FAIL: x87 arithmetic in $library:"
    echo "$found"
    exit 1
fi
count=$(grep -cE "^\s+[0-9a-f]+:\s+(add|mul|sub|div)s[sd]\s" <<<"$listing")
echo "ok: no x87 arithmetic in $(basename "$library"); $count scalar SSE2 operations"
