#!/usr/bin/env python3
"""Checks of the Windows programs: the executable format of any of them, and
static checks of the shipped 32-bit Zorvane.exe (and the help.chm beside it).

    check_exe.py --format pe32|pe32+ [--subsystem gui|console] EXE...
    check_exe.py Zorvane.exe [help.chm]

--format: each EXE is a PE32 (i686) or PE32+ (x86_64) file, of the given
subsystem, that imports system DLLs only.

Otherwise Zorvane.exe gets the format check as a 32-bit GUI program, and the
imports it needs; its resources are decompiled with windres and compared field
by field with the window as the product describes it: dialog template, icons,
version block and the application manifest. The texts, the layout and the
version are those the sources define once: res/ui_texts.h and
project(VERSION) in CMakeLists.txt.

Format, subsystem and imports come from `objdump -p`. Exits 1 when a check
fails, 2 on wrong arguments.
"""

import argparse
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def read_ui_texts():
    """The macros of res/ui_texts.h, evaluated: a text (adjacent literals and
    names of other texts joined, escapes kept as written) or a tuple of numbers."""
    with open(os.path.join(SOURCE_DIR, 'CMakeLists.txt')) as cmake:
        version = re.search(r'^project\(\w+ VERSION ([\d.]+)', cmake.read(), re.M).group(1)
    with open(os.path.join(SOURCE_DIR, 'res', 'ui_texts.h')) as header:
        lines = header.read().replace('\\\n', ' ')
    bodies = dict(re.findall(r'^#define (ZORVANE_\w+)[ \t]+(.*\S)', lines, re.M))
    bodies['ZORVANE_VERSION_TEXT'] = '"%s"' % version

    def value(name):
        body = bodies[name]
        if re.fullmatch(r'[\d, ]+', body):
            return tuple(int(number) for number in body.split(','))
        return ''.join(literal if not ref else value(ref)
                       for literal, ref in re.findall(r'"((?:[^"\\]|\\.)*)"|(\w+)', body))

    return value


UI = read_ui_texts()


def ui_text(name):
    return UI('ZORVANE_TEXT_' + name)


def ui_rect(name):
    return UI('ZORVANE_RECT_' + name)


# Window and control styles, from the platform's headers.
WS_POPUP, WS_CHILD, WS_VISIBLE, WS_DISABLED = 0x80000000, 0x40000000, 0x10000000, 0x08000000
WS_CAPTION, WS_BORDER, WS_VSCROLL, WS_HSCROLL = 0xC00000, 0x800000, 0x200000, 0x100000
WS_SYSMENU, WS_THICKFRAME, WS_GROUP, WS_TABSTOP = 0x80000, 0x40000, 0x20000, 0x10000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x20000, 0x10000  # in a top-level window's style
DS_CENTER = 0x800
BS_TYPEMASK, BS_PUSHBUTTON, BS_AUTOCHECKBOX, BS_GROUPBOX, BS_ICON = 0xF, 0, 3, 7, 0x40
SS_TYPEMASK, SS_LEFT, SS_CENTER, SS_RIGHT, SS_CENTERIMAGE, SS_SUNKEN = 0x1F, 0, 1, 2, 0x200, 0x1000
LBS_NOTIFY, LBS_SORT, LBS_MULTIPLESEL, LBS_OWNERDRAW, LBS_NOINTEGRALHEIGHT, LBS_EXTENDEDSEL = 1, 2, 8, 0x30, 0x100, 0x800
ES_MULTILINE, ES_AUTOHSCROLL, ES_READONLY, ES_NUMBER = 0x4, 0x80, 0x800, 0x2000
UDS_WRAP, UDS_SETBUDDYINT, UDS_ALIGNRIGHT, UDS_ALIGNLEFT = 0x1, 0x2, 0x4, 0x8
UDS_AUTOBUDDY, UDS_ARROWKEYS, UDS_HORZ, UDS_NOTHOUSANDS = 0x10, 0x20, 0x40, 0x80

