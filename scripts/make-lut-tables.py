#!/usr/bin/env python3
"""Writes the bundled 64-colour look-up tables of resources/lut/.

    python3 scripts/make-lut-tables.py CM_LISTED OUT_DIR

CM_LISTED is matplotlib's _cm_listed.py (Debian package python3-matplotlib), which
publishes viridis and magma as 256 RGB triples of floats. The heat ramp is the
gist_heat definition (red 1.5x, green 2x - 1, blue 4x - 3, each held to 0..1).

Colour k of a table stands for look-up entries 4k to 4k + 3, so it is the published
colour at x = k / 63: both ends of the ramp are kept exactly. Listed tables are
interpolated linearly between their entries.
"""
import ast
import pathlib
import sys

HEADER = "64 colours: red green blue, 0 to 255"


def listed_tables(path):
    """The `_name_data = [[r, g, b], ...]` lists of the file, by name."""
    tree = ast.parse(pathlib.Path(path).read_text())
    tables = {}
    for node in tree.body:
        if isinstance(node, ast.Assign) and len(node.targets) == 1:
            target = node.targets[0]
            if isinstance(target, ast.Name) and target.id.endswith("_data"):
                try:
                    tables[target.id[1:-5]] = ast.literal_eval(node.value)
                except ValueError:
                    pass
    return tables


def sample_listed(table, x):
    position = x * (len(table) - 1)
    i = min(int(position), len(table) - 2)
    t = position - i
    return [a + (b - a) * t for a, b in zip(table[i], table[i + 1])]


def clamp(v):
    return min(1.0, max(0.0, v))


def heat(x):
    return [clamp(1.5 * x), clamp(2 * x - 1), clamp(4 * x - 3)]


def to_byte(v):
    return int(v * 255 + 0.5)


def write(out_dir, name, title, colour_at):
    lines = [title, HEADER]
    for k in range(64):
        rgb = colour_at(k / 63)
        lines.append(" ".join(str(to_byte(c)) for c in rgb))
    (out_dir / name).write_text("\n".join(lines) + "\n")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    tables = listed_tables(sys.argv[1])
    out_dir = pathlib.Path(sys.argv[2])
    out_dir.mkdir(parents=True, exist_ok=True)
    write(out_dir, "heat.lut", "Heat: black, red, orange, yellow, white", heat)
    write(out_dir, "viridis.lut", "Viridis: perceptually uniform, blue-violet to yellow",
          lambda x: sample_listed(tables["viridis"], x))
    write(out_dir, "magma.lut", "Magma: perceptually uniform, black to light yellow",
          lambda x: sample_listed(tables["magma"], x))


if __name__ == "__main__":
    main()
