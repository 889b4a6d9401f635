// quillan-sql: runs T-SQL against the application's database through the console's own database
// layer, so that the embedded engine and the SQL Server backend can be tried by hand and by tests.
//
//   quillan-sql (--connect "CONNECTION STRING" | --app-dir DIR) [-d DATABASE] (-Q "T-SQL" | -i FILE)
//
// Without -Q and -i the text comes from standard input. "GO" lines separate batches (see
// platform/db/BatchSplitter.h: "GO n" repeats one, GO inside a literal or comment is text).
// Standard output carries only results: for each result set a header line of column names and one
// line per row, fields separated by tabs, "NULL" for NULL, dates as "YYYY-MM-DD HH:MM:SS".
// Messages and errors go to standard error; the first failing batch ends the run with exit code 1
// (64 for a usage error, as every Quillan tool).
#include "app/CommandLine.h"
#include "platform/PathMap.h"
#include "platform/Text.h"
#include "platform/db/BatchSplitter.h"
#include "platform/db/Connection.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/OdbcConnectionString.h"
#include "platform/db/odbc/OdbcConnection.h"

#include <CLI/CLI.hpp>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

using namespace quillan;

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = quillan::app::kUsageExit;

struct Options {
    std::string connect;
    std::string appDir;
    std::string database;
    std::string query;
    std::string inputFile;
};

// The first line of the application's "Dll\Sd.ini", found without regard to case.
std::string connectionStringOf(const std::filesystem::path& appDir) {
    const auto ini = resolveCase(appDir / "Dll" / "Sd.ini");
    std::ifstream in(ini, std::ios::binary);
    if (!in)
        throw std::runtime_error("Cannot read " + ini.string());
    std::string line;
    std::getline(in, line);
    if (line.rfind("\xEF\xBB\xBF", 0) == 0)
        line.erase(0, 3);
    if (trimmed(line).empty())
        throw std::runtime_error("The first line of " + ini.string() + " is empty");
    return std::string(trimmed(line));
}

std::string readAll(std::istream& in) {
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void print(const db::Recordset& rs) {
    std::string out;
    for (std::size_t i = 0; i < rs.columns().size(); ++i)
        out += (i ? "\t" : "") + rs.columns()[i];
    out += '\n';
    for (const auto& row : rs.allRows()) {
        for (std::size_t i = 0; i < row.size(); ++i)
            out += (i ? "\t" : "") + row[i].textOr("NULL");
        out += '\n';
    }
    std::cout << out;
}

int run(const Options& o) {
    std::string text;
    if (!o.query.empty()) {
        text = o.query;
    } else if (!o.inputFile.empty()) {
        std::ifstream in(o.inputFile, std::ios::binary);
        if (!in) {
            std::cerr << "quillan-sql: cannot read " << o.inputFile << "\n";
            return kFailed;
        }
        text = readAll(in);
    } else {
        text = readAll(std::cin);
    }

    // A malformed GO line fails the run before anything is sent.
    const auto batches = db::splitBatches(text);
    const std::filesystem::path appDir =
        o.appDir.empty() ? std::filesystem::current_path() : std::filesystem::path(o.appDir);
    std::string connection = o.appDir.empty() ? o.connect : connectionStringOf(appDir);
    const std::string database = o.database.empty() ? "master" : o.database;
    const bool odbcString = db::isOdbcConnectionString(connection);
    if (!odbcString) {
        // The settings name the application's catalog; this tool works in master unless told.
        auto cs = db::ConnectionString::parse(connection);
        cs.set("Initial Catalog", database);
        connection = cs.toString();
    }
    auto conn = db::openConnection(connection, appDir);
    if (auto* odbc = dynamic_cast<db::odbc::OdbcConnection*>(conn.get()))
        odbc->setInfoSink([](const std::string& message) { std::cerr << message << "\n"; });
    if (odbcString && !o.database.empty())
        conn->execute("USE " + db::sqlQuoteName(o.database));
    for (const auto& batch : batches)
        for (const auto& rs : conn->queryAll(batch))
            print(rs);
    std::cout.flush();
    return std::cout ? 0 : kFailed;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    CLI::App app{"Runs T-SQL through the Quillan database layer and prints the results tab-separated."};
    auto* connect =
        app.add_option("--connect", o.connect, "Connection string (OLE DB, or ODBC starting Driver= / DSN=)");
    auto* appDir =
        app.add_option("--app-dir", o.appDir, "Application folder whose Dll\\Sd.ini names the database");
    connect->excludes(appDir);
    app.add_option("-d,--database", o.database, "Database context (default: master)");
    auto* query = app.add_option("-Q,--query", o.query, "T-SQL text to run");
    auto* input = app.add_option("-i,--input", o.inputFile, "File of T-SQL to run");
    query->excludes(input);
    quillan::app::addVersionFlag(app, "quillan-sql");
    try {
        app.parse(argc, argv);
        if (o.connect.empty() && o.appDir.empty())
            throw CLI::RequiredError("--connect or --app-dir");
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : kUsage;
    }
    try {
        return run(o);
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "quillan-sql: " << e.what() << "\n";
        return kFailed;
    }
}
