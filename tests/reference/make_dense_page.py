#!/usr/bin/env python3
"""Writes dense_page.cmd: the dense reference page of about 2,000 items that the redraw
benchmark draws. Twelve staves at 0.8 size, each with a clef, a key, a meter and six bars of
three-note chords in beamed eighths, dotted quarters, flagged eighths and rests, with bar
numbers, dynamics, words and hairpins. make_reference_pages.sh then turns the script into
dense_page.MUS like every other reference page.

    make_dense_page.py [OUTPUT]      (default: dense_page.cmd beside this file)
"""
import os
import sys

STAVES = 12
SIZE = 0.8
SPREAD = 6
BARS = 6
FIRST_BAR = 26.0
BAR_WIDTH = 28.3
CHORD_STEP = 3.2
# Lowest note of the chord on each eighth of a bar; the chord stacks two thirds on it.
PATTERN = [3, 5, 4, 6, 2, 4, 5, 3, 6, 4, 2, 3]
# Bar kinds by bar: A four beamed pairs; B two pairs, a dotted quarter and a flagged eighth;
# C three pairs and a quarter rest.
KINDS = "ABCABC"


def fmt(values):
    out = []
    for v in values:
        if isinstance(v, float):
            s = f"{v:.3f}".rstrip("0").rstrip(".")
            out.append(s if s not in ("", "-0") else "0")
        else:
            out.append(str(v))
    return " ".join(out)


def chord(lines, staff, x, low, stem, flags=0, dots=0, accidental=0, lengths=(0, 0, 0)):
    """Three notes at low, low + 2, low + 4 sharing one stem (up 1, down 2)."""
    for i, pos in enumerate((low, low + 2, low + 4)):
        p5 = stem * 10 + (accidental if i == 0 else 0)
        p8 = lengths[i]
        p9 = dots * 10 + flags
        lines.append(fmt([1, staff, x, pos, p5, 0, 0, p8, p9]))


def beamed_pair(lines, staff, x, lows, accidental=0):
    tops = [l + 4 for l in lows]
    up = (sum(lows) / 2 + 2) < 7
    if up:
        level = max(tops)
        for k, low in enumerate(lows):
            lengths = tuple(float(level - p) for p in (low, low + 2, low + 4))
            chord(lines, staff, x + k * CHORD_STEP, low, 1,
                  accidental=accidental if k == 0 else 0, lengths=lengths)
        lines.append(fmt([6, staff, x, level, level, x + CHORD_STEP, 11]))
    else:
        level = min(lows)
        for k, low in enumerate(lows):
            lengths = tuple(float(p - level) for p in (low, low + 2, low + 4))
            chord(lines, staff, x + k * CHORD_STEP, low, 2,
                  accidental=accidental if k == 0 else 0, lengths=lengths)
        lines.append(fmt([6, staff, x, level, level, x + CHORD_STEP, 1]))


def staff_lines(staff):
    lines = [f"% ---- staff {staff}"]
    clef = 0 if staff % 2 == 0 else 1
    # Six steps more between staves than the default places give, for the dynamics and the
    # bar numbers between them.
    lines.append(fmt([8, staff, 0, SPREAD * (staff - 1), SIZE]))
    lines.append(fmt([3, staff, 1, 0, clef]))
    lines.append(fmt([17, staff, 12, 0, 2, clef]))
    lines.append(fmt([18, staff, 20, 0, 4, 4]))
    bar_number = 1
    for bar in range(BARS):
        b = FIRST_BAR + bar * BAR_WIDTH
        kind = KINDS[bar]
        shift = (staff + bar) % 3
        lows = [PATTERN[(j + shift) % len(PATTERN)] for j in range(8)]
        x = [b + 3.0 + j * CHORD_STEP for j in range(8)]
        accidental = 1 + (staff + bar) % 3
        lines.append(fmt([10, staff, b + 1.0, 14, bar_number + bar, 0.7]))
        pairs = {"A": 4, "B": 2, "C": 3}[kind]
        for k in range(pairs):
            beamed_pair(lines, staff, x[2 * k], lows[2 * k:2 * k + 2],
                        accidental=accidental if k == 0 else 0)
        if kind == "B":
            stem = 1 if lows[4] + 2 < 7 else 2
            chord(lines, staff, x[4], lows[4], stem, dots=1)
            stem = 1 if lows[7] + 2 < 7 else 2
            chord(lines, staff, x[7], lows[7], stem, flags=1)
        elif kind == "C":
            lines.append(fmt([2, staff, x[6] + 1.0, 0, 0]))
        lines.append(fmt([14, staff, b + BAR_WIDTH, 0, 2 if bar == BARS - 1 else 0]))
    # Dynamics and words below the staff, a hairpin under the third bar.
    below = -5
    lines.append(fmt([9, staff, FIRST_BAR + 2.0, below, 55]))                  # mf
    lines.append(fmt([9, staff, FIRST_BAR + BAR_WIDTH + 2.0, below, 63]))      # cresc.
    lines.append(fmt([4, staff, FIRST_BAR + 2 * BAR_WIDTH + 2.0, below + 1, 999,
                      FIRST_BAR + 3 * BAR_WIDTH - 3.0, -1]))                    # decrescendo
    lines.append(fmt([9, staff, FIRST_BAR + 3 * BAR_WIDTH + 2.0, below, 53]))  # p
    lines.append(fmt([9, staff, FIRST_BAR + 4 * BAR_WIDTH + 2.0, below, 64]))  # dim.
    return lines


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "dense_page.cmd")
    lines = [
        "% Reference page: a dense page of about 2,000 items for the redraw benchmark.",
        "% Written by make_dense_page.py (do not edit by hand); read by the READ command",
        "% (\"RE name\"); make_reference_pages.sh saves it as dense_page.MUS.",
    ]
    count = 0
    for staff in range(STAVES, 0, -1):
        block = staff_lines(staff)
        count += sum(1 for l in block if not l.startswith("%"))
        lines += block
    lines.insert(3, f"% {count} items on {STAVES} staves.")
    with open(target, "w") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
