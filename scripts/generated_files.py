"""Files that a script of this tree generates and that are committed: written, or with --check compared with what
would be written."""

import sys


def write_or_check(outputs, check, program):
    """OUTPUTS: (path, bytes) pairs. Writes every file, or with CHECK only compares; returns the exit status, 1 when
    a file is missing or differs from what would be written (each such file named on standard error)."""
    stale = []
    for path, data in outputs:
        if check:
            try:
                with open(path, 'rb') as f:
                    if f.read() != data:
                        stale.append(path)
            except OSError:
                stale.append(path)
        else:
            with open(path, 'wb') as f:
                f.write(data)
            print('wrote %s (%d bytes)' % (path, len(data)))
    for path in stale:
        sys.stderr.write('%s: %s is missing or out of date\n' % (program, path))
    return 1 if stale else 0
