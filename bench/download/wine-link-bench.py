#!/usr/bin/env python3
"""The packed Windows installer under Wine over a distant link, against curl
in the same run: nginx serves the demo content, tests/servers/link_proxy.py
stands on the installer's update port with half the round trip as delay in
each direction and a shared rate, the installer is walked to "安装" and left to finish, and curl then
fetches the same files (whole, one connection) through the same proxy. The
installer's time runs from its first GET to the last reply byte of its
downloads, as the proxy saw them. Run it in a network namespace of its own,
on a workspace that `e2e_test.py prepare` made:

    tests/e2e/in-netns python3 bench/download/wine-link-bench.py \\
        --bin build/windows/bin --work build/windows/e2e [--rtt-ms 50 --rate-mbit 100]
"""
import argparse
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(ROOT, "tools", "installer-driver"))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

import driver  # noqa: E402
import e2e_test  # noqa: E402
from session import Run, Workspace  # noqa: E402

SERVERS = os.path.join(ROOT, "tests", "servers")


def proxy(upstream, port, delay, rate, log):
    p = subprocess.Popen([sys.executable, os.path.join(SERVERS, "link_proxy.py"), str(upstream), "--port",
                          str(port), "--delay-ms", str(delay), "--rate-mbit", str(rate), "--lifetime", "400",
                          "--log", log], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    p.stdout.readline()
    return p


def stop(p):
    p.stdin.close()
    p.wait(30)


def span(log):
    """Seconds from the first GET to the last reply byte."""
    first = last = None
    with open(log) as f:
        for line in f:
            t, what = line.split()[:2]
            if what == "GET" and first is None:
                first = float(t)
            if what == "last-byte":
                last = float(t)
    return last - first


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--rtt-ms", type=float, default=50, help="the link's round trip")
    ap.add_argument("--rate-mbit", type=float, default=100)
    args = ap.parse_args()
    ws = Workspace(args.work, args.bin)
    run = Run(ws, "wine-link-bench")
    www = os.path.join(ws.content, "www")
    state = os.path.join(run.dir, "nginx")
    port = subprocess.run([os.path.join(SERVERS, "nginx-serve"), "start", www, state], check=True,
                          capture_output=True, text=True).stdout.strip()
    probes = driver.ProbeSites()
    try:
        log = os.path.join(run.dir, "installer-link.log")
        p = proxy(port, driver.UPDATE_PORT, args.rtt_ms / 2, args.rate_mbit, log)
        inst = e2e_test.start_installing(run, "A")
        e2e_test.wait_finished(run, inst, "A")
        stop(p)
        installer_s = span(log)

        urls = sorted(u for u in ws.manifest("A", "url"))
        out = os.path.join(run.dir, "curl")
        os.makedirs(out, exist_ok=True)
        log = os.path.join(run.dir, "curl-link.log")
        p = proxy(port, driver.UPDATE_PORT, args.rtt_ms / 2, args.rate_mbit, log)
        cmd = ["curl", "-s", "--path-as-is"]
        for i, u in enumerate(urls):
            cmd += ["-o", os.path.join(out, str(i)), "http://127.0.0.1:%d%s" % (driver.UPDATE_PORT, u)]
        subprocess.run(cmd, check=True)
        stop(p)
        curl_s = span(log)
        payload = sum(size for size, _ in ws.manifest("A", "url").values())
        print("link %g ms round trip, %g Mbit/s; payload %.1f MB in %d files" % (
            args.rtt_ms, args.rate_mbit, payload / 1048576, len(urls)))
        print("installer under Wine  %.2f s (first GET to last byte)" % installer_s)
        print("curl -o, one conn.    %.2f s" % curl_s)
        print("ratio curl/installer  %.2f" % (curl_s / installer_s))
    finally:
        probes.stop()
        subprocess.run([os.path.join(SERVERS, "nginx-serve"), "stop", state])
        run.close()


if __name__ == "__main__":
    main()
