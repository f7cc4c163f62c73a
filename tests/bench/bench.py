#!/usr/bin/python3
"""Measures Kestravin.exe under Wine and rewrites docs/benchmark-results.md.

Figures, never a verdict: the goals are printed beside the figures, and the
run exits 0 whatever they say (non-zero only when a measurement could not be
taken at all).

  start-up      process start to the main window visible (xdotool polling)
                and to its first paint (the action button's face on screen);
                with the stand-in silent, to the connection-error box.
  passes        a prefix seeded with N history values spread over four
                sources; analysis and cleaning from the click to the action
                button's face change, each beside bench_floor.exe (a bare
                reader and deleter of the same values, nothing else).
  hive profile  the usage-history subtrees of each shared user hive, one
                hive a prefix, as a real user's profile: analysis from the
                click to the face change beside bench_floor.exe --read-history
                over the same keys.
  browsers      a History of N addresses in Chrome's Default profile: the
                program's own scan (tests/probes/bench_browser_scan.cpp)
                beside a bare SQLite loop reading the same rows, in one
                process, the least of five runs each; its removal of every
                listed row beside a bare set-based deletion of the same
                addresses, the least of three runs each.
  latency       tests/probes/bench_latency.cpp during each pass, and while
                the menu's version check waits on a silent stand-in.
  details       a prefix seeded with N history values, analysed: the
                details window opened from the main window's link with every
                row listed, from the click to the window shown and to its
                list painted (winprobe --open, inside Wine), and the private
                memory the open window holds.
  footprint     peak resident set (VmHWM) of the program's Wine process,
                and the size of the executables.

Environment as tests/wine/winetest.py, plus KV_BUILD_WIN32 (the 32-bit
product's build directory, for its size) and KV_HIVES (the shared hives,
tests/wine/hives.py). The hive profile needs hivexregedit (libhivex-bin).
"""
import argparse
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "wine"))
import hives  # noqa: E402
import product  # noqa: E402
import scenario  # noqa: E402
import winetest  # noqa: E402

HKCU = "HKEY_CURRENT_USER\\"
# The four sources the seeded values are spread over (paths below HKCU).
SOURCES = [
    r"Software\Microsoft\Windows\ShellNoRoam\MUICache",
    r"Software\Microsoft\Internet Explorer\TypedURLs",
    r"Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU",
    r"Software\Microsoft\Office\14.0\Word\File MRU",
]
GOALS = {"floor_ratio": 1.25, "growth": 12.0, "latency_ms": 50.0, "hive_floor_ratio": 1.2, "private_kib_per_row": 0.6,
         "menu_check_latency_ms": 50.0, "recent_floor_ratio": 1.5, "browser_floor_ratio": 1.5,
         "details_open_ms": 300.0}
CHECK_VERSION = product.resource_id("ID_CHECK_VERSION")
# Hand-written notes below this heading of the results file (figures of
# earlier runs, how to read them) are kept when the file is written again.
KEPT_HEADING = "## Across runs"
TRACE_LIST = product.resource_id("IDC_TRACE_LIST")
ACTION = product.resource_id("IDC_ACTION")
CLOSE = product.resource_id("IDC_CLOSE")
DETAILS_LINK = product.centre(product.rect("kDetailsHot"))
STOP_FILE = r"C:\kv-bench-stop"


def seed_values(count):
    """count (key, name, kind, data) values, a quarter in each source; every one is a trace."""
    values = []
    for i in range(count):
        key = HKCU + SOURCES[i % 4]
        n = i // 4
        if i % 4 == 0:  # a program on C: that is gone
            values.append((key, rf"C:\Gone\tool{n:05d}.exe", "sz", f"Tool {n}"))
        elif i % 4 == 1:
            values.append((key, f"url{n + 1}", "sz", f"http://site{n}.example.co.kr/page"))
        elif i % 4 == 2:
            values.append((key, f"v{n:05d}", "sz", f"cmd /c echo {n}\\1"))
        else:
            values.append((key, f"Item {n + 1}", "sz", rf"[F00000000][T01D1A2B3C4D5E6F0]*C:\Docs\doc{n}.docx"))
    return values


def floor(session, mode):
    """(values, ms) of bench_floor.exe: --read-history reads every key of every
    history source that an analysis reads, each value's name and data in one
    call; --read and --delete work on the four seeded sources."""
    keys = [] if mode == "--read-history" else SOURCES
    code, out = scenario.wine(session, os.path.join(winetest.BUILD, "bench_floor.exe"), mode, *keys,
                              timeout=600)
    fields = dict(part.split("=") for part in out.split() if "=" in part)
    winetest.check(code == 0 and "ms" in fields, f"bench_floor {mode} failed ({code}): {out!r}")
    return int(fields["values"]), float(fields["ms"])


class Latency:
    """bench_latency.exe against the main window while a pass runs."""

    def __init__(self, session):
        self.session = session
        self.stop_path = session.drive_c("kv-bench-stop")
        if os.path.exists(self.stop_path):
            os.remove(self.stop_path)
        self.out = tempfile.TemporaryFile()
        # By handle: a message box of the program takes the same title.
        main = session.wait_for_window("the main window", lambda w: w["title"] == winetest.TITLE
                                       and w["rect"][2] - w["rect"][0] == 510)
        self.proc = subprocess.Popen(session.wine + [os.path.join(winetest.BUILD, "bench_latency.exe"),
                                                     "0x" + main["hwnd"], STOP_FILE, "900"],
                                     env=session.env, stdin=subprocess.DEVNULL, stdout=self.out,
                                     stderr=subprocess.DEVNULL)
        time.sleep(0.5)  # its own start-up, so that the pass is covered from the click

    def finish(self):
        open(self.stop_path, "w").close()
        self.proc.wait(timeout=60)
        self.out.seek(0)
        text = self.out.read().decode("utf-8", "replace")
        fields = dict(part.split("=") for part in text.split() if "=" in part)
        winetest.check("worst_ms" in fields, f"bench_latency printed {text!r}")
        return {k: float(v) for k, v in fields.items()}


