#!/usr/bin/python3
"""The MIME type of scenario files, as GIO (and so every GNOME, Cinnamon or
MATE file manager) sees it from a MIME database built of tessel.xml alone:
recognised by name in any letter case, and by content when renamed.

Usage: mime_type_test.py TESSEL_XML TESSEL_CLI
"""
import os
import shutil
import subprocess
import sys
import tempfile

MIME_TYPE = "application/x-warcraft2-pud"


def main():
    tessel_xml, tessel_cli = sys.argv[1], sys.argv[2]
    scratch = tempfile.mkdtemp(prefix="tessel-mime-")
    try:
        share = os.path.join(scratch, "share")
        os.makedirs(os.path.join(share, "mime", "packages"))
        shutil.copy(tessel_xml, os.path.join(share, "mime", "packages"))
        subprocess.run(["update-mime-database", os.path.join(share, "mime")], check=True, capture_output=True)
        # GIO reads these when it first needs the database.
        os.environ["XDG_DATA_DIRS"] = share + ":/usr/share"
        os.environ["XDG_DATA_HOME"] = os.path.join(scratch, "data-home")

        subprocess.run([tessel_cli, "demo", os.path.join(scratch, "demo")], check=True, capture_output=True)
        scenarios = os.path.join(scratch, "demo", "scenarios")
        scenario = os.path.join(scenarios, sorted(os.listdir(scenarios))[0])
        with open(scenario, "rb") as f:
            untyped = f.read()
        # Real scenarios begin with a TYPE chunk, which the demo's leave out:
        # by content, only that chunk tells a scenario.
        typed = b"TYPE\x0a\x00\x00\x00WAR2 MAP\x00\x00" + untyped

        import gi
        gi.require_version("Gio", "2.0")
        from gi.repository import Gio

        files = os.path.join(scratch, "files")
        os.makedirs(files)
        cases = [
            # name, content, recognised
            ("map.pud", typed, True),
            ("MAP.PUD", untyped, True),
            ("Map.Pud", untyped, True),
            ("renamed.dat", typed, True),
            ("no-extension", typed, True),
            ("untyped.dat", untyped, False),
            ("war1.dat", b"TYPE\x0a\x00\x00\x00WAR1 MAP\x00\x00", False),
            ("type-only.dat", b"TYPE\x0a\x00\x00\x00" + b"\x00" * 10, False),
            ("zeros.bin", b"\x00" * 64, False),
        ]
        failures = []
        for name, content, recognised in cases:
            path = os.path.join(files, name)
            with open(path, "wb") as f:
                f.write(content)
            # The way a file manager asks: the name's glob first, then the content.
            found = Gio.File.new_for_path(path).query_info("standard::content-type", 0, None).get_content_type()
            guessed, _ = Gio.content_type_guess(path, content[:4096])
            for how, seen in (("query_info", found), ("content_type_guess", guessed)):
                if (seen == MIME_TYPE) != recognised:
                    failures.append(f"{name}: {how} gives {seen}, expected {'' if recognised else 'not '}{MIME_TYPE}")
        for failure in failures:
            print(failure)
        if failures:
            return 1
        print(f"{len(cases)} files recognised as expected")
        return 0
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
