"""What the thumbnail tests share: the thumbnailer entry as installed, the
minimap that tessel-cli renders for comparison, and the pixels of an image
as rows of red, green and blue bytes."""
import os
import shutil
import subprocess

MIME_TYPE = "application/x-warcraft2-pud"


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


def reference_png(tessel_cli, scenario, side, scratch):
    """tessel-cli's PNG of scenario at side pixels with the built-in tileset."""
    folder = os.path.join(scratch, f"reference-{side}")
    copy = os.path.join(scratch, "reference.pud")
    shutil.copy(scenario, copy)
    subprocess.run([tessel_cli, "render", "--no-settings", "--builtin-tileset", "-q", "-f", "png",
                    "--size", str(side), "-o", folder, copy], check=True)
    return os.path.join(folder, "reference.png")


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


def compare_with_reference(name, side, saved, tessel_cli, scenario, scratch):
    """None when the image at saved equals tessel-cli's, else what differs."""
    from gi.repository import GdkPixbuf
    made = GdkPixbuf.Pixbuf.new_from_file(saved)
    expected = GdkPixbuf.Pixbuf.new_from_file(reference_png(tessel_cli, scenario, side, scratch))
    if (made.get_width(), made.get_height()) != (side, side):
        return f"{name} at {side}: saved {made.get_width()} x {made.get_height()}"
    if rgb_rows(made) != rgb_rows(expected):
        return f"{name} at {side}: pixels differ from tessel-cli render --builtin-tileset"
    return None
