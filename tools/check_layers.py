#!/usr/bin/python3
"""Fails on any #include that points up the stack of folders.

The stack, top first. A file may include files of its own folder and of
every folder below it, never one above; a folder not listed here may not be
included at all. Where two entries match a path, the longer one counts
(seam/win32/ is not seam/).

    tests        the test suites, fakes and probes: may use anything
    app          the application object and the main window
    ui           the skinned controls and the secondary windows, resources
    seam/win32   the seam bound to Win32
    seam/posix   the seam's text conversion bound to iconv
    engine       the trace list, the driver and the four categories
    net          server address, usage counts, version check, auto-start
    registry     the registry helpers
    seam         the engine's portable view of the machine
    win          the thin class library over Win32: knows nothing of the product
    layout       window geometry: plain numbers and arithmetic

Usage: check_layers.py [--root DIR] [--self-test]
  --root DIR    the tree to check (default: the repository of this script)
  --self-test   first prove on temporary trees that a planted upward include
                fails the check and a sound tree passes, then check the tree
"""
import os
import re
import shutil
import sys
import tempfile

STACK = """
tests
app
ui
seam/win32
seam/posix
engine
net
registry
seam
win
layout
""".split()

SOURCE_ENDINGS = (".h", ".hpp", ".c", ".cpp", ".rc")
# Both spellings: the build puts the repository root on the include path, so
# <app/MainDialog.h> reaches the same file as "app/MainDialog.h".
INCLUDE = re.compile(r'^\s*#\s*include\s+([<"])([^>"]+)[>"]', re.MULTILINE)
TOPS = {entry.split("/")[0] for entry in STACK}


def layer_of(path):
    """The stack entry a repository-relative path belongs to, or None."""
    best = None
    for entry in STACK:
        if path == entry or path.startswith(entry + "/"):
            if best is None or len(entry) > len(best):
                best = entry
    return best


def rank(entry):
    """0 for the bottom of the stack; higher is further up."""
    return len(STACK) - 1 - STACK.index(entry)


def resolve(root, including, target):
    """The repository-relative path an include names: from the root as the
    build's include path has it, else beside the including file."""
    if os.path.exists(os.path.join(root, target)):
        return os.path.normpath(target)
    beside = os.path.normpath(os.path.join(os.path.dirname(including), target))
    if os.path.exists(os.path.join(root, beside)):
        return beside
    return os.path.normpath(target)


def violations(root):
    found = []
    for top in sorted({entry.split("/")[0] for entry in STACK}):
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in sorted(names):
                if not name.endswith(SOURCE_ENDINGS):
                    continue
                full = os.path.join(folder, name)
                path = os.path.relpath(full, root).replace(os.sep, "/")
                own = layer_of(path)
                if own is None:
                    continue
                with open(full, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                for match in INCLUDE.finditer(text):
                    bracket, named = match.group(1), match.group(2)
                    # A system or library header (<windows.h>, <vector>) is no
                    # folder of ours; one that starts with a folder of the stack is.
                    if bracket == "<" and named.split("/")[0] not in TOPS:
                        continue
                    line = text.count("\n", 0, match.start()) + 1
                    target = resolve(root, path, named).replace(os.sep, "/")
                    theirs = layer_of(target)
                    if theirs is None:
                        found.append(f"{path}:{line}: includes {named}, which is in no folder of the stack")
                    elif rank(theirs) > rank(own):
                        found.append(f"{path}:{line}: {own}/ includes {target}, up the stack in {theirs}/")
    return found


def write(root, path, text):
    full = os.path.join(root, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w", encoding="utf-8") as f:
        f.write(text)


def self_test():
    """A tree that keeps to the stack passes; each planted fault fails."""
    failures = []
    work = tempfile.mkdtemp(prefix="kv-layers-")
    try:
        sound = os.path.join(work, "sound")
        write(sound, "layout/Geometry.h", "#pragma once\n")
        write(sound, "win/Window.h", '#pragma once\n#include <windows.h>\n')
        write(sound, "seam/View.h", "#pragma once\n")
        write(sound, "seam/win32/Bind.cpp", '#include "seam/View.h"\n#include "win/Window.h"\n')
        write(sound, "ui/resource.h", "#pragma once\n")
        write(sound, "ui/Res.rc", '#include "resource.h"\n')
        write(sound, "ui/Button.h", '#include "layout/Geometry.h"\n#include <win/Window.h>\n#include <vector>\n')
        write(sound, "app/Main.cpp", '#include "ui/Button.h"\n#include "seam/win32/Bind.cpp"\n')
        write(sound, "tests/unit/t.cpp", '#include "app/Main.cpp"\n')
        if violations(sound):
            failures.append(f"a sound tree failed: {violations(sound)}")

        planted = [
            ("ui/Button.h", '#include "app/Main.cpp"\n', "ui/ includes app/Main.cpp"),
            ("win/Window.h", '#include "ui/resource.h"\n', "win/ includes ui/resource.h"),
            ("layout/Geometry.h", '  #  include "seam/View.h"\n', "layout/ includes seam/View.h"),
            ("seam/View.h", '#include "seam/win32/Bind.cpp"\n', "seam/ includes seam/win32/Bind.cpp"),
            ("app/Main.cpp", '#include "tests/unit/t.cpp"\n', "app/ includes tests/unit/t.cpp"),
            ("ui/Button.h", '#include "elsewhere/Thing.h"\n', "in no folder of the stack"),
            ("ui/Button.h", '#include <app/Main.cpp>\n', "ui/ includes app/Main.cpp"),
        ]
        for n, (path, line, expected) in enumerate(planted):
            tree = os.path.join(work, f"planted{n}")
            shutil.copytree(sound, tree)
            with open(os.path.join(tree, path), "a", encoding="utf-8") as f:
                f.write(line)
            found = violations(tree)
            if len(found) != 1 or expected not in found[0]:
                failures.append(f"planted {line.strip()!r} in {path}: expected one report with "
                                f"{expected!r}, got {found}")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return failures


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    args = list(argv)
    run_self_test = "--self-test" in args
    if run_self_test:
        args.remove("--self-test")
    if args[:1] == ["--root"] and len(args) == 2:
        root = os.path.abspath(args[1])
    elif args:
        print(__doc__.split("Usage:")[1].strip(), file=sys.stderr)
        return 2

    if run_self_test:
        failures = self_test()
        for failure in failures:
            print(f"self-test: {failure}")
        if failures:
            return 1
        print("self-test: a planted upward include fails the check; a sound tree passes")

    found = violations(root)
    for v in found:
        print(v)
    print(f"{len(found)} upward include(s) in {root}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
