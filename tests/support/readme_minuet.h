// Test data: the README's minuet as a user types it into the console.
#pragma once

#include <string>
#include <vector>

// The minuet's lines (two staves as one system, bar lines typed as "M"), typed up to its
// justification; its saving and playing are left out.
inline std::vector<std::string> readme_minuet_lines() {
    return {"IN 1",
            "",
            "BA/K1S/3 4/G3:B3:D4/M2/A3/M/B3/M/C4/D4/D3/M;",
            "H./H./H./Q/Q/Q;",
            ";",
            ";",
            ";",
            "X",
            "Y",
            "",
            "TR/K1S/3 4/D5/G4/A/B/C5/M1/D5/G4/G/M/E5/C/D/E/CS5/M/D5/G4/G/M;",
            "Q/E/E/E/E/Q/Q/Q/Q/E/E/E/E/Q/Q/Q;",
            ";",
            ";",
            ";",
            "X",
            "N",
            "LJ",
            "1 2",
            "Y"};
}
