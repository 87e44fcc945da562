// The service gate through a scripted front-end: tags, the words the gate sets, the copy in and
// out of the block, request 0 and the cursor count.
#include "engine/core/bridge/service_request.h"

#include <string>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/tables.h"
#include "tests/support/scripted_front_end.h"

using namespace core;

namespace {

class ServiceRequestTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_engine();
        reset_service_gate();
        set_front_end(&fe);
    }
    void TearDown() override { set_front_end(nullptr); }

    static std::string tag_of(const ScriptedFrontEnd::ServiceRecord& r) {
        return std::string(r.tag.data(), 3);
    }

    ScriptedFrontEnd fe;
    ServiceBlock block;
};

TEST_F(ServiceRequestTest, EveryLetterSendsItsTag) {
    const std::pair<char, const char*> tags[] = {
        {'a', "~as"}, {'c', "~cu"}, {'d', "~di"}, {'e', "~ee"}, {'f', "~fo"}, {'g', "~go"},
        {'h', "~hp"}, {'i', "~im"}, {'k', "~kk"}, {'l', "~la"}, {'m', "~mo"}, {'n', "~na"},
        {'o', "~ol"}, {'p', "~po"}, {'r', "~ri"}, {'s', "~sc"}, {'v', "~ve"}, {'z', "~za"},
    };
    for (const auto& [letter, tag] : tags) {
        request_front_end_service(letter, block);
        ASSERT_FALSE(fe.services.empty());
        EXPECT_EQ(tag_of(fe.services.back()), tag) << letter;
    }
    EXPECT_EQ(fe.services.size(), std::size(tags));
}

TEST_F(ServiceRequestTest,
       ScrollPositionRequestChangesOnlyTheServiceLetterAndAllWordsTravelBothWays) {
    request_front_end_service('s', block);  // served: the front-end zeroes the first character
    EXPECT_EQ(last_service_tag()[0], '\0');
    request_front_end_service('b', block);
    const auto& tag = fe.services.back().tag;
    EXPECT_EQ(tag[0], '\0');
    EXPECT_EQ(tag[1], 'b');
    EXPECT_EQ(tag[2], 'c');
    // 'b' is not marked by the front-end; the next full tag starts with "~" again.
    request_front_end_service('z', block);
    EXPECT_EQ(tag_of(fe.services.back()), "~za");
    EXPECT_EQ(std::string(last_service_tag(), 3), "~za");
    EXPECT_EQ(last_service_tag()[3], '\0');
    for (int i = 1; i <= 256; ++i) block(i) = 1000 + i;
    fe.view.scroll_x = 2400;
    fe.view.scroll_y = -800;
    request_front_end_service('b', block);
    const auto& r = fe.services.back();
    for (int i = 1; i <= 256; ++i) ASSERT_EQ(r.in(i), 1000 + i) << i;
    EXPECT_EQ(block(1), 2400);
    EXPECT_EQ(block(2), -800);
    for (int i = 3; i <= 256; ++i) ASSERT_EQ(block(i), 1000 + i) << i;
}

TEST_F(ServiceRequestTest, LettersWithoutAServiceDoNothing) {
    for (int i = 1; i <= 256; ++i) block(i) = i * 3;
    request_front_end_service('z', block);
    const std::string before(last_service_tag(), 4);
    const ServiceBlock expected = block;
    for (char letter : {'B', 'Z', 'P', 'j', 'q', 't', 'u', 'w', 'x', 'y', '1', ' '}) {
        request_front_end_service(letter, block);
    }
    EXPECT_EQ(fe.services.size(), 1u);
    EXPECT_EQ(std::string(last_service_tag(), 4), before);
    for (int i = 1; i <= 256; ++i) ASSERT_EQ(block(i), expected(i)) << i;
}

