#include "scripts/ScriptImport.h"

#include "platform/FileTimes.h"
#include "platform/Text.h"
#include "platform/Wildcard.h"

#include "base/Machine.h"
#include "base/StatusLine.h"
#include "scripts/CaseTwins.h"
#include "scripts/RefusedScripts.h"
#include "scripts/ReleaseTrust.h"
#include "scripts/ScriptImportStatements.h"
#include "scripts/ScriptNames.h"
#include "scripts/ScriptReaders.h"
#include "scripts/ScriptVerification.h"
#include "scripts/UnzipScriptFile.h"
#include "trust/Manifest.h"

#include <algorithm>
#include <stdexcept>

namespace quillan {

namespace {

namespace fs = std::filesystem;

// The script files of deployInFolder that match filePattern, by name.
std::vector<std::string> scriptFiles(Console& c) {
    std::vector<std::string> names;
    for (const auto& file : c.os.listPlainFiles(c.native(c.state.deployInFolder))) {
        const std::string name = file.filename().string();
        if (wildcardMatch(c.state.filePattern, name) && !trust::isManifestFileName(name))
            names.push_back(name);
    }
    return names;
}

std::string upperExtension(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : upperCase(name.substr(dot + 1));
}

void emptyTempExtract(Console& c) {
    for (const auto& file : c.os.listPlainFiles(c.native(c.state.tempExtractFolder)))
        c.os.forceDelete(file);
}

std::string firstTempFile(Console& c) {
    const auto files = c.os.listPlainFiles(c.native(c.state.tempExtractFolder));
    return files.empty() ? std::string() : files.front().filename().string();
}

// The statement that loads one script of the given format ("" for a format that imports nothing).
std::string statementFor(Console& c, const std::string& format, const std::string& file) {
    std::string statement;
    if (format == "XML") {
        const std::string xml = ImportXmlText(c, file);
        if (xml.empty())
            throw std::runtime_error("The XML script " + file + " could not be read");
        if (const auto twin = caseTwinInXml(xml))
            throw std::runtime_error(caseTwinReason(*twin));
        return xmlImportCall(xml);
    }
    if (format == "CSV")
        statement = ImportCvsFile(c, file);
    else if (format == "XLS")
        statement = ImportXlfile(c, file);
    else if (format == "SQL")
        return ImportSqlText(c, file); // a blank script executes nothing
    else
        return {};
    if (statement.empty())
        throw std::runtime_error("The script " + file + " could not be prepared for the import");
    return statement;
}

// Runs the statement that loads one script's rows and keeps them only if they make no new case
// twins: the load and the check share one transaction, so a refused script leaves SETUPDETAILS as
// it was. Twins loaded before the check existed refuse no later script.
void loadRows(Console& c, db::DbAdmin& admin, const std::string& statement) {
    const auto& st = c.state;
    admin.executeBatch(st.dbName, beginScriptLoadStatement());
    try {
        const auto before = findCaseTwins(admin, st.dbName, st.dbPrefix);
        admin.executeBatch(st.dbName, statement);
        for (const auto& twin : findCaseTwins(admin, st.dbName, st.dbPrefix))
            if (std::find(before.begin(), before.end(), twin) == before.end())
                throw std::runtime_error(caseTwinReason(twin));
    } catch (...) {
        try {
            admin.executeBatch(st.dbName, rollbackScriptLoadStatement());
        } catch (const std::exception&) {
            // A failed statement may have ended the transaction already; the first error tells why.
        }
        throw;
    }
    admin.executeBatch(st.dbName, commitScriptLoadStatement());
}

// Imports one listed script. A plain script is copied into tempExtractFolder and its original
// removed only once its statement ran: moved there first, a failed import lost it, and since its
// name is recorded as fetched it never came again. A zipped script stays for the archiving.
void importScript(Console& c, db::DbAdmin& admin, const std::string& fileName, const std::string& type) {
    const auto& st = c.state;
    const std::string fullPath = st.deployInFolder + "\\" + fileName;
    emptyTempExtract(c);
    std::string format;
    const bool zipped = upperCase(type) == "ZIP";
    if (zipped) {
        if (!UnzipScriptFile(c, fullPath))
            throw std::runtime_error("The zipped script " + fileName + " could not be unpacked");
        const std::string ext = upperExtension(firstTempFile(c));
        for (const char* f : {"XML", "CSV", "XLS", "SQL"})
            if (upperCase(st.fileFormat) == f && ext == f)
                format = f;
    } else {
        c.os.replaceFile(c.native(fullPath), c.native(st.tempExtractFolder) / fileName);
        format = upperCase(type);
    }
    const std::string name = firstTempFile(c);
    showStatusNote(c, "Importing data from " + name);
    c.log.line(">>-Importing data from " + name);
    c.status(">>-Importing data from " + name);
    const std::string statement =
        name.empty() ? std::string() : statementFor(c, format, st.tempExtractFolder + name);
    if (format == "SQL")
        admin.executeBatch(st.dbName, statement); // a script of statements keeps its own transactions
    else if (!statement.empty())
        loadRows(c, admin, statement);
    if (!zipped)
        c.os.forceDelete(c.native(fullPath));
}

// Whether the database still answers the import's connection.
bool databaseAnswers(Console& c, db::DbAdmin& admin) {
    try {
        admin.query(c.state.dbName, scriptKindsQuery(c.state.dbPrefix));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Moves every script left in deployInFolder into archiveInFolder, replacing one of the same name,
// and every manifest (its plain script is gone by now: removed once imported); the package
// verification reads the manifests there.
void archiveScripts(Console& c) {
    const fs::path archive = c.native(c.state.archiveInFolder);
    const fs::path in = c.native(c.state.deployInFolder);
    auto names = scriptFiles(c);
    for (const auto& file : c.os.listPlainFiles(in))
        if (trust::isManifestFileName(file.filename().string()))
            names.push_back(file.filename().string());
    for (const auto& name : names) {
        const fs::path target = archive / name;
        if (fs::exists(target))
            c.os.forceDelete(target);
        fs::rename(in / name, target);
    }
}

// A verifying installation imports a script only while it matches the signed manifest kept
// beside it; every script is checked before the first is imported. False after a refusal.
bool scriptsStillVerified(Console& c) {
    const auto keys = trustedKeys(c);
    if (keys.empty())
        return true;
    const fs::path in = c.native(c.state.deployInFolder);
    for (const auto& name : scriptFiles(c)) {
        const ArrivedScript kept{name, in / name, in / trust::manifestFileNameOf(name), false};
        const std::string why = whyRefuseKeptScript(keys, name, kept.file, kept.manifest);
        if (!why.empty()) {
            dropRefusedScript(c, kept);
            refuseRelease(c, name, why);
            return false;
        }
    }
    return true;
}

} // namespace

bool FINDFILEDATE(Console& c) {
    const auto& st = c.state;
    try {
        c.conn->execute(clearScriptFileOrderStatement(st.dbPrefix));
        const std::string fileType = st.filePattern.size() > 2 ? upperCase(st.filePattern.substr(2)) : "";
        const auto seqNoOfKind = [&c](const std::string& kind) -> std::optional<std::int64_t> {
            auto rs = c.conn->query(scriptKindLookup(c.state.dbPrefix, kind));
            if (rs.eof())
                return std::nullopt;
            return rs.field("SeqNo").asInt();
        };
        for (const auto& f : scriptFiles(c)) {
            const auto seqNo = scriptKindOrder(f, seqNoOfKind);
            if (!seqNo)
                continue;
            DateTime written;
            if (GetFileDate(c.native(st.deployInFolder) / f, written) != 0) {
                c.log.line(">>The file time of " + f + " cannot be read in FINDFILEDATE");
                return false; // later files are not listed
            }
            c.conn->execute(scriptFileOrderInsert(st.dbPrefix, *seqNo, f, written, fileType));
        }
        return true;
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + "In FINDFILEDATE");
        return false;
    }
}

bool UpdateDeployScript(Console& c) {
    const auto& st = c.state;
    std::unique_ptr<db::DbAdmin> admin;
    try {
        admin = c.os.openAdmin(st.connString, c.programFolder());
        admin->connect(st.dbServer, st.dbUser,
                       trimmed(st.dbPassword).empty() ? std::string() : st.dbPassword);
        admin->setTimeLimit(st.statementTimeLimit);
        c.log.line(">>Updating Deploy Script Process Started");
        if (scriptFiles(c).empty()) {
            if (!c.conn->query(recordedReleaseQuery(st.dbPrefix)).eof())
                return true;
            c.log.line(">>No Script File Found");
            return false;
        }
        if (!scriptsStillVerified(c))
            return false;
        if (!FINDFILEDATE(c))
            throw std::runtime_error("The list of deploy scripts to import is incomplete");
        bool refused = false;
        for (auto kinds = c.conn->query(scriptKindsQuery(st.dbPrefix)); !kinds.eof(); kinds.moveNext()) {
            auto files = c.conn->query(scriptFilesOfKindQuery(st.dbPrefix, kinds.field("SeqNO").asInt()));
            for (; !files.eof(); files.moveNext()) {
                const std::string fileName = files.field("Description").asText();
                try {
                    importScript(c, *admin, fileName, files.field("FilePattern").asText());
                } catch (const std::exception& e) {
                    // A database that no longer answers would fail every script after this one:
                    // that is the import's failure, not this script's, and refuses nothing.
                    if (!databaseAnswers(c, *admin))
                        throw;
                    // The script's own fault: it is set aside, and the scripts after it go on.
                    c.op.inform(e.what());
                    refuseScript(c, fileName, e.what());
                    refused = true;
                }
            }
        }
        admin->disconnect();
        admin.reset();
        archiveScripts(c);
        if (refused) {
            c.log.line(">>Updating Deploy Script Process Failed"); // each refusal logged above
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        c.op.inform(e.what());
        c.log.line(">>" + std::string(e.what()));
        c.log.line(">>Updating Deploy Script Process Failed");
        return false;
    }
}

} // namespace quillan
