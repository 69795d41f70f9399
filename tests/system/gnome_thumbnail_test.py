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

sys.dont_write_bytecode = True  # nothing written beside the sources
from thumbnail_checks import MIME_TYPE, compare_with_reference, installed_entry  # noqa: E402

SKIPPED = 77


def skip(why):
    print("skipped: " + why)
    return SKIPPED


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
        from gi.repository import Gio, GnomeDesktop

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

                difference = compare_with_reference(name, side, saved, tessel_cli, path, scratch)
                if difference:
                    failures.append(difference)
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
