#!/usr/bin/python3
"""Fails on any #include that points up the stack of folders, on two files
that include each other (directly or round a longer circle), and on a folder
of product code that holds more than a quarter of the product's non-blank
lines or more than 16 source files.

The stack, top first. A file may include files of its own folder and of
every folder below it, never one above; a folder not listed here may not be
included at all. Where two entries match a path, the longer one counts
(seam/win32/ is not seam/).

    tests              the test suites, fakes and probes: may use anything
    app                the application object and the unattended run
    app/main           the main window: state, painting, input, commands
    ui                 the secondary windows and the resources
    ui/skin            the skinned controls: dialog, button, progress bar, text
    seam/win32         the seam bound to Win32
    seam/posix         the seam's text conversion bound to iconv
    engine/unattended  the command line, the headless run and its report
    engine/kinds       the table of kinds of trace: each one's scanner and remover
    engine/browsers    Edge, Chrome and Whale: profiles, databases, their rows
    engine/recent      the Recent folder's shortcuts and jump lists
    engine/history     registry history and IntelliForms
    engine/processes   running programs and grid-delivery agents
    engine/core        the trace list, the pass driver, state, choice and texts
    formats            readers of outside file formats: pure functions over bytes
    net/update         the version check and the update it downloads
    net                server address, usage counts and their switch, auto-start
    registry           the registry helpers
    seam               the engine's portable view of the machine
    win                the thin class library over Win32: knows nothing of the product
    layout             window geometry: plain numbers and arithmetic

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
app/main
ui
ui/skin
seam/win32
seam/posix
engine/unattended
engine/kinds
engine/browsers
engine/recent
engine/history
engine/processes
engine/core
formats
net/update
net
registry
seam
win
layout
""".split()

SOURCE_ENDINGS = (".h", ".hpp", ".c", ".cpp", ".rc")
# Both spellings: the build puts the repository root on the include path, so
# <app/main/MainDialog.h> reaches the same file as "app/main/MainDialog.h".
INCLUDE = re.compile(r'^\s*#\s*include\s+([<"])([^>"]+)[>"]', re.MULTILINE)
TOPS = {entry.split("/")[0] for entry in STACK}
MAX_FILES_PER_FOLDER = 16


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


def sources(root):
    """(repository-relative path, text) of every source file in the stack's folders."""
    for top in sorted(TOPS):
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in sorted(names):
                if not name.endswith(SOURCE_ENDINGS):
                    continue
                full = os.path.join(folder, name)
                with open(full, encoding="utf-8", errors="replace") as f:
                    yield os.path.relpath(full, root).replace(os.sep, "/"), f.read()


def includes(root, path, text):
    """(line, named, repository-relative target) of each of our own includes."""
    for match in INCLUDE.finditer(text):
        bracket, named = match.group(1), match.group(2)
        # A system or library header (<windows.h>, <vector>) is no
        # folder of ours; one that starts with a folder of the stack is.
        if bracket == "<" and named.split("/")[0] not in TOPS:
            continue
        line = text.count("\n", 0, match.start()) + 1
        yield line, named, resolve(root, path, named).replace(os.sep, "/")


def circles(graph):
    """Each circle of includes once, as the files round it, first file first."""
    found, state = [], {}
    for start in sorted(graph):
        if start in state:
            continue
        # An explicit stack: a deep include chain must not hit Python's limit.
        stack, trail = [(start, iter(sorted(graph.get(start, ()))))], [start]
        state[start] = "open"
        while stack:
            node, pending = stack[-1]
            nxt = next(pending, None)
            if nxt is None:
                state[node] = "done"
                stack.pop()
                trail.pop()
            elif state.get(nxt) == "open":
                found.append(trail[trail.index(nxt):] + [nxt])
            elif nxt not in state and nxt in graph:
                state[nxt] = "open"
                stack.append((nxt, iter(sorted(graph[nxt]))))
                trail.append(nxt)
    return found


def folder_limits(files):
    """Folders of product code (all but tests/) over a quarter of its
    non-blank lines or over 16 source files; a folder counts its own files,
    not those of its subfolders."""
    lines, counts = {}, {}
    for path, text in files:
        if path.startswith("tests/") or path.endswith(".rc"):
            continue
        folder = os.path.dirname(path)
        lines[folder] = lines.get(folder, 0) + sum(1 for line in text.splitlines() if line.strip())
        counts[folder] = counts.get(folder, 0) + 1
    total = sum(lines.values())
    found = []
    for folder in sorted(lines):
        if total and lines[folder] * 4 > total:
            found.append(f"{folder}/ holds {lines[folder]} of the product's {total} non-blank lines, "
                         f"more than a quarter")
        if counts[folder] > MAX_FILES_PER_FOLDER:
            found.append(f"{folder}/ holds {counts[folder]} source files, more than {MAX_FILES_PER_FOLDER}")
    return found


def violations(root):
    found = []
    files = list(sources(root))
    graph = {}
    for path, text in files:
        own = layer_of(path)
        if own is None:
            continue
        edges = graph.setdefault(path, set())
        for line, named, target in includes(root, path, text):
            theirs = layer_of(target)
            if theirs is None:
                found.append(f"{path}:{line}: includes {named}, which is in no folder of the stack")
            elif rank(theirs) > rank(own):
                found.append(f"{path}:{line}: {own}/ includes {target}, up the stack in {theirs}/")
            if target != path:
                edges.add(target)
    # A header includes its own .cpp nowhere; a .cpp and its header are one
    # unit, so a circle runs between units: foo.cpp counts as foo.h.
    units = {}
    for path, targets in graph.items():
        unit = re.sub(r"\.(cpp|c)$", ".h", path)
        units.setdefault(unit, set()).update(re.sub(r"\.(cpp|c)$", ".h", t) for t in targets)
    for unit in units:
        units[unit].discard(unit)
    for circle in circles(units):
        found.append("circle of includes: " + " -> ".join(circle))
    found.extend(folder_limits(files))
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
        write(sound, "ui/Button.cpp", '#include "ui/Button.h"\n#include "ui/resource.h"\n')
        # Enough lines elsewhere that no folder of the sound tree holds a quarter.
        for filler in ("layout/Numbers.h", "seam/Parts.h", "win/Handles.h", "app/More.cpp", "registry/Reg.h"):
            write(sound, filler, "int x;\n" * 10)
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
            ("ui/resource.h", '#include "ui/Button.h"\n', "circle of includes: ui/Button.h -> ui/resource.h"),
            ("win/Window.h", "int x;\n" * 40, "win/ holds"),
        ]
        for n, (path, line, expected) in enumerate(planted):
            tree = os.path.join(work, f"planted{n}")
            shutil.copytree(sound, tree)
            with open(os.path.join(tree, path), "a", encoding="utf-8") as f:
                f.write(line)
            found = violations(tree)
            if not any(expected in report for report in found):
                failures.append(f"planted {line.strip()!r} in {path}: expected a report with "
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
        print("self-test: a planted upward include, circle or crowded folder fails the check; "
              "a sound tree passes")

    found = violations(root)
    for v in found:
        print(v)
    print(f"{len(found)} fault(s) of the stack in {root}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
