// The portable half of running a program: the Windows command-line quoting.
#include "platform/ProgramRunner.h"

namespace quillan {
namespace {

void appendQuoted(std::string& line, const std::string& word) {
    if (!word.empty() && word.find_first_of(" \t\n\v\"") == std::string::npos) {
        line += word;
        return;
    }
    line += '"';
    std::size_t backslashes = 0;
    for (char ch : word) {
        if (ch == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless a quote follows them: then each one must be doubled.
        line.append(ch == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        line += ch;
    }
    line.append(backslashes * 2, '\\'); // they stand before the closing quote
    line += '"';
}

} // namespace

std::string windowsCommandLine(const std::string& program, const std::vector<std::string>& arguments) {
    std::string line;
    appendQuoted(line, program);
    for (const auto& word : arguments) {
        line += ' ';
        appendQuoted(line, word);
    }
    return line;
}

} // namespace quillan
