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
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import product  # noqa: E402
from hives import HIVES, HKCU, expected_rows, hive_export, hive_keys, import_subtrees  # noqa: E402
import scenario  # noqa: E402
import winetest  # noqa: E402
from winetest import check  # noqa: E402

TRACE_LIST = product.resource_id("IDC_TRACE_LIST")
FORMS = r"software\microsoft\internet explorer\intelliforms"
FORMS_KEYS = [FORMS + r"\spw", FORMS + r"\storage1", FORMS + r"\storage2"]

# Registry changes that are not the program's cleaning (see test_categories_e2e.py).
ALLOWED_CHANGES = [
    r"hkey_current_user\software\microsoft\windows\currentversion\internet settings",
    r"hkey_current_user\software\wine\temporary system parameters",
]


def allowed(key):
    return any(key == p or key.startswith(p + "\\") for p in ALLOWED_CHANGES)


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
