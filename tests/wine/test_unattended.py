#!/usr/bin/python3
"""Kestravin.exe started with arguments, under Wine, on the sample profile.

Session A (no window at all):
  - each bad command line (a relative report path too) exits 2, writes its
    one line, changes nothing and sends nothing;
  - a report path that cannot be written where it points (a missing folder,
    a link, a dangling link) exits 4 and writes nothing through the link;
  - /analyse exits 0, changes nothing, sends only its analysis count, and its
    report lists every row;
  - with the usage switch off, /clean exits 0, shows no window at any time
    (X windows polled while it runs), sends nothing, and removes exactly the
    rows /analyse listed;
  - two values whose names code page 949 spells alike each go by their exact
    names, while a read-only shortcut in the Recent folder stays: exit 1 and
    one report line for it, saying access was denied;
  - /clean:process ends the sample programs (last: it ends Wine's helpers too).
Session B (the window, same profile, switch off before start): a click-through
of RECENT and REGISTRY removes exactly what /clean removed in A; the window
sends no usage request; a copy started with /clean while the window is open
exits 3 and changes nothing.
"""
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import product  # noqa: E402
import scenario  # noqa: E402
from unattended import RUN_BOUND_S, category_counts, recent_folder, run_unattended, trace_lines, visible_x_windows  # noqa: E402
import winetest  # noqa: E402
from winetest import check  # noqa: E402

APP_FOLDER = "Kestravin"
SAMPLE_SCRIPT = os.path.join(winetest.REPO, "tools", "seed_sample_profile.sh")
SAMPLE_PROGRAMS = ("sample_notes.exe", "qdownagent.exe")
USAGE_KEY = "HKCU\\" + product.text_in("net/UsageSwitch.h", "kSettingsKey")
USAGE_VALUE = product.text_in("net/UsageSwitch.h", "kSendUsageValue")
TYPED_URLS = r"HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\TypedURLs"
THAI_KO, THAI_KHO = "\u0e01", "\u0e02"  # code page 949 has neither
FOUND, NOT_CLEANED = product.text("kFoundWord"), product.text("kNotCleanedWord")
DENIED = product.texts_of("ReasonText")[0]
SHORTCUT = os.path.join(winetest.TESTDATA, "files", "lnk", "NeroInfoTool.lnk")
OTHER_COPY = product.text("kOtherCopy")
BAD_LEAD = product.text("kBadCommandLead")

facts = {}


# -- helpers ---------------------------------------------------------------------

