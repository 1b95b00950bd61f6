#!/bin/sh
# The Windows programs stand alone: linked statically, they import only DLLs that come with
# Windows (and Wine), and the first, howdy.exe, is a GUI program.
# Usage: wine_imports.sh HOWDY_EXE [EXE]...
set -eu
for exe in "$@"; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr a-z A-Z)
    echo "$exe imports" ${dlls:?no imports found}
    for dll in $dlls; do
        case $dll in
        ADVAPI32.DLL | GDI32.DLL | KERNEL32.DLL | MSVCRT.DLL | SHELL32.DLL | USER32.DLL | WINMM.DLL) ;;
        *) echo "$exe imports $dll, which Windows does not bring" && exit 1 ;;
        esac
    done
done
x86_64-w64-mingw32-objdump -p "$1" | grep -q '^Subsystem[[:space:]].*(Windows GUI)' || { echo "$1 is no GUI program"; exit 1; }
