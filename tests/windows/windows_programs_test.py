#!/usr/bin/env python3
"""The Windows programs as Windows meets them, run under wine in the build's
prefix and compared with the Linux build:

  - tessel-cli.exe renders the demo scenarios (one of them named
    "café 日本.pud") into bitmaps byte for byte the same as Linux's, and PNG
    files with the same pixels; also into a folder whose path is longer
    than 260 characters;
  - a damaged scenario gives Linux's message and exit status; Ctrl-C typed
    on the console ends a render with status 130, keeping the minimaps
    written and no temporary file; a scenario
    named con.pud is refused with "Invalid filename" and nothing is written
    to the console device; a read-only output is refused with "File access
    denied" and kept;
  - the thumbnail handler, registered by regsvr32, is created through COM by
    a host program (thumbnail_host.exe), fed scenarios through memory
    streams, and draws the pixels of `tessel-cli render --builtin-tileset
    -f png` at the side asked for (capped at 1024); damaged and oversized
    scenarios fail; unregistering removes its keys;
  - the installer installs silently to %ProgramFiles%\\Tessel, registers the
    handler for .pud files and writes its Uninstall entry; the uninstaller,
    silent too, removes every file and key again.

Exits 0 when all holds, 1 (with what failed) otherwise, 77 when the Linux
build's tessel-cli is missing.
"""
import argparse
import os
import pathlib
import shutil
import zipfile
import struct
import subprocess
import sys
import tempfile
import time
import zlib

THUMBNAIL_KEY = r"HKCR\.pud\ShellEx\{e357fccd-a995-4576-b01f-234630154e96}"
HANDLER_CLASS = "{34381d62-712a-4a60-a29d-d69ce8dfd656}"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessel"

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def windows_path(path):
    """wine's drive Z: is the root folder."""
    return "Z:" + str(path).replace("/", "\\")


class Wine:
    def __init__(self, runner, prefix):
        self.runner = runner
        self.prefix = pathlib.Path(prefix).resolve()

    def run(self, *arguments, timeout=300):
        # Files, not pipes: the services that wine starts on the way keep
        # the handles they inherit, and a pipe would never reach its end.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as errors:
            status = subprocess.run([self.runner, str(self.prefix), *map(str, arguments)], stdin=subprocess.DEVNULL,
                                    stdout=out, stderr=errors, timeout=timeout).returncode
            out.seek(0)
            errors.seek(0)
            return status, out.read().decode("utf-8", "replace").replace("\r\n", "\n"), \
                errors.read().decode("utf-8", "replace").replace("\r\n", "\n")

    def drive_c(self):
        return self.prefix / "drive_c"

    def registry_default(self, key, value=None):
        """The key's default value (or the named value), None when the key or value is missing."""
        status, out, _ = self.run("reg", "query", key, *(["/v", value] if value else ["/ve"]))
        if status != 0:
            return None
        for line in out.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) == 3 and parts[1].startswith("REG_"):
                return parts[2]
        return ""

    def key_exists(self, key):
        return self.run("reg", "query", key)[0] == 0