# Control kinds: class, type (under the mask), styles required, styles refused.
GROUP = ('BUTTON', BS_TYPEMASK, BS_GROUPBOX, 0, 0)
PUSH = ('BUTTON', BS_TYPEMASK, BS_PUSHBUTTON, 0, 0)
ICON_PUSH = ('BUTTON', BS_TYPEMASK, BS_PUSHBUTTON, BS_ICON, 0)
CHECK = ('BUTTON', BS_TYPEMASK, BS_AUTOCHECKBOX, 0, 0)
LEFT, RIGHT, CENTER = (('STATIC', SS_TYPEMASK, kind, WS_GROUP, 0) for kind in (SS_LEFT, SS_RIGHT, SS_CENTER))
NAME_BOX = ('STATIC', SS_TYPEMASK, SS_CENTER, WS_GROUP | SS_CENTERIMAGE | SS_SUNKEN, 0)
LIST = ('LISTBOX', 0, 0, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL,
        LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL | LBS_OWNERDRAW)
EDIT = ('EDIT', 0, 0, WS_BORDER | ES_AUTOHSCROLL, ES_NUMBER | ES_READONLY | ES_MULTILINE)
UPDOWN = ('MSCTLS_UPDOWN32', 0, 0, UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_NOTHOUSANDS | UDS_ARROWKEYS,
          UDS_WRAP | UDS_ALIGNLEFT | UDS_HORZ)

# The window: id, kind, text, rectangle, in template order.
CONTROLS = [
    (-1, GROUP, ui_text('FRAMES_GROUP'), ui_rect('FRAMES_GROUP')),
    (1000, LIST, '', ui_rect('FRAME_LIST')),
    (1001, PUSH, ui_text('REMOVE_FRAME'), ui_rect('REMOVE_FRAME')),
    (1002, PUSH, ui_text('CLEAR_ALL'), ui_rect('CLEAR_ALL')),
    (-1, GROUP, ui_text('INFO_GROUP'), ui_rect('INFO_GROUP')),
    (1013, NAME_BOX, '', ui_rect('FRAME_NAME')),
    (-1, RIGHT, ui_text('INFO_LABELS'), ui_rect('INFO_LABELS')),
    (1012, LEFT, '', ui_rect('FRAME_INFO')),
    (-1, LEFT, ui_text('DELAY_LABEL'), ui_rect('DELAY_LABEL')),
    (1010, EDIT, '', ui_rect('DELAY')),
    (1011, UPDOWN, '', ui_rect('DELAY_SPIN')),
    (-1, LEFT, ui_text('DELAY_UNIT'), ui_rect('DELAY_UNIT')),
    (1004, PUSH, ui_text('MAKE_GIF'), ui_rect('MAKE_GIF')),
    (-1, CENTER, ui_text('NOTICE'), ui_rect('NOTICE')),  # the maker's notice: two lines
    (1003, ICON_PUSH, ui_text('WEB'), ui_rect('WEB')),
    (1014, CHECK, ui_text('LOOP'), ui_rect('LOOP')),
    (-1, GROUP, ui_text('OPTIONS_GROUP'), ui_rect('OPTIONS_GROUP')),
    (1005, ICON_PUSH, ui_text('HELP'), ui_rect('HELP')),
]
TAB_ORDER = [1000, 1001, 1002, 1010, 1004, 1003, 1014, 1005]
# DLLs that every Windows installation has. The static runtime keeps libgcc, libstdc++ and libwinpthread out of
# the import tables.
SYSTEM_DLLS = {'KERNEL32.DLL', 'USER32.DLL', 'COMCTL32.DLL', 'COMDLG32.DLL', 'SHELL32.DLL', 'MSVCRT.DLL', 'GDI32.DLL',
               'ADVAPI32.DLL'}
# Executable formats: objdump's name of the file format, the optional header's magic, the objdump that reads it.
FORMATS = {
    'pe32': ('pei-i386', 0x10b, 'i686-w64-mingw32-objdump'),
    'pe32+': ('pei-x86-64', 0x20b, 'x86_64-w64-mingw32-objdump'),
}
SUBSYSTEMS = {'gui': 2, 'console': 3}

# The application manifest: its namespaces, the systems it declares (Windows 7, 8, 8.1, 10 and 11) and
# the common controls assembly that gives visual styles.
ASM_V1, ASM_V3 = 'urn:schemas-microsoft-com:asm.v1', 'urn:schemas-microsoft-com:asm.v3'
COMPATIBILITY_V1 = 'urn:schemas-microsoft-com:compatibility.v1'
DPI_AWARE_2005 = 'http://schemas.microsoft.com/SMI/2005/WindowsSettings'
DPI_AWARENESS_2016 = 'http://schemas.microsoft.com/SMI/2016/WindowsSettings'
SUPPORTED_OS = {
    '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}',  # Windows 7
    '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}',  # Windows 8
    '{1f676c76-80e1-4239-95bb-83d0f6d0da78}',  # Windows 8.1
    '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}',  # Windows 10 and 11
}
COMMON_CONTROLS = {'type': 'win32', 'name': 'Microsoft.Windows.Common-Controls', 'version': '6.0.0.0',
                   'publicKeyToken': '6595b64144ccf1df'}
