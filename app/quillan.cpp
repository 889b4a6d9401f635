// quillan: the deployment console. Without options it opens its window on the folder it was
// installed in; --headless runs start-up and the run as text, for schedulers and the demo.
#include "console/Answers.h"
#include "console/HeadlessView.h"
#include "console/ProgressLines.h"
#include "console/ScriptedOperator.h"
#include "console/Session.h"
#include "platform/SystemInfo.h"

#ifdef QUILLAN_HAVE_UI
#include "ui/RunWindowed.h"
#endif

#include <CLI/CLI.hpp>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <thread>

using namespace quillan;

namespace {

const char* outcomeText(StartupOutcome o) {
    switch (o) {
    case StartupOutcome::Armed:
        return "armed (the run starts at the timer's first event)";
    case StartupOutcome::StoppedWithoutRun:
        return "stopped without a run";
    case StartupOutcome::ProgramEnded:
        return "program ended";
    }
    return "?";
}

struct HeadlessOptions {
    Answers answers;
    int keptRunLogs = 30;
    bool json = false; // the run summary as the last line of the output
};

int runHeadless(const std::filesystem::path& programFolder, const HeadlessOptions& o) {
    const Answers& answers = o.answers;
    std::unique_ptr<ScriptedOperator> op;
    if (standardInputIsTerminal())
        op = std::make_unique<TerminalOperator>(answers, std::cin, std::cout);
    else
        op = std::make_unique<ScriptedOperator>(answers, std::cout);

    Session session(programFolder, *op);
    Console& c = session.console();
    c.state.keptRunLogs = o.keptRunLogs;
    op->setLog(&c.log);
    HeadlessView view(std::cout);
    ProgressLines progress(std::cout);
    c.model.addObserver(&view);
    c.model.addObserver(&progress);
    std::cout << "Quillan " << QUILLAN_VERSION_TEXT << ": program folder " << programFolder.string() << " ("
              << c.state.appPath << ")" << std::endl;

    const StartupOutcome outcome = session.start();
    std::cout << "Start-up: " << outcomeText(outcome) << std::endl;
    if (outcome == StartupOutcome::Armed) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10)); // Timer1's interval
        session.runOnce();
    }
    if (c.log.isOpen())
        view.showUnprintedLog(c.log.readAll());
    c.model.removeObserver(&progress);
    c.model.removeObserver(&view);
    const ExitCode code = session.exitCode();
    const std::string summary = session.finish();
    std::cout << "Exit code " << static_cast<int>(code) << ": " << exitCodeText(code) << std::endl;
    if (o.json)
        std::cout << summary << std::endl;
    return static_cast<int>(code);
}

} // namespace

int main(int argc, char** argv) {
    CLI::App cli{"Quillan: brings this installation up to the published release.\n"
                 "Without options the window opens on the folder the program is installed in."};
    std::string appDir;
    bool headless = false, json = false;
    int keptRunLogs = 30;
    std::vector<std::string> answerTexts;
    cli.add_option("--app-dir", appDir, "Program folder (default: the folder of this executable)");
    cli.add_flag("--headless", headless, "Run without a window, printing the console as text");
    cli.add_option("--answer", answerTexts,
                   "Answer a question ahead: KEY=yes|no with KEY notice, server, continue or close "
                   "(repeatable). Unanswered questions get the safe answer (No, Cancel)")
        ->type_name("KEY=VALUE")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    cli.add_flag("--json", json, "With --headless: print the run summary (one JSON object) as the last line");
    cli.add_option("--keep-logs", keptRunLogs, "Earlier run logs kept beside the current one (default 30)")
        ->check(CLI::Range(0, 10000));
    cli.set_version_flag("--version", std::string("quillan ") + QUILLAN_VERSION_TEXT);
    cli.allow_extras(); // the window's toolkit takes its own options (for example -platform)
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int rc = cli.exit(e);
        return rc == 0 ? 0 : static_cast<int>(ExitCode::Usage);
    }

    Answers answers;
    for (const auto& text : answerTexts) {
        const auto a = parseAnswer(text);
        if (!a) {
            std::cerr << "quillan: --answer " << text
                      << ": expected KEY=yes|no with KEY notice, server, continue or close" << std::endl;
            return static_cast<int>(ExitCode::Usage);
        }
        answers[a->first] = a->second;
    }
    if (headless && !cli.remaining().empty()) {
        std::cerr << "quillan: unknown option " << cli.remaining().front() << " (see --help)" << std::endl;
        return static_cast<int>(ExitCode::Usage);
    }
    if (json && !headless) {
        std::cerr << "quillan: --json needs --headless (the window prints nothing)" << std::endl;
        return static_cast<int>(ExitCode::Usage);
    }

    std::error_code ec;
    const std::filesystem::path folder = appDir.empty()
                                             ? executableFolder(argc > 0 ? argv[0] : nullptr)
                                             : std::filesystem::absolute(appDir, ec).lexically_normal();
    if (!appDir.empty() && (ec || !std::filesystem::is_directory(folder))) {
        std::cerr << "quillan: --app-dir " << appDir << ": no such folder" << std::endl;
        return static_cast<int>(ExitCode::Usage);
    }
    std::filesystem::path programFolder = folder;
    if (auto s = programFolder.string(); s.size() > 1 && s.back() == '/')
        programFolder = std::filesystem::path(s.substr(0, s.size() - 1));

    if (!headless) {
#ifdef QUILLAN_HAVE_UI
        if (std::string why; !quillan::ui::windowCanOpen(argc, argv, why)) {
            std::cerr << "quillan: " << why << std::endl;
            return static_cast<int>(ExitCode::Refused);
        }
        quillan::ui::WindowedOptions windowed;
        windowed.answers = answers;
        windowed.keptRunLogs = keptRunLogs;
        return quillan::ui::runWindowed(argc, argv, programFolder, windowed);
#else
        std::cout << "This build of quillan has no window (built without the Qt interface): running headless."
                  << std::endl;
#endif
    }
    return runHeadless(programFolder, HeadlessOptions{answers, keptRunLogs, json});
}