def png_pixels(path):
    """The red, green and blue bytes of every pixel of an 8-bit indexed PNG."""
    data = pathlib.Path(path).read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    position, idat, palette = 8, b"", b""
    width = height = 0
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        position += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert (depth, colour, interlace) == (8, 3, 0), (path, depth, colour, interlace)
        elif kind == b"PLTE":
            palette = body
        elif kind == b"IDAT":
            idat += body
    raw = zlib.decompress(idat)
    rows, previous = [], bytearray(width)
    for row in range(height):
        line = raw[row * (width + 1):(row + 1) * (width + 1)]
        kind, current = line[0], bytearray(line[1:])
        for x in range(width):
            left = current[x - 1] if x else 0
            up = previous[x]
            corner = previous[x - 1] if x else 0
            if kind == 1:
                current[x] = (current[x] + left) & 255
            elif kind == 2:
                current[x] = (current[x] + up) & 255
            elif kind == 3:
                current[x] = (current[x] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                predictor = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                current[x] = (current[x] + predictor) & 255
        rows.append(bytes(current))
        previous = current
    return width, height, b"".join(palette[3 * i:3 * i + 3] for row in rows for i in row)


def tree(folder):
    return sorted(str(p.relative_to(folder)) for p in pathlib.Path(folder).rglob("*") if p.is_file())


def test_renders(wine, args, work):
    demo = work / "demo"
    subprocess.run([args.linux_cli, "demo", str(demo)], check=True, capture_output=True)
    maps = work / "maps"
    maps.mkdir()
    scenarios = sorted((demo / "scenarios").glob("*.pud"))
    for scenario in scenarios:
        shutil.copy(scenario, maps / scenario.name)
    shutil.copy(scenarios[0], maps / "café 日本.pud")
    archive = demo / "MAINDAT.WAR"

    for form, extra in (("bmp", []), ("png", ["-f", "png", "--size", "256"])):
        linux_out, windows_out = work / ("linux-" + form), work / ("windows-" + form)
        linux = subprocess.run([args.linux_cli, "render", "--no-settings", "-a", str(archive), "-o", str(linux_out),
                                *extra, str(maps)], capture_output=True)
        status, _, errors = wine.run(args.cli, "render", "--no-settings", "-a", windows_path(archive), "-o",
                                     windows_path(windows_out), *extra, windows_path(maps))
        check(linux.returncode == 0 and status == 0, f"{form}: both builds render every map ({errors.strip()})")
        check(tree(linux_out) == tree(windows_out) and f"café 日本.{form}" in tree(windows_out),
              f"{form}: the same files, the non-ASCII name included: {tree(windows_out)}")
        for name in tree(linux_out):
            if form == "bmp":
                check((linux_out / name).read_bytes() == (windows_out / name).read_bytes(),
                      f"bmp: {name} byte for byte as on Linux")
            elif (windows_out / name).exists():
                check(png_pixels(linux_out / name) == png_pixels(windows_out / name),
                      f"png: {name} decodes to Linux's pixels")

    # A folder path of more than 260 characters.
    deep = work / "deep"
    while len(windows_path(deep)) < 300:
        deep /= "a-folder-of-forty-characters-each-------"
    status, _, errors = wine.run(args.cli, "render", "--no-settings", "-a", windows_path(archive), "-o",
                                 windows_path(deep), windows_path(maps / "café 日本.pud"))
    check(status == 0 and (deep / "café 日本.bmp").read_bytes() == (work / "linux-bmp" / "café 日本.bmp").read_bytes(),
          f"an output folder of {len(windows_path(deep))} characters ({errors.strip()})")
    return archive, maps


def test_failures(wine, args, work, archive, maps):
    bad = work / "bad"
    bad.mkdir()
    for name in ("broken.pud", "brisé 壊れた.pud"):
        (bad / name).write_bytes(b"not a scenario at all")
        linux = subprocess.run([args.linux_cli, "render", "--no-settings", "-a", str(archive), "-o", str(bad),
                                str(bad / name)], capture_output=True, cwd=bad)
        status, _, errors = wine.run(args.cli, "render", "--no-settings", "-a", windows_path(archive), "-o",
                                     windows_path(bad), windows_path(bad / name))
        linux_errors = linux.stderr.decode()
        check(status == linux.returncode == 1, f"{name}: status {status}, as Linux's {linux.returncode}")
        check(errors == linux_errors, f"{name}: Linux's message {linux_errors!r}, got {errors!r}")

    device = work / "device"
    device.mkdir()
    shutil.copy(maps / "café 日本.pud", device / "con.pud")
    status, out, errors = wine.run(args.cli, "render", "--no-settings", "-a", windows_path(archive),
                                   windows_path(device / "con.pud"))
    check(status == 1 and "Invalid filename" in errors and "BM" not in out,
          f"con.pud is refused with Invalid filename ({errors.strip()})")
    check(sorted(p.name for p in device.iterdir()) == ["con.pud"], "nothing but con.pud in its folder")

    pack = work / "pack"
    pack.mkdir()
    with zipfile.ZipFile(pack / "pack.zip", "w") as archive_file:
        archive_file.write(maps / "café 日本.pud", "maps/a.pud")
    status, _, errors = wine.run(args.cli, "info", windows_path(pack / "pack.zip"))
    check(status == 1 and "Invalid zip archive (this build of Tessel reads no zip archives)." in errors,
          f"a map pack is refused with its own message ({errors.strip()})")

    kept = work / "read-only"
    kept.mkdir()
    shutil.copy(maps / "café 日本.pud", kept / "map.pud")
    (kept / "map.bmp").write_bytes(b"kept")
    (kept / "map.bmp").chmod(0o444)
    status, _, errors = wine.run(args.cli, "render", "--no-settings", "-a", windows_path(archive),
                                 windows_path(kept / "map.pud"), "-o", windows_path(kept))
    check(status == 1 and "File access denied" in errors and (kept / "map.bmp").read_bytes() == b"kept",
          f"a read-only output is refused and kept ({errors.strip()})")
    check(sorted(p.name for p in kept.iterdir()) == ["map.bmp", "map.pud"], "no temporary file is left")


def test_workers_always_end(wine, args, work, archive, maps):
    """Renders on two workers, again and again: a worker that once missed
    the word to start kept one in twenty such runs waiting for ever."""
    out = work / "two-workers"
    ended = 0
    for run in range(40):
        try:
            status, _, errors = wine.run(args.cli, "render", "--no-settings", "-j", "2", "-a", windows_path(archive),
                                         "--size", "64", "-o", windows_path(out), windows_path(maps), timeout=60)
        except subprocess.TimeoutExpired:
            check(False, f"render {run + 1} on two workers ends (it still ran after 60 s)")
            return
        if status != 0:
            check(False, f"render {run + 1} on two workers succeeds ({errors.strip()})")
            return
        ended += 1
    check(ended == 40, "40 renders on two workers each end")


def test_ctrl_c(wine, args, work, archive, maps):
    """Ctrl-C typed on the console that wine makes of a terminal (script(1))."""
    many = work / "many"
    many.mkdir()
    scenario = (maps / "café 日本.pud").read_bytes()
    for k in range(60):
        (many / f"map{k:02}.pud").write_bytes(scenario)
    out = work / "interrupted"
    command = " ".join(f"'{part}'" for part in (
        args.wine, wine.prefix, args.cli, "render", "--no-settings", "-a", windows_path(archive), "--size", "4096",
        "-j", "1", "-o", windows_path(out), windows_path(many)))
    with tempfile.TemporaryFile() as log:
        session = subprocess.Popen(["script", "-qec", command, "/dev/null"], stdin=subprocess.PIPE, stdout=log,
                                   stderr=subprocess.STDOUT)
        written = wait_for(lambda: out.is_dir() and any(p.suffix == ".bmp" for p in out.iterdir()), 240)
        check(written, "a long render under a console has written its first minimap")
        session.stdin.write(b"\x03")
        session.stdin.flush()
        try:
            status = session.wait(120)
        except subprocess.TimeoutExpired:
            session.kill()
            status = None
        log.seek(0)
        text = log.read().decode("utf-8", "replace")
    left = sorted(p.name for p in out.iterdir()) if out.is_dir() else []
    # What the console showed, to tell a failure apart: a message of the
    # program's, or of wine's.
    shown = "" if status == 130 else "; the console showed: " + text[-600:].replace("\r", "")
    check(status == 130, f"Ctrl-C ends the render with status 130 (got {status}){shown}")
    check(all(name.endswith(".bmp") for name in left) and 0 < len(left) < 60,
          f"the minimaps written so far stay, no temporary file is left ({len(left)} files)")
    check("written" in text.replace("\x1b[K", "").replace("\x1b[1C", " "), "the summary so far is printed")


def test_handler(wine, args, work, maps):
    status, _, errors = wine.run("regsvr32", "/s", windows_path(args.handler))
    check(status == 0, f"regsvr32 registers the handler ({errors.strip()})")
    check(wine.registry_default(THUMBNAIL_KEY) == HANDLER_CLASS, "the thumbnail key of .pud names the handler")
    check(wine.registry_default(rf"HKCR\CLSID\{HANDLER_CLASS}\InprocServer32") == windows_path(args.handler),
          "the class's in-process server is the DLL")

    expected = work / "expected"
    scenarios = sorted(maps.glob("*.pud"))
    for scenario, side, repeat in ((scenarios[0], 256, 20), (scenarios[-1], 64, 0), (maps / "café 日本.pud", 96, 0),
                                   (scenarios[1], 2000, 0)):
        drawn = min(side, 1024)
        out = expected / str(side)
        subprocess.run([args.linux_cli, "render", "--no-settings", "--builtin-tileset", "-f", "png", "--size",
                        str(drawn), "-o", str(out), str(scenario)], check=True, capture_output=True)
        status, text, _ = wine.run(args.host, windows_path(scenario), side,
                                   windows_path(out / (scenario.stem + ".png")), *([repeat] if repeat else []))
        check(status == 0, f"the handler's thumbnail of {scenario.name} at {side}: {text.strip()}")

    broken = work / "broken.pud"
    broken.write_bytes(b"PUD nothing more")
    oversized = work / "oversized.pud"
    oversized.write_bytes((maps / "café 日本.pud").read_bytes().ljust(5 * 1024 * 1024, b"\0"))
    for scenario in (broken, oversized):
        status, text, _ = wine.run(args.host, windows_path(scenario), 128, "--fails")
        check(status == 0, f"no thumbnail of {scenario.name}: {text.strip()}")

    status, _, _ = wine.run("regsvr32", "/u", "/s", windows_path(args.handler))
    check(status == 0 and not wine.key_exists(THUMBNAIL_KEY) and not wine.key_exists(rf"HKCR\CLSID\{HANDLER_CLASS}"),
          "regsvr32 /u removes the handler's keys")


def wait_for(condition, seconds):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.5)
    return True


