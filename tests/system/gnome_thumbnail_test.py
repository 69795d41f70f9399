#!/usr/bin/python3
"""GNOME's own thumbnail factory, which runs every thumbnailer inside a
bubblewrap sandbox that shows /usr but not the user's home or /tmp, makes
and saves thumbnails of scenario files with tessel-thumbnailer; their pixels
must equal what tessel-cli renders with the built-in tileset.

The thumbnailer must lie under /usr for the sandbox: as root the test puts
it into a folder of its own under /usr/local and removes that afterwards;
otherwise it is skipped (exit status 77).

Usage: gnome_thumbnail_test.py THUMBNAILER TESSEL_CLI THUMBNAILER_ENTRY TESSEL_XML
"""
import os
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77
MIME_TYPE = "application/x-warcraft2-pud"


def skip(why):
    print("skipped: " + why)
    return SKIPPED


def installed_entry(entry_path, thumbnailer):
    """The repository's entry with the program named by its full path."""
    lines = []
    with open(entry_path) as f:
        for line in f.read().splitlines():
            key, _, value = line.partition("=")
            if key in ("TryExec", "Exec"):
                words = value.split(" ")
                if words[0] != "tessel-thumbnailer":
                    raise SystemExit(f"{key} does not start the thumbnailer: {line}")
                line = key + "=" + " ".join([thumbnailer] + words[1:])
            lines.append(line + "\n")
    return "".join(lines)


def rgb_rows(pixbuf):
    """Rows of red, green, blue bytes; an alpha channel must be opaque."""
    channels = pixbuf.get_n_channels()
    data = pixbuf.get_pixels()
    rows = []
    for y in range(pixbuf.get_height()):
        start = y * pixbuf.get_rowstride()
        row = data[start:start + pixbuf.get_width() * channels]
        if channels == 4:
            if any(a != 255 for a in row[3::4]):
                raise AssertionError("the thumbnail is not opaque")
            row = bytes(b for k, b in enumerate(row) if k % 4 != 3)
        rows.append(bytes(row))
    return rows


def main():
    thumbnailer, tessel_cli, entry, tessel_xml = sys.argv[1:5]
    if os.geteuid() != 0:
        return skip("needs root to put the thumbnailer under /usr/local, where the sandbox sees it")
    if not shutil.which("bwrap"):
        return skip("bubblewrap is not installed")
    # A container without user namespaces gives no sandbox to anybody.
    probe = subprocess.run(["bwrap", "--ro-bind", "/usr", "/usr", "--symlink", "usr/lib", "/lib",
                            "--symlink", "usr/lib64", "/lib64", "--proc", "/proc", "--dev", "/dev",
                            "--unshare-all", "--die-with-parent", "/usr/bin/true"], capture_output=True, text=True)
    if probe.returncode != 0:
        return skip("bubblewrap cannot make a sandbox on this machine: " + probe.stderr.strip())

    scratch = tempfile.mkdtemp(prefix="tessel-gnome-")
    prefix = tempfile.mkdtemp(prefix="tessel-test-", dir="/usr/local")
    try:
        os.chmod(prefix, 0o755)
        installed = os.path.join(prefix, "tessel-thumbnailer")
        shutil.copy(thumbnailer, installed)

        share = os.path.join(scratch, "share")
        os.makedirs(os.path.join(share, "thumbnailers"))
        os.makedirs(os.path.join(share, "mime", "packages"))
        with open(os.path.join(share, "thumbnailers", "tessel.thumbnailer"), "w") as f:
            f.write(installed_entry(entry, installed))
        shutil.copy(tessel_xml, os.path.join(share, "mime", "packages"))
        subprocess.run(["update-mime-database", os.path.join(share, "mime")], check=True, capture_output=True)
        for variable, folder in (("XDG_DATA_HOME", "data-home"), ("XDG_CACHE_HOME", "cache"),
                                 ("XDG_CONFIG_HOME", "config"), ("HOME", "home")):
            os.makedirs(os.path.join(scratch, folder))
            os.environ[variable] = os.path.join(scratch, folder)
        os.environ["XDG_DATA_DIRS"] = share + ":/usr/share"

        # Scenarios written by the project, with the TYPE chunk that real
        # ones begin with, so that the renamed copy is known by its content.
        subprocess.run([tessel_cli, "demo", os.path.join(scratch, "demo")], check=True, capture_output=True)
        demo = os.path.join(scratch, "demo", "scenarios")
        maps = os.path.join(scratch, "maps")
        os.makedirs(maps)
        cases = []
        for name in sorted(os.listdir(demo)):
            with open(os.path.join(demo, name), "rb") as f:
                content = b"TYPE\x0a\x00\x00\x00WAR2 MAP\x00\x00" + f.read()
            with open(os.path.join(maps, name), "wb") as f:
                f.write(content)
            cases.append(name)
        with open(os.path.join(maps, "renamed.dat"), "wb") as f:
            f.write(content)
        cases.append("renamed.dat")

        import gi
        gi.require_version("GnomeDesktop", "3.0")
        gi.require_version("GdkPixbuf", "2.0")
        gi.require_version("Gio", "2.0")
        from gi.repository import GdkPixbuf, Gio, GnomeDesktop

        failures = []
        for size_name, side in (("NORMAL", 128), ("LARGE", 256)):
            factory = GnomeDesktop.DesktopThumbnailFactory.new(getattr(GnomeDesktop.DesktopThumbnailSize, size_name))
            for name in cases:
                path = os.path.join(maps, name)
                scenario = Gio.File.new_for_path(path)
                info = scenario.query_info("standard::content-type,time::modified", 0, None)
                mime, mtime = info.get_content_type(), info.get_attribute_uint64("time::modified")
                uri = scenario.get_uri()
                if mime != MIME_TYPE:
                    failures.append(f"{name}: type {mime}")
                    continue
                if not factory.can_thumbnail(uri, mime, mtime):
                    failures.append(f"{name}: the factory cannot thumbnail it")
                    continue
                thumbnail = factory.generate_thumbnail(uri, mime, None)
                factory.save_thumbnail(thumbnail, uri, mtime, None)
                saved = factory.lookup(uri, mtime)
                if not saved:
                    failures.append(f"{name} at {side}: no thumbnail saved")
                    continue

                reference_folder = os.path.join(scratch, f"reference-{side}")
                scenario_copy = os.path.join(scratch, "reference.pud")
                shutil.copy(path, scenario_copy)
                subprocess.run([tessel_cli, "render", "--no-settings", "--builtin-tileset", "-q", "-f", "png",
                                "--size", str(side), "-o", reference_folder, scenario_copy], check=True)
                made = GdkPixbuf.Pixbuf.new_from_file(saved)
                expected = GdkPixbuf.Pixbuf.new_from_file(os.path.join(reference_folder, "reference.png"))
                if (made.get_width(), made.get_height()) != (side, side):
                    failures.append(f"{name} at {side}: saved {made.get_width()} x {made.get_height()}")
                elif rgb_rows(made) != rgb_rows(expected):
                    failures.append(f"{name} at {side}: pixels differ from tessel-cli render --builtin-tileset")
                else:
                    print(f"{name} at {side}: {saved}")
        for failure in failures:
            print("FAILED: " + failure)
        return 1 if failures else 0
    finally:
        shutil.rmtree(prefix, ignore_errors=True)
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
