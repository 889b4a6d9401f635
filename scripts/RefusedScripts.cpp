#include "scripts/RefusedScripts.h"

#include "base/Machine.h"
#include "base/WindowsPath.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace quillan {

namespace fs = std::filesystem;

namespace {

// The reason is written under a temporary name and renamed, so a reason file is never half there.
void writeReason(const fs::path& file, const std::string& text) {
    const fs::path partial = fs::path(file).concat(".partial");
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            throw std::runtime_error("The reason file " + file.filename().string() + " cannot be written");
    }
    fs::rename(partial, file);
}

} // namespace

std::string refusedScriptFolder(const Console& c) {
    return joinWindows(c.state.appPath, "\\DEPLOY REFUSED");
}

void refuseScript(Console& c, const std::string& fileName, const std::string& reason) {
    const fs::path folder = c.native(refusedScriptFolder(c));
    fs::create_directories(folder);
    const fs::path target = folder / fileName;
    if (fs::exists(target))
        c.os.forceDelete(target);
    fs::rename(c.native(c.state.deployInFolder) / fileName, target);
    c.log.line(">>Deploy script " + fileName + " cannot be imported and was moved to " +
               refusedScriptFolder(c) + ": " + reason);
    try {
        writeReason(folder / (fileName + ".reason.txt"),
                    "The deploy script " + fileName + " cannot be imported: " + reason + "\r\n");
    } catch (const std::exception& e) {
        c.log.line(">>" + std::string(e.what())); // the log holds the reason all the same
    }
}

} // namespace quillan
