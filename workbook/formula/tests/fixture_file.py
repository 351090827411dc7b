"""Writes a generated fixture file, or (with --check) fails when the committed one differs."""
import os
import sys


def write_or_check(text, argv):
    """argv: [script, OUT] to write, [script, --check, OUT] to compare."""
    path = argv[-1]
    script = os.path.basename(argv[0])
    if argv[1] == "--check":
        with open(path, encoding="utf-8") as f:
            if f.read() != text:
                sys.exit(f"{path} is not what {script} writes")
        return
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
