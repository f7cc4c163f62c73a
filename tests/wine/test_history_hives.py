#!/usr/bin/python3
"""Usage history of real users: the history subtrees of the two shared user
hives (a Windows 7 user with Office 2010, a Windows 11 user) are imported into
a fresh prefix, the real program analyses RECENT and REGISTRY, and every
listed value is checked source by source against what the hive holds: each
key a source names gives one row per value (the list-order values too), the
program's row count is their sum, and cleaning removes exactly those values
and nothing else of HKEY_CURRENT_USER.

Shell Folders and User Shell Folders are never imported: their paths belong
to the hive's own machine. The expected rows come from the hive alone, read
with hivexregedit (Debian's libhivex-bin).
"""
import lzma
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import product  # noqa: E402
import scenario  # noqa: E402
import winetest  # noqa: E402
from winetest import check  # noqa: E402

HIVES_DIR = os.environ.get("KV_HIVES", "/work/shared/testdata/hives")
HIVES = ["NTUSER.DAT.xz", "NTUSER-WSL.DAT.xz"]
TRACE_LIST = product.resource_id("IDC_TRACE_LIST")
HKCU = "hkey_current_user"

E = r"software\microsoft\windows\currentversion\explorer"
OFFICE_APPS = ["word", "excel", "powerpoint", "access", "publisher"]
OFFICE_LISTS = [r"file mru", r"place mru", r"user mru\*\file mru", r"user mru\*\place mru"]

# The keys RECENT reads below HKEY_CURRENT_USER, as the program's users know
# them: (pattern, and its subkeys?, the one value read or None for all). A
# "*" level is every subkey there. The MUI caches list only programs that are
# gone and the help list lives under HKEY_LOCAL_MACHINE; neither hive holds
# those, so they are left out here.
SOURCES = [
    (r"software\microsoft\search assistant\acmru\5603", False, None),
    (r"software\microsoft\search assistant\acmru\5604", False, None),
    (E + r"\runmru", False, None),
    (E + r"\doc find spec mru", False, None),
    (E + r"\comdlg32\opensavemru", False, None),
    (r"software\microsoft\windows\currentversion\applets\paint\recent file list", False, None),
    *[(rf"software\microsoft\office\{v}\{app}\file mru", False, None)
      for app in ("excel", "powerpoint", "word") for v in ("12.0", "14.0")],
    (r"software\microsoft\mediaplayer\player\recentfilelist", False, None),
    (r"software\microsoft\mediaplayer\player\recenturllist", False, None),
    (r"software\gretech\gomplayer\option", False, "srecentfile"),
    (r"software\gretech\gomplayer\option", False, "srecentfolder"),
    (r"software\gretech\gomplayer\option", False, "srecenturl"),
    (r"software\estsoft\alsong\param\recenturl", False, None),
    (r"software\daum\potplayermini\bmlist", False, None),
    (r"software\microsoft\internet explorer\typedurls", False, None),
    (r"software\estsoft\alzip\mruopen", False, None),
    (E + r"\recentdocs", True, None),
    (E + r"\typedpaths", False, None),
    (E + r"\wordwheelquery", False, None),
    (E + r"\comdlg32\opensavepidlmru\*", False, None),
    (E + r"\comdlg32\lastvisitedpidlmru", False, None),
    (E + r"\comdlg32\lastvisitedpidlmrulegacy", False, None),
    (E + r"\comdlg32\cidsizemru", False, None),
    (E + r"\comdlg32\firstfolder", False, None),
    (E + r"\userassist\*\count", False, None),
    *[(rf"software\microsoft\office\{v}\{app}\{lst}", False, None)
      for v in ("15.0", "16.0") for app in OFFICE_APPS for lst in OFFICE_LISTS],
    (r"software\microsoft\windows\currentversion\applets\wordpad\recent file list", False, None),
    (r"software\microsoft\microsoft management console\recent file list", False, None),
    (r"software\microsoft\terminal server client\default", False, None),
    (E + r"\map network drive mru", False, None),
    (r"software\microsoft\windows\currentversion\applets\regedit", False, "lastkey"),
    (r"software\microsoft\internet explorer\typedurlstime", False, None),
    (r"software\daum\potplayermini\rememberfiles", False, None),
    (r"software\daum\potplayermini64\rememberfiles", False, None),
    (r"software\gretech\gomplayer\option", False, "srecentplfolder"),
]
FORMS = r"software\microsoft\internet explorer\intelliforms"
FORMS_KEYS = [FORMS + r"\spw", FORMS + r"\storage1", FORMS + r"\storage2"]
NEVER = re.compile(r"\\(user )?shell folders(\\|$)")

