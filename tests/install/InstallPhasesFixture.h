#pragma once
// The file phases' console: the finishing fixture's folders and engine, with the application folder
// set, the release's switch rows and files at hand, and the choice of the real machine for the
// tests that start, end and replace real programs and load real components.
#include "base/Machine.h"
#include "tests/install/FinishingFixture.h"

#include <filesystem>
#include <string>

namespace quillan::test {

class InstallPhasesFixture : public FinishingFixture {
protected:
    void SetUp() override {
        FinishingFixture::SetUp();
        settle(*c);
    }

    // The same console on this machine: real processes, registration and file replacement.
    void useRealMachine() { reopen(op, realMachine()); }

    // 'AutoConfig1' (registration) or 'AutoConfig2' (closing programs) with this Status.
    void setSwitch(const std::string& module, int seqno, int status) {
        conn->execute("INSERT INTO [Tervik].dbo.PexaConfiguration VALUES (" + db::sqlQuote(module) + "," +
                      std::to_string(seqno) + "," + std::to_string(status) + ")");
    }
    // A plain file of the release (no hotfix), in `path` (a File_Path text).
    void addReleaseFile(const std::string& name, const std::string& path = "App.Path", int reg = 0,
                        int version = 1) {
        addFile(name, version, 0, reg, 100, 100, "", 1, 0, path);
    }
    bool logHas(const std::string& part) const { return has(log(), part); }

private:
    void settle(Console& console) const { console.state.appPath = console.paths.toWindows(app); }
};

} // namespace quillan::test
