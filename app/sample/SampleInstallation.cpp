#include "app/sample/SampleInstallation.h"

#include "platform/SystemInfo.h"
#include "platform/db/Connection.h"

#include <fstream>
#include <stdexcept>

namespace quillan::sample {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCatalog = "Tervik";
constexpr const char* kPrefix = "[Tervik].dbo.";

// The application's tables as the sample creates them (the application owns them in the field).
const char* const kTables[] = {
    "CREATE TABLE [Tervik].dbo.Distributor (DistributorCode VARCHAR(20) NOT NULL, DistributorName "
    "VARCHAR(100) NULL)",
    "CREATE TABLE [Tervik].dbo.configuration (ModuleName VARCHAR(50) NOT NULL, SeqNo INT NOT NULL, "
    "Description VARCHAR(200) NULL, Status INT NULL, Condition VARCHAR(500) NULL)",
    "CREATE TABLE [Tervik].dbo.PexaConfiguration (moduleID VARCHAR(50) NOT NULL, seqno INT NOT NULL, Status "
    "INT NULL)",
    "CREATE TABLE [Tervik].dbo.SetupDetails (File_Names VARCHAR(255) NOT NULL, File_Path VARCHAR(255) NULL, "
    "File_CrDate DATETIME NULL, File_UnZipDate DATETIME NULL, Status INT NULL, RegRequired INT NULL, "
    "HotfixNo INT NULL, VersionNo INT NULL, UploadFileSize BIGINT NULL, DownloadFileSize BIGINT NULL, "
    "FileExtension VARCHAR(10) NULL, FileSplitStatus INT NULL)",
    "CREATE TABLE [Tervik].dbo.HotFixLog (FixId INT NOT NULL)",
    "CREATE TABLE [Tervik].dbo.MandatoryDeployment (FileDownloaded INT NULL, DeploymentSatus INT NULL, "
    "MantatoryStatus INT NULL, HFixID INT NULL)",
    "CREATE TABLE [Tervik].dbo.DEPLOY_FILENAMES (Seqno INT NOT NULL, Description VARCHAR(100) NOT NULL)",
    "CREATE TABLE [Tervik].dbo.DEPLOY_FILE_ORDER (TableId INT NULL, Description VARCHAR(255) NULL, "
    "LastModifyDate VARCHAR(10) NULL, FilePattern VARCHAR(10) NULL)",
    "CREATE TABLE [Tervik].dbo.IMPORT_DEPLOY_FILENAMES (SourceFileName VARCHAR(255) NOT NULL)",
    // The application's functions, as the embedded engine answers them: FN_SetupDetails(n) is the
    // Answer of the row whose Arg is n; FN_Hostnames() returns the rows of its table.
    "CREATE TABLE [Tervik].dbo.FN_SetupDetails (Arg INT NOT NULL, Answer INT NULL)",
    "CREATE TABLE [Tervik].dbo.FN_Hostnames (HMessage VARCHAR(500) NULL)",
    // Work tables that start-up creates when missing; the sample creates them ahead to give them rows.
    "CREATE TABLE [Tervik].dbo.FileExtension (Extension VARCHAR(100), Type INT, Status INT)",
    "CREATE TABLE [Tervik].dbo.DeploymentMessage (Captions VARCHAR(2000), DStatus INT)",
};

struct Setting {
    int seqno;
    const char* description;
    std::string condition;
};

std::string withoutKey(int seqno) {
    return "seqno" + std::to_string(seqno);
}

void writeText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

fs::path defaultAssets() {
#ifdef QUILLAN_ASSETS_DIR
    return fs::path(QUILLAN_ASSETS_DIR);
#else
    return {};
#endif
}

void copyAsset(const fs::path& assets, const char* name, const fs::path& images) {
    const fs::path from = assets / name;
    if (!fs::exists(from))
        throw std::runtime_error("picture not found: " + from.string() + " (give the folder with --assets)");
    fs::copy_file(from, images / name, fs::copy_options::overwrite_existing);
}

class Inserter {
public:
    explicit Inserter(db::Connection& c) : conn_(c) {}
    void config(const std::string& module, int seqno, const std::string& description,
                std::optional<int> status, std::optional<std::string> condition) {
        conn_.execute(std::string("INSERT INTO ") + kPrefix +
                      "configuration (ModuleName, SeqNo, Description, Status, Condition) VALUES (" +
                      db::sqlQuote(module) + ", " + std::to_string(seqno) + ", " + db::sqlQuote(description) +
                      ", " + (status ? std::to_string(*status) : "NULL") + ", " +
                      (condition ? db::sqlQuote(*condition) : "NULL") + ")");
    }
    void row(const std::string& table, const std::string& columns, const std::string& values) {
        conn_.execute(std::string("INSERT INTO ") + kPrefix + table + " (" + columns + ") VALUES (" + values +
                      ")");
    }

private:
    db::Connection& conn_;
};

void fillDatabase(db::Connection& conn, const SampleOptions& o) {
    for (const char* sql : kTables)
        conn.execute(sql);
    Inserter ins(conn);
    const auto& out = o.without;

    const bool ftp = o.mode == Mode::Ftp;
    const int mode = o.transferMode.value_or(ftp ? 1 : 2);
    if (!out.count("seqno30"))
        ins.config("datatransfer", 30, "Transfer mode (1 FTP, 2 HTTP)", mode, std::nullopt);

    const std::string server =
        !o.serverPath.empty() ? o.serverPath : (ftp ? "127.0.0.1" : "http://127.0.0.1:8080/");
    // The web service is addressed as server path + name + ".asmx", and the folders are joined to the
    // server path as they stand, so each folder ends with "/": the layout quillan-office serves.
    const std::string service = !o.webServiceUrl.empty() ? o.webServiceUrl : "DeployService";
    const Setting settings[] = {
        {31, "Server path", server},
        {32, "Deploy server path", o.deployPath.empty() ? "Deploy/" : o.deployPath},
        {33, "FTP user name", "quillan"},
        {34, "FTP password", "sample"},
        {35, "Update folder", "C:\\Tervik\\Update"},
        {36, "LAN server path", "C:\\LanShare"},
        {37, "Run-log folder", "C:\\Tervik\\Logs"},
        {38, "Deploy server master path", o.masterPath.empty() ? "Master/" : o.masterPath},
        {39, "Deploy server transaction path", o.transPath.empty() ? "Trans/" : o.transPath},
        {40, "Web service address", service},
    };
    for (const auto& s : settings) {
        const std::string key = withoutKey(s.seqno);
        if (out.count(key))
            continue;
        ins.config("datatransfer", s.seqno, s.description, std::nullopt,
                   o.blank.count(key) ? std::string("   ") : s.condition);
    }
    // The script format and zip rows of the mode (module written 'DataTransfer', as the application does).
    if (!out.count("format")) {
        if (ftp)
            ins.config("DataTransfer", 3, "FileFormatSelectionFTP", o.fileFormat, std::nullopt);
        else
            ins.config("DataTransfer", 15, "FileFormatSelection HTTP", o.fileFormat, std::nullopt);
    }
    if (!out.count("zip"))
        ins.config("DataTransfer", ftp ? 4 : 16,
                   ftp ? "Zipped deploy scripts FTP" : "Zipped deploy scripts HTTP", o.zipped ? 1 : 0,
                   std::nullopt);

    if (!out.count("distributor"))
        ins.row("Distributor", "DistributorCode, DistributorName",
                db::sqlQuote("D0001") + ", " + db::sqlQuote("Sample Distributor"));
    ins.row("PexaConfiguration", "moduleID, seqno, Status", db::sqlQuote("AutoConfig2") + ", 2, 1");
    ins.row("PexaConfiguration", "moduleID, seqno, Status", db::sqlQuote("AutoConfig1") + ", 1, 1");
    ins.row("DEPLOY_FILENAMES", "Seqno, Description", "1, " + db::sqlQuote("SETUPDETAILS"));
    for (const char* ext : {"LOG", "TMP"})
        ins.row("FileExtension", "Extension, Type, Status", db::sqlQuote(ext) + ", 1, 0");
    ins.row("FileExtension", "Extension, Type, Status", db::sqlQuote("SQL") + ", 2, 0");

    const int answer3 = o.fnSetupDetails3.value_or(o.notice ? 0 : 1);
    ins.row("FN_SetupDetails", "Arg, Answer", "1, 0");
    ins.row("FN_SetupDetails", "Arg, Answer", "2, 0");
    ins.row("FN_SetupDetails", "Arg, Answer", "3, " + std::to_string(answer3));
    if (o.notice)
        ins.row("DeploymentMessage", "Captions, DStatus", db::sqlQuote(*o.notice) + ", 1");
}

} // namespace

