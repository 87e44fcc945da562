#!/usr/bin/env python3
"""Writes the justification's reference pages: piano systems typed with uneven positions, for
"LJ" to respace and space.

  justify_system.cmd  one two-staff piano system of four bars: right-hand eighths beamed in
                      fours with a slur per bar and a few accidentals, left-hand quarter-note
                      triads, a dynamic, a key and a meter
  justify_page.cmd    six such systems on twelve staves
  justify_grace.cmd   one such system with grace notes before some of the eighths
  justify_store.cmd   a full store of 6,000 items of that music (the justification benchmark)

make_reference_pages.sh then turns each script into its document like every other page.

    make_justify_pages.py [FOLDER]      (default: this script's folder)
"""
import os
import random
import sys

BARS = 4
STORE_ITEMS = 6000


def fmt(values):
    out = []
    for v in values:
        if isinstance(v, float):
            s = f"{v:.3f}".rstrip("0").rstrip(".")
            out.append(s if s not in ("", "-0") else "0")
        else:
            out.append(str(v))
    return " ".join(out)


def system(rng, top, bars=BARS, grace=False, dynamic=True):
    """The items of one piano system on staves top (bass) and top + 1 (treble): staff numbers
    count upwards."""
    rh, lh = top + 1, top
    lines = [f"% ---- system on staves {rh} and {lh}"]
    lines.append(fmt([8, rh, 0, 0, 0]))
    lines.append(fmt([8, lh, 0, 0, 0]))
    lines.append(fmt([3, rh, 1, 0, 0]))           # treble clef
    lines.append(fmt([3, lh, 1, 0, 1]))           # bass clef
    lines.append(fmt([17, rh, 8, 0, 1, 0]))       # one sharp
    lines.append(fmt([17, lh, 8, 0, 1, 1]))
    lines.append(fmt([18, rh, 14, 0, 4, 4]))    # 4/4
    lines.append(fmt([18, lh, 14, 0, 4, 4]))
    x = 19.0
    melody = 6
    for bar in range(bars):
        # Right hand: eighths at uneven gaps, two beamed groups of four.
        xs = []
        for _ in range(8):
            x += rng.uniform(1.6, 5.2)
            xs.append(round(x, 2))
        # A melodic line: steps and small leaps within the staff.
        steps = []
        for _ in range(8):
            melody = min(10, max(3, melody + rng.choice((-2, -1, -1, 1, 1, 2))))
            steps.append(melody)
        for group in range(2):
            gx = xs[4 * group:4 * group + 4]
            gp = steps[4 * group:4 * group + 4]
            up = sum(gp) / 4.0 < 7.0
            level = max(gp) if up else min(gp)
            for k in range(4):
                # A few sharps and naturals (accidental codes 2 and 3).
                accidental = (2, 3)[(bar + k) % 2] if (bar + group + k) % 7 == 3 else 0
                if grace and k == 0:
                    g = gp[k] + 1
                    lines.append(fmt([1, rh, round(gx[k] - 1.0, 2), g + 100, 10, 0, 65, 0, 1]))
                p5 = (10 if up else 20) + accidental
                length = float(level - gp[k]) if up else float(gp[k] - level)
                lines.append(fmt([1, rh, gx[k], gp[k], p5, 0, 0.5, length, 0]))
            lines.append(fmt([6, rh, gx[0], level, level, gx[3], 11 if up else 21]))
        # A slur over the bar, on the side away from the stems of its first group.
        first_up = sum(steps[:4]) / 4.0 < 7.0
        if first_up:
            lines.append(fmt([5, rh, xs[0], steps[0] - 2, steps[7] - 2, xs[7], -2]))
        else:
            lines.append(fmt([5, rh, xs[0], steps[0] + 2, steps[7] + 2, xs[7], 2]))
        # Left hand: quarter-note triads at uneven places of their own.
        lx = xs[0] - rng.uniform(0.0, 1.5)
        for q in range(4):
            low = rng.randint(2, 5)
            up = low + 2 < 7
            for pos in (low, low + 2, low + 4):
                lines.append(fmt([1, lh, round(lx, 2), pos, 10 if up else 20, 0, 1]))
            lx += rng.uniform(3.5, 9.0)
        x = max(x, lx) + rng.uniform(2.0, 4.0)
        # The final bar line ends the line at the page's right edge, as a line is set up.
        if bar == bars - 1:
            x = 199.0
        lines.append(fmt([14, lh, round(x, 2), 2, 2 if bar == bars - 1 else 0]))  # both staves
    if dynamic:
        lines.append(fmt([9, rh, 20.0, -5, 55]))  # mf under the right hand
    return lines, round(x, 2)


def write(path, header, lines):
    count = sum(1 for l in lines if l and not l.startswith("%"))
    with open(path, "w") as out:
        out.write("\n".join(header + [f"% {count} items."] + lines) + "\n")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else here
    note = ["% Written by make_justify_pages.py (do not edit by hand); read by the READ command",
            "% (\"RE name\"); make_reference_pages.sh saves it as a document."]

    rng = random.Random(1)
    lines, _ = system(rng, 1)
    write(os.path.join(folder, "justify_system.cmd"),
          ["% Reference page: a piano system of four bars typed with uneven positions."] + note,
          lines)

    rng = random.Random(2)
    lines = []
    for s in range(6):
        block, _ = system(rng, 2 * s + 1)
        lines += block
    write(os.path.join(folder, "justify_page.cmd"),
          ["% Reference page: six piano systems typed with uneven positions."] + note, lines)

    rng = random.Random(3)
    lines, _ = system(rng, 1, grace=True)
    write(os.path.join(folder, "justify_grace.cmd"),
          ["% Reference page: a piano system with grace notes, typed with uneven positions."]
          + note, lines)

    # As many systems as the store holds (items beyond 6,000 are not typed).
    rng = random.Random(4)
    lines, count, top = [], 0, 1
    while top + 1 <= 256:
        block, _ = system(rng, top)
        items = sum(1 for l in block if not l.startswith("%"))
        if count + items > STORE_ITEMS:
            break
        lines += block
        count += items
        top += 2
    write(os.path.join(folder, "justify_store.cmd"),
          ["% Benchmark page: piano systems of four bars filling the store."] + note, lines)


if __name__ == "__main__":
    main()
