// Test data: the README's hymn, four voices on two staves (the upper voice of each staff stemmed
// up, the lower one down, typed against its own staff as spacing staff), as a user types it.
#pragma once

#include <string>
#include <vector>

// The hymn up to its save as hymn.mus: its first verse is a text after both staves.
inline std::vector<std::string> readme_hymn_lines() {
    return {"IN 1",
            "",
            "BA/K1S/4 4/SU/D4/D/B3/D4/M2/C/B3/M2;",
            "Q/Q/Q/Q/H/H;",
            ";",
            ";",
            ";",
            "X",
            "Y",
            "",
            "TR/K1S/4 4/SU/B4/A/G/A/M1/B/G/M1;",
            "Q/Q/Q/Q/H/H;",
            ";",
            ";",
            ";",
            "X",
            "N",
            "IN 1",
            "2 200 1",
            "SD/G2/F/G/G/A/G;",
            "Q/Q/Q/Q/H/H;",
            ";",
            ";",
            ";",
            "X",
            "N",
            "IN 2",
            "2 200 2",
            "SD/D4/D/E/D/D/G;",
            "Q/Q/Q/Q/H/H;",
            ";",
            ";",
            ";",
            "X",
            "N",
            "LJ",
            "1 2",
            "Y",
            "T 2 0 -8",
            "Praise the Lord with joy",
            "1:5",
            "X",
            "SA hymn.mus"};
}
