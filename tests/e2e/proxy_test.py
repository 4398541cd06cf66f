#!/usr/bin/env python3
"""The installer behind squid under Wine, with the proxy set in the user's
Internet Settings as a school or office sets it: one row per network. Each
row checks the outcome and its message, the requests in squid's log and the
installed files against the served ones.

    proxy_test.py --bin BIN_DIR --work WORK_DIR proxy
"""

import os
import shutil
import subprocess
import sys
import time

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import e2e_test as e2e  # noqa: E402
from e2e_test import check, driver  # noqa: E402

SQUID_SERVE = os.path.join(driver.ROOT, "tests", "servers", "squid-serve")
USER, PASSWORD = "pupil", "s3cret"
PROXY_MESSAGE_END = "代理服务器需要身份验证"
SETTINGS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"


class Squid:
    def __init__(self, state, auth=False):
        self.state = state
        args = [SQUID_SERVE, "start", state]
        if auth:
            args += ["--auth", "%s:%s" % (USER, PASSWORD)]
        r = subprocess.run(args, capture_output=True, text=True)
        if r.returncode != 0:
            raise driver.DriverError("squid did not start: " + r.stderr.strip())
        self.port = int(r.stdout.strip())

    def log(self):
        """(method, url, status, user) of every request it relayed."""
        out = []
        with open(os.path.join(self.state, "access.log"), encoding="utf-8", errors="replace") as f:
            for line in f:
                parts = line.split()
                if len(parts) == 4 and parts[0] != "-":
                    out.append(tuple(parts))
        return out

    def stop(self):
        subprocess.run([SQUID_SERVE, "stop", self.state], capture_output=True)


