#!/usr/bin/env python3
"""Makes the example map, a warehouse hall of 30 m x 20 m at 5 cm a cell (600 x 400 cells):
warehouse.pgm (occupied 0, free 254, unknown 205, as mapping tools write them) and
warehouse.yaml beside this script.

The hall spans x -4 ... 26 m, y -6 ... 14 m, inside walls 0.2 m thick.  Open floor on the left
holds the start pose (0, 0, 0) and two parking bays at the top (1.6 m wide, 2.6 m deep, open
to the south, between x 1.0 and 4.3 m, y 10.0 and 12.6 m) and a pillar; four rows of racks
(1 m deep, x 6 ... 22 m, a cross gap at x 13.5 ... 15 m) stand along aisles 3 m wide; an
office in the lower right corner, behind a wall with a door, was never mapped (unknown)."""
import pathlib

RES = 0.05                    # [m/cell]
X0, Y0 = -4.0, -6.0           # the lower-left corner [m]
WIDTH, HEIGHT = 600, 400      # [cells]
OCCUPIED, FREE, UNKNOWN = 0, 254, 205


def cell(v):
    """Metres as a whole number of cells."""
    return round(v / RES)


def main():
    grid = [[FREE] * WIDTH for _ in range(HEIGHT)]   # rows from the bottom

    def fill(x0, y0, x1, y1, value):
        for r in range(cell(y0 - Y0), cell(y1 - Y0)):
            for c in range(cell(x0 - X0), cell(x1 - X0)):
                grid[r][c] = value

    fill(22.5, -6.0, 26.0, -2.5, UNKNOWN)            # the office
    fill(22.4, -6.0, 22.5, -2.4, OCCUPIED)           # its wall, with a door of 1.2 m
    fill(22.4, -2.5, 23.5, -2.4, OCCUPIED)
    fill(24.7, -2.5, 26.0, -2.4, OCCUPIED)
    for y in (-3.5, 0.5, 4.5, 8.5):                  # the racks, each in two halves
        fill(6.0, y, 13.5, y + 1.0, OCCUPIED)
        fill(15.0, y, 22.0, y + 1.0, OCCUPIED)
    for x in (0.9, 2.6, 4.3):                        # the parking bays' walls
        fill(x, 10.0, x + 0.1, 12.7, OCCUPIED)
    fill(0.9, 12.6, 4.4, 12.7, OCCUPIED)
    fill(-2.7, 5.8, -2.3, 6.2, OCCUPIED)             # a pillar
    fill(-4.0, -6.0, 26.0, -5.8, OCCUPIED)           # the hall's walls
    fill(-4.0, 13.8, 26.0, 14.0, OCCUPIED)
    fill(-4.0, -6.0, -3.8, 14.0, OCCUPIED)
    fill(25.8, -6.0, 26.0, 14.0, OCCUPIED)

    here = pathlib.Path(__file__).resolve().parent
    pixels = bytes(v for row in reversed(grid) for v in row)   # the top row first
    (here / "warehouse.pgm").write_bytes(b"P5\n%d %d\n255\n" % (WIDTH, HEIGHT) + pixels)
    (here / "warehouse.yaml").write_text(
        "image: warehouse.pgm\n"
        f"resolution: {RES}\n"
        f"origin: [{X0}, {Y0}, 0.0]\n"
        "negate: 0\n"
        "occupied_thresh: 0.65\n"
        "free_thresh: 0.196\n"
        "mode: trinary\n")


if __name__ == "__main__":
    main()
