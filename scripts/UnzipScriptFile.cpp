#include "scripts/UnzipScriptFile.h"

#include "archive/Unzip.h"

namespace quillan {

bool UnzipScriptFile(Console& c, const std::string& zipFilePath) {
    try {
        cUnzip unzip;
        unzip.ZipFile(c.native(zipFilePath));
        unzip.OverwriteExisting(true);
        unzip.UnzipFolder(c.native(c.state.tempExtractFolder));
        unzip.UseFolderNames(false);
        return unzip.Unzip();
    } catch (const std::exception& e) {
        const std::string text = std::string(e.what()) + " - UnzipScriptFile ";
        c.log.line(">>" + text);
        c.op.inform(text);
        return false;
    }
}

} // namespace quillan
