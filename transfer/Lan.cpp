#include "transfer/Lan.h"

#include "base/ByteProgress.h"
#include "base/Console.h"
#include "transfer/FileCopy.h"
#include "transfer/RemoteName.h"

#include <system_error>

namespace quillan {
namespace {

// A package name is looked up as it is: a wildcard would match some other file.
bool isPlainFileName(const std::string& name) {
    return transfer::isSafeRemoteName(name) && name.find_first_of("*?") == std::string::npos;
}

} // namespace

bool DownloadFromLan(Console& c, const std::string& name) {
    try {
        if (!isPlainFileName(name))
            throw std::runtime_error("Bad file name " + name);
        std::error_code ec;
        std::filesystem::path local = c.native(c.state.updateFolder + "\\" + name);
        if (std::filesystem::is_regular_file(local, ec)) {
            // The lookup answers with the name as it is on disk.
            c.log.line(">>-" + local.filename().string() + " already available in the local folder ");
            return true;
        }
        std::filesystem::path shared = c.native(c.state.lanServerPath + "\\" + name);
        if (!std::filesystem::is_regular_file(shared, ec)) {
            c.log.line(">>-Files not available in the LAN Folder " + c.state.lanServerPath);
            return false;
        }
        // The bar counts percent of the bytes.
        ByteProgress bar(c, Row::ProgramDownload, std::filesystem::file_size(shared), 100);
        bar.start();
        auto& digests = c.state.run.downloadDigests;
        std::string sha256;
        transfer::copyFileAtomically(
            shared, local, [&](std::uint64_t copied, std::uint64_t) { bar.report(copied); },
            transfer::kCopyChunk, digests.wanted ? &sha256 : nullptr);
        if (!sha256.empty())
            digests.remember(local, sha256);
        bar.finish();
        return true;
    } catch (const std::system_error& e) {
        c.log.line(">>-" + e.code().message() + " in Download from LAN");
    } catch (const std::exception& e) {
        c.log.line(">>-" + std::string(e.what()) + " in Download from LAN");
    }
    return false;
}

double GetDownLoadFileSize(Console& c, const std::string& path, int unit) {
    double size = 0;
    try {
        std::filesystem::path file = c.native(path);
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec))
            throw std::runtime_error("File not found");
        size = static_cast<double>(std::filesystem::file_size(file));
        if (unit == 2 && size != 0)
            size = size / 1024 / 1000;
    } catch (const std::filesystem::filesystem_error& e) {
        c.op.inform(e.code().message() + " In GetDownLoadFileSize");
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In GetDownLoadFileSize");
    }
    return size;
}

} // namespace quillan
