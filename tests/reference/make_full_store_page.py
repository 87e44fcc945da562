#!/usr/bin/env python3
"""Writes full_store.cmd: a page that fills the store to its item limit (6,000 items) with the
densest music the drawers make. Staves at 0.7 size, each with a clef, a key of four sharps or
flats, a meter and six bars of three-note chords: every chord with an accidental on its lowest
note, beamed in eighths and sixteenths or flagged with two and three flags, with dotted chords,
rests, bar numbers, dynamics, words and a hairpin. The items left over to the limit are
fingerings (numbers) above the chords, spread over the staves. make_reference_pages.sh then
turns the script into full_store.MUS like every other reference page.

    make_full_store_page.py [OUTPUT]      (default: full_store.cmd beside this file)
"""
import os
import sys

sys.dont_write_bytecode = True  # no cache folder beside the reference pages
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_dense_page import fmt  # noqa: E402

ITEM_LIMIT = 6000
STORE_WORDS = 64000
STAVES = 32
SIZE = 0.7
SPREAD = 6
BARS = 6
FIRST_BAR = 26.0
BAR_WIDTH = 28.3
CHORD_STEP = 3.2
PATTERN = [3, 5, 4, 6, 2, 4, 5, 3, 6, 4, 2, 3]
# Bar kinds: A four beamed pairs of eighths; B two beamed pairs of sixteenths, a dotted quarter
# and a chord of two flags; C four chords of three flags and four of two; D three beamed pairs of
# sixteenths and a rest. Flags draw the most, so most bars are of kind C.
KINDS = "CACBDC"


def chord(lines, staff, x, low, stem, accidental, flags=0, dots=0, lengths=(0, 0, 0)):
    """Three notes at low, low + 2, low + 4 sharing one stem (up 1, down 2); the accidental
    (1..5) stands before the lowest."""
    for i, pos in enumerate((low, low + 2, low + 4)):
        p5 = stem * 10 + (accidental if i == 0 else 0)
        lines.append(fmt([1, staff, x, pos, p5, 0, 0, lengths[i], dots * 10 + flags]))


def stem_of(low):
    return 1 if low + 2 < 7 else 2


def beamed(lines, staff, x, lows, beams, accidentals):
    """Chords at x, x + step, ... under one beam of `beams` lines."""
    up = (sum(lows) / len(lows) + 2) < 7
    level = max(lows) + 4 if up else min(lows)
    for k, low in enumerate(lows):
        if up:
            lengths = tuple(float(level - p) for p in (low, low + 2, low + 4))
        else:
            lengths = tuple(float(p - level) for p in (low, low + 2, low + 4))
        chord(lines, staff, x + k * CHORD_STEP, low, 1 if up else 2, accidentals[k],
              lengths=lengths)
    right = x + (len(lows) - 1) * CHORD_STEP
    lines.append(fmt([6, staff, x, level, level, right, (10 if up else 0) + beams]))


def staff_lines(staff, fingerings):
    """The staff's items; the places of its chords go to fingerings for the filler."""
    lines = [f"% ---- staff {staff}"]
    clef = 0 if staff % 2 == 0 else 1
    lines.append(fmt([8, staff, 0, SPREAD * (staff - 1), SIZE]))
    lines.append(fmt([3, staff, 1, 0, clef]))
    lines.append(fmt([17, staff, 12, 0, 4 if staff % 2 == 0 else -4, clef]))
    lines.append(fmt([18, staff, 22, 0, 4, 4]))
    for bar in range(BARS):
        b = FIRST_BAR + bar * BAR_WIDTH
        kind = KINDS[bar]
        shift = (staff + bar) % 3
        lows = [PATTERN[(j + shift) % len(PATTERN)] for j in range(8)]
        x = [b + 3.0 + j * CHORD_STEP for j in range(8)]
        acc = [1 + (staff + bar + j) % 5 for j in range(8)]
        lines.append(fmt([10, staff, b + 1.0, 14, bar + 1, 0.7]))
        if kind == "A":
            for k in range(4):
                beamed(lines, staff, x[2 * k], lows[2 * k:2 * k + 2], 1, acc[2 * k:2 * k + 2])
        elif kind == "B":
            for k in range(2):
                beamed(lines, staff, x[2 * k], lows[2 * k:2 * k + 2], 2, acc[2 * k:2 * k + 2])
            chord(lines, staff, x[4], lows[4], stem_of(lows[4]), acc[4], dots=1)
            chord(lines, staff, x[7], lows[7], stem_of(lows[7]), acc[7], flags=2)
        elif kind == "C":
            for j in range(8):
                chord(lines, staff, x[j], lows[j], stem_of(lows[j]), acc[j],
                      flags=3 if j < 4 else 2)
        else:
            for k in range(3):
                beamed(lines, staff, x[2 * k], lows[2 * k:2 * k + 2], 2, acc[2 * k:2 * k + 2])
            lines.append(fmt([2, staff, x[6] + 1.0, 0, 0]))
        fingerings += [(staff, x[j], lows[j]) for j in range(8) if not (kind == "D" and j >= 6)]
        lines.append(fmt([14, staff, b + BAR_WIDTH, 0, 2 if bar == BARS - 1 else 0]))
    below = -5
    lines.append(fmt([9, staff, FIRST_BAR + 2.0, below, 55]))                  # mf
    lines.append(fmt([9, staff, FIRST_BAR + BAR_WIDTH + 2.0, below, 63]))      # cresc.
    lines.append(fmt([4, staff, FIRST_BAR + 2 * BAR_WIDTH + 2.0, below + 1, 999,
                      FIRST_BAR + 3 * BAR_WIDTH - 3.0, -1]))                    # decrescendo
    lines.append(fmt([9, staff, FIRST_BAR + 3 * BAR_WIDTH + 2.0, below, 53]))  # p
    lines.append(fmt([9, staff, FIRST_BAR + 4 * BAR_WIDTH + 2.0, below, 64]))  # dim.
    return lines


def is_item(line):
    return not line.startswith("%")


def stored_words(line):
    """Words the item takes in the store: its count word and P1 up to the last nonzero P
    (at least three)."""
    values = [float(v) for v in line.split()]
    last = max((k + 1 for k, v in enumerate(values) if v != 0.0), default=0)
    return 1 + max(last, 3)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "full_store.cmd")
    body = []
    places = []
    for staff in range(STAVES, 0, -1):
        body += staff_lines(staff, places)
    count = sum(1 for l in body if is_item(l))
    if count > ITEM_LIMIT:
        sys.exit(f"{count} items are more than the store takes")
    # The rest up to the limit: fingerings 1..5 above the chords, round the staves.
    places.sort(key=lambda p: (p[1], -p[0]))
    filler = ["% ---- fingerings up to the item limit"]
    for k in range(ITEM_LIMIT - count):
        staff, x, low = places[k % len(places)]
        filler.append(fmt([10, staff, x, max(low + 11, 12), 1 + k % 5, 0.5]))
    items = [l for l in body + filler if is_item(l)]
    words = sum(stored_words(l) for l in items)
    if len(items) != ITEM_LIMIT or words > STORE_WORDS:
        sys.exit(f"{len(items)} items in {words} words do not make a full store")
    lines = [
        "% Reference page: a full store of the densest music, for the screen list's size.",
        "% Written by make_full_store_page.py (do not edit by hand); read by the READ command",
        "% (\"RE name\"); make_reference_pages.sh saves it as full_store.MUS.",
        f"% {len(items)} items in {words} words on {STAVES} staves.",
    ]
    with open(target, "w") as out:
        out.write("\n".join(lines + body + filler) + "\n")


if __name__ == "__main__":
    main()
