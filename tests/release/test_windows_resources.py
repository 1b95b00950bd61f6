#!/usr/bin/python3
"""howdy.exe carries its application manifest and its version, as Windows reads them.

    /usr/bin/python3 tests/release/test_windows_resources.py HOWDY_EXE VERSION
"""

import sys
import xml.etree.ElementTree as ET

import pefile

RT_MANIFEST = 24
SUPPORTED_OS = {
    '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}': 'Windows 7',
    '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}': 'Windows 8',
    '{1f676c76-80e1-4239-95bb-83d0f6d0da78}': 'Windows 8.1',
    '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}': 'Windows 10 and 11',
}


def resource(pe, type_id, name_id):
    """The data of the resource TYPE/NAME in its first language, or None."""
    if not hasattr(pe, 'DIRECTORY_ENTRY_RESOURCE'):
        return None
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id == type_id:
            for name in kind.directory.entries:
                if name.id == name_id:
                    entry = name.directory.entries[0].data.struct
                    return pe.get_data(entry.OffsetToData, entry.Size)
    return None


def manifest_problems(text):
    root = ET.fromstring(text)
    # Windows matches these elements by namespace and local name; so does this.
    def values(local):
        return [(e.text or e.get('level') or e.get('Id') or '').strip() for e in root.iter()
                if e.tag.endswith('}' + local)]
    problems = []
    if values('requestedExecutionLevel') != ['asInvoker']:
        problems.append('execution level %r, not asInvoker' % values('requestedExecutionLevel'))
    if set(values('supportedOS')) != set(SUPPORTED_OS):
        problems.append('supportedOS %r, not Windows 7 to 11' % values('supportedOS'))
    if values('dpiAware') != ['true/pm']:
        problems.append('dpiAware %r, not true/pm' % values('dpiAware'))
    if values('dpiAwareness') != ['PerMonitorV2, PerMonitor']:
        problems.append('dpiAwareness %r, not PerMonitorV2 with PerMonitor after it' % values('dpiAwareness'))
    return problems


def version_problems(pe, version):
    numbers = [int(n) for n in version.split('.')] + [0] * (4 - len(version.split('.')))
    problems = []
    fixed = pe.VS_FIXEDFILEINFO[0]
    for field in ('FileVersion', 'ProductVersion'):
        ms, ls = getattr(fixed, field + 'MS'), getattr(fixed, field + 'LS')
        found = [ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF]
        if found != numbers:
            problems.append('fixed %s %r, not %r' % (field, found, numbers))
    strings = {k.decode(): v.decode() for info in pe.FileInfo[0] for table in getattr(info, 'StringTable', [])
               for k, v in table.entries.items()}
    for key, want in (('FileVersion', version), ('ProductVersion', version), ('ProductName', 'Howdy'),
                      ('OriginalFilename', 'howdy.exe')):
        if strings.get(key) != want:
            problems.append('string %s %r, not %r' % (key, strings.get(key), want))
    return problems


def main(exe, version):
    pe = pefile.PE(exe)
    manifest = resource(pe, RT_MANIFEST, 1)
    problems = ['no manifest (type 24, id 1)'] if manifest is None else manifest_problems(manifest)
    problems += version_problems(pe, version) if hasattr(pe, 'VS_FIXEDFILEINFO') else ['no version resource']
    for problem in problems:
        print('%s: %s' % (exe, problem))
    if not problems:
        print('%s: manifest (asInvoker, %s, per-monitor DPI aware) and version %s'
              % (exe, ', '.join(SUPPORTED_OS.values()), version))
    return 1 if problems else 0


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