def test_installer(wine, args):
    folder = wine.drive_c() / "Program Files" / "Tessel"
    status, _, _ = wine.run(windows_path(args.setup), "/S")
    check(status == 0, "the installer runs silently")
    installed = ["Uninstall.exe", "tessel-cli.exe", "tessel-thumbnails.dll"]
    check(wait_for(lambda: folder.is_dir() and sorted(p.name for p in folder.iterdir()) == installed, 60),
          f"it installs {installed} into %ProgramFiles%\\Tessel")
    status, out, _ = wine.run(r"C:\Program Files\Tessel\tessel-cli.exe", "--version")
    check(status == 0 and out.startswith("tessel-cli "), "the installed tessel-cli runs")
    check(wine.registry_default(THUMBNAIL_KEY) == HANDLER_CLASS, "it registers the handler for .pud machine-wide")
    check(wine.registry_default(rf"HKCR\CLSID\{HANDLER_CLASS}\InprocServer32") ==
          r"C:\Program Files\Tessel\tessel-thumbnails.dll", "the class names the installed DLL")
    check(wine.registry_default(UNINSTALL_KEY, "UninstallString") == r'"C:\Program Files\Tessel\Uninstall.exe"',
          "it writes an Uninstall entry with UninstallString")

    # The uninstaller copies itself away and goes on from there: wait for its work.
    status, _, _ = wine.run(r"C:\Program Files\Tessel\Uninstall.exe", "/S")
    check(status == 0, "the uninstaller runs silently")
    check(wait_for(lambda: not folder.exists(), 120), "it removes every file and the folder")
    for key in (THUMBNAIL_KEY, r"HKCR\.pud", rf"HKCR\CLSID\{HANDLER_CLASS}", UNINSTALL_KEY):
        check(wait_for(lambda key=key: not wine.key_exists(key), 60), f"it removes {key}")


def main():
    parser = argparse.ArgumentParser()
    for option in ("wine", "prefix", "linux-cli", "cli", "handler", "host", "setup"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    if not os.access(args.linux_cli, os.X_OK):
        print(f"skipped: no Linux build of tessel-cli at {args.linux_cli} (make build)")
        return 77
    wine = Wine(args.wine, args.prefix)
    start = time.monotonic()
    # One wine server for all the runs below, kept 15 seconds after the last.
    wine.run("cmd", "/c", "exit")
    subprocess.Popen(["wineserver", "-p15"], env={**os.environ, "WINEPREFIX": str(wine.prefix)},
                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with tempfile.TemporaryDirectory(prefix="tessel-windows-") as folder:
        work = pathlib.Path(folder)
        archive, maps = test_renders(wine, args, work)
        test_failures(wine, args, work, archive, maps)
        test_workers_always_end(wine, args, work, archive, maps)
        test_ctrl_c(wine, args, work, archive, maps)
        test_handler(wine, args, work, maps)
    test_installer(wine, args)
    print(f"{time.monotonic() - start:.0f} s")
    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