def seed_sample(session):
    done = subprocess.run(["bash", SAMPLE_SCRIPT, session.prefix], env=session.env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    check(done.returncode == 0, f"seed_sample_profile.sh failed: {done.stdout.decode()[-400:]}")
    for name in SAMPLE_PROGRAMS:
        scenario.wait_for_process(session, name)


def registry(session):
    return scenario.export_registry(session, "HKCU") | scenario.export_registry(session, "HKLM")


def removed(before, after):
    return scenario.value_names(before) - scenario.value_names(after)


def set_usage_switch(session, on):
    code, out = session.reg("add", USAGE_KEY, "/v", USAGE_VALUE, "/t", "REG_DWORD", "/d", "1" if on else "0", "/f")
    check(code == 0, f"reg add of the usage switch failed ({code}): {out!r}")


def usage_requests(server):
    return [r for r in server.requests() if r.startswith("/request/")]


# -- session A: unattended only -----------------------------------------------------

BAD_LINES = [
    (("/cleanup",), None),
    (("/clean:RECENT,HISTORY",), "kv-bad1.txt"),
    (("/clean:",), "kv-bad2.txt"),
    (("/analyse:recent,,grid",), "kv-bad3.txt"),
    (("/clean", "/analyse"), "kv-bad4.txt"),
    (("/clean", "/report:"), None),
    ((), "kv-bad5.txt"),  # a report but no action
    (("/clean", "/report:kv-relative.txt"), None),  # would land wherever the run starts
]

# Report paths that cannot be written where they point: exit 4, nothing written anywhere else.
UNWRITABLE_REPORTS = [
    "C:\\no such folder\\r.txt",
    "C:\\kv-linked-report.txt",  # a link to a file outside the prefix
    "C:\\kv-dangling-report.txt",  # a link to a file that does not exist yet
]


def case_bad_lines(session, server, exe):
    """Also /?, which prints the usage and does nothing else."""
    before = registry(session)
    for args, report in BAD_LINES:
        code, lines = run_unattended(session, exe, *args, report=report)
        check(code == 2, f"{args} {report}: exit {code}, not 2")
        if report:
            check(lines is not None and len(lines) == 1 and lines[0].startswith(BAD_LEAD + ": "),
                  f"{args}: the report holds {lines!r}, not one line about the command line")
    # Without a report the line goes to the output the program was started with.
    code, out = session.wine_command("C:\\" + APP_FOLDER + "\\Kestravin.exe", "/clean:RECENT,HISTORY")
    check(code == 2 and BAD_LEAD in out and "HISTORY" in out, f"exit {code}, output {out!r}")
    code, out = session.wine_command("C:\\" + APP_FOLDER + "\\Kestravin.exe", "/?")
    check(code == 0 and "Kestravin.exe /clean" in out and "/report" in out, f"/?: exit {code}, output {out!r}")
    check(not removed(before, registry(session)), "a bad command line deleted values")
    for name in SAMPLE_PROGRAMS:
        check(name in scenario.process_names(session), f"{name} ended after a bad command line")
    check(not server.requests(), f"a bad command line sent {server.requests()}")


def case_unwritable_reports(session, server, exe):
    """An elevated run is pointed at a report path that is a link: what it points at stays as it was."""
    outside = os.path.join(session.prefix, "kv-outside")
    os.makedirs(outside, exist_ok=True)
    kept = os.path.join(outside, "kept.txt")
    with open(kept, "w") as f:
        f.write("the user's own file")
    dangling = os.path.join(outside, "made-by-link.txt")
    os.symlink(kept, session.drive_c("kv-linked-report.txt"))
    os.symlink(dangling, session.drive_c("kv-dangling-report.txt"))
    before = registry(session)
    for report in UNWRITABLE_REPORTS:
        proc = session.start_at(exe, "/clean", f"/report:{report}")
        code = proc.wait(timeout=120)
        check(code == 4, f"/report:{report}: exit {code}, not 4")
    with open(kept) as f:
        check(f.read() == "the user's own file", "the report was written through a link")
    check(not os.path.exists(dangling), "the report made a file where a dangling link pointed")
    check(not removed(before, registry(session)), "a run whose report could not be opened deleted values")


def case_analyse(session, server, exe):
    before = registry(session)
    code, lines = run_unattended(session, exe, "/analyse", report="kv-analyse.txt")
    check(code == 0, f"/analyse exited {code}")
    check(not removed(before, registry(session)), "/analyse deleted values")
    counts = category_counts(lines)
    check(set(counts) == {"RECENT", "REGISTRY"}, f"category lines {counts} for the default categories")
    listed = trace_lines(lines, FOUND)
    check(len(listed) == sum(c[0] for c in counts.values()),
          f"{len(listed)} trace lines for {counts}")
    check(counts["RECENT"][0] > 0 and counts["REGISTRY"][0] > 0, f"the sample profile gave {counts}")
    pairs = {(regkey.lower(), value.lower()) for _, _, regkey, value, *_ in listed}
    check(pairs <= scenario.value_names(before), f"listed values that are not there: {sorted(pairs - scenario.value_names(before))[:5]}")
    facts["listed"] = pairs
    check(usage_requests(server) == [winetest.usage_request("analysis")],
          f"/analyse sent {server.requests()}, not one analysis count alone")
    check(not [r for r in server.requests() if not r.startswith("/request/")],
          f"an unattended run asked for a version or an update: {server.requests()}")


def case_clean_switch_off(session, server, exe):
    set_usage_switch(session, False)
    sent = len(server.requests())
    before = registry(session)
    code, lines = run_unattended(session, exe, "/clean", report="kv-clean.txt", watch_windows=True)
    check(code == 0, f"/clean exited {code}; report {lines!r}")
    gone = removed(before, registry(session))
    facts["unattended_removed"] = gone
    values = {(key, name) for key, name in gone if name is not None}  # a removed key is there too
    check(values == facts["listed"], f"/clean removed {len(values)} values, /analyse listed {len(facts['listed'])}: "
          f"{sorted(values ^ facts['listed'])[:6]}")
    counts = category_counts(lines)
    check(all(c[0] == c[1] for c in counts.values()) and len(lines) == len(counts), f"report {lines!r}")
    check(len(server.requests()) == sent, f"with the switch off the run sent {server.requests()[sent:]}")
    for name in SAMPLE_PROGRAMS:
        check(name in scenario.process_names(session), f"{name} ended though PROCESS was not named")


def case_exact_names_and_a_trace_that_stays(session, server, exe):
    scenario.import_values(session, [(TYPED_URLS, "url" + THAI_KO, "sz", "http://ko.example/"),
                                     (TYPED_URLS, "url" + THAI_KHO, "sz", "http://kho.example/"),
                                     (TYPED_URLS, "url7", "sz", "http://plain.example/")])
    # A real shortcut Windows cannot delete: Wine keeps the read-only
    # attribute as the file's write permission.
    locked = os.path.join(recent_folder(session), "잠긴 문서.lnk")
    shutil.copyfile(SHORTCUT, locked)
    os.chmod(locked, 0o444)
    try:
        code, lines = run_unattended(session, exe, "/clean:RECENT", report="kv-left.txt")
        check(code == 1, f"exit {code}, not 1; report {lines!r}")
        check(category_counts(lines) == {"RECENT": [4, 3]}, f"category lines of {lines!r}")
        left = trace_lines(lines, NOT_CLEANED)
        check(len(left) == 1, f"{len(left)} lines of traces not cleaned: {left!r}")
        if left:
            code_, name, _, value, why = left[0][:5]
            check((code_, name, value, why) == ("RECENT", "InfoTool.exe", "잠긴 문서.lnk", DENIED),
                  f"the line of the trace not cleaned: {left[0]!r}")
        check(os.path.exists(locked), "the read-only shortcut is gone")
        names = scenario.value_names(scenario.export_registry(session, "HKCU"))
        # Each value code page 949 spells as url? went by its exact name.
        left_values = sorted(n for k, n in names if k == TYPED_URLS.lower() and n is not None)
        check(not left_values, f"TypedURLs values still there: {left_values!r}")
    finally:
        os.chmod(locked, 0o644)
        os.remove(locked)


def case_clean_process(session, server, exe):
    code, lines = run_unattended(session, exe, "/clean:process", report="kv-process.txt")
    check(code in (0, 1), f"/clean:process exited {code}")
    check(list(category_counts(lines)) == ["PROCESS"], f"category lines of {lines!r}")
    names = scenario.process_names(session)
    for name in SAMPLE_PROGRAMS:
        check(name not in names, f"{name} still runs after /clean:process")
        check(not [t for t in trace_lines(lines, NOT_CLEANED) if t[1] == name], f"{name} reported as not cleaned")
    # Lines of Wine's own helpers that refused may stand beside them: exit 1 then.
    check((code == 1) == bool(trace_lines(lines, NOT_CLEANED)), f"exit {code} for the report {lines!r}")


def session_a():
    with winetest.served_session("unattended-a") as (s, server):
        seed_sample(s)
        exe = s.install(APP_FOLDER)
        return winetest.run_cases([
            ("A: every bad command line exits 2, says why, changes and sends nothing; /? exits 0",
             lambda: case_bad_lines(s, server, exe)),
            ("A: a report that cannot be written where it points (no folder, a link) exits 4, writes nothing",
             lambda: case_unwritable_reports(s, server, exe)),
            ("A: /analyse exits 0, changes nothing, lists every row, sends one count",
             lambda: case_analyse(s, server, exe)),
            ("A: switch off, /clean removes what /analyse listed, no window, nothing sent",
             lambda: case_clean_switch_off(s, server, exe)),
            ("A: names code page 949 spells alike each go; a read-only shortcut stays: exit 1 and its line",
             lambda: case_exact_names_and_a_trace_that_stays(s, server, exe)),
            ("A: /clean:process ends the sample programs", lambda: case_clean_process(s, server, exe)),
        ])


# -- session B: the window ------------------------------------------------------------

def press_and_wait(session, face):
    scenario.press_action(session)
    winetest.wait_until(lambda: scenario.action_face_is(session, face), RUN_BOUND_S,
                        f"the pass to end with the face {face}", interval=0.5)
    time.sleep(0.7)  # past the double-click time


def case_click_through(session, server):
    before = facts["b_before"]
    press_and_wait(session, "btn_clean.bmp")
    press_and_wait(session, "btn_analyse.bmp")
    gone = removed(before, registry(session))
    check("unattended_removed" in facts, "session A's /clean did not run: nothing to compare with")
    check(gone == facts["unattended_removed"],
          f"the click-through removed {len(gone)} values, /clean {len(facts['unattended_removed'])}: "
          f"{sorted(gone ^ facts['unattended_removed'])[:6]}")
    check(not usage_requests(server), f"with the switch off the window sent {usage_requests(server)}")
    check(server.requests(), "the window asked the server nothing: its version check did not run")


def case_second_copy(session, server, exe, proc):
    scenario.import_values(session, [(TYPED_URLS, "url8", "sz", "http://second.example/")])
    before = registry(session)
    code, lines = run_unattended(session, exe, "/clean", report="kv-second.txt", watch_windows=True)
    check(code == 3, f"a copy beside the window exited {code}, not 3")
    check(lines == [OTHER_COPY], f"its report holds {lines!r}")
    check(not removed(before, registry(session)), "the copy beside the window deleted values")
    check(proc.poll() is None, "the window's process ended")
    check(session.probe()["visible_count"] == 1, "the window is not the one visible Kestravin window")


def session_b():
    with winetest.served_session("unattended-b") as (s, server):
        seed_sample(s)
        set_usage_switch(s, False)
        exe = s.install(APP_FOLDER)
        facts["b_before"] = registry(s)
        proc = s.start_at(exe)
        s.find_window()
        s.wait_for_main()
        check(visible_x_windows(s), "xdotool sees no visible window beside the main window: the poll proves nothing")
        scenario.set_box(s, "GRID", False)
        scenario.set_box(s, "PROCESS", False)
        return winetest.run_cases([
            ("B: a click-through of RECENT and REGISTRY removes what /clean removed; the window sends no count",
             lambda: case_click_through(s, server)),
            ("B: a copy started with /clean while the window is open exits 3 and changes nothing",
             lambda: case_second_copy(s, server, exe, proc)),
        ])


def main():
    failed = session_a()
    failed += session_b()
    print(f"unattended: {'FAIL' if failed else 'PASS'} ({failed} failed)", flush=True)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
