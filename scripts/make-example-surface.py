#!/usr/bin/env python3
"""Writes examples/surface.csv: a smooth surface over a slightly jittered 40 x 40 grid."""
import math
import pathlib

out = pathlib.Path(__file__).resolve().parent.parent / "examples" / "surface.csv"
with out.open("w") as f:
    for i in range(40):
        for j in range(40):
            x = -2 + 4 * i / 39 + 0.03 * math.sin(7 * j + i)
            y = -2 + 4 * j / 39 + 0.03 * math.cos(5 * i + j)
            z = math.sin(x * 1.5) * math.cos(y * 1.5) * 2 + 0.2 * x
            f.write(f"{x:.6g},{y:.6g},{z:.6g}\n")
