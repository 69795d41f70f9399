#!/usr/bin/env python3
"""Checks the shape of the sources that the README's Layout and Contributing
sections describe, by reading the files:

  layers     a file in core/FOLDER/ includes headers of its own folder and of
             the layers below it only, always by their path below core/;
  platform   only files named for their platform (...Posix.cpp) include the
             operating system's own headers, and each sits beside the one
             portable header (... .h) that it implements, which CMake lists
             through the platform's name, never by the POSIX file's own name.

    layout_test.py layers|platform [SOURCE_DIR]
    layout_test.py selftest

Prints each violation as "path:line: what" and exits 1 when there is any.
selftest runs both checks on a small tree with one violation of each kind
and fails unless they find exactly those.
"""
import pathlib
import re
import sys
import tempfile

# The layers of core/, lowest first. A folder may include its own headers
# and those of folders of a lower rank; folders of one rank know nothing of
# each other.
CORE_LAYERS = {
    "text": 0,
    "base": 1,
    "system": 2,
    "archive": 3,
    "image": 3,
    "era": 4,
    "scenario": 5,
    "minimap": 6,
    "settings": 7,
    "tileset": 7,
}

# Folders of the programs' own code; tests, benchmarks and fuzz targets may use
# the system freely.
PRODUCT_FOLDERS = ["core", "cli", "thumbnailer", "explorer", "png", "writers", "app", "web/src"]

# Headers of POSIX and its relatives, which portable code never includes.
SYSTEM_HEADER = re.compile(
    r"^(unistd|fcntl|pwd|grp|pthread|signal|termios|dirent|poll|dlfcn|spawn|syslog|sched|"
    r"sys/.*|arpa/.*|netinet/.*|windows|io|direct|process)\.h$")

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def includes(path):
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), start=1):
        match = INCLUDE.match(line)
        if match:
            yield number, match.group(1) == '"', match.group(2)


def sources(root, folders):
    for folder in folders:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix in (".h", ".cpp"):
                yield path


def layer_violations(root):
    core = root / "core"
    for path in sources(root, ["core"]):
        own = path.relative_to(core).parts[0]
        if own not in CORE_LAYERS:
            yield path, 0, "a folder of core/ that has no layer: " + own
            continue
        for number, quoted, name in includes(path):
            if not quoted:
                continue
            folder = name.split("/")[0] if "/" in name else None
            if folder not in CORE_LAYERS:
                yield path, number, f'"{name}" is not a core header named by its path below core/'
            elif folder != own and CORE_LAYERS[folder] >= CORE_LAYERS[own]:
                yield path, number, f'{own}/ includes "{name}" of a layer that is not below it'


def platform_of(path):
    match = re.match(r"^(.*)(Posix|Windows)$", path.stem)
    return match.group(1) if match and path.suffix == ".cpp" else None


def platform_violations(root):
    for path in sources(root, PRODUCT_FOLDERS):
        seam = platform_of(path)
        if seam is not None:
            if not (path.parent / (seam + ".h")).exists():
                yield path, 0, f"no portable header {seam}.h beside it"
            continue
        for number, quoted, name in includes(path):
            if not quoted and SYSTEM_HEADER.match(name):
                yield path, number, f"<{name}> in a file that is not named for its platform"
    for cmake in sorted(root.glob("*/**/CMakeLists.txt")):
        for number, line in enumerate(cmake.read_text(encoding="utf-8").splitlines(), start=1):
            if not line.lstrip().startswith("#") and re.search(r"\w(Posix|Windows)\.cpp", line):
                yield cmake, number, "names a platform file itself instead of through the platform's name"


# A tree with one violation of each kind, and the same done right beside it.
SELFTEST_TREE = {
    "core/text/Words.h": "#include <string>\n",
    "core/era/Era.h": '#include "text/Words.h"\n#include "minimap/Render.h"\n',
    "core/minimap/Render.h": '#include "era/Era.h"\n',
    "core/image/Palette.h": '#include "archive/Entry.h"\n',
    "core/archive/Entry.h": '#include "system/Files.h"\n',
    "core/scenario/Reader.cpp": '#include "Reader.h"\n#include "scenario/Reader.h"\n',
    "core/scenario/Reader.h": "",
    "core/system/Files.h": "",
    "core/system/FilesPosix.cpp": '#include "system/Files.h"\n#include <unistd.h>\n',
    "core/system/Clock.cpp": "#include <sys/time.h>\n#include <chrono>\n",
    "core/system/LonelyPosix.cpp": "#include <fcntl.h>\n",
    "core/CMakeLists.txt": "# FilesPosix.cpp is named in this comment only\n"
                           "add_library(x system/Files${TESSEL_PLATFORM}.cpp system/LonelyPosix.cpp)\n",
    "cli/main.cpp": "#include <unistd.h>\n",
}

SELFTEST_EXPECTED = {
    "layers": [
        ("core/era/Era.h", 2, 'era/ includes "minimap/Render.h" of a layer that is not below it'),
        ("core/image/Palette.h", 1, 'image/ includes "archive/Entry.h" of a layer that is not below it'),
        ("core/scenario/Reader.cpp", 1, '"Reader.h" is not a core header named by its path below core/'),
    ],
    "platform": [
        ("core/system/Clock.cpp", 1, "<sys/time.h> in a file that is not named for its platform"),
        ("core/system/LonelyPosix.cpp", 0, "no portable header Lonely.h beside it"),
        ("cli/main.cpp", 1, "<unistd.h> in a file that is not named for its platform"),
        ("core/CMakeLists.txt", 2, "names a platform file itself instead of through the platform's name"),
    ],
}


def selftest():
    with tempfile.TemporaryDirectory() as folder:
        root = pathlib.Path(folder)
        for name, text in SELFTEST_TREE.items():
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(text, encoding="utf-8")
        failed = False
        for name, check in (("layers", layer_violations), ("platform", platform_violations)):
            found = sorted((str(path.relative_to(root)), number, what) for path, number, what in check(root))
            if found != sorted(SELFTEST_EXPECTED[name]):
                print(f"{name}: found {found}, expected {sorted(SELFTEST_EXPECTED[name])}")
                failed = True
    print("the checks find what they should" if not failed else "the checks are wrong")
    return 1 if failed else 0


def main():
    if len(sys.argv) == 2 and sys.argv[1] == "selftest":
        return selftest()
    if len(sys.argv) not in (2, 3) or sys.argv[1] not in ("layers", "platform"):
        print(__doc__, file=sys.stderr)
        return 2
    root = pathlib.Path(sys.argv[2] if len(sys.argv) == 3 else pathlib.Path(__file__).parents[2]).resolve()
    check = layer_violations if sys.argv[1] == "layers" else platform_violations
    found = 0
    for path, number, what in check(root):
        print(f"{path.relative_to(root)}:{number}: {what}")
        found += 1
    print(f"{found} violation(s)" if found else "none")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
