#pragma once
// One SetupDetails row as a deploy script carries it. Texts are what the columns receive; an
// absent File_UnZipDate (NULL) is the only column a script leaves out.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quillan::release {

struct SetupRow {
    std::string fileNames;
    std::string filePath = "App.Path";
    std::string fileCrDate; // "YYYY-MM-DD HH:MM:SS", the file's local last-write time
    int status = 1;
    int regRequired = 0;
    int hotfixNo = 0;
    int versionNo = 0;
    std::uint64_t uploadFileSize = 0;
    std::uint64_t downloadFileSize = 0;
    std::string fileExtension;
    int fileSplitStatus = 0;
};

// The row's columns in the table's order with their texts; File_UnZipDate is "" (NULL: not yet
// unpacked).
std::vector<std::pair<std::string, std::string>> columnTexts(const SetupRow& r);

} // namespace quillan::release
