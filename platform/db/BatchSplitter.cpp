#include "platform/db/BatchSplitter.h"

#include "platform/db/Connection.h"

#include <optional>

namespace quillan::db {

namespace {

// A batch repeated by "GO n" is copied n times; beyond this many bytes of copies the script is
// refused rather than filling memory.
constexpr std::size_t kMaxRepeatedBytes = 256u << 20;

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

bool whiteSpaceOnly(std::string_view s) {
    for (char c : s)
        if (!blank(c) && c != '\n')
            return false;
    return true;
}

[[noreturn]] void badGo(std::size_t lineNo) {
    throw DbError("Incorrect syntax near 'GO' on line " + std::to_string(lineNo) +
                  ": GO may be followed only by a count from 1 to " + std::to_string(kMaxGoCount) + ".");
}

// The count of a separator line ("GO", "go 2", " GO -- next"), or nullopt for any other line.
std::optional<int> goCount(std::string_view line, std::size_t lineNo) {
    std::size_t i = 0;
    while (i < line.size() && blank(line[i]))
        ++i;
    if (line.size() - i < 2 || (line[i] != 'G' && line[i] != 'g') ||
        (line[i + 1] != 'O' && line[i + 1] != 'o'))
        return std::nullopt;
    i += 2;
    auto restIsEnd = [&](std::size_t k) {
        while (k < line.size() && blank(line[k]))
            ++k;
        return k == line.size() || line.substr(k, 2) == "--";
    };
    if (i < line.size() && !blank(line[i]) && line.substr(i, 2) != "--")
        return std::nullopt; // GOTO, GO;, ...: not a separator
    if (restIsEnd(i))
        return 1;
    while (i < line.size() && blank(line[i]))
        ++i;
    long count = 0;
    std::size_t digits = i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
        count = count * 10 + (line[i] - '0');
        if (count > kMaxGoCount)
            badGo(lineNo);
        ++i;
    }
    if (i == digits || count < 1 || !restIsEnd(i))
        badGo(lineNo);
    return static_cast<int>(count);
}

} // namespace

std::vector<std::string> splitBatches(std::string_view script) {
    if (script.substr(0, 3) == "\xEF\xBB\xBF")
        script.remove_prefix(3);
    std::vector<std::string> out;
    std::size_t repeated = 0;
    auto emit = [&](std::string_view batch, int count) {
        if (whiteSpaceOnly(batch))
            return;
        repeated += batch.size() * static_cast<std::size_t>(count - 1);
        if (repeated > kMaxRepeatedBytes)
            throw DbError("The GO counts of the script repeat its batches beyond " +
                          std::to_string(kMaxRepeatedBytes >> 20) + " MB.");
        for (int k = 0; k < count; ++k)
            out.emplace_back(batch);
    };
    // A name in brackets or double quotes may hold an apostrophe ([O'Brien]): not a literal.
    enum class State { Code, Literal, Comment, Bracketed, Quoted } state = State::Code;
    int depth = 0; // of nested block comments
    std::size_t batchStart = 0, lineNo = 0;
    for (std::size_t pos = 0; pos < script.size();) {
        ++lineNo;
        std::size_t end = script.find('\n', pos);
        if (end == std::string_view::npos)
            end = script.size();
        const std::string_view line = script.substr(pos, end - pos);
        const std::size_t next = end < script.size() ? end + 1 : end;
        if (state == State::Code) {
            if (auto count = goCount(line, lineNo)) {
                emit(script.substr(batchStart, pos - batchStart), *count);
                batchStart = pos = next;
                continue;
            }
        }
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            const char d = i + 1 < line.size() ? line[i + 1] : '\0';
            if (state == State::Code) {
                if (c == '-' && d == '-')
                    break; // the rest of the line is a comment
                if (c == '/' && d == '*') {
                    state = State::Comment;
                    depth = 1;
                    ++i;
                } else if (c == '\'') {
                    state = State::Literal;
                } else if (c == '[') {
                    state = State::Bracketed;
                } else if (c == '"') {
                    state = State::Quoted;
                }
            } else if (state == State::Literal || state == State::Bracketed || state == State::Quoted) {
                const char close = state == State::Literal ? '\'' : state == State::Bracketed ? ']' : '"';
                if (c == close && d == close)
                    ++i; // doubled: the character itself
                else if (c == close)
                    state = State::Code;
            } else if (c == '/' && d == '*') {
                ++depth;
                ++i;
            } else if (c == '*' && d == '/') {
                ++i;
                if (--depth == 0)
                    state = State::Code;
            }
        }
        pos = next;
    }
    emit(script.substr(batchStart), 1);
    return out;
}

} // namespace quillan::db