def set_proxy(run, server):
    """The user's Internet Settings: a manual proxy, or none."""
    env = run.prefix.env(run.display.name)
    values = [("ProxyEnable", "REG_DWORD", "1" if server else "0")]
    if server:
        values.append(("ProxyServer", "REG_SZ", server))
    for name, kind, data in values:
        subprocess.run(["wine", "reg", "add", SETTINGS, "/v", name, "/t", kind, "/d", data, "/f"], env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    subprocess.run(["wineserver", "-w"], env=dict(os.environ, WINEPREFIX=run.prefix.path), check=False)


def only_through_proxy():
    """A proxy-only network: in this namespace only squid (which runs as the
    user proxy) reaches the update server and the probe sites."""
    ports = ",".join(str(p) for p in [driver.UPDATE_PORT] + list(driver.PROBE_PORTS))
    subprocess.run(["iptables", "-A", "OUTPUT", "-o", "lo", "-p", "tcp", "-m", "multiport", "--dports", ports,
                    "-m", "owner", "!", "--uid-owner", "proxy", "-j", "REJECT", "--reject-with", "tcp-reset"],
                   check=True)


def dialog(inst, timeout=120):
    """The proxy-credentials dialog: a window of the installer's besides its own."""
    def found():
        if not inst.running():
            raise driver.DriverError("the installer ended before the dialog showed: %r" % inst.messages())
        others = [w for w in inst.visible_windows() if w != inst.window]
        return others[0] if others else None
    wid = driver.wait_until("the proxy's password dialog", found, timeout, 0.3)
    time.sleep(1.0)
    return wid


def answer_dialog(inst, wid, keys):
    inst._xdo("windowactivate", wid, check=False)
    inst._xdo("windowfocus", "--sync", wid, check=False)
    for k in keys:
        if k.startswith("type:"):
            inst._xdo("type", "--delay", "50", k[5:])
        else:
            inst._xdo("key", k)
        time.sleep(0.3)


def reset_install(run):
    shutil.rmtree(run.install_dir("A"), ignore_errors=True)
    shutil.rmtree(run.exe_dir("A"), ignore_errors=True)


def gets_of(squid, user="-"):
    return [u for m, u, s, who in squid.log() if m == "GET" and who == user and s in ("200", "206")]


@e2e.scenario
def scenario_proxy(run):
    run.serve()
    open_proxy = Squid(os.path.join(run.dir, "squid"))
    auth_proxy = Squid(os.path.join(run.dir, "squid-auth"), auth=True)
    try:
        rows(run, open_proxy, auth_proxy)
    finally:
        open_proxy.stop()
        auth_proxy.stop()


def rows(run, open_proxy, auth_proxy):
    # Direct: no proxy set, nothing goes through squid.
    set_proxy(run, None)
    inst = e2e.start_installing(run, "A")
    e2e.wait_finished(run, inst, "A")
    e2e.check_installed_tree(run, "A")
    check(not open_proxy.log(), "direct: squid saw nothing (%d requests)" % len(open_proxy.log()))
    inst.click(driver.CLOSE_BUTTON, settle=0.5)
    inst.wait_exit(30)
    reset_install(run)

    # A visible proxy: every request goes through it.
    set_proxy(run, "127.0.0.1:%d" % open_proxy.port)
    inst = e2e.start_installing(run, "A")
    e2e.wait_finished(run, inst, "A")
    e2e.check_installed_tree(run, "A")
    check(any(u.endswith("/setup.zip") for u in gets_of(open_proxy)), "visible proxy: squid relayed the ranges")
    inst.click(driver.CLOSE_BUTTON, settle=0.5)
    inst.wait_exit(30)
    reset_install(run)

    # An authenticating proxy, answered once in the dialog.
    set_proxy(run, "127.0.0.1:%d" % auth_proxy.port)
    inst = e2e.start_installing(run, "A")
    wid = dialog(inst)
    e2e.shot(run, "proxy-dialog")
    answer_dialog(inst, wid, ["type:" + USER, "Tab", "type:" + PASSWORD, "Return"])
    e2e.wait_finished(run, inst, "A")
    e2e.check_installed_tree(run, "A")
    check(any(u.endswith("/setup.zip") for u in gets_of(auth_proxy, USER)),
          "authenticating proxy: the ranges went through as %s" % USER)
    inst.click(driver.CLOSE_BUTTON, settle=0.5)
    inst.wait_exit(30)
    reset_install(run)

    # The dialog cancelled: the run ends with the proxy's message.
    inst = e2e.start_installing(run, "A")
    wid = dialog(inst)
    answer_dialog(inst, wid, ["Escape"])
    box = inst.wait_message_box("src", 120)
    e2e.shot(run, "proxy-cancelled")
    got = inst.messages()[-1:]
    check(len(got) == 1 and got[0].startswith("[") and got[0].endswith("]" + PROXY_MESSAGE_END),
          "cancelled: [N]%s (got %r)" % (PROXY_MESSAGE_END, inst.messages()))
    inst.answer(box, "Return")
    check(os.path.exists(os.path.join(run.work_dir("A"), "appinfo.xml")), "cancelled: the working folder stays")
    inst.click(driver.CLOSE_BUTTON, settle=0.5)
    inst.wait_exit(30)
    reset_install(run)

    # A proxy configured but down: the check says the network is not there.
    set_proxy(run, "127.0.0.1:1")
    inst = e2e.start_installing(run, "A")
    box = inst.wait_message_box("src", 120)
    check(inst.messages()[-1:] == ["请检查网络是否正常！"], "proxy down: 请检查网络是否正常！ (got %r)" % inst.messages())
    inst.answer(box, "Return")
    inst.click(driver.CLOSE_BUTTON, settle=0.5)
    inst.wait_exit(30)
    reset_install(run)

    # A proxy-only network: nothing but squid reaches the servers.
    only_through_proxy()
    set_proxy(run, "127.0.0.1:%d" % open_proxy.port)
    before = len(gets_of(open_proxy))
    inst = e2e.start_installing(run, "A")
    e2e.wait_finished(run, inst, "A")
    e2e.check_installed_tree(run, "A")
    check(len(gets_of(open_proxy)) > before, "proxy-only network: the files came through squid")
    inst.click(driver.CLOSE_BUTTON, settle=0.5)
    inst.wait_exit(30)


if __name__ == "__main__":
    sys.exit(e2e.main())