# Registry changes that are not the program's cleaning (see test_categories_e2e.py).
ALLOWED_CHANGES = [
    r"hkey_current_user\software\microsoft\windows\currentversion\internet settings",
    r"hkey_current_user\software\wine\temporary system parameters",
]


def allowed(key):
    return any(key == p or key.startswith(p + "\\") for p in ALLOWED_CHANGES)


def hive_export(name, workdir):
    """The hive as the text of a .reg file (hivexregedit --export)."""
    path = os.path.join(workdir, name[:-3])
    with lzma.open(os.path.join(HIVES_DIR, name)) as src, open(path, "wb") as dst:
        shutil.copyfileobj(src, dst)
    done = subprocess.run(["hivexregedit", "--export", "--prefix", "HKEY_CURRENT_USER", path, "\\"],
                          capture_output=True, timeout=300)
    check(done.returncode == 0, f"hivexregedit failed on {name}: {done.stderr[-300:]!r}")
    return done.stdout.decode("ascii", "replace")


def hive_keys(text):
    """{lower-case key below HKCU: (key as written, [(lower-case value name, value line)])}."""
    keys = {}
    current = None
    for line in re.sub(r"\\\r?\n\s*", "", text).splitlines():
        if line.startswith("[") and line.endswith("]"):
            full = line[1:-1]
            current = full.split("\\", 1)[1] if "\\" in full else ""
            keys[current.lower()] = (current, [])
        elif current is not None and (line.startswith('"') or line.startswith("@=")):
            name, _ = scenario.split_value(line)
            keys[current.lower()][1].append((name.lower(), line))
    return keys


def matches(pattern, key):
    levels, parts = pattern.split("\\"), key.split("\\")
    return len(levels) == len(parts) and all(l == "*" or l == p for l, p in zip(levels, parts))


def single_value_row(line):
    """A single-value source lists its value when the text read is neither "0"
    nor empty and fits the 260-byte read (the hive stores strings as hex(1),
    UTF-16)."""
    _, data = scenario.split_value(line)
    if data.startswith("hex(1):"):
        raw = bytes(int(b, 16) for b in data[7:].split(",") if b)
        text = raw.decode("utf-16-le", "replace").split("\0")[0]
    elif data.startswith('"'):
        text = data[1:-1].replace('\\\\', '\\')
    else:
        return False
    return text not in ("", "0") and len(text.encode("cp949", "replace")) < 260


def expected_rows(keys):
    """{(source index, concrete key): [value names]} of the rows the hive's history must give."""
    rows = {}
    for index, (pattern, with_subkeys, single) in enumerate(SOURCES):
        for key, (_, values) in keys.items():
            if NEVER.search(key):
                continue
            direct = matches(pattern, key)
            child = with_subkeys and "\\" in key and matches(pattern, key.rsplit("\\", 1)[0])
            if not (direct or child):
                continue
            names = [n for n, _ in values if n != "@"]
            if single is not None:
                names = [n for n, line in values if n == single and single_value_row(line)]
            if names:
                rows[(index, key)] = names
    return rows


