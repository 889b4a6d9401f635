#include "app/release/HotfixVersion.h"

#include "app/release/ReleaseError.h"
#include "platform/Text.h"

#include <algorithm>
#include <cctype>

namespace quillan::release {

int hotfixNumber(const std::string& name, const std::string& text) {
    const std::string marker = upperCase(kHotfixMarker);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = upperCase(std::string_view(text).substr(start, end - start));
        const auto at = line.find(marker);
        if (at != std::string::npos) {
            if (at != 0)
                throw ReleaseError("hotfix " + name + ": its version line must begin with " +
                                   std::string(kHotfixMarker) +
                                   " (the runner reads the number after the "
                                   "marker's 26 characters)");
            std::string_view rest = trimmed(std::string_view(line).substr(marker.size()));
            std::size_t digits = 0;
            while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits])))
                ++digits;
            const std::string_view number = rest.substr(0, digits);
            if (number.empty() || number.size() > 9 || std::stoi(std::string(number)) == 0 ||
                (digits < rest.size() && rest[digits] == '.'))
                throw ReleaseError("hotfix " + name + ": its version line " + std::string(kHotfixMarker) +
                                   " must carry a whole number from 1 to 999999999");
            return std::stoi(std::string(number));
        }
        start = end + 1;
    }
    throw ReleaseError("hotfix " + name + " has no version line: add a first line " +
                       std::string(kHotfixMarker) + "<number>");
}

namespace {

bool isWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// The script in upper case with its comments and text literals blanked out, so that a row named
// only in a comment or a PRINT does not count.
std::string codeOnly(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    int depth = 0; // of nested /* */ comments
    std::size_t i = 0;
    while (i < text.size()) {
        if (depth > 0 && text.compare(i, 2, "*/") == 0) {
            --depth;
            i += 2;
        } else if (text.compare(i, 2, "/*") == 0) {
            ++depth;
            i += 2;
        } else if (depth > 0) {
            ++i;
        } else if (text.compare(i, 2, "--") == 0) {
            i = std::min(text.find('\n', i), text.size());
        } else if (text[i] == '\'') {
            std::size_t end = i + 1;
            while (end < text.size() && (text[end] != '\'' || text.compare(end, 2, "''") == 0))
                end += text[end] == '\'' ? 2 : 1;
            i = end + 1;
        } else {
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
            ++i;
            continue;
        }
        out += ' ';
    }
    return out;
}

std::size_t skipBlanks(const std::string& s, std::size_t i) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
        ++i;
    return i;
}

} // namespace

bool recordsItself(const std::string& text) {
    const std::string code = codeOnly(text);
    for (std::size_t at = code.find("INSERT"); at != std::string::npos; at = code.find("INSERT", at + 6)) {
        if ((at > 0 && isWordChar(code[at - 1])) || (at + 6 < code.size() && isWordChar(code[at + 6])))
            continue;
        std::size_t i = skipBlanks(code, at + 6);
        if (code.compare(i, 4, "INTO") == 0 && (i + 4 == code.size() || !isWordChar(code[i + 4])))
            i = skipBlanks(code, i + 4);
        std::string last; // the last part of the target's name: [Tervik].dbo.[HotFixLog] gives HOTFIXLOG
        for (; i < code.size() &&
               (isWordChar(code[i]) || code[i] == '.' || code[i] == '[' || code[i] == ']' || code[i] == '"');
             ++i) {
            if (code[i] == '.')
                last.clear();
            else if (isWordChar(code[i]))
                last += code[i];
        }
        if (last == "HOTFIXLOG")
            return true;
    }
    return false;
}

} // namespace quillan::release
