#include "scripts/FetchedScripts.h"

#include "scripts/ScriptDownloadStatements.h"
#include "transfer/RemoteName.h"

namespace quillan {

bool alreadyFetched(Console& c, const std::string& name) {
    return !c.conn->query(fetchedScriptLookup(c.state.dbPrefix, name)).eof();
}

void recordFetched(Console& c, const std::string& name, bool master) {
    c.conn->execute(fetchedScriptRecord(c.state.dbPrefix, name, master));
}

bool acceptServerName(Console& c, const std::string& name) {
    if (transfer::isSafeRemoteName(name))
        return true;
    std::string shown = name; // a line end in the name must not forge a log line
    for (auto& ch : shown)
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f)
            ch = '?';
    c.log.line(">>Refused deploy script name " + shown + ": not a plain file name");
    c.state.run.runFailed = true;
    return false;
}

} // namespace quillan
