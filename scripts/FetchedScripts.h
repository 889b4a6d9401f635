#pragma once
// What both transports of the deploy-script download do with a listed name: ask whether it was
// fetched before, record it once fetched, and refuse a name that is no plain file name.
#include "base/Console.h"

#include <string>

namespace quillan {

// True when IMPORT_DEPLOY_FILENAMES holds the name exactly as listed.
bool alreadyFetched(Console& c, const std::string& name);
// Records a fetched name (the master family's statement without the blank before the columns).
void recordFetched(Console& c, const std::string& name, bool master);
// True when the name may become a local path. Otherwise logs the refusal and marks the run failed:
// a server offering such a name is not to be trusted quietly.
bool acceptServerName(Console& c, const std::string& name);

} // namespace quillan
