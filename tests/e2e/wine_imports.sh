#!/bin/sh
# The Windows programs stand alone: linked statically, they import only DLLs that come with
# Windows (and Wine), and the first, howdy.exe, is a GUI program.
# Usage: wine_imports.sh HOWDY_EXE [EXE]...
set -eu
system="ADVAPI32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL WINMM.DLL"
for exe in "$@"; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr a-z A-Z)
    [ -n "$dlls" ] || { echo "$exe: no imports found"; exit 1; }
    for dll in $dlls; do
        case " $system " in
        *" $dll "*) ;;
        *) echo "$exe imports $dll, which Windows does not bring"; exit 1 ;;
        esac
    done
    echo "$exe imports" $dlls
done
x86_64-w64-mingw32-objdump -p "$1" | grep -q '^Subsystem[[:space:]].*(Windows GUI)' ||
    { echo "$1 is not a GUI program"; exit 1; }
