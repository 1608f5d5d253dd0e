#!/usr/bin/env python3
"""The executable format check of check_exe.py on `objdump -p` texts: a program of another format, subsystem or
with a DLL that is not part of Windows is refused, and the message names what is wrong."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_exe  # noqa: E402


def dump(file_format='pei-i386', magic='010b', subsystem='00000003', dlls=('KERNEL32.dll', 'msvcrt.dll')):
    """The lines of `objdump -p` that the check reads, with the fields given."""
    return ('\nprogram.exe:     file format %s\n\nMagic\t\t\t%s\t(PE32)\nSubsystem\t\t%s\t(Windows CUI)\n'
            % (file_format, magic, subsystem) + ''.join('\tDLL Name: %s\n' % dll for dll in dlls))


class FormatProblems(unittest.TestCase):
    def test_programs_of_the_right_format_pass(self):
        self.assertEqual(check_exe.format_problems(dump(), 'pe32', 'console'), [])
        self.assertEqual(check_exe.format_problems(dump('pei-x86-64', '020b', '00000002'), 'pe32+', 'gui'), [])
        self.assertEqual(check_exe.format_problems(dump(subsystem='00000002'), 'pe32'), [])

    def test_every_system_dll_passes_in_any_case(self):
        dlls = [name.lower() for name in check_exe.SYSTEM_DLLS] + sorted(check_exe.SYSTEM_DLLS)
        self.assertEqual(check_exe.format_problems(dump(dlls=dlls), 'pe32'), [])

    def test_a_dll_outside_windows_is_named(self):
        problems = check_exe.format_problems(dump(dlls=('KERNEL32.dll', 'libstdc++-6.dll')), 'pe32')
        self.assertEqual(problems, ['imports DLLs that are not part of Windows: libstdc++-6.dll'])

    def test_another_format_is_refused(self):
        problems = check_exe.format_problems(dump('pei-x86-64', '020b'), 'pe32')
        self.assertEqual(problems, ['not PE32 (file format pei-i386)', 'optional header magic is not 010b'])
        self.assertEqual(check_exe.format_problems(dump(magic='020b'), 'pe32'), ['optional header magic is not 010b'])

    def test_another_subsystem_is_refused(self):
        self.assertEqual(check_exe.format_problems(dump(subsystem='00000002'), 'pe32', 'console'),
                         ['subsystem is not 3 (console)'])
        self.assertEqual(check_exe.format_problems(dump(), 'pe32', 'gui'), ['subsystem is not 2 (gui)'])


if __name__ == '__main__':
    unittest.main()
