#include "scripts/ScriptDownload.h"

#include "platform/Text.h"

#include "base/Progress.h"
#include "base/StatusLine.h"
#include "scripts/FetchedScripts.h"
#include "scripts/ReleaseTrust.h"
#include "scripts/ScriptNames.h"
#include "scripts/ScriptVerification.h"
#include "scripts/ServiceAnswer.h"
#include "scripts/clsCallWebService.h"
#include "trust/Manifest.h"

#include <filesystem>
#include <stdexcept>

namespace quillan {

namespace {

// Why an answer is not a list of names: an error page or a SOAP fault.
std::string notAListReason(const FileNameListAnswer& a) {
    std::string why = "The deploy web service answered HTTP " + std::to_string(a.httpStatus);
    if (a.soapFault)
        why += " with a SOAP fault";
    return why + " instead of a list of script files";
}

void hideRow(Console& c, Row row) {
    ChecklistRow r = c.model.checklist(row);
    r.barVisible = false;
    r.percentVisible = false;
    r.barValue = 0;
    c.model.setChecklist(row, r);
}

} // namespace

void DOWNLOADFILES(Console& c, const std::string& methodName, const std::string& kind, bool& ok) {
    const bool transaction = kind == "TRN";
    const auto& st = c.state;
    try {
        clsCallWebService service(st.transportCaFile);
        const auto keys = trustedKeys(c);
        const FileNameListAnswer answer =
            service.GetFileNameList(st.serverPath, st.webServiceUrl, methodName, st.distributorCode);
        if (!answer.isList())
            throw std::runtime_error(notAListReason(answer));
        const std::string list = documentText(answer.text);
        if (list.empty()) {
            const std::string where = transaction ? "Transaction" : "Master";
            showErrorSentence(c, "Deploy Script Not Found In " + where + " Server Folder");
            c.log.line(">>Deploy Script Not Found In " + where + " Server Folder");
        } else {
            const auto names = splitList(list);
            ChecklistRow bar = c.model.checklist(Row::ScriptDownload);
            bar.barMax = static_cast<int>(names.size());
            c.model.setChecklist(Row::ScriptDownload, bar);
            const std::string& folder = transaction ? st.deployTransPath : st.deployMasterPath;
            const ScriptFamily family = transaction ? ScriptFamily::Transaction : ScriptFamily::Master;
            for (const auto& name : names) {
                // A manifest comes with its script, never as one.
                if (lowerCase(name).find(".log") == std::string::npos && !trust::isManifestFileName(name) &&
                    !alreadyFetched(c, name) && isScriptOfFamily(name, family, st.distributorCode) &&
                    acceptServerName(c, name)) {
                    c.model.setLabel(Label::lblDownLoad, name);
                    c.model.setLabel(Label::lblLocation, st.serverPath + folder + name);
                    const ArrivedScript arrived{name, c.native(st.deployInFolder) / name,
                                                c.native(st.deployInFolder) / trust::manifestFileNameOf(name),
                                                !transaction};
                    service.importFiles(st.serverPath + folder + name, arrived.file.string());
                    if (!keys.empty()) {
                        std::error_code ec; // only the manifest published now may vouch for the script
                        std::filesystem::remove(arrived.manifest, ec);
                        try {
                            service.importFiles(st.serverPath + folder + trust::manifestFileNameOf(name),
                                                arrived.manifest.string());
                        } catch (const std::exception& e) {
                            c.log.line(">>The manifest of " + name + " cannot be fetched: " + e.what());
                        }
                        if (!admitArrivedScript(c, keys, arrived)) {
                            ok = false;
                            return;
                        }
                    }
                    recordFetched(c, name, !transaction);
                    showStatusNote(c, "Importing Transcation file " + name);
                    c.log.line(">>Downloaded File " + name);
                }
                const ChecklistRow& r = c.model.checklist(Row::ScriptDownload);
                if (r.barValue < r.barMax)
                    stepRow(c, Row::ScriptDownload);
            }
        }
        showStatusNote(c, "Completed Successfully");
        ok = true;
    } catch (const std::exception& e) {
        // Names recorded before the failure stay recorded.
        const std::string text = std::string(e.what()) + " In DOWNLOADFILES";
        c.log.line(">>" + text);
        c.op.inform(text);
        ok = false;
    }
}

bool ScriptFileDownload(Console& c, TransferSession& t) {
    try {
        hideRow(c, Row::ScriptDownload);
        if (c.state.transferMode == 2) {
            if (!c.state.httpAvailable)
                return false;
            c.log.line(">>Downloading Deploy Script File From HTTP");
            bool ok = false;
            DOWNLOADFILES(c, "ListMastersFiles", "MST", ok);
            if (!ok)
                return false;
            DOWNLOADFILES(c, "ListTransactionFiles", "TRN", ok);
            if (!ok)
                return false;
            c.log.line(">>Downloading Deploy Script Process Completed");
            return true;
        }
        if (c.state.transferMode == 1) {
            if (!c.state.ftpConnected)
                return false;
            c.log.line(">>Downloading Deploy Script File From FTP");
            const ScriptModeGuard scriptMode(t.ftp);
            const bool master = DownLoadFTPScriptFile(c, t.ftp, c.state.deployMasterPath, "MAST");
            const bool transaction = DownLoadFTPScriptFile(c, t.ftp, c.state.deployTransPath, "TRAN");
            return master && transaction;
        }
        return true; // LAN: the scripts are not fetched here
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + "In ScriptFileDownload");
        c.log.line(">>Downloading Deploy Script Process Failed");
        return false;
    }
}

} // namespace quillan