class PeakRss:
    """The Linux process of a Wine program: its VmHWM, and VmRSS sampled every 0.2 s."""

    def __init__(self, pid):
        self.pid = pid
        self.sampled_kb = 0
        self.running = True
        self.thread = threading.Thread(target=self._sample, daemon=True)
        self.thread.start()

    def status(self, field):
        try:
            with open(f"/proc/{self.pid}/status") as f:
                for line in f:
                    if line.startswith(field + ":"):
                        return int(line.split()[1])
        except OSError:
            pass
        return 0

    def _sample(self):
        while self.running:
            self.sampled_kb = max(self.sampled_kb, self.status("VmRSS"))
            time.sleep(0.2)

    def private_kb(self):
        """The process's private memory: its anonymous pages, resident or swapped. Wine reports no
        committed private bytes of its own (its PrivateUsage is the swap), and memory a Windows
        program commits and writes is anonymous memory of this process."""
        return self.status("RssAnon") + self.status("VmSwap")

    def stop(self):
        self.running = False
        self.thread.join(timeout=5)


def wine_pid_of(session, exe_name):
    """The Linux pid whose command line names the Windows program (Wine keeps it in argv)."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                cmd = f.read().decode("utf-8", "replace")
            with open(f"/proc/{entry}/environ", "rb") as f:
                env = f.read().decode("utf-8", "replace")
        except OSError:
            continue
        if exe_name.lower() in cmd.lower() and f"WINEPREFIX={session.prefix}\0" in env + "\0":
            return int(entry)
    return None


def start_for_history(session, server):
    """Starts Kestravin.exe, waits for its start-up request and unticks GRID and PROCESS, so that the seeded
    history values are what it lists; returns the memory probe of its Wine process."""
    session.start()
    session.find_window()
    winetest.wait_until(lambda: server.count("run") == 1, 30, "the start-up request")
    pid = wine_pid_of(session, "Kestravin.exe")
    winetest.check(pid, "no Linux process of Kestravin.exe")
    rss = PeakRss(pid)
    scenario.set_box(session, "GRID", False)
    scenario.set_box(session, "PROCESS", False)
    return rss


def face_shown(session, bitmap):
    return scenario.action_face_is(session, bitmap)


def timed_pass(session, face_after, timeout):
    """Clicks the action button; seconds until the face changes, and the poll's own period."""
    shots = []
    start = time.monotonic()
    scenario.press_action(session)
    while True:
        before = time.monotonic()
        if face_shown(session, face_after):
            return time.monotonic() - start, statistics.mean(shots) if shots else 0.0
        shots.append(time.monotonic() - before)
        winetest.check(time.monotonic() - start < timeout, f"no {face_after} face after {timeout} s")
        time.sleep(0.05)


# -- start-up ----------------------------------------------------------------------


def startup_runs(runs):
    """Visible and first-paint seconds of `runs` starts against an answering stand-in."""
    workdir = tempfile.mkdtemp(prefix="kv-bench-")
    server = winetest.StandIn(workdir)
    results = []
    try:
        with winetest.Session(extra_env={"KESTRAVIN_SERVER": server.base}) as s:
            keeper = scenario.install_program(s, "idle_process.exe", "keeper.exe")
            scenario.start_program(s, keeper, "--seconds", "600")
            time.sleep(2)  # the prefix's own services are up: each start meets a warm wineserver
            for _ in range(runs):
                start = time.monotonic()
                proc = s.start()
                s.find_window(timeout=60)
                visible = time.monotonic() - start
                winetest.wait_until(lambda: face_shown(s, "btn_analyse.bmp"), 60, "the first paint", 0.02)
                painted = time.monotonic() - start
                results.append((visible, painted))
                proc.kill()
                proc.wait(timeout=30)
                winetest.wait_until(lambda: not s.xdotool("search", "--onlyvisible", "--name",
                                                          f"^{winetest.TITLE}$").split(), 30, "the window to go")
    finally:
        server.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    return results


def silent_error_box():
    """Seconds from the start to the connection-error box, the stand-in accepting but never answering."""
    workdir = tempfile.mkdtemp(prefix="kv-bench-")
    server = winetest.StandIn(workdir, "--silent")
    try:
        with winetest.Session(extra_env={"KESTRAVIN_SERVER": server.base}) as s:
            keeper = scenario.install_program(s, "idle_process.exe", "keeper.exe")
            scenario.start_program(s, keeper, "--seconds", "600")
            time.sleep(2)
            start = time.monotonic()
            s.start()
            caption = product.text("kCaptionConnectionError")
            winetest.wait_until(lambda: s.xdotool("search", "--onlyvisible", "--name", caption).split(),
                                120, "the connection-error box", 0.05)
            seconds = time.monotonic() - start
            box = [w for w in s.windows() if w["title"] == caption]
            winetest.check(box and product.text("kTextConnectionError") in box[0]["text"],
                           f"the box is not the connection error: {s.windows()}")
            return seconds
    finally:
        server.stop()
        shutil.rmtree(workdir, ignore_errors=True)