def import_subtrees(session, keys, wanted):
    """Imports the keys in `wanted` with their values, as the hive holds them."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    for key in sorted(wanted):
        written, values = keys[key]
        lines += [f"[HKEY_CURRENT_USER\\{written}]", *[line for _, line in values], ""]
    path = os.path.join(session.prefix, "drive_c", "kv-hive.reg")
    with open(path, "w", encoding="utf-16", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
    code, out = scenario.wine(session, "reg", "import", r"C:\kv-hive.reg", timeout=300)
    os.remove(path)
    check(code == 0, f"reg import failed ({code}): {out!r}")


def run_hive(name, workdir, server):
    keys = hive_keys(hive_export(name, workdir))
    rows = expected_rows(keys)
    forms = {k: v for k, v in keys.items() if any(k == f or k.startswith(f + "\\") for f in FORMS_KEYS)}
    form_rows = sum(len([n for n, _ in v if n != "@"]) for k, v in forms.items() if k in FORMS_KEYS)
    wanted = {key for _, key in rows} | set(forms)
    print(f"  {name}: {sum(len(v) for v in rows.values())} history values in {len(rows)} keys, "
          f"{form_rows} autosaved entries")
    for (index, key), names in sorted(rows.items()):
        print(f"    {len(names):3d} rows  {key}")

    with winetest.Session(extra_env={"KESTRAVIN_SERVER": server.base}) as s:
        keeper = scenario.install_program(s, "idle_process.exe", "keeper.exe")
        scenario.start_program(s, keeper, "--seconds", "600")
        import_subtrees(s, keys, wanted)
        before = scenario.export_registry(s, "HKCU")
        for index, key in rows:
            check((f"{HKCU}\\{key}", None, None) in before, f"the import did not write {key}")
        runs = server.count("run")
        s.start()
        s.find_window()
        hwnd = s.wait_for_window("the main window", lambda w: w["title"] == winetest.TITLE)["hwnd"]
        winetest.wait_until(lambda: server.count("run") == runs + 1, 30, "the start-up request")
        scenario.set_box(s, "GRID", False)
        scenario.set_box(s, "PROCESS", False)

        scenario.run_pass(s, server, "analysis", "btn_clean.bmp", 180)
        listed = s.item_count(hwnd, TRACE_LIST)
        want = sum(len(v) for v in rows.values()) + form_rows
        check(listed == want, f"{listed} rows listed; the hive's history and forms hold {want}")
        time.sleep(0.7)  # past the double-click time
        scenario.run_pass(s, server, "clean", "btn_analyse.bmp", 180)
        check(s.item_count(hwnd, TRACE_LIST) == 0, "rows are left after cleaning")
        after = scenario.export_registry(s, "HKCU")

    gone = {(k, n) for k, n, _ in before if n is not None} - {(k, n) for k, n, _ in after if n is not None}
    gone = {(k, n) for k, n in gone if not allowed(k)}
    history_gone = {(k, n) for k, n in gone if not any(k.startswith(f"{HKCU}\\{f}") for f in FORMS_KEYS)}
    want_gone = {(f"{HKCU}\\{key}", n) for (_, key), names in rows.items() for n in names}
    check(history_gone == want_gone,
          f"values not removed {sorted(want_gone - history_gone)[:5]}, removed beyond the rows "
          f"{sorted(history_gone - want_gone)[:5]}")
    # Per key: as many values went as the source's rows there.
    for (index, key), names in rows.items():
        went = len([1 for k, _ in history_gone if k == f"{HKCU}\\{key}"])
        check(went == len(names), f"source {index + 1}, {key}: {went} values went, {len(names)} rows")
    # Nothing else: no key and no other value of HKCU changed, apart from the
    # IntelliForms keys, which cleaning deletes whole.
    def outside(entry):
        return not allowed(entry[0]) and not any(entry[0] == f"{HKCU}\\{f}" or entry[0].startswith(f"{HKCU}\\{f}\\")
                                                 for f in FORMS_KEYS)
    changed = {e for e in before ^ after if outside(e)} - {(k, n, d) for k, n, d in before if (k, n) in want_gone}
    check(not changed, f"{len(changed)} other changes, e.g. {sorted(changed, key=str)[:5]}")
    for key in FORMS_KEYS:
        check((f"{HKCU}\\{key}", None, None) not in after, f"{key} is still there after cleaning")
    print(f"  {name}: {listed} rows, {len(history_gone)} history values removed, the rest of HKCU unchanged")


def main():
    if shutil.which("hivexregedit") is None:
        print("history hives: hivexregedit (libhivex-bin) is not installed", flush=True)
        sys.exit(1)
    workdir = tempfile.mkdtemp(prefix="kv-hives-")
    server = winetest.StandIn(workdir)
    try:
        failed = winetest.run_cases([
            (f"{name}: every history value listed by its source, cleaned, nothing else touched",
             lambda name=name: run_hive(name, workdir, server))
            for name in HIVES
        ])
    finally:
        server.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    print(f"history hives: {'FAIL' if failed else 'PASS'} ({failed} failed)", flush=True)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
