// Test data: the README's piano piece on two systems (staves 3 and 4 above staves 1 and 2) as a
// user types it into the console.
#pragma once

#include <string>
#include <vector>

// The piece up to its save. joined: with the brace and the line that join each system's staves
// at its start; without them the bass's bar lines, spanning both staves, join them alone.
inline std::vector<std::string> readme_piece_lines(bool joined) {
    std::vector<std::string> lines = {"IN 3",
                                      "",
                                      "BA/K1S/6 8/R/M2/E3:G3:B3/M/D3:F3:A3/M;",
                                      "E/H./H.;",
                                      ";",
                                      ";",
                                      ";",
                                      "X",
                                      "Y",
                                      "",
                                      "TR/K1S/6 8/E4/M1/G4/A/B/C5/B4/M/A4/F/D/E/F/M;",
                                      "E/Q/E/E./S/E/Q/E/E./S/E;",
                                      ";",
                                      "4 6/9 11;",
                                      "2 6;",
                                      "X",
                                      "N",
                                      "IN 1",
                                      "",
                                      "BA/K1S/C3:E3:G3/M2/E3:B3/MDD2;",
                                      "H./H.;",
                                      ";",
                                      ";",
                                      ";",
                                      "X",
                                      "Y",
                                      "",
                                      "TR/K1S/G4/A/B/A/G/F/M1/E4/MDD1;",
                                      "E/E/E/E/E/E/H.;",
                                      ";",
                                      "1 3/4 6;",
                                      ";",
                                      "X",
                                      "N",
                                      "LJ",
                                      "3 2",
                                      "Y",
                                      "LJ",
                                      "1 2",
                                      "Y",
                                      "P 4 24.9 -3",
                                      "X"};
    if (joined) {
        for (const char* line : {"BARBC 3 0.01 2", "X", "BAR 3 0.01 2", "X", "BARBC 1 0.01 2", "X",
                                 "BAR 1 0.01 2", "X"})
            lines.push_back(line);
    }
    return lines;
}