def menu_check_latency():
    """The main window's message latency while the menu's version check waits on a
    stand-in that accepts and never answers: from the command to the check's first box."""
    workdir = tempfile.mkdtemp(prefix="kv-bench-")
    server = winetest.StandIn(workdir)
    try:
        with winetest.Session(extra_env={"KESTRAVIN_SERVER": server.base}) as s:
            s.start()
            s.find_window()
            winetest.wait_until(lambda: server.count("run") == 1, 30, "the start-up request")
            main = s.wait_for_main()
            server.control(silent=1)
            before = len(server.requests())
            probe = Latency(s)
            start = time.monotonic()
            s.click_button(main["hwnd"], CHECK_VERSION)
            caption = product.text("kCaptionConnectionError")
            winetest.wait_until(lambda: any(w["title"] == caption for w in s.windows()), 120,
                                "the connection-error box", 0.1)
            r = {"box_s": time.monotonic() - start}
            r.update(probe.finish())
            r["queries"] = server.requests()[before:].count("/kestravin/update/ver.php")
            r["load"] = os.getloadavg()[0]
            return r
    finally:
        server.stop()
        shutil.rmtree(workdir, ignore_errors=True)


# -- passes at scale -------------------------------------------------------------------


def scale_run(count):
    workdir = tempfile.mkdtemp(prefix="kv-bench-")
    server = winetest.StandIn(workdir)
    r = {"count": count}
    try:
        with winetest.Session(extra_env={"KESTRAVIN_SERVER": server.base}) as s:
            keeper = scenario.install_program(s, "idle_process.exe", "keeper.exe")
            scenario.start_program(s, keeper, "--seconds", "1800")
            values = seed_values(count)
            t = time.monotonic()
            scenario.import_values(s, values)
            r["seed_s"] = time.monotonic() - t
            # The least of three: other work on the machine only ever adds to a floor.
            reads = [floor(s, "--read-history") for _ in range(3)]
            winetest.check(all(n == count for n, _ in reads), f"seeded {reads} values, wanted {count}")
            r["floor_read_ms"] = min(ms for _, ms in reads)

            rss = start_for_history(s, server)

            # The machine is shared: its load tells how far a figure can be trusted.
            r["load"] = os.getloadavg()[0]
            probe = Latency(s)
            r["private_before_kb"] = rss.private_kb()
            r["analysis_s"], r["poll_s"] = timed_pass(s, "btn_clean.bmp", 900)
            r["analysis_latency"] = probe.finish()
            r["private_after_kb"] = rss.private_kb()
            time.sleep(0.7)  # past the double-click time
            probe = Latency(s)
            r["clean_s"], _ = timed_pass(s, "btn_analyse.bmp", 900)
            r["clean_latency"] = probe.finish()
            rss.stop()
            r["vmhwm_kb"] = rss.status("VmHWM")
            r["rss_sampled_kb"] = rss.sampled_kb
            r["left_after_clean"], _ = floor(s, "--read")

            # The delete floor over the same values, seeded again; the least of two.
            deletes = []
            for _ in range(2):
                scenario.import_values(s, values)
                deletes.append(floor(s, "--delete"))
            winetest.check(all(n == count for n, _ in deletes), f"the delete floor removed {deletes}")
            r["floor_delete_ms"] = min(ms for _, ms in deletes)
    finally:
        server.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    return r


# -- the details window ----------------------------------------------------------------


def details_run(count):
    """The details window over `count` seeded history values, in a session of its own (a modal window
    that closed disturbs the main window's next click and replies, which the passes above must not carry):
    analysis, then the window opened from the main window's link (winprobe --open, inside Wine), timed from
    the click to the window shown and to the window with its list painted, beside the private memory the
    open window holds; then closed by its close button."""
    workdir = tempfile.mkdtemp(prefix="kv-bench-")
    server = winetest.StandIn(workdir)
    r = {"count": count}
    try:
        with winetest.Session(extra_env={"KESTRAVIN_SERVER": server.base}) as s:
            scenario.import_values(s, seed_values(count))
            rss = start_for_history(s, server)
            main = s.wait_for_main()["hwnd"]
            code, out = s.run("winprobe.exe", "--pass", main, str(ACTION), str(TRACE_LIST), str(count), "600000",
                              timeout=700)
            winetest.check(code == 0, f"the analysis did not list every row: {out!r}")
            winetest.wait_until(lambda: face_shown(s, "btn_clean.bmp"), 60, "the clean face")
            time.sleep(0.5)  # the pass ends a moment after its face shows
            r["load"] = os.getloadavg()[0]
            before = rss.private_kb()
            code, out = s.run("winprobe.exe", "--open", main, str(DETAILS_LINK[0]), str(DETAILS_LINK[1]), "60000",
                              timeout=120)
            got = dict(re.findall(r"(\w+)=(\S+)", out))
            winetest.check(code == 0 and "ms" in got, f"the details window did not open: {out!r}")
            r.update(shown_ms=float(got["shown_ms"]), painted_ms=float(got["ms"]),
                     private_kb=rss.private_kb() - before)
            r["rows"] = s.item_count(got["hwnd"], TRACE_LIST)
            s.click_button(got["hwnd"], CLOSE)
            winetest.wait_until(lambda: all(w["hwnd"] != got["hwnd"] for w in s.windows()), 60,
                                "the details window to close")
            rss.stop()
    finally:
        server.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    return r


# -- the Recent folder and the jump lists --------------------------------------------

SHORTCUT = os.path.join(winetest.TESTDATA, "files", "lnk", "NeroInfoTool.lnk")


