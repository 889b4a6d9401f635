#pragma once
// The statements of the deploy-script download: the record of script files already fetched, so
// that one file is fetched once.
#include <string>

namespace quillan {

// The record of one script file name, exactly as the server lists it.
std::string fetchedScriptLookup(const std::string& dbPrefix, const std::string& sourceFileName);
// Records a fetched script file name. A master script's statement is written without the blank
// before the column list, a transaction script's with it.
std::string fetchedScriptRecord(const std::string& dbPrefix, const std::string& sourceFileName, bool master);

} // namespace quillan
