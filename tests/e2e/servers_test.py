#!/usr/bin/env python3
"""The servers a maker may put the update tree on: nginx, Apache httpd,
lighttpd and Caddy, each serving the signed demo tree with its stock way of
serving files. Against each, a whole installation of edition A under Wine
finishes with the served files, and `zentivo-pack check` with the release
key passes.

    servers_test.py --bin BIN_DIR --work WORK_DIR servers
"""

import os
import shutil
import subprocess
import sys

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import e2e_test as e2e  # noqa: E402
from e2e_test import check, driver  # noqa: E402

sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "installer-driver"))
import web_server  # noqa: E402

KINDS = ("nginx", "apache", "lighttpd", "caddy")
RELEASE_TEST_PUB = os.path.join(driver.ROOT, "tests", "keys", "release-test.pub")


def pack_check(run, edition):
    """`zentivo-pack check` against the update port, with the tests' release key."""
    values = os.path.join(run.ws.content, "edition-%s.values" % edition)
    cmd = run.ws.pack_tool() + ["check", "--server", "http://127.0.0.1:%d" % driver.UPDATE_PORT,
                                "--public-key", RELEASE_TEST_PUB, "--values", values]
    r = subprocess.run(cmd, capture_output=True, text=True)
    return r.returncode, r.stdout + r.stderr


def without_empty_files(run):
    """The demo tree without its empty files, signed again. Apache httpd
    answers a HEAD of an empty file without Content-Length, and an installer
    can't tell such a reply from one of unknown length: a maker deletes an
    optional file instead of emptying it, which drops it from the plan the
    same way (docs/DEPLOYMENT.md)."""
    www = run.own_www()
    for folder, _, files in os.walk(www):
        for name in files:
            path = os.path.join(folder, name)
            if os.path.getsize(path) == 0:
                os.unlink(path)
    run.sign(www)
    return www


@e2e.scenario
def scenario_servers(run):
    www = without_empty_files(run)
    run.probes = driver.ProbeSites()
    for kind in KINDS:
        run.server = web_server.serve(kind, www, os.path.join(run.dir, kind))
        try:
            inst = e2e.start_installing(run, "A")
            e2e.wait_finished(run, inst, "A")
            e2e.check_installed_tree(run, "A")
            # lighttpd writes its access log in batches: wait for the lines.
            def setup_gets():
                return [u for m, u, r in run.server.requests() if m == "GET" and u.endswith("setup.zip")]
            try:
                driver.wait_until("%s to log the ranges" % kind, setup_gets, 15, 0.2)
            except driver.DriverError:
                pass
            check(setup_gets(), "%s logged the ranges of setup.zip" % kind)
            inst.click(driver.CLOSE_BUTTON, settle=0.5)
            check(inst.wait_exit(30) == 0, "the installer closes after installing from %s" % kind)
            code, out = pack_check(run, "A")
            check(code == 0, "zentivo-pack check passes against %s\n%s" % (kind, out))
        finally:
            run.server.stop()
            run.server = None
        # The next server installs into a clean folder.
        shutil.rmtree(run.install_dir("A"), ignore_errors=True)


if __name__ == "__main__":
    sys.exit(e2e.main())
