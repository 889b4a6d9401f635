#include "platform/db/embedded/DeclaredTypes.h"

#include "platform/db/embedded/Lexer.h"

#include <cctype>
#include <map>

namespace quillan::db::embedded {

namespace {

// The text between the parentheses of "varchar(50)", empty when there are none.
std::string lengthPart(const std::string& declared) {
    auto open = declared.find('(');
    auto close = declared.find(')', open == std::string::npos ? 0 : open);
    if (open == std::string::npos || close == std::string::npos)
        return {};
    return declared.substr(open + 1, close - open - 1);
}

// The first whole number of `text` (the precision of "18,2"), nullopt when it holds none.
std::optional<long long> leadingNumber(const std::string& text) {
    long long n = 0;
    std::size_t k = 0;
    for (; k < text.size() && k < 9 && std::isdigit(static_cast<unsigned char>(text[k])); ++k)
        n = n * 10 + (text[k] - '0');
    return k == 0 ? std::nullopt : std::optional<long long>(n);
}

} // namespace

std::string typeName(const std::string& declaredType) {
    std::string name = lower(declaredType.substr(0, declaredType.find('(')));
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name == "integer" ? "int" : name;
}

std::optional<long long> columnLength(const std::string& declaredType) {
    static const std::map<std::string, long long> fixed = {
        {"int", 4},        {"bigint", 8},        {"smallint", 2}, {"tinyint", 1},           {"bit", 1},
        {"datetime", 8},   {"smalldatetime", 4}, {"date", 3},     {"datetime2", 8},         {"money", 8},
        {"smallmoney", 4}, {"float", 8},         {"real", 4},     {"uniqueidentifier", 16}, {"text", 16},
        {"ntext", 16},     {"image", 16},        {"sysname", 256}};
    const std::string name = typeName(declaredType);
    if (auto it = fixed.find(name); it != fixed.end())
        return it->second;
    const std::string len = lengthPart(declaredType);
    if (name == "decimal" || name == "numeric" || name == "dec") {
        long long p = leadingNumber(len).value_or(18);
        return p <= 9 ? 5 : p <= 19 ? 9 : p <= 28 ? 13 : 17;
    }
    const bool wide = name == "nchar" || name == "nvarchar";
    if (!(wide || name == "char" || name == "varchar" || name == "binary" || name == "varbinary"))
        return std::nullopt;
    if (iequals(len, "max"))
        return -1;
    return leadingNumber(len).value_or(1) * (wide ? 2 : 1);
}

} // namespace quillan::db::embedded
