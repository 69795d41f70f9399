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

Prints each violation as "path:line: what" and exits 1 when there is any.
"""
import pathlib
import re
import sys

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

# Folders of the programs' own code; tests, benchmarks and fuzz targets run
# on POSIX only and may use it freely.
PRODUCT_FOLDERS = ["core", "cli", "thumbnailer", "png", "writers", "app"]

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


def main():
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
