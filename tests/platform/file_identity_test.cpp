// File identities and the ends of link chains, at the kernel's limit of 40 links.
#include "platform/file_identity.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

using platform::LinkTargetStatus;

class FileIdentityTest : public ::testing::Test {
  protected:
    // Links l1 -> l2 -> ... -> l<n> -> end, relative, in the test's folder; the path of l1.
    std::string chain(int n, const std::string& end) const {
        for (int k = 1; k <= n; ++k) {
            const std::string next = k == n ? end : "l" + std::to_string(k + 1);
            fs::create_symlink(next, root_ / ("l" + std::to_string(k)));
        }
        return (root_ / "l1").string();
    }
    TempFolder temp_{"ormest_identity"};
    const fs::path& root_ = temp_.root();
};

TEST_F(FileIdentityTest, FortyLinksLeadToTheirFileFortyOneAreALoop) {
    std::ofstream(root_ / "end.mus") << "x";
    const platform::LinkTarget forty = platform::resolve_link_target(chain(40, "end.mus"));
    EXPECT_EQ(forty.status, LinkTargetStatus::Target);
    EXPECT_TRUE(fs::equivalent(forty.target, root_ / "end.mus"));
    fs::remove_all(root_);
    fs::create_directories(root_);
    EXPECT_EQ(platform::resolve_link_target(chain(41, "end.mus")).status, LinkTargetStatus::Loop);
}

TEST_F(FileIdentityTest, LinksEndAtMissingFilesOrFoldersAndPlainNamesAreTheirOwn) {
    const std::string plain = (root_ / "plain.mus").string();
    EXPECT_EQ(platform::resolve_link_target(plain).status, LinkTargetStatus::NotALink);
    EXPECT_EQ(platform::resolve_link_target(plain).target, plain);
    fs::create_directory(root_ / "sub");
    fs::create_symlink(root_ / "sub" / "new.mus", root_ / "abs.mus");
    const platform::LinkTarget made = platform::resolve_link_target((root_ / "abs.mus").string());
    EXPECT_EQ(made.status, LinkTargetStatus::Target);
    EXPECT_EQ(made.target, (root_ / "sub" / "new.mus").string());
    fs::create_symlink("missing/new.mus", root_ / "rel.mus");
    EXPECT_EQ(platform::resolve_link_target((root_ / "rel.mus").string()).status,
              LinkTargetStatus::MissingFolder);
}

TEST_F(FileIdentityTest, IdentityFollowsLinksAndTellsEveryChange) {
    const fs::path file = root_ / "doc.mus";
    std::ofstream(file) << "abc";
    fs::create_symlink("doc.mus", root_ / "link.mus");
    const platform::FileIdentity a = platform::file_identity(file.string());
    ASSERT_TRUE(a.exists);
    EXPECT_EQ(a.size, 3);
    EXPECT_EQ(platform::file_identity((root_ / "link.mus").string()), a);
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::nanoseconds(1));
    const platform::FileIdentity b = platform::file_identity(file.string());
    EXPECT_NE(b, a);
    EXPECT_TRUE(b.same_file(a));
    EXPECT_FALSE(platform::file_identity((root_ / "none").string()).exists);
}

}  // namespace