const std::set<std::string>& omissibleSettings() {
    static const std::set<std::string> names = [] {
        std::set<std::string> n{"format", "zip", "distributor", "logo", "images", "ini"};
        for (int s = 30; s <= 40; ++s)
            n.insert(withoutKey(s));
        return n;
    }();
    return names;
}

std::optional<Mode> parseMode(const std::string& text) {
    if (text == "http")
        return Mode::Http;
    if (text == "ftp")
        return Mode::Ftp;
    if (text == "lan")
        return Mode::Lan;
    return std::nullopt;
}

void makeSampleInstallation(const SampleOptions& o) {
    for (const auto& name : o.without)
        if (!omissibleSettings().count(name))
            throw std::runtime_error("unknown setting to leave out: " + name);
    for (const auto& name : o.blank)
        if (name.rfind("seqno", 0) != 0 || name == "seqno30" || !omissibleSettings().count(name))
            throw std::runtime_error("only seqno31 to seqno40 can be blank: " + name);

    if (o.folder.empty())
        throw std::runtime_error("no folder given");
    const fs::path dir = fs::absolute(o.folder).lexically_normal();
    if (fs::exists(dir) && !(fs::is_directory(dir) && fs::is_empty(dir)))
        throw std::runtime_error(dir.string() + " exists and is not empty: give a new folder");
    fs::create_directories(dir);
    std::string root = dir.string();
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();

    // Drive C: is the program folder itself, so every Windows path of the sample stays inside it.
    writeText(dir / "quillan-drives.ini", "; The sample's drive map: C: is this folder.\nC=" + root + "\n");

    const std::string dataSource = o.mode == Mode::Lan ? "CENTRAL-DB-SERVER" : "(local)";
    if (!o.without.count("ini"))
        writeText(dir / "Dll" / "Sd.ini", "Provider=SQLite;Data Folder=Data;Data Source=" + dataSource +
                                              ";Initial Catalog=" + kCatalog +
                                              ";User ID=sa;Password=sample;\r\n");

    fs::create_directories(dir / "Images");
    const fs::path assets = o.assets.empty() ? defaultAssets() : o.assets;
    if (!o.without.count("images"))
        for (const char* name : {"New.Gif", "Process.gif", "Sucess.gif", "Failed.Gif"})
            copyAsset(assets, name, dir / "Images");
    if (!o.without.count("logo"))
        copyAsset(assets, "Quillan.bmp", dir / "Images");

    for (const char* folder : {"Tervik/Update", "Tervik/Logs", "LanShare"})
        fs::create_directories(dir / folder);

    // The database: created through the engine on the master connection, then addressed by prefix.
    fs::create_directories(dir / "Data");
    auto conn = db::openConnection(
        "Provider=SQLite;Data Folder=Data;Data Source=" + dataSource + ";Initial Catalog=master;", dir);
    conn->execute(std::string("CREATE DATABASE [") + kCatalog + "]");
    fillDatabase(*conn, o);
}

} // namespace quillan::sample
