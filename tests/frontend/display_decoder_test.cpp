// The decoding of the graphics list and the text display stream, without a window.
#include "frontend/bridge/display_decoder.h"

#include <string_view>
#include <vector>

#include "frontend/bridge/display_lists.h"
#include "tests/frontend/frontend_fixture.h"

using namespace frontend;

namespace {

int32_t op(uint32_t kind, uint32_t colour = 0) { return static_cast<int32_t>(kind << 24 | colour); }

struct ListBuilder {
    std::vector<int32_t> words;
    ListBuilder& add(int32_t x, int32_t y, int32_t op_word) {
        words.insert(words.end(), {x, y, op_word});
        return *this;
    }
    int32_t length() const { return static_cast<int32_t>(words.size()); }
};

}  // namespace

TEST(DisplayDecoderTest, CoordinatesRoundHalvesUpIn64Bits) {
    EXPECT_EQ(EngineToPage(2, 64), 1);
    EXPECT_EQ(EngineToPage(1, 64), 0);
    EXPECT_EQ(EngineToPage(-2, 64), 0);
    EXPECT_EQ(EngineToPage(-3, 64), -1);
    EXPECT_EQ(EngineToPage(1, 128), 1);
    // v x scale does not fit 32 bits here; the result does.
    EXPECT_EQ(EngineToPage(100000000, 1024), 400000000);
    EXPECT_EQ(EngineToPage(-100000000, 1024), -400000000);
    // Page to engine units truncates toward zero.
    EXPECT_EQ(PageToEngine(1000, 64), 4000);
    EXPECT_EQ(PageToEngine(1000, 128), 2000);
    EXPECT_EQ(PageToEngine(-1, 3), -85);
    EXPECT_EQ(PageToEngine(5, 0), 0);
}

TEST(DisplayDecoderTest, PathsSplitAtStartsAndSubPaths) {
    // An open line of 3 points, then a shape of two contours (3 + 2 points).
    ListBuilder l;
    l.add(0, 0, op(1, 0x0000FF)).add(4, 0, 0).add(8, 0, 0);
    l.add(0, 8, op(2)).add(4, 8, 0).add(4, 12, 0).add(1, 9, op(3)).add(2, 9, 0);
    ScreenGeometry g;
    BuildScreenPaths(l.words.data(), l.length(), 1000, 64, g);
    ASSERT_EQ(g.paths.size(), 2u);
    EXPECT_EQ(g.paths[0].kind(), 1u);
    EXPECT_EQ(g.paths[0].colour(), 0x0000FFu);
    EXPECT_EQ(g.paths[0].subpath_count, 1);
    EXPECT_EQ(g.paths[0].last_count, 3);
    EXPECT_EQ(g.paths[1].kind(), 2u);
    EXPECT_EQ(g.paths[1].first_point, 3);
    EXPECT_EQ(g.paths[1].subpath_count, 2);
    EXPECT_EQ(g.paths[1].last_count, 2);
    EXPECT_EQ(g.subpath_counts, (std::vector<int32_t>{3, 3, 2}));
    EXPECT_EQ(g.points[1].x, 1);  // 4 display units at scale 64
    EXPECT_EQ(g.points[5].y, 3);
}

