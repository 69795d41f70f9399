#!/usr/bin/python3
"""tumbler, the thumbnail service of Thunar, makes and saves thumbnails of
scenario files with tessel-thumbnailer when asked over D-Bus as Thunar asks
it; their pixels must equal what tessel-cli renders with the built-in
tileset, and nothing may stay behind in the temporary folder.

tumbler creates the thumbnailer's OUTPUT itself, keeps it open and reads
the image through that handle, so a thumbnailer that renames a new file
over OUTPUT gives it nothing to read.

The test runs on a private session bus (dbus-run-session) that starts
tumblerd from the service file Debian installs under
/usr/share/dbus-1/services, with home, cache, configuration, data and
temporary folders of its own; tumbler's desktop-thumbnailer plugin reads
the thumbnailer entry from XDG_DATA_DIRS/thumbnailers, here the project's
entry with Exec naming the built thumbnailer. tumbler sends its signals to
the caller of Queue alone, so the test calls Queue on its own connection
and waits for the Finished signal of each request.

Usage: tumbler_thumbnail_test.py THUMBNAILER TESSEL_CLI THUMBNAILER_ENTRY
Skipped (exit status 77) when tumbler or dbus-run-session is missing.
"""
import hashlib
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing written beside the sources
from thumbnail_checks import MIME_TYPE, compare_with_reference, installed_entry  # noqa: E402

SKIPPED = 77
SERVICE_FILE = "/usr/share/dbus-1/services/org.xfce.Tumbler.Thumbnailer1.service"
BUS_NAME = "org.freedesktop.thumbnails.Thumbnailer1"
OBJECT_PATH = "/org/freedesktop/thumbnails/Thumbnailer1"
# tumbler's flavors and their sides in pixels.
FLAVORS = (("normal", 128), ("large", 256))
# Generous: the first request also starts tumblerd on a busy machine.
DEADLINE_SECONDS = 240


def skip(why):
    print("skipped: " + why)
    return SKIPPED


def queue_and_wait(bus, uris, flavor):
    """Queues uris for flavor; returns the URIs tumbler reported ready and
    its error lines, once it has finished the request."""
    from gi.repository import Gio, GLib

    loop = GLib.MainLoop()
    handle = None
    ready, errors, finished = [], [], []

    def on_signal(connection, sender, path, interface, name, parameters, data):
        values = parameters.unpack()
        if values[0] != handle:
            return
        if name == "Ready":
            ready.extend(values[1])
        elif name == "Error":
            errors.extend(f"{uri}: {values[3]}" for uri in values[1])
        elif name == "Finished":
            finished.append(True)
            loop.quit()

    subscription = bus.signal_subscribe(None, BUS_NAME, None, OBJECT_PATH, None, Gio.DBusSignalFlags.NONE,
                                        on_signal, None)
    try:
        # The reply comes before any signal is handled: they wait in this
        # thread's main context until the loop runs.
        handle = bus.call_sync(BUS_NAME, OBJECT_PATH, BUS_NAME, "Queue",
                               GLib.Variant("(asasssu)", (uris, [MIME_TYPE] * len(uris), flavor, "default", 0)),
                               GLib.VariantType("(u)"), Gio.DBusCallFlags.NONE, DEADLINE_SECONDS * 1000,
                               None).unpack()[0]
        GLib.timeout_add_seconds(DEADLINE_SECONDS, loop.quit)
        loop.run()
    finally:
        bus.signal_unsubscribe(subscription)
    if not finished:
        errors.append(f"tumbler did not finish the {flavor} request within {DEADLINE_SECONDS} s")
    return ready, errors


def service_pid(bus):
    from gi.repository import Gio, GLib
    return bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                         "GetConnectionUnixProcessID", GLib.Variant("(s)", (BUS_NAME,)), GLib.VariantType("(u)"),
                         Gio.DBusCallFlags.NONE, -1, None).unpack()[0]


def run_on_private_bus(tessel_cli, scratch):
    """The test proper, inside dbus-run-session."""
    import gi
    gi.require_version("Gio", "2.0")
    gi.require_version("GdkPixbuf", "2.0")
    from gi.repository import Gio

    maps = os.path.join(scratch, "maps")
    names = sorted(os.listdir(maps))
    uris = [Gio.File.new_for_path(os.path.join(maps, name)).get_uri() for name in names]
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)

    failures = []
    for flavor, side in FLAVORS:
        ready, errors = queue_and_wait(bus, uris, flavor)
        failures.extend(errors)
        if flavor == FLAVORS[0][0]:
            with open(os.path.join(scratch, "tumblerd.pid"), "w") as f:
                f.write(str(service_pid(bus)))
        for name, uri in zip(names, uris):
            saved = os.path.join(os.environ["XDG_CACHE_HOME"], "thumbnails", flavor,
                                 hashlib.md5(uri.encode()).hexdigest() + ".png")
            if uri not in ready or not os.path.exists(saved):
                failures.append(f"{name} at {side}: no thumbnail saved")
                continue
            difference = compare_with_reference(name, side, saved, tessel_cli, os.path.join(maps, name), scratch)
            if difference:
                failures.append(difference)
            else:
                print(f"{name} at {side}: {saved}")

    left = sorted(os.listdir(os.environ["TMPDIR"]))
    if left:
        failures.append(f"left in the temporary folder: {left}")
    if sorted(os.listdir(maps)) != names:
        failures.append(f"the maps' folder changed: {sorted(os.listdir(maps))}")
    for failure in failures:
        print("FAILED: " + failure)
    return 1 if failures else 0


def stop_service(scratch):
    """tumblerd ends when its bus goes; make sure it has."""
    try:
        with open(os.path.join(scratch, "tumblerd.pid")) as f:
            pid = int(f.read())
    except (OSError, ValueError):
        return
    for _ in range(100):
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            return
        time.sleep(0.1)
    os.kill(pid, signal.SIGKILL)


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--on-private-bus":
        return run_on_private_bus(sys.argv[2], sys.argv[3])
    thumbnailer, tessel_cli, entry = sys.argv[1:4]
    if not os.path.exists(SERVICE_FILE):
        return skip("tumbler is not installed")
    if not shutil.which("dbus-run-session"):
        return skip("dbus-run-session is not installed")

    scratch = tempfile.mkdtemp(prefix="tessel-tumbler-")
    try:
        share = os.path.join(scratch, "share")
        os.makedirs(os.path.join(share, "thumbnailers"))
        with open(os.path.join(share, "thumbnailers", "tessel.thumbnailer"), "w") as f:
            f.write(installed_entry(entry, os.path.abspath(thumbnailer)))
        environment = dict(os.environ)
        for variable, folder in (("HOME", "home"), ("XDG_CACHE_HOME", "cache"), ("XDG_CONFIG_HOME", "config"),
                                 ("XDG_DATA_HOME", "data-home"), ("TMPDIR", "tmp")):
            os.makedirs(os.path.join(scratch, folder))
            environment[variable] = os.path.join(scratch, folder)
        # The service file is found under /usr/share, the entry under share.
        environment["XDG_DATA_DIRS"] = share + ":/usr/share"
        environment.pop("DBUS_SESSION_BUS_ADDRESS", None)

        subprocess.run([tessel_cli, "demo", os.path.join(scratch, "demo")], check=True, capture_output=True)
        shutil.copytree(os.path.join(scratch, "demo", "scenarios"), os.path.join(scratch, "maps"))

        run = subprocess.run(["dbus-run-session", "--", sys.executable, os.path.abspath(__file__),
                              "--on-private-bus", tessel_cli, scratch], env=environment)
        stop_service(scratch)
        return run.returncode
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
