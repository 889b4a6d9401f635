#include "transfer/Lan.h"

#include "base/Console.h"
#include "base/Progress.h"
#include "transfer/FileCopy.h"
#include "transfer/RemoteName.h"

#include <system_error>

namespace quillan {
namespace {

// A package name is looked up as it is: a wildcard would match some other file.
bool isPlainFileName(const std::string& name) {
    return transfer::isSafeRemoteName(name) && name.find_first_of("*?") == std::string::npos;
}

void showCopyProgress(Console& c, std::uint64_t copied, std::uint64_t total, int& shown) {
    int percent = total == 0 ? 100 : static_cast<int>(copied * 100 / total);
    if (percent != shown) {
        setRowValue(c, Row::ProgramDownload, percent);
        shown = percent;
    }
    c.model.processEvents();
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
        ChecklistRow row = c.model.checklist(Row::ProgramDownload);
        row.barMax = 100;
        row.barValue = 0;
        row.percentText = percentText(0, 100);
        c.model.setChecklist(Row::ProgramDownload, row);
        int shown = 0;
        transfer::copyFileAtomically(shared, local, [&](std::uint64_t copied, std::uint64_t total) {
            showCopyProgress(c, copied, total, shown);
        });
        setRowValue(c, Row::ProgramDownload, 100);
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