def recent_run(shortcuts, lists, entries):
    """Analysis of a Recent folder of `shortcuts` real shortcuts and `lists` automatic jump lists of
    `entries` entries each (written by Windows' own structured storage), beside the floor that lists
    the same folders and reads the same bytes; then the cleaning of all of it."""
    workdir = tempfile.mkdtemp(prefix="kv-bench-")
    server = winetest.StandIn(workdir)
    r = {"shortcuts": shortcuts, "lists": lists, "entries": entries}
    try:
        with winetest.Session(extra_env={"KESTRAVIN_SERVER": server.base}) as s:
            keeper = scenario.install_program(s, "idle_process.exe", "keeper.exe")
            scenario.start_program(s, keeper, "--seconds", "1800")
            users = s.drive_c("users")
            user = next(u for u in sorted(os.listdir(users)) if u != "Public")
            recent = os.path.join(users, user, "AppData", "Roaming", "Microsoft", "Windows", "Recent")
            automatic = os.path.join(recent, "AutomaticDestinations")
            os.makedirs(automatic, exist_ok=True)
            for i in range(shortcuts):
                shutil.copyfile(SHORTCUT, os.path.join(recent, f"문서 {i}.txt.lnk"))
            shutil.copyfile(SHORTCUT, s.drive_c("kv-bench.lnk"))
            first = os.path.join(automatic, "1b4dd67f29cb1962.automaticDestinations-ms")
            windows_first = "C:\\users\\" + os.path.relpath(first, users).replace("/", "\\")
            code, out = scenario.wine(s, os.path.join(winetest.BUILD, "make_jump_list.exe"), windows_first,
                                      str(entries), "C:\\kv-bench.lnk")
            winetest.check(code == 0 and os.path.exists(first), f"make_jump_list failed ({code}): {out!r}")
            for i in range(1, lists):
                shutil.copyfile(first, os.path.join(automatic, f"{0x1000 + i:x}a1b2c3d4e5f6.automaticDestinations-ms"))
            r["rows_expected"] = shortcuts + lists * entries
            reads = []
            for _ in range(3):
                code, out = scenario.wine(s, os.path.join(winetest.BUILD, "bench_floor.exe"), "--read-recent",
                                          timeout=600)
                fields = dict(part.split("=") for part in out.split() if "=" in part)
                winetest.check(code == 0 and "ms" in fields, f"bench_floor --read-recent failed ({code}): {out!r}")
                reads.append(fields)
            winetest.check(int(reads[0]["values"]) == shortcuts + lists, f"the floor read {reads[0]}")
            r["floor_bytes"] = int(reads[0]["bytes"])
            r["floor_read_ms"] = min(float(f["ms"]) for f in reads)

            s.start()
            s.find_window()
            winetest.wait_until(lambda: server.count("run") == 1, 30, "the start-up request")
            hwnd = s.wait_for_window("the main window", lambda w: w["title"] == winetest.TITLE
                                     and w["rect"][2] - w["rect"][0] == 510)["hwnd"]
            for box in ("GRID", "PROCESS", "REGISTRY"):
                scenario.set_box(s, box, False)
            r["load"] = os.getloadavg()[0]
            code, out = s.run("winprobe.exe", "--pass", hwnd, str(ACTION), str(TRACE_LIST),
                              str(r["rows_expected"]), "600000", timeout=700)
            got = dict(re.findall(r"(\w+)=(\S+)", out))
            winetest.check(code == 0 and "ms" in got, f"the timed pass did not list every row: {out!r}")
            r["analysis_s"] = float(got["ms"]) / 1000.0
            winetest.wait_until(lambda: face_shown(s, "btn_clean.bmp"), 60, "the clean face")
            r["listed"] = s.item_count(hwnd, TRACE_LIST)
            time.sleep(0.7)  # past the double-click time
            r["clean_s"], r["poll_s"] = timed_pass(s, "btn_analyse.bmp", 900)
            r["left_files"] = sum(len(files) for _, _, files in os.walk(recent))
    finally:
        server.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    return r


# -- the browsers' History ---------------------------------------------------------------


def browser_run(addresses):
    """The browsers' analysis of a History of `addresses` addresses beside a bare SQLite loop over
    the same rows, and its cleaning beside a bare set-based deletion of the same addresses, all in
    bench_browser_scan.exe (the program's own scan through the Win32 file system, into the window's
    trace list, and its own removal of every listed row)."""
    with winetest.Session() as s:
        code, out = scenario.wine(s, os.path.join(winetest.BUILD, "bench_browser_scan.exe"), str(addresses),
                                  timeout=600)
    fields = dict(re.findall(r"(\w+)=(\S+)", out))
    winetest.check(code == 0 and "analysis_ms" in fields, f"bench_browser_scan failed ({code}): {out!r}")
    return {"addresses": addresses, "rows": int(fields["rows"]), "bare_ms": float(fields["bare_ms"]),
            "analysis_ms": float(fields["analysis_ms"]), "clean_rows": int(fields["clean_rows"]),
            "clean_ms": float(fields["clean_ms"]), "bare_clean_ms": float(fields["bare_clean_ms"]),
            "load": os.getloadavg()[0]}


# -- a profile of real size -----------------------------------------------------------


def hive_run(name):
    """Analysis of one shared hive's usage history beside the floor over the same keys."""
    workdir = tempfile.mkdtemp(prefix="kv-bench-")
    server = winetest.StandIn(workdir)
    r = {"hive": name}
    try:
        keys, rows = hives.history(name, workdir)
        r["keys"] = len(rows)
        r["rows_expected"] = sum(len(v) for v in rows.values())
        with winetest.Session(extra_env={"KESTRAVIN_SERVER": server.base}) as s:
            keeper = scenario.install_program(s, "idle_process.exe", "keeper.exe")
            scenario.start_program(s, keeper, "--seconds", "600")
            hives.import_subtrees(s, keys, {key for _, key in rows})
            # The least of three, as for the seeded values; the floor reads
            # every value of every key, the bookkeeping and default values too.
            reads = [floor(s, "--read-history") for _ in range(3)]
            r["floor_values"] = reads[0][0]
            r["floor_read_ms"] = min(ms for _, ms in reads)

            s.start()
            s.find_window()
            winetest.wait_until(lambda: server.count("run") == 1, 30, "the start-up request")
            hwnd = s.wait_for_window("the main window", lambda w: w["title"] == winetest.TITLE
                                     and w["rect"][2] - w["rect"][0] == 510)["hwnd"]
            scenario.set_box(s, "GRID", False)
            scenario.set_box(s, "PROCESS", False)
            r["load"] = os.getloadavg()[0]
            # A real user's history is small: a screenshot poll is too coarse
            # for it, so the probe presses the button and counts the rows in.
            code, out = s.run("winprobe.exe", "--pass", hwnd, str(ACTION), str(TRACE_LIST),
                              str(r["rows_expected"]), "60000", timeout=120)
            got = dict(re.findall(r"(\w+)=(\S+)", out))
            winetest.check(code == 0 and "ms" in got, f"the timed pass did not list every row: {out!r}")
            r["analysis_s"] = float(got["ms"]) / 1000.0
            r["poll_s"] = 0.001
            winetest.wait_until(lambda: face_shown(s, "btn_clean.bmp"), 60, "the clean face")
            r["listed"] = s.item_count(hwnd, TRACE_LIST)
    finally:
        server.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    return r


