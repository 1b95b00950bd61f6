#!/usr/bin/python3
"""The Windows programs as Windows loads them: linked statically, each imports only DLLs that come
with Windows (and Wine); howdy.exe is a GUI program with its application manifest and version.
Usage: windows_programs.py VERSION HOWDY_EXE [EXE]..."""

import sys
import xml.etree.ElementTree as ET

import pefile

WINDOWS_DLLS = {'ADVAPI32.DLL', 'GDI32.DLL', 'KERNEL32.DLL', 'MSVCRT.DLL', 'SHELL32.DLL', 'USER32.DLL', 'WINMM.DLL'}
WINDOWS_7_TO_11 = {'{35138b9a-5d96-4fbd-8e2d-a2440225f93a}', '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}',
                   '{1f676c76-80e1-4239-95bb-83d0f6d0da78}', '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'}

version, howdy = sys.argv[1:3]
problems = []
for exe in sys.argv[2:]:
    pe = pefile.PE(exe)
    dlls = {entry.dll.decode().upper() for entry in getattr(pe, 'DIRECTORY_ENTRY_IMPORT', [])}
    print('%s imports %s' % (exe, ' '.join(sorted(dlls))))
    problems += ['%s imports %s, which Windows does not bring' % (exe, dll) for dll in sorted(dlls - WINDOWS_DLLS)]
    problems += [] if dlls else ['%s imports nothing' % exe]

pe = pefile.PE(howdy)
# RT_MANIFEST (24), id 1: the one Windows reads when the process starts.
kinds = pe.DIRECTORY_ENTRY_RESOURCE.entries if hasattr(pe, 'DIRECTORY_ENTRY_RESOURCE') else []
found = [n.directory.entries[0].data.struct for k in kinds if k.id == 24 for n in k.directory.entries if n.id == 1]
if not found or not hasattr(pe, 'VS_FIXEDFILEINFO'):
    sys.exit('%s: no manifest (type 24, id 1) or no VERSIONINFO' % howdy)
# Windows matches the manifest's elements by namespace and local name, and so does this.
elements = list(ET.fromstring(pe.get_data(found[0].OffsetToData, found[0].Size)).iter())
values = lambda local, attribute=None: [e.get(attribute) if attribute else e.text.strip()  # noqa: E731
                                        for e in elements if e.tag.endswith('}' + local)]
fixed = pe.VS_FIXEDFILEINFO[0]
numbers = [int(n) for n in (version + '.0').split('.')]
strings = {k.decode(): v.decode() for info in pe.FileInfo[0] for table in getattr(info, 'StringTable', [])
           for k, v in table.entries.items()}
checks = [('subsystem', pe.OPTIONAL_HEADER.Subsystem, pefile.SUBSYSTEM_TYPE['IMAGE_SUBSYSTEM_WINDOWS_GUI']),
          ('execution level', values('requestedExecutionLevel', 'level'), ['asInvoker']),
          ('supportedOS', set(values('supportedOS', 'Id')), WINDOWS_7_TO_11),
          ('dpiAware', values('dpiAware'), ['true/pm']),
          ('dpiAwareness', values('dpiAwareness'), ['PerMonitorV2, PerMonitor']),
          ('version', [fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF, fixed.FileVersionLS >> 16,
                       fixed.FileVersionLS & 0xFFFF, strings.get('FileVersion')], numbers + [version])]
problems += ['%s: %s %r, not %r' % ((howdy,) + check) for check in checks if check[1] != check[2]]
print('\n'.join(problems) or '%s: a GUI program with its manifest and version %s' % (howdy, version))
sys.exit(1 if problems else 0)
