#!/usr/bin/env python3
"""The demo: packs the demo edition's installer, serves the demo product on
loopback and walks through an installation under Wine by itself, saving a
screenshot of every view.

    demo_walk.py --bin build/windows/bin --work build/demo [--edition A|B]

Runs on $DISPLAY when there is one, else on a private Xvfb display.
"""

import argparse
import os
import shutil
import sys
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import driver  # noqa: E402
from session import Run, Workspace  # noqa: E402


DOWNLOADING_SHOT_BYTES = 2_000_000


def partial_sizes(folder):
    try:
        return [os.path.getsize(os.path.join(folder, n)) for n in os.listdir(folder) if n.endswith(".tmp")]
    except OSError:  # a .tmp renamed while looking
        return []


def say(text):
    print("demo:", text, flush=True)


def wait_for(what, predicate, timeout):
    return driver.wait_until(what, predicate, timeout, 0.1)


def walk(run, edition, screens):
    def shot(name):
        run.display_screenshot(os.path.join(screens, name + ".png"))
        say("  screenshot %s.png" % name)

    values = run.ws.values(edition)
    work, target = run.work_dir(edition), run.install_dir(edition)
    inst = run.installer(edition)
    say("starting the installer for %s (%s)" % (values["AppName"], values["AppEName"]))
    inst.wait_window()
    shot("1-start")
    time.sleep(1.5)
    inst.click(driver.PRIMARY_BUTTON)  # 准备安装
    shot("2-directory-choice")
    time.sleep(1.5)
    inst.click(driver.PRIMARY_BUTTON, settle=0.2)  # 安装
    shot("3-preparing")
    # The display samples once every 25 progress events, a few ranges apart:
    # wait until two samples have shown a speed and a remaining time.
    wait_for("the download", lambda: any(s >= DOWNLOADING_SHOT_BYTES for s in partial_sizes(work)), 120)
    time.sleep(0.5)
    shot("4-downloading")
    wait_for("the installation", lambda: os.path.isdir(os.path.join(target, "data")), 300)
    shot("5-installing")
    wait_for("the end of the installation",
             lambda: os.path.exists(os.path.join(target, "uninstall.log")) and not os.path.exists(work), 300)
    time.sleep(2.0)
    shot("6-finished")
    messages = inst.messages()
    if messages:
        raise driver.DriverError("the installer said: %s" % " / ".join(messages))
    time.sleep(1.5)
    inst.click(driver.PRIMARY_BUTTON, settle=0.2)  # 立即体验
    inst.wait_exit(60)
    marker = os.path.join(target, "launched-DeskTutor.txt")
    wait_for("the installed product to start", lambda: os.path.exists(marker), 60)
    time.sleep(2.0)
    shot("7-product")
    return target


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--edition", default="A", choices=["A", "B"])
    ap.add_argument("--rate", default="256k", help="nginx's throttle, so the download can be watched")
    args = ap.parse_args()

    ws = Workspace(args.work, args.bin)
    ws.prepare(log=say)
    screens = os.path.join(ws.root, "screens")
    shutil.rmtree(screens, ignore_errors=True)
    run = Run(ws, "demo", display=os.environ.get("DISPLAY"))
    say("display %s%s" % (run.display.name, "" if run.display.proc is None else " (private Xvfb)"))
    try:
        run.serve(limit_rate=args.rate)
        say("update server http://127.0.0.1:%d/ serving %s" % (driver.UPDATE_PORT, os.path.join(ws.content, "www")))
        target = walk(run, args.edition, screens)
        if run.display.proc is None:
            say("the demo product's windows stay open for a few seconds")
            time.sleep(5)
    except driver.DriverError as e:
        run.display_screenshot(os.path.join(screens, "at-failure.png"))
        say("FAILED: %s" % e)
        say("screenshots: %s, logs: %s" % (screens, run.dir))
        return 1
    finally:
        run.close()
    say("done. The installed product is in %s (D:\\TARVO\\%s in the Wine prefix %s)"
        % (target, ws.values(args.edition)["AppEName"], run.prefix.path))
    say("shortcuts below %s, screenshots in %s" % (os.path.join(run.prefix.user_dir(), "Desktop"), screens))
    return 0


if __name__ == "__main__":
    sys.exit(main())
