#pragma once
// Shared pieces of the window tests: one QApplication under the offscreen platform, a console
// with a recording database connection, and a per-test program folder.
#include "base/Console.h"
#include "tests/support/RecordingConnection.h"
#include "tests/support/RecordingOperator.h"
#include "tests/support/TempDir.h"

#include <QApplication>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

namespace quillan::uitest {

QApplication& app();

using test::RecordingConnection;
using test::RecordingOperator;

// A unique program folder, removed at the end; optionally with the status pictures and the logo.
class ProgramFolder : public test::TempDir {
public:
    explicit ProgramFolder(bool withPictures);
};

} // namespace quillan::uitest