# -- the report ---------------------------------------------------------------------------


def machine():
    model = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    env, wine = winetest.wine_env_base()
    version = subprocess.run(wine + ["--version"], env=env, capture_output=True, text=True,
                             timeout=60).stdout.strip()
    return {"cpu": model, "cores": os.cpu_count(), "wine": version, "arch": env["WINEARCH"],
            "kernel": platform.release(), "load": os.getloadavg()[0]}


def size_of(path):
    return os.path.getsize(path) if os.path.exists(path) else None


def per_row_kib(r):
    return (r["private_after_kb"] - r["private_before_kb"]) / max(r["count"], 1)


def verdict(ok):
    return "met" if ok else "MISSED"


def report(m, sizes, startup, silent_s, menu, scales, profiles, recents=(), browsers=(), details=()):
    lines = ["# Benchmark results", "",
             "Written by `tools/bench.sh` (tests/bench/bench.py); figures from one run, not a test.", "",
             "## Machine", "",
             f"- CPU: {m['cpu']}, {m['cores']} cores; Linux {m['kernel']}",
             f"- Wine: {m['wine']}, prefix {m['arch']} (the build under test: "
             f"{'64-bit' if m['arch'] == 'win64' else '32-bit'})",
             f"- run at {time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())}; load average (1 min) "
             f"{m['load']:.1f} at the start. The machine's cores are shared with other work: with a load "
             f"above the core count, expect figures to vary by a factor of two or more between runs.", ""]
    lines += ["## Start-up", "",
              "From `wine Kestravin.exe` being started (a warm wineserver: a keeper program runs in the "
              "prefix) to the main window visible (`xdotool search --onlyvisible`, polled) and to its first "
              "paint (the action button's face on a screenshot, polled).", "",
              "| run | visible (s) | first paint (s) |", "|---|---|---|"]
    for i, (v, p) in enumerate(startup, 1):
        lines.append(f"| {i} | {v:.2f} | {p:.2f} |")
    if startup:
        lines.append(f"| median | {statistics.median(v for v, _ in startup):.2f} | "
                     f"{statistics.median(p for _, p in startup):.2f} |")
    lines += ["", f"Stand-in `--silent` (accepts, never answers): the connection-error box (\"접속 오류\") "
                  f"appeared after **{silent_s:.1f} s** (one run; polled with xdotool, text checked with "
                  f"winprobe).", ""]
    lines += ["## The menu's version check against a silent server", "",
              "The stand-in answers start-up, then accepts and never answers. `bench_latency.exe` (below) "
              "sends WM_NULL to the main window every 10 ms from the menu command \"최신버전 확인\" (posted "
              "by winprobe) until the check's connection-error box appears.", "",
              "| samples | worst (ms) | p99 (ms) | ≥100 ms | box after (s) | version queries | load (1 min) |",
              "|---|---|---|---|---|---|---|",
              f"| {menu['samples']:.0f} | {menu['worst_ms']:.1f} | {menu['p99_ms']:.1f} | "
              f"{menu['over100']:.0f} | {menu['box_s']:.1f} | {menu['queries']} | {menu['load']:.1f} |", ""]
    lines += ["## Analysis and cleaning at scale", "",
              "History values seeded with one `reg import`, a quarter each in the MUI cache (programs on C: "
              "that are gone), TypedURLs, RunMRU and Word's File MRU; GRID and PROCESS unticked. A pass is "
              "timed from the click to the action button's face change on a screenshot (polled; each poll "
              "costs about {:.2f} s, which bounds the resolution). The floor is `bench_floor.exe`: a bare "
              "reader and deleter of the same values (each value's name and data in one RegEnumValueA call, a "
              "second only for what does not fit 260 bytes; RegDeleteValueA), nothing else, in the same prefix "
              "in the same run, the least of three reads and of two deletes. "
              "A pass also carries fixed costs the floor has not "
              "(the press, the usage request, the poll): at 300 values they are most of it, so that ratio "
              "says more about them than about the program.".format(
                  statistics.mean(r["poll_s"] for r in scales) if scales else 0), "",
              "| values | analysis (s) | read floor (s) | ratio | cleaning (s) | delete floor (s) | ratio | "
              "left after cleaning | load (1 min) |", "|---|---|---|---|---|---|---|---|---|"]
    for r in scales:
        ra = r["analysis_s"] / (r["floor_read_ms"] / 1000)
        rc = r["clean_s"] / (r["floor_delete_ms"] / 1000)
        r["ratios"] = (ra, rc)
        lines.append(f"| {r['count']:,} | {r['analysis_s']:.2f} | {r['floor_read_ms'] / 1000:.3f} | {ra:.1f}x | "
                     f"{r['clean_s']:.2f} | {r['floor_delete_ms'] / 1000:.3f} | {rc:.1f}x | "
                     f"{r['left_after_clean']} | {r['load']:.1f} |")
    by = {r["count"]: r for r in scales}
    lines += [""]
    goals = []
    if 3000 in by and 30000 in by:
        ga = by[30000]["analysis_s"] / by[3000]["analysis_s"]
        gc = by[30000]["clean_s"] / by[3000]["clean_s"]
        lines.append(f"Growth 3,000 → 30,000: analysis {ga:.1f}x, cleaning {gc:.1f}x.")
        goals.append(f"30,000 within {GOALS['growth']:.0f}x of 3,000: analysis {ga:.1f}x "
                     f"({verdict(ga <= GOALS['growth'])}), cleaning {gc:.1f}x ({verdict(gc <= GOALS['growth'])})")
    if profiles:
        lines += ["", "## A profile of real size", "",
                  "The usage-history subtrees of one shared user hive (tests/wine/hives.py: the keys the "
                  "history sources name, as hivexregedit exports them; never Shell Folders) imported into a "
                  "fresh prefix, one hive a prefix; GRID and PROCESS unticked. Analysis timed by "
                  "`winprobe.exe --pass`, inside Wine: from posting the action button's command to the last "
                  "row in the trace list, the list asked every millisecond (the press and the usage request to "
                  "the local stand-in included); the floor is `bench_floor.exe --read-history` (every key of "
                  "every history source opened, each value's name and data read in one RegEnumValueA call), "
                  "the least of three, in the same prefix. "
                  "",
                  "| hive | keys | rows the hive gives | rows listed | values read by the floor | analysis (s) | "
                  "read floor (s) | ratio | load (1 min) |", "|---|---|---|---|---|---|---|---|---|"]
        for r in profiles:
            r["ratio"] = r["analysis_s"] / (r["floor_read_ms"] / 1000)
            lines.append(f"| {r['hive']} | {r['keys']} | {r['rows_expected']} | {r['listed']} | "
                         f"{r['floor_values']} | {r['analysis_s']:.3f} | {r['floor_read_ms'] / 1000:.3f} | "
                         f"{r['ratio']:.1f}x | {r['load']:.1f} |")
    if recents:
        lines += ["", "## The Recent folder and the jump lists", "",
                  "Copies of the shared real shortcut `NeroInfoTool.lnk` directly in the prefix user's Recent "
                  "folder, and automatic jump lists written by Windows' own structured storage "
                  "(`make_jump_list.exe`: DestList version 3, one copy of the shortcut per entry, none pinned); "
                  "RECENT alone ticked. Analysis timed by `winprobe.exe --pass` from posting the button's command "
                  "to the last row in the list (the press and the usage request included); the floor is "
                  "`bench_floor.exe --read-recent`: the same folders listed and the same bytes read (each "
                  "shortcut up to 64 KiB, each jump list whole), nothing parsed, no list, the least of three. "
                  "Cleaning from the click to the face change (polled), all of it removed.", "",
                  "| shortcuts | jump lists × entries | rows listed | bytes read | analysis (s) | floor (s) | ratio | "
                  "cleaning (s) | files left | load (1 min) |", "|---|---|---|---|---|---|---|---|---|---|"]
        for r in recents:
            r["ratio"] = r["analysis_s"] / (r["floor_read_ms"] / 1000)
            lines.append(f"| {r['shortcuts']:,} | {r['lists']} × {r['entries']} | {r['listed']:,} | "
                         f"{r['floor_bytes']:,} | {r['analysis_s']:.3f} | {r['floor_read_ms'] / 1000:.3f} | "
                         f"{r['ratio']:.2f}x | {r['clean_s']:.2f} | {r['left_files']} | {r['load']:.1f} |")
    if browsers:
        lines += ["", "## The browsers' History", "",
                  "A History of today's schema in Chrome's Default profile (`bench_browser_scan.exe`), each address "
                  "with a Korean title, two visits and a segment. Analysis is the program's own scan "
                  "(`ScanBrowsers`: the file read whole through the Win32 file system, opened in memory, a row "
                  "per address into the trace list the window shows); the floor is a bare loop that opens the "
                  "file with SQLite and reads id, url and title of every address into strings. One process, "
                  "the least of five runs each after one that warms the caches. Cleaning removes every row "
                  "listed of a History whose every tenth address also has a search term (`RemoveDatabaseRows`, "
                  "one transaction); its floor is a bare program that deletes the same addresses with their "
                  "visits, terms and segments set-based in one transaction; the least of three runs, each "
                  "from a fresh file.", "",
                  "| addresses | rows listed | analysis (ms) | bare SQLite (ms) | ratio | rows cleaned | "
                  "cleaning (ms) | bare deletion (ms) | ratio | load (1 min) |",
                  "|---|---|---|---|---|---|---|---|---|---|"]
        for r in browsers:
            r["ratio"] = r["analysis_ms"] / r["bare_ms"]
            lines.append(f"| {r['addresses']:,} | {r['rows']:,} | {r['analysis_ms']:.1f} | {r['bare_ms']:.1f} | "
                         f"{r['ratio']:.2f}x | {r['clean_rows']:,} | {r['clean_ms']:.1f} | "
                         f"{r['bare_clean_ms']:.1f} | {r['clean_ms'] / r['bare_clean_ms']:.2f}x | "
                         f"{r['load']:.1f} |")
    profile_goals = []
    for r in browsers:
        profile_goals.append(f"analysis of a History of {r['addresses']:,} addresses within "
                             f"{GOALS['browser_floor_ratio']:.1f}x of bare SQLite: {r['ratio']:.2f}x "
                             f"({verdict(r['ratio'] <= GOALS['browser_floor_ratio'])})")
    for r in recents:
        profile_goals.append(f"analysis of {r['shortcuts']:,} shortcuts and {r['lists']} jump lists of {r['entries']} "
                          f"entries within {GOALS['recent_floor_ratio']:.1f}x of its floor: {r['ratio']:.2f}x "
                          f"({verdict(r['ratio'] <= GOALS['recent_floor_ratio'])})")
    for r in profiles:
        profile_goals.append(f"analysis of the {r['hive']} profile within {GOALS['hive_floor_ratio']:.1f}x of "
                          f"its floor: {r['ratio']:.1f}x ({verdict(r['ratio'] <= GOALS['hive_floor_ratio'])})")
    lines += ["", "## Responsiveness", "",
              "`bench_latency.exe` sends WM_NULL with SendMessageTimeoutA (5 s) every 10 ms to the main window "
              "from the click to the end of the pass.", "",
              "| values | pass | samples | worst (ms) | p99 (ms) | ≥100 ms |", "|---|---|---|---|---|---|"]
    for r in scales:
        for name in ("analysis", "clean"):
            lat = r[f"{name}_latency"]
            lines.append(f"| {r['count']:,} | {name} | {lat['samples']:.0f} | {lat['worst_ms']:.1f} | "
                         f"{lat['p99_ms']:.1f} | {lat['over100']:.0f} |")
    if details:
        lines += ["", "## The details window", "",
                  "History values seeded as above, analysed (GRID and PROCESS unticked), then the details window "
                  "opened from the main window's link with every row listed, timed by `winprobe.exe --open` "
                  "inside Wine from posting the click: to the window shown (its initialisation over), and to "
                  "the window answering a message with everything it had to paint, the list's rows among it, "
                  "painted. Private memory as below, just before the click and with the window open. A session "
                  "of its own: the window's closing is not to disturb the passes above.", "",
                  "| values | rows listed | shown (ms) | painted (ms) | private memory it holds (MiB) | "
                  "load (1 min) |", "|---|---|---|---|---|---|"]
        for r in details:
            lines.append(f"| {r['count']:,} | {r['rows']:,} | {r['shown_ms']:.1f} | {r['painted_ms']:.1f} | "
                         f"{r['private_kb'] / 1024:.1f} | {r['load']:.1f} |")
    lines += ["", "## Footprint", ""]
    for r in scales:
        lines.append(f"- {r['count']:,} values: peak resident set of the Wine process (VmHWM, whole life, "
                     f"Wine's own mappings included) {r['vmhwm_kb'] / 1024:.1f} MiB; largest VmRSS sampled "
                     f"during the passes {r['rss_sampled_kb'] / 1024:.1f} MiB")
    for label, size in sizes.items():
        lines.append(f"- {label}: " + (f"{size:,} bytes ({size / 1048576:.2f} MiB)" if size else "not built"))
    lines += ["", "Private memory of the program (the Wine process's anonymous pages, RssAnon + VmSwap: what "
                  "the program commits and writes; Wine reports no committed private bytes of its own) just "
                  "before the analysis and just after it, with every value listed:", "",
              "| values | before (MiB) | after (MiB) | growth per listed row (KiB) |", "|---|---|---|---|"]
    for r in scales:
        lines.append(f"| {r['count']:,} | {r['private_before_kb'] / 1024:.1f} | {r['private_after_kb'] / 1024:.1f} | "
                     f"{per_row_kib(r):.2f} |")
    if 30000 in by:
        r = by[30000]
        ra, rc = r["ratios"]
        goals.insert(0, f"analysis within {GOALS['floor_ratio']:.2f}x of its floor at 30,000: {ra:.2f}x "
                        f"({verdict(ra <= GOALS['floor_ratio'])})")
        goals.insert(1, f"cleaning within {GOALS['floor_ratio']:.2f}x of its floor at 30,000: {rc:.2f}x "
                        f"({verdict(rc <= GOALS['floor_ratio'])})")
        worst = max(r["analysis_latency"]["worst_ms"], r["clean_latency"]["worst_ms"])
        goals.append(f"worst message latency under {GOALS['latency_ms']:.0f} ms during the 30,000-value "
                     f"passes: {worst:.1f} ms ({verdict(worst < GOALS['latency_ms'])})")
        kib = per_row_kib(r)
        goals.append(f"private memory growth per listed row at most {GOALS['private_kib_per_row']:.1f} KiB at "
                     f"30,000: {kib:.2f} KiB ({verdict(kib <= GOALS['private_kib_per_row'])})")
    goals += profile_goals
    for r in details:
        if r["count"] == 30000:
            goals.append(f"details window open and painted under {GOALS['details_open_ms']:.0f} ms at 30,000 rows: "
                         f"{r['painted_ms']:.0f} ms ({verdict(r['painted_ms'] < GOALS['details_open_ms'])})")
    goals.append(f"worst message latency under {GOALS['menu_check_latency_ms']:.0f} ms while the menu's "
                 f"version check waits on a silent server: {menu['worst_ms']:.1f} ms "
                 f"({verdict(menu['worst_ms'] < GOALS['menu_check_latency_ms'])})")
    lines += ["", "## Goals", ""] + [f"- {g}" for g in goals] + [""]
    return "\n".join(lines)


