#pragma once
// A release as the central office publishes it, for the sample installation's distributor D0001:
// two plain packages and one split package (template and three pieces) in "Deploy/", a master
// script listing the program and the packages in "Master/", a transaction script listing the
// distributor's own package and report in "Trans/". Every packed file has a chosen time, so
// that the unpacked files can be checked against it.
#include "archive/Zip.h"
#include "platform/DateTime.h"
#include "platform/FileTimes.h"
#include "scripts/TplTemplate.h"
#include "tests/support/DeployScriptFiles.h"
#include "tests/support/Files.h"
#include "tests/transfer/TransferTestSupport.h" // patternBytes: bytes that do not compress

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace quillan::test {

struct PackedFile {
    std::string package; // the archive it is packed in
    std::string bytes;
    std::string time; // last written, local "YYYY-MM-DD HH:MM:SS"
};

class SampleRelease {
public:
    static constexpr const char* kDistributor = "D0001"; // the sample's distributor

    // The files of the release by name, each with its package.
    const std::map<std::string, PackedFile> files{
        {"Tervik.exe", {"Pkg1.zip", "Tervik program, version 8", "2024-02-01 08:30:00"}},
        {"Tervik.ini", {"Pkg1.zip", "[Tervik]\r\nVersion=8\r\n", "2024-02-01 08:31:10"}},
        {"D0001.rpt", {"Pkg2.zip", "report of distributor D0001", "2024-02-03 17:45:20"}},
        {"Big1.dll", {"Big.zip", patternBytes(300'000, 11), "2024-01-15 12:00:00"}},
        {"O'Neil.rtm", {"Big.zip", "a report template with an apostrophe", "2024-01-16 06:07:08"}},
    };

    // Writes the packages into `staging`, then the published layout below `root`.
    SampleRelease(const std::filesystem::path& staging, const std::filesystem::path& root) : root_(root) {
        namespace fs = std::filesystem;
        const fs::path deploy = root / "Deploy";
        fs::create_directories(deploy);
        for (const char* package : {"Pkg1.zip", "Pkg2.zip", "Big.zip"}) {
            const fs::path members = staging / (std::string(package) + ".files");
            cZip z;
            z.ZipFile(package == std::string("Big.zip") ? staging / package : deploy / package);
            for (const auto& [name, f] : files)
                if (f.package == package) {
                    writeFile(members / name, f.bytes);
                    SetFileDate(members / name, *DateTime::parse(f.time));
                    z.AddFileSpec((members / name).string());
                }
            fs::create_directories(z.ZipFile().parent_path());
            z.Zip();
        }
        tpl::splitPackage(staging / "Big.zip", deploy, "Big.tpl", "D:\\Publish\\Big.zip", 120'000);
        bigZipBytes_ = static_cast<long long>(fs::file_size(staging / "Big.zip"));

        // Master: the program and every package of all distributors; transaction: D0001's own.
        master_.push_back(row("Tervik.exe", "EXE", 8, 0, 0));
        master_.push_back(row("Pkg1.zip", "ZIP", 8, size("Pkg1.zip"), 0));
        master_.push_back(row("Big.tpl", "TPL", 9, size("Big.tpl"), 1));
        for (const auto& piece : pieces())
            master_.push_back(row(piece, "ZIP", 9, size(piece), 1));
        transaction_.push_back(row("Pkg2.zip", "ZIP", 10, size("Pkg2.zip"), 0));
        transaction_.push_back(row("D0001.rpt", "RPT", 10, 0, 0));
        transaction_.push_back(row("O'Neil.rtm", "RTM", 10, 0, 0)); // packed in the split package
    }

    // The piece files of the split package, in order.
    std::vector<std::string> pieces() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(root_ / "Deploy"))
            if (e.path().filename().string().rfind("Big.zip.", 0) == 0)
                out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    // Every package file the download brings: plain packages, template and pieces.
    std::vector<std::string> packages() const {
        std::vector<std::string> out{"Pkg1.zip", "Pkg2.zip", "Big.tpl"};
        for (const auto& p : pieces())
            out.push_back(p);
        return out;
    }
    long long bigZipBytes() const { return bigZipBytes_; }
    const std::vector<ReleaseRow>& masterRows() const { return master_; }
    const std::vector<ReleaseRow>& transactionRows() const { return transaction_; }
    // Both scripts' rows, as a machine that has already downloaded everything records them.
    std::vector<ReleaseRow> downloadedRows() const {
        std::vector<ReleaseRow> all = master_;
        all.insert(all.end(), transaction_.begin(), transaction_.end());
        for (auto& r : all)
            r[9] = r[8]; // DownloadFileSize = UploadFileSize
        return all;
    }

    // Publishes the two scripts: "SETUPDETAILS_1.<ext>" and "D0001_SETUPDETAILS_1.<ext>" in the
    // script folders, in the format ("xml", "csv", "xls"), zipped as ".zip" when asked.
    void publishScripts(const std::string& format, bool zipped) const {
        publish(root_ / "Master", "SETUPDETAILS_1", format, zipped, master_);
        publish(root_ / "Trans", std::string(kDistributor) + "_SETUPDETAILS_1", format, zipped, transaction_);
    }

private:
    long long size(const std::string& published) const {
        return static_cast<long long>(std::filesystem::file_size(root_ / "Deploy" / published));
    }
    static ReleaseRow row(const std::string& name, const std::string& ext, int version, long long bytes,
                          int split) {
        return {name,
                "App.Path",
                "2024-03-01 10:00:00",
                "",
                "1",
                "0",
                "0",
                std::to_string(version),
                std::to_string(bytes),
                "0",
                ext,
                std::to_string(split)};
    }
    static void publish(const std::filesystem::path& folder, const std::string& stem,
                        const std::string& format, bool zipped, const std::vector<ReleaseRow>& rows) {
        const std::string name = stem + "." + format;
        const std::filesystem::path plain = folder / name;
        if (format == "xls")
            writeExcelScript(plain, rows);
        else
            writeFile(plain, format == "xml" ? xmlScript(rows) : csvScript(rows));
        if (zipped) {
            const std::string bytes = readFile(plain);
            std::filesystem::remove(plain);
            writeZip(folder / (stem + ".zip"), name, bytes);
        }
    }

    std::filesystem::path root_;
    std::vector<ReleaseRow> master_, transaction_;
    long long bigZipBytes_ = 0;
};

} // namespace quillan::test
