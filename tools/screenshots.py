#!/usr/bin/python3
"""Takes the README's screenshots from the real Kestravin.exe under Wine and Xvfb.

  docs/screenshot.png  the main window after an analysis of the sample
                       profile (tools/seed_sample_profile.sh), every category
                       ticked, its counts drawn
  docs/details.png     the details window opened from that analysis, its
                       rows with their check boxes

Environment as tests/wine/winetest.py: the build in KV_BUILD_WIN (default
build/win, made by tools/build.sh), the template prefix in
KV_TEMPLATE_PREFIX (default made beside the build). The prefix is a copy
and nothing is cleaned: the program ends with it.

  tools/screenshots.py [--out DIR]
"""
import argparse
import os
import subprocess
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests", "wine"))
import product  # noqa: E402
import scenario  # noqa: E402
import winetest  # noqa: E402

DETAILS_POINT = product.centre(product.rect("kDetailsHot"))
DETAILS_SIZE = (product.number("kWindowWidth"), product.number("kWindowHeight"))
TRACE_LIST = product.resource_id("IDC_TRACE_LIST")


def window_shot(session, rect):
    left, top, right, bottom = rect
    return session.screenshot().crop((left, top, right, bottom))


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--out", default=os.path.join(REPO, "docs"))
    args = p.parse_args()
    os.makedirs(args.out, exist_ok=True)
    with winetest.served_session("shots") as (s, server):
        seeded = subprocess.run(["bash", os.path.join(REPO, "tools", "seed_sample_profile.sh"), s.prefix],
                                env=dict(s.env, KV_REPO=REPO), capture_output=True, text=True, timeout=300)
        winetest.check(seeded.returncode == 0, f"the sample profile was not seeded: {seeded.stderr}")
        for name in ("sample_notes.exe", "qdownagent.exe"):
            scenario.wait_for_process(s, name)
        s.start()
        s.find_window()
        main_window = s.wait_for_main()
        winetest.wait_until(lambda: server.count("run") == 1, 30, "the start-up request")
        scenario.run_pass(s, server, "analysis", "btn_clean.bmp", 120)
        rows = s.item_count(main_window["hwnd"], TRACE_LIST)
        winetest.check(rows > 0, "the analysis found nothing")
        s.move_away()
        time.sleep(1.0)  # the counts' last repaint
        window_shot(s, main_window["rect"]).save(os.path.join(args.out, "screenshot.png"))

        s.click(*DETAILS_POINT)
        details = s.wait_for_window("the details window", lambda w: w["cls"] == "#32770" and not w["title"]
                                    and (w["rect"][2] - w["rect"][0], w["rect"][3] - w["rect"][1]) == DETAILS_SIZE,
                                    20)
        s.move_away()
        time.sleep(1.0)
        window_shot(s, details["rect"]).save(os.path.join(args.out, "details.png"))
        print(f"screenshots: {rows} traces listed; wrote screenshot.png and details.png to {args.out}")


if __name__ == "__main__":
    main()
