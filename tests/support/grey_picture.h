// Test helper: an EPS file as Ghostscript paints it, read back as a grey picture (raw PGM).
#pragma once

#include <filesystem>
#include <istream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/output/ps_check.h"

struct GreyPicture {
    int width = 0;
    int height = 0;
    std::vector<int> greys;  // row by row from the top; 0 black, 255 white
};

// The grey levels Ghostscript paints for the EPS file (-dEPSCrop) at dpi dots per inch. A failed
// run, a file that is not a raw PGM or one whose pixels do not fill its size fails the test.
inline GreyPicture gs_grey_picture(const std::filesystem::path& eps, int dpi) {
    const std::filesystem::path pgm = eps.string() + ".pgm";
    const auto run = ps_check::run_gs(
        eps, "pgmraw",
        "-dEPSCrop -r" + std::to_string(dpi) + " -sOutputFile='" + pgm.string() + "'");
    EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
    std::istringstream in(ps_check::read_text(pgm));
    std::string magic;
    in >> magic;
    int numbers[3] = {};
    for (int k = 0; k < 3 && in;) {
        in >> std::ws;
        if (in.peek() == '#') {
            std::string comment;
            std::getline(in, comment);
            continue;
        }
        in >> numbers[k++];
    }
    in.get();
    GreyPicture p;
    p.width = numbers[0];
    p.height = numbers[1];
    for (int c = in.get(); c != EOF; c = in.get()) p.greys.push_back(c);
    EXPECT_EQ(magic, "P5");
    EXPECT_EQ(static_cast<int>(p.greys.size()), p.width * p.height);
    return p;
}
