#pragma once
// A fresh data folder per test with master and the application catalog "Tervik", its
// application tables created through the engine itself as the application's schema would.
#include "platform/db/embedded/EmbeddedEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace quillan::db::test {

inline const std::string P = "[Tervik]"; // dbPrefix

class EngineTest : public ::testing::Test {
protected:
    std::filesystem::path dir;
    std::unique_ptr<Connection> conn;

    void SetUp() override {
        std::string tmpl = (std::filesystem::temp_directory_path() / "quillan-engine-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
        EmbeddedOptions o;
        o.dataFolder = dir / "Data";
        // Windows paths in statements name files below the test folder: C:\x -> <dir>/x
        o.nativePath = [d = dir](const std::string& text) {
            std::string t = text;
            if (t.size() > 2 && t[1] == ':')
                t = t.substr(3);
            for (char& c : t)
                if (c == '\\')
                    c = '/';
            return d / t;
        };
        conn = openEmbeddedConnection(o);
        conn->execute("CREATE DATABASE [Tervik]");
        conn->execute(
            "CREATE TABLE " + P +
            ".dbo.SetupDetails (File_Names VARCHAR(200), File_Path VARCHAR(500), File_CrDate DATETIME, "
            "File_UnZipDate DATETIME, Status INT, RegRequired INT, HotfixNo INT, VersionNo INT, "
            "UploadFileSize BIGINT, DownloadFileSize BIGINT, FileExtension VARCHAR(10), "
            "FileSplitStatus INT)");
    }
    void TearDown() override {
        conn.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // One SetupDetails row.
    void addFile(const std::string& name, int version, int hotfix = 0, int reg = 0, long long up = 100,
                 long long down = 100, const std::string& ext = "", int status = 1, int split = 0,
                 const std::string& path = "App.Path") {
        std::string e = ext;
        if (e.empty())
            e = name.substr(name.rfind('.') + 1);
        conn->execute("INSERT INTO " + P + ".dbo.SetupDetails VALUES ('" + name + "','" + path +
                      "','2024-03-01 10:00:00',NULL," + std::to_string(status) + "," + std::to_string(reg) +
                      "," + std::to_string(hotfix) + "," + std::to_string(version) + "," +
                      std::to_string(up) + "," + std::to_string(down) + ",'" + e + "'," +
                      std::to_string(split) + ")");
    }
    long long count(const std::string& fromWhere) {
        return conn->query("SELECT COUNT(*) AS N FROM " + fromWhere).field("N").asInt();
    }
    std::vector<std::string> column(Recordset rs, const std::string& name) {
        std::vector<std::string> out;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            out.push_back(rs.field(name).textOr("<null>"));
        return out;
    }
};

} // namespace quillan::db::test
