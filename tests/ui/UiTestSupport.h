#pragma once
// Shared pieces of the window tests: one QApplication under the offscreen platform, a console
// with a recording database connection, and a per-test program folder.
#include "console/Console.h"
#include "platform/db/Connection.h"

#include <QApplication>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

namespace quillan::uitest {

QApplication& app();

class RecordingOperator : public Operator {
public:
    void inform(const std::string& text) override { told.push_back(text); }
    bool askYesNo(Question, const std::string&) override { return true; }
    bool askOkCancel(Question, const std::string&) override { return true; }
    std::vector<std::string> told;
};

class RecordingConnection : public db::Connection {
public:
    explicit RecordingConnection(std::vector<std::string>& transcript) : transcript_(transcript) {}
    db::Recordset query(const std::string& sql) override;
    void execute(const std::string& sql) override { transcript_.push_back(sql); }
    std::string backendName() const override { return "recording"; }
    std::deque<db::Recordset> answers;

private:
    std::vector<std::string>& transcript_;
};

// A unique program folder, removed at the end; optionally with the status pictures and the logo.
class ProgramFolder {
public:
    explicit ProgramFolder(bool withPictures);
    ~ProgramFolder();
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace quillan::uitest