TEST_F(ServiceRequestTest, GateSetsTheFirstWordOfDialogRequests) {
    const int32_t cm = 'c' | (':' << 8) | ('m' << 16);
    block(1) = 55;
    request_front_end_service('f', block);
    EXPECT_EQ(fe.services.back().in(1), 0);
    request_front_end_service('r', block);
    EXPECT_EQ(fe.services.back().in(1), 0);
    request_front_end_service('l', block);
    EXPECT_EQ(fe.services.back().in(1), 0);
    for (char letter : {'v', 'h', 'a'}) {
        block(1) = 55;
        request_front_end_service(letter, block);
        EXPECT_EQ(fe.services.back().in(1), cm) << letter;
        EXPECT_EQ(block_text(fe.services.back().in), "c:m");
    }
    // Colour dialog: the gate offers purple, a cancelled dialog answers -1.
    request_front_end_service('o', block);
    EXPECT_EQ(fe.services.back().in(1), 8388736);
    EXPECT_EQ(block(1), -1);
    fe.view.colour_answer = 0x0000FF;
    request_front_end_service('o', block);
    EXPECT_EQ(block(1), 0x0000FF);
}

TEST_F(ServiceRequestTest, RequestZeroSetsScrollSizesFromP1P2AndTheClientSize) {
    ParamBuffer(1) = 30000.0f;
    ParamBuffer(2) = 40000.7f;  // truncated
    fe.view.client_width = 41000;
    fe.view.client_height = 27500;
    request_front_end_service('0', block);
    ASSERT_EQ(fe.services.size(), 2u);
    EXPECT_EQ(tag_of(fe.services[0]), "~za");
    EXPECT_EQ(fe.services[1].tag[1], 's');
    EXPECT_EQ(fe.services[1].tag[2], 'c');
    const std::array<int32_t, 6> sizes = {30000, 40000, 41000, 27500, 20, 20};
    EXPECT_EQ(fe.view.scroll_sizes, sizes);
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(block(i), sizes[static_cast<std::size_t>(i - 1)]);
}

TEST_F(ServiceRequestTest, CursorNumbersCountUpToEighteenThenStartAtZero) {
    IntParamBuffer(1) = 0;
    std::vector<int32_t> seen;
    for (int i = 0; i < 20; ++i) {
        request_front_end_service('c', block);
        seen.push_back(fe.services.back().in(1));
    }
    EXPECT_EQ(seen[0], 1);
    EXPECT_EQ(seen[1], 2);
    EXPECT_EQ(seen[17], 18);
    EXPECT_EQ(seen[18], 0);
    EXPECT_EQ(seen[19], 1);
    EXPECT_EQ(fe.view.cursor, 1);
    // A cursor chosen by the caller does not move the count.
    IntParamBuffer(1) = 3;
    request_front_end_service('c', block);
    EXPECT_EQ(fe.services.back().in(1), 3);
    EXPECT_EQ(service_cursor_number(), 1);
    IntParamBuffer(1) = 0;
    request_front_end_service('c', block);
    EXPECT_EQ(fe.services.back().in(1), 2);
}

TEST_F(ServiceRequestTest, AShortBlockGetsOnlyItsOwnWordsBack) {
    for (int i = 1; i <= 56; ++i) IntParamBuffer(i) = -i;
    IntParamBuffer(1) = 500000;
    IntParamBuffer(2) = -500000;
    fe.view.limit_x = 9000;
    fe.view.limit_y = -12000;
    request_front_end_service('p', IntParamBuffer);
    request_front_end_service('b', IntParamBuffer);
    EXPECT_EQ(IntParamBuffer(1), 9000);
    EXPECT_EQ(IntParamBuffer(2), -12000);
    EXPECT_EQ(IntParamBuffer(56), -56);
    EXPECT_EQ(fe.services.back().in(57), 0);  // beyond the caller's words the gate sends zeros
}

TEST_F(ServiceRequestTest, TitleTextTravelsInTheBlock) {
    set_block_text(block, "KELDA.MUS - 12 items");
    request_front_end_service('n', block);
    EXPECT_EQ(fe.view.title, "KELDA.MUS - 12 items");
    // A text longer than the block is cut to leave its NUL inside.
    set_block_text(block, std::string(2000, 't'));
    EXPECT_EQ(block_text(block), std::string(1023, 't'));
    set_block_text(block, "abc", 256);
    EXPECT_EQ(block_text(block, 256), "abc");
}

}  // namespace