TEST(DisplayDecoderTest, EmptyPathStartsAreSkippedWithoutTouchingTheList) {
    ListBuilder l;
    l.add(10, 10, op(2)).add(0, 0, op(1, 0x00FF00)).add(4, 0, 0).add(8, 0, 0);
    const std::vector<int32_t> before = l.words;
    ScreenGeometry g;
    BuildScreenPaths(l.words.data(), l.length(), 1000, 64, g);
    ASSERT_EQ(g.paths.size(), 1u);
    EXPECT_EQ(g.points.size(), 3u);
    EXPECT_EQ(g.paths[0].kind(), 1u);  // the start that gives the first point
    EXPECT_EQ(g.paths[0].colour(), 0x00FF00u);
    EXPECT_EQ(l.words, before);  // no marks written into the engine's list

    // A sub-path start right after a path start: the path keeps its start's kind.
    ListBuilder s;
    s.add(0, 0, op(2, 0x123456)).add(4, 4, op(3)).add(8, 4, 0).add(8, 8, 0);
    BuildScreenPaths(s.words.data(), s.length(), 1000, 64, g);
    ASSERT_EQ(g.paths.size(), 1u);
    EXPECT_EQ(g.paths[0].kind(), 2u);
    EXPECT_EQ(g.paths[0].colour(), 0x123456u);
    EXPECT_EQ(g.points.size(), 3u);
    EXPECT_EQ(g.points[0].x, 1);
}

TEST(DisplayDecoderTest, ShortListsAndBadLengths) {
    // One entry: one path of one point (a list below 6 words is not searched for empty starts).
    ListBuilder one;
    one.add(2, 2, op(1));
    ScreenGeometry g;
    BuildScreenPaths(one.words.data(), one.length(), 1000, 64, g);
    ASSERT_EQ(g.paths.size(), 1u);
    EXPECT_EQ(g.paths[0].last_count, 1);

    // A trailing part entry is not read; a length beyond the buffer reads only the buffer; a
    // negative length reads nothing.
    ListBuilder l;
    l.add(0, 0, op(1)).add(4, 0, 0);
    BuildScreenPaths(l.words.data(), 5, 6, 64, g);
    EXPECT_EQ(g.points.size(), 1u);
    BuildScreenPaths(l.words.data(), 1000000, 6, 64, g);
    EXPECT_EQ(g.points.size(), 2u);
    BuildScreenPaths(l.words.data(), -3, 6, 64, g);
    EXPECT_TRUE(g.paths.empty());

    // Entries the engine marked 0xFF give no point and end the path before them.
    ListBuilder m;
    m.add(0, 0, op(1)).add(4, 0, 0).add(9, 9, op(0xFF)).add(8, 0, 0);
    BuildScreenPaths(m.words.data(), m.length(), 1000, 64, g);
    ASSERT_EQ(g.paths.size(), 2u);
    EXPECT_EQ(g.points.size(), 3u);
}

TEST(DisplayDecoderTest, ManyShortPathsAllFit) {
    // More paths than any fixed table of the old decoder held.
    ListBuilder l;
    for (int i = 0; i < 30000; ++i) l.add(i, 0, op(1)).add(i, 4, 0);
    ScreenGeometry g;
    BuildScreenPaths(l.words.data(), l.length(), l.length(), 64, g);
    EXPECT_EQ(g.paths.size(), 30000u);
    EXPECT_EQ(g.points.size(), 60000u);
}

TEST(DisplayDecoderTest, TextRecordDecodes) {
    StreamBuilder s;
    s.record("Times", 40.0f, 30.0f, 1);
    s.piece(100, -200, "Allegro");
    s.record("", 10.0f, 0.0f, 0);  // empty face takes one byte; no pieces
    s.record("Helvetica", 12.0f, 0.0f, 1);
    s.piece(1, 2, "");  // an empty text takes 9 bytes
    const TextDecodeResult r = DecodeTextRecords(s.bytes.data(), s.length(), 20000);
    EXPECT_TRUE(r.complete);
    ASSERT_EQ(r.records.size(), 3u);
    const TextRecord& t = r.records[0];
    EXPECT_EQ(t.face, "Times");
    EXPECT_FLOAT_EQ(t.height, 40.0f);
    EXPECT_FLOAT_EQ(t.half_width, 15.0f);
    EXPECT_EQ(t.colour, 0x0000FFu);
    EXPECT_EQ(t.weight, 700);
    EXPECT_EQ(t.italic, 1);
    ASSERT_EQ(t.pieces.size(), 1u);
    EXPECT_EQ(t.pieces[0].x, 100);
    EXPECT_EQ(t.pieces[0].y, -200);
    EXPECT_EQ(t.pieces[0].text, "Allegro");
    EXPECT_TRUE(r.records[1].pieces.empty());
    EXPECT_EQ(r.records[2].pieces[0].text, "");
    EXPECT_EQ(r.records[2].start, r.records[1].start + 1 + 8 * 4);
}

