#include "console/ConnectionSettings.h"

#include "platform/Text.h"
#include "platform/db/Connection.h"

#include <fstream>
#include <stdexcept>
#include <vector>

namespace quillan {

namespace {
std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto pos = s.find(sep, start);
        parts.push_back(s.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
        if (pos == std::string::npos)
            return parts;
        start = pos + 1;
    }
}

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
    if (from.empty()) // nothing to replace: an empty catalog name must not loop
        return s;
    for (auto pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
        s.replace(pos, from.size(), to);
    return s;
}

// The first element whose upper-cased text contains the key gives the text behind the key, up to
// the element's end: blanks before the key are passed over ("; Data Source=x" gives "x") and a
// further "=" belongs to the value ("Password=pa=ss" gives "pa=ss").
std::string elementValue(const std::vector<std::string>& elements, const std::string& key) {
    for (const auto& e : elements) {
        const auto pos = upperCase(e).find(key);
        if (pos != std::string::npos)
            return e.substr(pos + key.size());
    }
    return {};
}

bool blank(const std::string& s) {
    return s.find_first_not_of(' ') == std::string::npos;
}
} // namespace

std::string settingsFilePath(const std::string& appPath) {
    if (!appPath.empty() && appPath.back() == '\\')
        return appPath + "Dll\\Sd.ini";
    return appPath + "\\Dll\\Sd.ini";
}

ConnectionSettings parseConnectionString(const std::string& line) {
    static const std::string catalogKey = "INITIAL CATALOG";
    const std::string up = upperCase(line);
    const auto p = up.find(catalogKey);
    if (p == std::string::npos)
        throw std::runtime_error("The connection string names no INITIAL CATALOG");
    const auto semi = line.find(';', p);
    if (semi == std::string::npos)
        throw std::runtime_error("The connection string has no \";\" after the INITIAL CATALOG value");
    const auto start = p + catalogKey.size() + 1; // just behind "INITIAL CATALOG="
    if (start > semi)
        throw std::runtime_error("The connection string's INITIAL CATALOG element is cut short");

    ConnectionSettings s;
    s.dbName = line.substr(start, semi - start);
    s.connString = replaceAll(line, s.dbName, "MASTER");
    const auto elements = split(s.connString, ';');
    s.dbServer = elementValue(elements, "DATA SOURCE=");
    s.dbUser = elementValue(elements, "USER ID=");
    s.dbPassword = elementValue(elements, "PASSWORD=");
    if (blank(s.dbPassword))
        s.dbPassword = elementValue(elements, "PWD=");
    s.dbPrefix = db::sqlQuoteName(s.dbName); // "[name]", a "]" in the name doubled
    return s;
}

ServerLocality localServerTest(const std::string& machineName, const std::string& dbServer) {
    ServerLocality l;
    l.computerName = machineName;
    const auto parts = split(upperCase(dbServer), '\\');
    if (parts.size() > 1)
        l.computerName += "\\" + parts[1];
    const std::string server = upperCase(dbServer);
    l.isLocalServer = upperCase(l.computerName) == server || server == "(LOCAL)" || dbServer == ".";
    return l;
}

std::string ReadConnectionString(Console& c) {
    std::ifstream in(c.native(c.state.iniPath), std::ios::binary);
    if (!in)
        throw std::runtime_error("File not found: " + c.state.iniPath);
    std::string line;
    std::getline(in, line);
    if (line.size() >= 3 &&
        line.compare(0, 3, "\xEF\xBB\xBF") == 0) // a byte-order mark is not part of the text
        line.erase(0, 3);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    c.state.connString = line;
    return line;
}

} // namespace quillan