def kept_notes(path):
    """The hand-written part of an earlier results file: KEPT_HEADING to the end."""
    if not os.path.exists(path):
        return ""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    at = text.find("\n" + KEPT_HEADING + "\n")
    return text[at + 1:] if at >= 0 else ""


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--out", default=os.path.join(winetest.REPO, "docs", "benchmark-results.md"))
    p.add_argument("--sizes", default="300,3000,30000", help="value counts, comma-separated")
    p.add_argument("--startup-runs", type=int, default=3)
    p.add_argument("--hives", default=",".join(hives.HIVES),
                   help="shared hives for the profile of real size, comma-separated; empty for none")
    p.add_argument("--recent", default="2000,50,40",
                   help="shortcuts, jump lists and entries a list for the Recent folder; empty for none")
    p.add_argument("--browsers", default="20000",
                   help="addresses of each History for the browsers' analysis, comma-separated; empty for none")
    p.add_argument("--details", default="30000",
                   help="history values for the details window's opening, comma-separated; empty for none")
    args = p.parse_args()

    m = machine()
    print(f"bench: {m['cpu']}, {m['cores']} cores, {m['wine']}, {m['arch']}", flush=True)
    win32 = os.environ.get("KV_BUILD_WIN32") or os.path.join(winetest.REPO, "build", "win32")
    under_test = (f"Kestravin.exe under test ({'64' if m['arch'] == 'win64' else '32'}-bit, "
                  f"{os.path.relpath(winetest.BUILD, winetest.REPO)})")
    sizes = {under_test: size_of(os.path.join(winetest.BUILD, "Kestravin.exe"))}
    if m["arch"] == "win64":
        sizes[f"Kestravin.exe, the 32-bit product ({os.path.relpath(win32, winetest.REPO)})"] = \
            size_of(os.path.join(win32, "Kestravin.exe"))
    # The symbols kept beside each program, which a user does not copy.
    for folder in dict.fromkeys([winetest.BUILD, win32]):
        debug = os.path.join(folder, "Kestravin.exe.debug")
        if os.path.exists(debug):
            sizes[f"its debug symbols, {os.path.relpath(debug, winetest.REPO)}"] = size_of(debug)
    for label, size in sizes.items():
        print(f"bench: {label}: " + (f"{size:,} bytes ({size / 1048576:.2f} MiB)" if size else "not built"),
              flush=True)

    startup = startup_runs(args.startup_runs)
    for v, pnt in startup:
        print(f"bench: start-up visible {v:.2f} s, first paint {pnt:.2f} s", flush=True)
    silent_s = silent_error_box()
    print(f"bench: silent stand-in: connection-error box after {silent_s:.1f} s", flush=True)
    menu = menu_check_latency()
    print(f"bench: menu version check on a silent stand-in: worst latency {menu['worst_ms']:.1f} ms "
          f"over {menu['samples']:.0f} messages, box after {menu['box_s']:.1f} s", flush=True)
    scales = []
    for count in (int(c) for c in args.sizes.split(",") if c):
        r = scale_run(count)
        scales.append(r)
        print(f"bench: {count} values: seed {r['seed_s']:.1f} s; analysis {r['analysis_s']:.2f} s "
              f"(floor {r['floor_read_ms']:.0f} ms), cleaning {r['clean_s']:.2f} s "
              f"(floor {r['floor_delete_ms']:.0f} ms): {r['analysis_s'] / (r['floor_read_ms'] / 1000):.2f}x / "
              f"{r['clean_s'] / (r['floor_delete_ms'] / 1000):.2f}x; worst latency "
              f"{r['analysis_latency']['worst_ms']:.0f} / {r['clean_latency']['worst_ms']:.0f} ms; "
              f"private {r['private_before_kb'] / 1024:.1f} -> {r['private_after_kb'] / 1024:.1f} MiB "
              f"({per_row_kib(r):.2f} KiB a row); VmHWM {r['vmhwm_kb'] / 1024:.1f} MiB; "
              f"left {r['left_after_clean']}", flush=True)
    profiles = []
    for name in (h for h in args.hives.split(",") if h):
        r = hive_run(name)
        profiles.append(r)
        print(f"bench: {name} profile: {r['rows_expected']} history values in {r['keys']} keys, "
              f"{r['listed']} rows listed; analysis {r['analysis_s']:.2f} s (floor {r['floor_read_ms']:.1f} ms "
              f"over {r['floor_values']} values)", flush=True)
    recents = []
    if args.recent:
        shortcuts, lists, entries = (int(n) for n in args.recent.split(","))
        r = recent_run(shortcuts, lists, entries)
        recents.append(r)
        print(f"bench: Recent: {shortcuts} shortcuts and {lists} jump lists of {entries} entries, {r['listed']} "
              f"rows listed; analysis {r['analysis_s']:.3f} s (floor {r['floor_read_ms']:.1f} ms over "
              f"{r['floor_bytes']} bytes); cleaning {r['clean_s']:.2f} s, {r['left_files']} files left", flush=True)
    browsers = []
    for addresses in (int(n) for n in args.browsers.split(",") if n):
        r = browser_run(addresses)
        browsers.append(r)
        print(f"bench: browsers: {addresses} addresses, {r['rows']} rows listed; analysis {r['analysis_ms']:.1f} ms "
              f"beside bare SQLite {r['bare_ms']:.1f} ms; cleaning {r['clean_rows']} rows {r['clean_ms']:.1f} ms "
              f"beside a bare set-based deletion {r['bare_clean_ms']:.1f} ms", flush=True)
    details = []
    for count in (int(n) for n in args.details.split(",") if n):
        r = details_run(count)
        details.append(r)
        print(f"bench: details window over {count} values, {r['rows']} rows: shown after {r['shown_ms']:.0f} ms, "
              f"painted after {r['painted_ms']:.0f} ms; private +{r['private_kb'] / 1024:.1f} MiB", flush=True)
    text = report(m, sizes, startup, silent_s, menu, scales, profiles, recents, browsers, details)
    notes = kept_notes(args.out)
    os.makedirs(os.path.dirname(args.out), exist_ok=True)
    with open(args.out, "w", encoding="utf-8") as f:
        f.write(text + ("\n" + notes if notes else ""))
    print(text)
    print(f"bench: wrote {args.out}")


if __name__ == "__main__":
    main()
