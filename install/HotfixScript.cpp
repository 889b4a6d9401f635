#include "install/HotfixScript.h"

#include "platform/Text.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quillan {

namespace {

// The text's number: blanks skipped, digits and one decimal point, up to the first other
// character; 0 for none.
double leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    std::string digits;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch >= '0' && ch <= '9')
            digits += ch;
        else if (ch == '.' && !point)
            point = true, digits += ch;
        else
            break;
    }
    return digits.empty() || digits == "." ? 0.0 : std::strtod(digits.c_str(), nullptr);
}

} // namespace

std::string readHotfixScript(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("The hotfix file " + file.string() + " cannot be read");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw std::runtime_error("The hotfix file " + file.string() + " cannot be read");
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    return text;
}

double hotfixNumberOf(std::string_view script) {
    const std::string marker = upperCase(kHotfixVersionMarker);
    for (std::size_t pos = 0; pos < script.size();) {
        std::size_t end = script.find('\n', pos);
        if (end == std::string_view::npos)
            end = script.size();
        const std::string_view line = script.substr(pos, end - pos);
        if (upperCase(line).find(marker) != std::string::npos)
            return line.size() > marker.size() ? leadingNumber(line.substr(marker.size())) : 0.0;
        pos = end + 1;
    }
    return 0.0;
}

bool hotfixNumberInRange(double number) {
    return number > 0 && number <= kLargestHotfixNumber; // false for NaN
}

std::string hotfixNumberText(double number) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.15g", number);
    return digits;
}

} // namespace quillan