CREATEPROCESS_MANIFEST_RESOURCE_ID = 1
RT_MANIFEST = 24

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


def imported_dlls(dump):
    return re.findall(r'^\s*DLL Name: (\S+)', dump, re.M)


def header_number(dump, field):
    found = re.search(r'^%s\s+([0-9a-fA-F]+)\b' % field, dump, re.M)
    return int(found.group(1), 16) if found else None


def format_problems(dump, kind, subsystem=None):
    """What in DUMP (`objdump -p`) keeps the file from being a KIND program of SUBSYSTEM (any when None) that
    imports system DLLs only."""
    name, magic, _ = FORMATS[kind]
    problems = []
    if not re.search(r'file format %s$' % re.escape(name), dump, re.M):
        problems.append('not %s (file format %s)' % (kind.upper(), name))
    if header_number(dump, 'Magic') != magic:
        problems.append('optional header magic is not %04x' % magic)
    if subsystem and header_number(dump, 'Subsystem') != SUBSYSTEMS[subsystem]:
        problems.append('subsystem is not %d (%s)' % (SUBSYSTEMS[subsystem], subsystem))
    foreign = sorted(dll for dll in imported_dlls(dump) if dll.upper() not in SYSTEM_DLLS)
    if foreign:
        problems.append('imports DLLs that are not part of Windows: %s' % ', '.join(foreign))
    return problems


def objdump(exe, kind):
    return run(FORMATS[kind][2], '-p', exe)


def check_format(exe, kind, subsystem=None):
    """The format check of one file: its problems recorded as failures; returns the dump."""
    try:
        dump = objdump(exe, kind)
    except subprocess.CalledProcessError as error:
        check(False, '%s: not %s (%s)' % (exe, kind.upper(), error.stderr.strip()))
        return ''
    for problem in format_problems(dump, kind, subsystem):
        check(False, '%s: %s' % (exe, problem))
    return dump


def check_file(exe):
    """The format and the imports; False when the file cannot be read as PE32."""
    dump = check_format(exe, 'pe32', 'gui')
    if not dump:
        return False
    for needed in ('InitCommonControlsEx', 'DialogBoxParamA', 'GetSaveFileNameA', 'ShellExecuteA', 'DragQueryFileA',
                   'DragAcceptFiles', 'MessageBoxA', 'GetDlgItemInt', 'GetProcessHeap'):
        check(re.search(r'\b%s\b' % needed, dump), 'does not import ' + needed)
    return True


def check_dialog(rc):
    m = re.search(r'^102 DIALOG(?:EX)? \d+, \d+, (\d+), (\d+)\n(.*?)^BEGIN\n(.*?)^END', rc, re.M | re.S)
    check(m, 'no dialog 102 (IDD_MAIN)')
    if not m:
        return
    head, body = m.group(3), m.group(4)
    size = UI('ZORVANE_DIALOG_WIDTH') + UI('ZORVANE_DIALOG_HEIGHT')
    check((int(m.group(1)), int(m.group(2))) == size, 'dialog size is not %d x %d' % size)
    style = int((re.search(r'STYLE (0x[0-9a-f]+)', head, re.I) or re.match('(0)', '0')).group(1), 16)
    check(style & WS_POPUP and style & WS_CAPTION == WS_CAPTION and style & WS_SYSMENU and style & WS_MINIMIZEBOX
          and style & DS_CENTER, 'dialog is not a centred popup with title bar, system menu and minimise box')
    check(not style & (WS_MAXIMIZEBOX | WS_THICKFRAME | WS_VSCROLL | WS_HSCROLL), 'dialog sizes, maximises or scrolls')
    check('CAPTION "%s"' % UI('ZORVANE_WINDOW_TITLE') in head and 'FONT 8, "MS Sans Serif"' in head and 'MENU' not in head,
          'caption, font or menu wrong')

    pattern = r'^\s*CONTROL "((?:[^"\\]|\\.)*)", (-?\d+), "([^"]+)", (0x[0-9a-f]+)L?, (-?\d+), (-?\d+), (-?\d+), (-?\d+)'
    controls = [(-1 if int(g[1]) == 65535 else int(g[1]), g[0], g[2].upper(), int(g[3], 16), tuple(map(int, g[4:])))
                for g in re.findall(pattern, body, re.M | re.I)]
    check(len(controls) == len(CONTROLS), 'dialog has %d controls, expected %d' % (len(controls), len(CONTROLS)))
    for index, (got, want) in enumerate(zip(controls, CONTROLS)):
        (ident, text, cls, s, rect), (want_id, (want_cls, mask, kind, needed, refused), want_text, want_rect) = got, want
        where = 'control %d (id %d)' % (index, want_id)
        check((ident, cls, rect) == (want_id, want_cls, want_rect), '%s: %s' % (where, (ident, cls, rect)))
        check(text == want_text, '%s: text is "%s", expected "%s"' % (where, text, want_text))
        check(s & mask == kind and s & needed == needed and not s & refused, '%s: style 0x%08x' % (where, s))
        check(s & WS_CHILD and s & WS_VISIBLE and bool(s & WS_DISABLED) == (ident == 1004), '%s: state' % where)
    tab_order = [c[0] for c in controls if c[3] & WS_TABSTOP]
    check(tab_order == TAB_ORDER, 'tab stops %s, expected %s' % (tab_order, TAB_ORDER))


