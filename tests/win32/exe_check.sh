#!/usr/bin/env bash
# glaxen.exe as the design has it: a GUI program of the build's width (32-bit PE32, or PE32+ for
# the 64-bit build), self-contained: every DLL it imports is Windows' own, from the list below,
# and DirectDraw is not among them (it is loaded at run time). The resources are checked under
# Wine by the unit tests. Usage: exe_check.sh OBJDUMP GLAXEN.exe BITS
set -u
objdump=$1 exe=$2 bits=$3
# The program's own calls, then what SDL2's audio adds (the registry, and COM for its devices).
allowed="kernel32.dll msvcrt.dll user32.dll winmm.dll advapi32.dll ole32.dll"
headers=$("$objdump" -p "$exe") || { echo "FAIL: cannot read $exe"; exit 1; }
want_magic=$([ "$bits" = 32 ] && echo '010b' || echo '020b')
grep -Eq "^Magic\s+$want_magic" <<<"$headers" || { echo "FAIL: $exe is not a $bits-bit program"; exit 1; }
grep -Eq '^Subsystem\s+00000002' <<<"$headers" || { echo "FAIL: $exe is not a GUI program"; exit 1; }
imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
for dll in $imports; do
    grep -qw "$dll" <<<"$allowed" || { echo "FAIL: $exe imports $dll, not one of: $allowed"; exit 1; }
done
echo "ok: $(basename "$exe"): $bits-bit GUI program importing only $(echo $imports)"
