#!/usr/bin/env bash
# check-dll.sh <QNDBGC.DLL> <objdump>
#
# What a host relies on in the built library, read from its PE headers: the
# entry points exported under their plain names (no stdcall decoration), and
# imports from the system's own DLLs only (the C++ runtime, libgcc and
# winpthread must be linked in, since nothing is shipped beside the DLL).
set -u -o pipefail

dll=$1
objdump=$2
exports=(QNdbgInit QNdbgBreak QNdbgExit WEP)
# The system DLLs the library may import from (lower case).
system_dlls="kernel32.dll user32.dll gdi32.dll msvcrt.dll advapi32.dll comdlg32.dll comctl32.dll shell32.dll version.dll"

if [[ ! -f $dll ]]; then
  echo "check-dll: $dll was not built"
  exit 1
fi
headers=$("$objdump" -p "$dll") || { echo "check-dll: $objdump cannot read $dll"; exit 1; }

# The export name table: lines like "[   0] QNdbgBreak" (newer binutils put
# "+base[   1]  0000" before the name): the name is the last word.
names=$(awk '/^\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
             table && /^[[:space:]]*\[/ { print $NF; next }
             table { table = 0 }' <<<"$headers")
imports=$(awk '/DLL Name:/ { print tolower($3) }' <<<"$headers" | sort -u)

failed=0
for name in "${exports[@]}"; do
  if ! grep -qxF "$name" <<<"$names"; then
    echo "check-dll: $dll does not export $name undecorated (exports: $(tr '\n' ' ' <<<"$names"))"
    failed=1
  fi
done
for import in $imports; do
  if [[ " $system_dlls " != *" $import "* ]]; then
    echo "check-dll: $dll imports $import, which is not a system DLL"
    failed=1
  fi
done
if ((failed == 0)); then
  echo "check-dll: $dll exports ${exports[*]}; imports $(tr '\n' ' ' <<<"$imports")"
fi
exit $failed