def check_icons(rc):
    # Images by number: (width, height from the bitmap header / 2, bit count).
    images = {}
    for number, block in re.findall(r'^(\d+) 3 /\* RT_ICON \*/\nBEGIN\n(.*?)^END', rc, re.M | re.S):
        longs = [int(v, 16) for v in re.findall(r'0x([0-9a-f]+)L', block, re.I)]
        if len(longs) >= 4 and longs[0] == 40:
            images[int(number)] = (longs[1], longs[2] // 2, longs[3] >> 16)
    groups = {}
    for number, block in re.findall(r'^(\d+) 14 /\* RT_GROUP_ICON \*/\nBEGIN\n(.*?)^END', rc, re.M | re.S):
        entries = re.findall(r'"\\(\d{3})\\(\d{3})\\(\d{3})\\000", 1, (\d+), 0x[0-9a-f]+L, (\d+)', block)
        groups[int(number)] = [(int(w, 8), int(h, 8), int(c, 8), int(b), int(i)) for w, h, c, b, i in entries]
    want = {101: sorted([(32, 8), (48, 8), (16, 8), (32, 4), (16, 4)]), 103: [(32, 4)]}
    check(sorted(groups) == sorted(want), 'icon groups %s, expected 101 and 103' % sorted(groups))
    for group, formats in want.items():
        entries = groups.get(group, [])
        check(sorted((w, bits) for w, _, _, bits, _ in entries) == formats, 'icon %d: wrong images' % group)
        for w, h, colours, bits, image in entries:
            check(w == h and colours == (16 if bits == 4 else 0) and images.get(image) == (w, h, bits),
                  'icon %d: image %d holds %s, directory says %s' % (group, image, images.get(image), (w, h, bits)))


def check_version(rc):
    m = re.search(r'^1 VERSIONINFO\n(.*?)^BEGIN\n(.*)', rc, re.M | re.S)
    check(m, 'no version resource')
    if not m:
        return
    fixed, body = m.group(1), m.group(2)
    for field in ('FILEVERSION 2, 1, 0, 0', 'PRODUCTVERSION 2, 1, 0, 0', 'FILETYPE 0x1'):
        check(re.search(r'%s\b' % field, fixed), 'not ' + field)
    check('BLOCK "040904B0"' in body.upper(), 'strings are not U.S. English, Unicode (040904B0)')
    check(re.search(r'VALUE "Translation", 0x409, 1200', body), 'translation is not 0x409, 1200')
    values = dict(re.findall(r'VALUE "(\w+)", "((?:[^"\\]|\\.)*)"', body))
    name, version = UI('ZORVANE_PRODUCT_NAME'), UI('ZORVANE_VERSION_TEXT')
    want = {'FileDescription': name, 'InternalName': name, 'ProductName': name, 'FileVersion': version,
            'ProductVersion': version, 'CompanyName': UI('ZORVANE_MAKER_NAME'), 'Comments': '', 'LegalTrademarks': '',
            'PrivateBuild': '', 'SpecialBuild': ''}
    for key, value in want.items():
        check(values.get(key) == value, '%s is %r, expected %r' % (key, values.get(key), value))
    for key in ('LegalCopyright', 'OriginalFilename'):
        check(values.get(key), '%s is missing' % key)


def rc_string_data(block):
    """The bytes of a resource that windres decompiled as quoted string lines."""
    text = ''.join(re.findall(r'^\s*"((?:[^"]|"")*)"', block, re.M)).replace('""', '"')
    return text.encode('latin-1').decode('unicode_escape')


def check_manifest(rc):
    found = re.findall(r'^(\d+) %d /\* RT_MANIFEST \*/\nBEGIN\n(.*?)^END' % RT_MANIFEST, rc, re.M | re.S)
    check([int(n) for n, _ in found] == [CREATEPROCESS_MANIFEST_RESOURCE_ID],
          'manifests %s, expected one with id %d' % ([n for n, _ in found], CREATEPROCESS_MANIFEST_RESOURCE_ID))
    if not found:
        return
    try:
        root = ElementTree.fromstring(rc_string_data(found[0][1]))
    except ElementTree.ParseError as error:
        check(False, 'manifest is not well-formed XML: %s' % error)
        return
    check(root.tag == '{%s}assembly' % ASM_V1 and root.get('manifestVersion') == '1.0', 'manifest root is not an assembly')

    levels = root.findall('.//{%s}requestedExecutionLevel' % ASM_V3)
    check([(e.get('level'), e.get('uiAccess')) for e in levels] == [('asInvoker', 'false')],
          'execution level is not asInvoker without UI access')

    systems = {e.get('Id', '').lower() for e in root.findall('.//{%s}supportedOS' % COMPATIBILITY_V1)}
    check(systems == SUPPORTED_OS, 'supported systems %s, expected Windows 7 to 11' % sorted(systems))

    dependencies = [e.attrib for e in root.findall('{%s}dependency/{%s}dependentAssembly/{%s}assemblyIdentity'
                                                  % (ASM_V1, ASM_V1, ASM_V1))]
    check(any(all(d.get(k) == v for k, v in COMMON_CONTROLS.items()) and d.get('processorArchitecture') == '*'
              for d in dependencies), 'no dependency on common controls 6.0.0.0 (any processor)')

    # The window is left to the system's DPI scaling: nothing in the manifest makes it DPI aware.
    aware = [e.text.strip().lower() for e in root.iter('{%s}dpiAware' % DPI_AWARE_2005)]
    awareness = [e.text for e in root.iter('{%s}dpiAwareness' % DPI_AWARENESS_2016)]
    check(aware in ([], ['false']) and not awareness, 'manifest declares DPI awareness: %s %s' % (aware, awareness))


def finish(what):
    """Prints the failures and the verdict on WHAT; returns the exit status."""
    for failure in failures:
        print('FAILED: ' + failure)
    print('%s: %s' % (what, '%d failures' % len(failures) if failures else 'all passed'))
    return 1 if failures else 0


def check_formats(exes, kind, subsystem):
    for exe in exes:
        dump = check_format(exe, kind, subsystem)
        found = re.search(r'file format (\S+)', dump)
        print('%s: %s, subsystem %s, imports %s' % (exe, found.group(1) if found else 'unknown format',
                                                    header_number(dump, 'Subsystem'), ' '.join(imported_dlls(dump))))
    return finish('format checks')


def check_program(exe, chm):
    if not check_file(exe):
        return finish('static checks')
    rc = run('i686-w64-mingw32-windres', '-i', exe, '-O', 'rc')
    check_dialog(rc)
    check_icons(rc)
    check_version(rc)
    check_manifest(rc)
    if chm:
        data = open(chm, 'rb').read()
        check(data[:4] == b'ITSF', 'help.chm is not a compiled help file')
        for topic in (b'/index.html', b'/using.html', b'/messages.html'):
            check(topic in data, 'help.chm lacks %s' % topic.decode())
    return finish('static checks')


def main():
    parser = argparse.ArgumentParser(description='Checks of the Windows programs.')
    parser.add_argument('--format', choices=sorted(FORMATS), help='check only the format of each file')
    parser.add_argument('--subsystem', choices=sorted(SUBSYSTEMS), help='with --format: the subsystem expected')
    parser.add_argument('files', nargs='+', metavar='FILE')
    args = parser.parse_args()
    if args.format:
        return check_formats(args.files, args.format, args.subsystem)
    if args.subsystem or len(args.files) > 2:
        parser.error('without --format: Zorvane.exe [help.chm]')
    return check_program(args.files[0], args.files[1] if len(args.files) > 1 else None)


if __name__ == '__main__':
    sys.exit(main())
