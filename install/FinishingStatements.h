#pragma once
// The statements that close a run: the extensions of backup copies to remove, the marking of the
// release rows, the pruning of old hotfix scripts, and the completion records (the mandatory-release
// mark and this system's version row).
#include <string>

namespace quillan {

// The extensions of backup copies (FileExtension Type 1), except BAK and ZIP.
std::string backupExtensionsQuery(const std::string& dbPrefix);
// Marks the rows of the release in progress (Status 1) as finished (3).
std::string finishReleaseRowsStatement(const std::string& dbPrefix);
// Marks them 2 instead, after a phase was undone.
std::string undoneReleaseRowsStatement(const std::string& dbPrefix);
// The highest hotfix number among the hotfix scripts, 0 when there is none.
std::string highestHotfixScriptQuery(const std::string& dbPrefix);
// The extensions (FileExtension Type 2) pruned from the update folder after a successful run.
std::string prunedExtensionsQuery(const std::string& dbPrefix);

// Marks a downloaded mandatory release of the highest hotfix as installed.
std::string mandatoryInstallMark(const std::string& dbPrefix);
// Rewrites DeploymentVesrion with this system's executable, version and the computer's name.
std::string versionRowBatch(const std::string& dbPrefix, const std::string& computerName);

} // namespace quillan
