#!/usr/bin/env python3
"""Checks that each program's manual page and its own help name the same options:
check-man-help.py BINDIR MANDIR

The program's side is what it prints for --help: the options in each entry of an option or a
command; the manual page's side is
the options in the tags of its tagged paragraphs (.TP).
In both, an option is -x or --long, with a value after "=" only where it is part of the
option itself (--autostart=on), not a placeholder (--host=HOST). Prints one PASS, FAIL or SKIP
line per program.
"""
import gzip
import os
import re
import subprocess
import sys

PROGRAMS = ("zerka2remote", "zerka2ctl", "zerka-sim")
OPTION = re.compile(r"(?<![\w-])(--?[A-Za-z0-9][A-Za-z0-9-]*(?:=[a-z]+\b)?)")


def help_options(program):
    # Without a display no program could show a message box, should one try.
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    run = subprocess.run([program, "--help"], capture_output=True, env=env, timeout=30)
    text = (run.stdout + run.stderr).decode("utf-8", "replace").replace("\r", "")
    return entry_options(text)


def entry_options(text):
    # An entry starts near the left edge with an option, or indented a little with a command
    # word; its explanation and continuation lines are indented further, prose is not.
    options = set()
    for line in text.splitlines():
        entry = line.lstrip(" ")
        indent = len(line) - len(entry)
        if indent > 4 or not (entry.startswith("-") or (indent and re.match(r"[a-z][a-z-]*( |$)", entry))):
            continue
        # The option and its placeholders end where the explanation begins.
        form = re.split(r"\t| {2,}", entry, maxsplit=1)[0]
        options.update(OPTION.findall(form))
    return options


def roff_text(line):
    line = re.sub(r"^\.(B|I|BI|BR|IB|IR|RB|RI)\s+", "", line)
    line = re.sub(r"\\f(\[[^\]]*\]|.)", "", line)
    return line.replace("\\-", "-").replace('"', "").replace("\\&", "")


def man_options(page):
    opener = gzip.open if page.endswith(".gz") else open
    with opener(page, "rt", encoding="utf-8") as f:
        lines = f.read().splitlines()
    options = set()
    for i, line in enumerate(lines[:-1]):
        if line.strip() == ".TP":
            options.update(OPTION.findall(roff_text(lines[i + 1])))
    return options


def main(argv):
    if len(argv) != 3:
        sys.exit("usage: check-man-help.py BINDIR MANDIR")
    bindir, mandir = argv[1], argv[2]
    failed = False
    for name in PROGRAMS:
        what = f"manual page and --help of {name} name the same options"
        page = next((p for p in (os.path.join(mandir, name + ".1"), os.path.join(mandir, name + ".1.gz"))
                     if os.path.exists(p)), None)
        program = os.path.join(bindir, name)
        if page is None:
            print(f"SKIP: {what} (no manual page yet)")
            continue
        if not os.access(program, os.X_OK):
            print(f"FAIL: {what} ({program} not found)")
            failed = True
            continue
        in_help, in_man = help_options(program), man_options(page)
        if not in_help or not in_man:
            print(f"FAIL: {what} (no options found in {'--help' if not in_help else page})")
            failed = True
        elif in_help != in_man:
            only_help = " ".join(sorted(in_help - in_man)) or "-"
            only_man = " ".join(sorted(in_man - in_help)) or "-"
            print(f"FAIL: {what} (only in --help: {only_help}; only in the manual page: {only_man})")
            failed = True
        else:
            print(f"PASS: {what} ({' '.join(sorted(in_help))})")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