TEST(DisplayDecoderTest, TruncatedTextRecordIsRejectedInsideItsLength) {
    StreamBuilder s;
    s.record("Times", 40.0f, 30.0f, 1);
    s.piece(100, -200, "Allegro");
    const int32_t first = s.length();
    s.record("Times", 40.0f, 30.0f, 2);
    s.piece(5, 5, "one");
    s.piece(6, 6, "two");
    // Cut anywhere inside the second record: in its name, its fields, a piece's words, a text.
    for (int32_t cut = first + 1; cut < s.length(); ++cut) {
        // The bytes after the cut are not ours to read: copy exactly cut bytes so that the
        // sanitizer catches any read past them.
        std::vector<uint8_t> exact(s.bytes.begin(), s.bytes.begin() + cut);
        const TextDecodeResult r = DecodeTextRecords(exact.data(), cut, cut);
        EXPECT_FALSE(r.complete) << "cut at " << cut;
        EXPECT_EQ(r.bad_offset, first);
        ASSERT_EQ(r.records.size(), 1u);
    }
    // A length beyond the buffer is brought inside it.
    const TextDecodeResult whole = DecodeTextRecords(s.bytes.data(), 20000, s.length());
    EXPECT_TRUE(whole.complete);
    EXPECT_EQ(whole.records.size(), 2u);
}

TEST(DisplayDecoderTest, ImpossiblePieceCountsAreRejected) {
    for (uint32_t count : {0xFFFFFFFFu, 0x7FFFFFFFu, 2u}) {
        StreamBuilder s;
        s.record("Times", 10.0f, 0.0f, static_cast<int32_t>(count));
        s.piece(0, 0, "x");  // room for one piece only
        const TextDecodeResult r = DecodeTextRecords(s.bytes.data(), s.length(), s.length());
        EXPECT_FALSE(r.complete) << count;
        EXPECT_TRUE(r.records.empty());
    }
    EXPECT_TRUE(DecodeTextRecords(nullptr, 10, 10).records.empty());
    EXPECT_TRUE(DecodeTextRecords(reinterpret_cast<const uint8_t*>("x"), 0, 1).complete);
}

// An engine text shown: whole UTF-8 letters as themselves (a reply naming a letter typed as
// UTF-8), every other byte as CP1252, the text ending at its first zero byte.
TEST(DisplayDecoderTest, EngineTextTakesWholeUtf8LettersAndCp1252Bytes) {
    struct Row {
        std::string_view bytes;
        QString shown;
    };
    const std::vector<Row> rows = {
        {"letter \xE6\xBC\xA2 --", QStringLiteral("letter \u6F22 --")},
        {"Gr\xC3\xBC\xC3\x9F"
         "e",
         QStringLiteral("Grüße")},
        {"\xE2\x82\xAC", QStringLiteral("€")},
        {"\xF0\x9F\x8E\xB5", QString::fromUtf8("\xF0\x9F\x8E\xB5")},
        // CP1252 bytes: alone, a lead byte cut short at the end, overlong, a surrogate.
        {"Gr\xFC\xDF"
         "e \x80",
         QStringLiteral("Grüße €")},
        {"ab\xC3", QStringLiteral("abÃ")},
        {"\xE6\xBC", QStringLiteral("æ¼")},
        {"\xC0\xAF", QStringLiteral("À¯")},
        {"\xED\xA0\x80", QStringLiteral("í\u00A0€")},
        {std::string_view("one\0two", 7), QStringLiteral("one")},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FromEngineText(row.bytes), row.shown) << row.shown.toStdString();
    }
}
