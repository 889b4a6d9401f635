#pragma once
// A fresh data folder per test with master and the application catalog "Tervik", its
// application tables created through the engine itself as the application's schema would.
#include "platform/db/embedded/EmbeddedEngine.h"
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace quillan::db::test {

class EngineTest : public ::testing::Test {
protected:
    quillan::test::TempDir tmp;
    std::filesystem::path dir = tmp.path();
    std::unique_ptr<Connection> conn; // declared after the folder: closed before it is removed

    void SetUp() override {
        EmbeddedOptions o;
        o.dataFolder = dir / "Data";
        // Windows paths in statements name files below the test folder: C:\x -> <dir>/x
        o.nativePath = [d = dir](const std::string& text) {
            std::string t = text.size() > 2 && text[1] == ':' ? text.substr(3) : text;
            std::replace(t.begin(), t.end(), '\\', '/');
            return d / t;
        };
        conn = openEmbeddedConnection(o);
        conn->execute("CREATE DATABASE [Tervik]");
        conn->execute(
            "CREATE TABLE [Tervik].dbo.SetupDetails (File_Names VARCHAR(200), File_Path VARCHAR(500), "
            "File_CrDate DATETIME, File_UnZipDate DATETIME, Status INT, RegRequired INT, HotfixNo INT, "
            "VersionNo INT, UploadFileSize BIGINT, DownloadFileSize BIGINT, FileExtension VARCHAR(10), "
            "FileSplitStatus INT)");
    }

    void addFile(const std::string& name, int version, int hotfix = 0, int reg = 0, long long up = 100,
                 long long down = 100, const std::string& ext = "", int status = 1, int split = 0,
                 const std::string& path = "App.Path") {
        const std::string e = ext.empty() ? name.substr(name.rfind('.') + 1) : ext;
        conn->execute("INSERT INTO [Tervik].dbo.SetupDetails VALUES ('" + name + "','" + path +
                      "','2024-03-01 10:00:00',NULL," + std::to_string(status) + "," + std::to_string(reg) +
                      "," + std::to_string(hotfix) + "," + std::to_string(version) + "," +
                      std::to_string(up) + "," + std::to_string(down) + ",'" + e + "'," +
                      std::to_string(split) + ")");
    }
    long long count(const std::string& fromWhere) {
        return conn->query("SELECT COUNT(*) AS N FROM " + fromWhere).field("N").asInt();
    }
    std::vector<std::string> column(const std::string& sql, const std::string& name) {
        std::vector<std::string> out;
        for (auto rs = conn->query(sql); !rs.eof(); rs.moveNext())
            out.push_back(rs.field(name).textOr("<null>"));
        return out;
    }
    std::string failure(const std::string& sql) {
        try {
            conn->execute(sql);
        } catch (const DbError& e) {
            return e.what();
        }
        return "<no error>";
    }
};

} // namespace quillan::db::test
