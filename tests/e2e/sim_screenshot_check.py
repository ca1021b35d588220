#!/usr/bin/env python3
"""Reads a screenshot of stepdial-sim and tells whether the needle of Form1 and the
rotor mark of the "Virtual motor" window both point at the given angle.

Angles turn clockwise on screen from 0 = pointing right, as both windows draw them.
Exit status 0 when both point there, 1 when not (the reasons go to stdout), 2 on bad
input. Only the standard library: the screenshot is a binary PPM (P6).
"""
import argparse
import math
import pathlib
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "support"))
import facts  # noqa: E402

# Needle pivot and length in Form1's client area, at 15 twips a pixel.
_X1, _Y1, _X2, _ = facts.line1()
PIVOT = (_X1 / 15, _Y1 / 15)
NEEDLE_PX = (_X2 - _X1) / 15
DISC = (200, 150, 70)


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos:pos + width * height * 3]


class Image:
    def __init__(self, path):
        self.width, self.height, self.pixels = read_ppm(path)

    def at(self, x, y):
        x, y = int(round(x)), int(round(y))
        if not (0 <= x < self.width and 0 <= y < self.height):
            return None
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])


def dark(rgb):
    return rgb is not None and max(rgb) < 110


def near(rgb, colour, tolerance=24):
    return rgb is not None and all(abs(a - b) <= tolerance for a, b in zip(rgb, colour))


def ray(centre, degrees, radii):
    a = math.radians(degrees)
    return [(centre[0] + r * math.cos(a), centre[1] + r * math.sin(a)) for r in radii]


def check_ray(image, centre, degrees, radii, name):
    """Dark all along the angle, and not dark along the other three quarters."""
    problems = []
    on = [image.at(*p) for p in ray(centre, degrees, radii)]
    if not all(dark(c) for c in on):
        problems.append(f"{name}: not dark along {degrees} degrees: {on}")
    for other in (90, 180, 270):
        off = [image.at(*p) for p in ray(centre, degrees + other, radii)]
        if sum(dark(c) for c in off) > len(off) // 3:
            problems.append(f"{name}: dark along {degrees + other} degrees too: {off}")
    return problems


def find_disc(image, box):
    left, top, width, height = box
    xs, ys = [], []
    for y in range(top, top + height):
        for x in range(left, left + width):
            if near(image.at(x, y), DISC, 6):
                xs.append(x)
                ys.append(y)
    if len(xs) < 500:
        return None
    return ((min(xs) + max(xs)) / 2, (min(ys) + max(ys)) / 2, (max(xs) - min(xs)) / 2)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("screenshot")
    parser.add_argument("--form", nargs=2, type=int, required=True, metavar=("X", "Y"),
                        help="top-left corner of Form1's client area on the screen")
    parser.add_argument("--panel", nargs=4, type=int, required=True, metavar=("X", "Y", "W", "H"),
                        help="the Virtual motor window on the screen")
    parser.add_argument("--angle", type=float, required=True)
    args = parser.parse_args()

    try:
        image = Image(args.screenshot)
    except (OSError, ValueError) as error:
        print(error)
        return 2

    pivot = (args.form[0] + PIVOT[0], args.form[1] + PIVOT[1])
    problems = check_ray(image, pivot, args.angle, [NEEDLE_PX * f for f in (0.2, 0.35, 0.5, 0.65, 0.8, 0.95)],
                         "needle")

    disc = find_disc(image, args.panel)
    if disc is None:
        problems.append("rotor: no disc found in the Virtual motor window")
    else:
        cx, cy, radius = disc
        problems += check_ray(image, (cx, cy), args.angle, [radius * f for f in (0.25, 0.4, 0.55, 0.7)], "rotor")
        opposite = [image.at(*p) for p in ray((cx, cy), args.angle + 180, [radius * f for f in (0.3, 0.5, 0.7)])]
        if not all(near(c, DISC) for c in opposite):
            problems.append(f"rotor: disc not showing opposite the mark: {opposite}")

    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
