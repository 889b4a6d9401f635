#include "scripts/ScriptDownloadStatements.h"

#include "platform/db/Connection.h"

namespace quillan {

// Names from the server were embedded between quotes as they stood: quoted now.
std::string fetchedScriptLookup(const std::string& p, const std::string& sourceFileName) {
    return "select * from " + p +
           ".dbo.IMPORT_DEPLOY_FILENAMES where SourceFileName = " + db::sqlQuote(sourceFileName);
}

std::string fetchedScriptRecord(const std::string& p, const std::string& sourceFileName, bool master) {
    return "Insert into " + p + ".dbo.IMPORT_DEPLOY_FILENAMES" + (master ? "" : " ") +
           "(SourceFileName) values (" + db::sqlQuote(sourceFileName) + ")";
}

} // namespace quillan
