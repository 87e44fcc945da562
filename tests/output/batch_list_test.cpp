// The batch list: typed names and list files, "NAME n" expanded by stepping the number, the
// limit of 300 documents and the reverse order.
#include "output/batch_list.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "output/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class BatchListTest : public InterpreterTest {
  protected:
    // Builds the list from the text (names one a line) with the command letters given.
    int32_t build(const std::string& text, int32_t mode, const std::string& letters = "PR  ") {
        core::CommandLine.set(letters);
        core::MessageLine.set(text);
        return output::build_batch_list(mode);
    }
    static std::vector<std::string> names() {
        std::vector<std::string> v;
        for (int k = 1; k <= output::BatchList.count; ++k)
            v.push_back(output::BatchList.names(k).trimmed());
        return v;
    }
    static std::string stepped(const std::string& name) {
        core::FixedText<512> t(name);
        output::increment_file_number(t);
        return t.trimmed();
    }
};

using Names = std::vector<std::string>;

TEST_F(BatchListTest, NumberedNamesStepTheirNumberBeforeTheExtension) {
    EXPECT_EQ(build("SONG1.MUS 3", 1), 3);
    EXPECT_EQ(names(), (Names{"SONG1.MUS", "SONG2.MUS", "SONG3.MUS"}));
    EXPECT_EQ(build("PART9.MUS 2", 1), 2);
    EXPECT_EQ(names(), (Names{"PART9.MUS", "PARU0.MUS"}));
    // Names are kept as typed; the extension is added to a name without one.
    EXPECT_EQ(build("song9 2", 1), 2);
    EXPECT_EQ(names(), (Names{"song9.MUS", "sonh0.MUS"}));
}

TEST_F(BatchListTest, StepKeepsCaseAndCarriesThroughNineAndZ) {
    EXPECT_EQ(stepped("az.MUS"), "ba.MUS");
    EXPECT_EQ(stepped("AZ.MUS"), "BA.MUS");
    EXPECT_EQ(stepped("ay.mus"), "az.mus");
    EXPECT_EQ(stepped("AY.MUS"), "AZ.MUS");
    EXPECT_EQ(stepped("a8.MUS"), "a9.MUS");
    EXPECT_EQ(stepped("b99.MUS"), "c00.MUS");
    // The walk ends at the first character.
    EXPECT_EQ(stepped("zZ9.MUS"), "aA0.MUS");
    // Other characters end the walk unchanged: no name gains a point or loses its folder.
    EXPECT_EQ(stepped("song-9.MUS"), "song-0.MUS");
    EXPECT_EQ(stepped("dir/9.MUS"), "dir/0.MUS");
    // The extension's point counts, not a point in a folder name.
    EXPECT_EQ(stepped("v1.d/s1.MUS"), "v1.d/s2.MUS");
    EXPECT_EQ(stepped("noext1"), "noext2");
}

TEST_F(BatchListTest, TypedNamesOneALineWholeAndAsTyped) {
    EXPECT_EQ(build("first.mus\r\nmy song.MUS\r\nThird\r\n", 1), 3);
    EXPECT_EQ(names(), (Names{"first.mus", "my song.MUS", "Third.MUS"}));
    // The command letters 1-4 come back with "B" in letter 2, the rest blank.
    EXPECT_EQ(core::CommandLine.trimmed(), "PB");
    EXPECT_EQ(build("", 1), 0);
}

TEST_F(BatchListTest, ReverseOrderSwapsFirstAndLast) {
    EXPECT_EQ(build("A.MUS\rB.MUS\rC.MUS", 1, "PR  R"), 3);
    EXPECT_EQ(names(), (Names{"C.MUS", "B.MUS", "A.MUS"}));
    EXPECT_EQ(core::CommandLine.trimmed(), "PB");
    EXPECT_EQ(build("ONE.MUS", 1, "PR  R"), 1);
    EXPECT_EQ(names(), (Names{"ONE.MUS"}));
}

TEST_F(BatchListTest, ListFileIsReadWholeBlankLinesSkipped) {
    write_file("print", {"Alpha.mus", "", "   ", "beta 2", "a name with blanks.MUS"});
    EXPECT_EQ(build(" ", 2), 4);
    EXPECT_EQ(names(), (Names{"Alpha.mus", "beta.MUS", "betb.MUS", "a name with blanks.MUS"}));
    write_file("My List.txt", {"x.MUS"});
    EXPECT_EQ(build("My List.txt", 2), 1);
}

TEST_F(BatchListTest, MissingListFileGivesMinus999) {
    EXPECT_EQ(build("nosuchlist", 2), -999);
    EXPECT_EQ(build(" ", 2), -999);  // no "print" either
}

TEST_F(BatchListTest, ListsStopAtThreeHundredNames) {
    std::vector<std::string> lines;
    for (int k = 1; k <= 350; ++k) lines.push_back("DOC" + std::to_string(k) + ".MUS");
    write_file("big", lines);
    EXPECT_EQ(build("big", 2), 300);
    EXPECT_EQ(output::BatchList.names(300).trimmed(), "DOC300.MUS");

    // A count that would pass the limit stops at exactly 300 names.
    lines.assign(201, "");
    for (int k = 0; k < 201; ++k) lines[k] = "N" + std::to_string(k) + ".MUS";
    lines.push_back("X00.MUS 99");
    write_file("near", lines);
    EXPECT_EQ(build("near", 2), 300);
    EXPECT_EQ(output::BatchList.names(300).trimmed(), "X98.MUS");
    lines.push_back("Y.MUS");
    lines[201] = "X00.MUS 99";
    lines.insert(lines.begin(), "extra.MUS");
    write_file("over", lines);
    EXPECT_EQ(build("over", 2), 300);
    EXPECT_EQ(output::BatchList.names(300).trimmed(), "X97.MUS");
}

}  // namespace
