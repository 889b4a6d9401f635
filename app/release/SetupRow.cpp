#include "app/release/SetupRow.h"

namespace quillan::release {

std::vector<std::pair<std::string, std::string>> columnTexts(const SetupRow& r) {
    return {{"File_Names", r.fileNames},
            {"File_Path", r.filePath},
            {"File_CrDate", r.fileCrDate},
            {"File_UnZipDate", ""},
            {"Status", std::to_string(r.status)},
            {"RegRequired", std::to_string(r.regRequired)},
            {"HotfixNo", std::to_string(r.hotfixNo)},
            {"VersionNo", std::to_string(r.versionNo)},
            {"UploadFileSize", std::to_string(r.uploadFileSize)},
            {"DownloadFileSize", std::to_string(r.downloadFileSize)},
            {"FileExtension", r.fileExtension},
            {"FileSplitStatus", std::to_string(r.fileSplitStatus)}};
}

} // namespace quillan::release
