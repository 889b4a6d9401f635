#include "scripts/ScriptPhases.h"

#include "base/Progress.h"
#include "base/StatusLine.h"
#include "scripts/ReleaseTrust.h"
#include "scripts/ScriptDownload.h"
#include "scripts/ScriptImport.h"
#include "trust/TrustedKeys.h"

namespace quillan {

namespace {

constexpr int kDownloadGridRow = 2;
constexpr int kImportGridRow = 3;
constexpr const char* kDownloadEvent = "Check new downloads info...";
constexpr const char* kDownloadProcessing = "Downloading files from server";
constexpr const char* kImportEvent = "Updating new download info...";

void hidePercent(Console& c, Row row) {
    ChecklistRow r = c.model.checklist(row);
    r.percentVisible = false;
    c.model.setChecklist(row, r);
}

// Bar at 0 and hidden, percent label "0 %", picture failed, runFailed.
void failedRow(Console& c, Row row) {
    ChecklistRow r = c.model.checklist(row);
    r.barValue = 0;
    r.barVisible = false;
    c.model.setChecklist(row, r);
    failRow(c, row);
}

// Says once per run when releases are not verified; refuses the run when the list of trusted keys
// is damaged (it must never pass for an empty one). False after a refusal.
bool trustChecked(Console& c) {
    try {
        if (trustedKeys(c).empty())
            c.log.line(">>-Releases are not verified: no key is trusted in " + trustedKeysText(c));
        return true;
    } catch (const trust::TrustedKeysError& e) {
        refuseRelease(c, trustedKeysText(c), e.what());
        return false;
    }
}

} // namespace

bool DeployScriptDownloadPhase(Console& c, TransferSession& t) {
    const Row row = Row::ScriptDownload;
    c.status(">>-Downloading script File");
    setRowStatus(c, row, RowStatus::InProgress);
    LoadToGrid(c, kDownloadGridRow, kDownloadEvent, kDownloadProcessing, 2, rowPercent(c, row));
    const bool done = trustChecked(c) && (!c.state.isLocalServer || ScriptFileDownload(c, t));
    if (done) {
        LoadToGrid(c, kDownloadGridRow, kDownloadEvent, kDownloadProcessing, 3, rowPercent(c, row));
        setRowStatus(c, row, RowStatus::Completed);
        c.status(">>-Downloading Script file Process complete successfully");
        c.model.setLabel(Label::lblDownLoad, "");
        c.model.setLabel(Label::lblLocation, "");
        completeRow(c, row);
        return true;
    }
    showErrorSentence(c, "Error while importing Script file. Check Log for details");
    failedRow(c, row);
    LoadToGrid(c, kDownloadGridRow, kDownloadEvent, kDownloadProcessing, 4, rowPercent(c, row));
    c.status(">>-Error while importing Script file. Check Log for details");
    hidePercent(c, row);
    return false;
}

bool DeployScriptImportPhase(Console& c) {
    const Row row = Row::ScriptImport;
    const std::string processing = "Database:" + c.state.dbPrefix;
    ChecklistRow r = c.model.checklist(row);
    r.barVisible = false;
    r.percentVisible = false;
    c.model.setChecklist(row, r);
    setRowStatus(c, row, RowStatus::InProgress);
    LoadToGrid(c, kImportGridRow, kImportEvent, processing, 2, rowPercent(c, row));
    c.status(">>-Updating Script file Process Started");
    const bool done = !c.state.isLocalServer || UpdateDeployScript(c);
    if (done) {
        setRowStatus(c, row, RowStatus::Completed);
        LoadToGrid(c, kImportGridRow, kImportEvent, processing, 3, rowPercent(c, row));
        completeRow(c, row);
        c.status(">>-Updated Script file Process Successfully Completed");
        return true;
    }
    showErrorSentence(c, "Error while Updating  Script file. Check Log for details");
    failedRow(c, row);
    LoadToGrid(c, kImportGridRow, kImportEvent, processing, 4, rowPercent(c, row));
    c.status(">>-Updating Script file Process Failed");
    return false;
}

} // namespace quillan
