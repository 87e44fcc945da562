// PostScript output captured in a test: unit 24 opened on a file of the test's folder, the
// page values set directly, the lines read back, and Ghostscript run over a fragment wrapped
// in a small prolog of the writer's abbreviations.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/files/file_units.h"
#include "engine/core/tables.h"
#include "engine/render/tables.h"
#include "engine/render/text/fonts.h"
#include "output/tables.h"
#include "tests/core/interpreter_fixture.h"

class PsCaptureTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        output::reset_output_tables();
        ps_path_ = dir_ / "capture.ps";
        ASSERT_TRUE(core::open_unit_at_local_path(render::kPostScriptUnit, ps_path_.string(),
                                                  core::UnitStatus::Unknown, core::UnitForm::Text));
        render::OutputPassWord = -1;
        render::PathPointList.count = 1;
        page_values(600, 4, 1.0f);
    }
    void TearDown() override {
        render::OutputPassWord = 1;
        InterpreterTest::TearDown();
    }
    // The page values the document writer derives from resolution, line width and size.
    static void page_values(int32_t resolution, int32_t line_width, float size) {
        output::OutputSettings.resolution = resolution;
        output::OutputSettings.line_width = line_width;
        output::OutputSettings.size = size;
        auto& s = output::PostScriptState;
        s.width_factor = (4000.0f / static_cast<float>(resolution) + 0.01f) / size;
        s.base_line_width = s.width_factor * static_cast<float>(line_width);
    }
    // Closes unit 24 and returns the lines written.
    std::vector<std::string> written() {
        core::close_unit(render::kPostScriptUnit);
        std::vector<std::string> lines;
        std::ifstream in(ps_path_);
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return lines;
    }
    static long count_of(const std::vector<std::string>& lines, const std::string& line) {
        return std::count(lines.begin(), lines.end(), line);
    }
    static long count_starting(const std::vector<std::string>& lines, const std::string& head) {
        long n = 0;
        for (const std::string& l : lines) n += l.rfind(head, 0) == 0 ? 1 : 0;
        return n;
    }
    // Runs Ghostscript on the lines wrapped in the prolog; returns its exit code, and its
    // standard output and error (together) in out.
    int run_gs(const std::vector<std::string>& lines, const std::string& device, std::string& out) {
        const std::filesystem::path file = dir_ / "wrapped.ps";
        {
            std::ofstream f(file);
            f << "%!PS\n/m /moveto load def /l /lineto load def /s /stroke load def\n"
                 "/e /eofill load def /g /gsave load def /r /grestore load def\n"
                 "/tr /translate load def /lw /setlinewidth load def /f /findfont load def\n"
                 "/sf /scalefont load def /mkf /makefont load def /wdl 1 def\n"
                 "0.018 0.018 scale 1000 1000 tr wdl lw\n";
            for (const std::string& l : lines) f << l << '\n';
            f << "showpage\n";
        }
        const std::filesystem::path log = dir_ / "gs.log";
        const std::string command = "gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=" + device + " " +
                                    file.string() + " >" + log.string() + " 2>&1";
        const int rc = std::system(command.c_str());
        std::ifstream in(log);
        out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return rc;
    }
    // Adds a point as the drawers do.
    static void point(int16_t op, int32_t x, int32_t y) {
        auto& list = render::PathPointList;
        const int32_t c = list.count;
        list.op(c) = op;
        list.x(c) = x;
        list.y(c) = y;
        list.count = c + 1;
    }

    std::filesystem::path ps_path_;
};
