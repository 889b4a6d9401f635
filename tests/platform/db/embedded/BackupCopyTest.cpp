// The backup of a catalog larger than one copy step: progress rises step by step to 100, the file
// is a byte-for-byte copy of the catalog, and the backup name never holds a partial copy.
#include "EngineFixture.h"

#include <fstream>
#include <sstream>

namespace quillan::db::test {

namespace {

std::string bytesOf(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class BackupCopy : public EngineTest {
protected:
    // About 20 MB: three steps of the smallest copy step (8 MiB).
    void fill() {
        conn->execute("CREATE TABLE [Tervik].dbo.Filler (B VARCHAR(9000))");
        conn->execute("BEGIN TRAN");
        const std::string row(8000, 'x');
        for (int i = 0; i < 2500; ++i)
            conn->execute("INSERT INTO [Tervik].dbo.Filler VALUES ('" + row + std::to_string(i) + "')");
        conn->execute("COMMIT");
    }
};

TEST_F(BackupCopy, LargeCatalogIsCopiedInStepsWithRisingProgress) {
    fill();
    const auto catalog = dir / "Data" / "Tervik.sqlite";
    ASSERT_TRUE(std::filesystem::exists(catalog));
    ASSERT_GT(std::filesystem::file_size(catalog), 16u << 20);
    auto admin = openEmbeddedAdmin(dir / "Data");
    admin->connect("(local)", "sa", "");
    const auto file = dir / "Tervik_full.bak";
    std::ofstream(file) << "an older, unrelated file under the backup name";

    std::vector<int> progress;
    admin->backup("Tervik", file, [&](int p) { progress.push_back(p); });
    ASSERT_GE(progress.size(), 3u) << "one report per step";
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(std::adjacent_find(progress.begin(), progress.end()), progress.end()) << "no repeats";
    EXPECT_LT(progress.front(), 100);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(bytesOf(file), bytesOf(catalog));
    EXPECT_FALSE(std::filesystem::exists(dir / "Tervik_full.bak.partial"));
}

TEST_F(BackupCopy, BackupIntoAMissingFolderFailsAndLeavesNothing) {
    auto admin = openEmbeddedAdmin(dir / "Data");
    admin->connect("(local)", "sa", "");
    std::vector<int> progress;
    EXPECT_THROW(admin->backup("Tervik", dir / "absent" / "t.bak", [&](int p) { progress.push_back(p); }),
                 DbError);
    EXPECT_TRUE(progress.empty()); // nothing was copied, so nothing is reported
    EXPECT_FALSE(std::filesystem::exists(dir / "absent"));
}

} // namespace
} // namespace quillan::db::test
