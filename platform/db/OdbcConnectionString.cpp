#include "platform/db/OdbcConnectionString.h"

#include "platform/db/RecordFilter.h"

#include <cctype>
#include <charconv>
#include <cstdlib>

namespace quillan::db {

namespace {

std::string trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return std::string(s);
}

bool containsNoCase(std::string_view text, std::string_view part) {
    if (part.size() > text.size())
        return false;
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i)
        if (equalsNoCase(text.substr(i, part.size()), part))
            return true;
    return false;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

bool isTrue(std::string_view v) {
    const auto t = trim(v);
    return equalsNoCase(t, "SSPI") || equalsNoCase(t, "true") || equalsNoCase(t, "yes");
}

// FreeTDS takes the port as its own key and knows neither "(local)" nor "." nor "tcp:".
void appendFreeTdsServer(std::string& out, std::string server) {
    if (startsWithNoCase(server, "tcp:"))
        server.erase(0, 4);
    std::string instance;
    if (const auto slash = server.find('\\'); slash != std::string::npos) {
        instance = server.substr(slash);
        server.erase(slash);
    }
    std::string port;
    if (const auto comma = server.find(','); comma != std::string::npos) {
        port = trim(server.substr(comma + 1));
        server = trim(server.substr(0, comma));
    }
    if (server == "." || equalsNoCase(server, "(local)"))
        server = "127.0.0.1";
    out += odbcPair("Server", server + instance);
    if (!port.empty())
        out += odbcPair("Port", port);
    else if (instance.empty())
        out += odbcPair("Port", "1433");
    out += odbcPair("TDS_Version", "7.4");
    out += odbcPair("ClientCharset", "UTF-8");
}

} // namespace

bool isOdbcConnectionString(std::string_view text) {
    const auto t = trim(text);
    for (std::string_view key : {"Driver", "DSN"}) {
        if (!startsWithNoCase(t, key))
            continue;
        std::size_t i = key.size();
        while (i < t.size() && std::isspace(static_cast<unsigned char>(t[i])))
            ++i;
        if (i < t.size() && t[i] == '=')
            return true;
    }
    return false;
}

std::string defaultOdbcDriver() {
    if (const char* env = std::getenv("QUILLAN_ODBC_DRIVER"); env && *env)
        return env;
#ifdef _WIN32
    return "ODBC Driver 17 for SQL Server";
#else
    return "FreeTDS";
#endif
}

int odbcLoginTimeoutSeconds() {
    if (const char* env = std::getenv("QUILLAN_ODBC_LOGIN_TIMEOUT"); env && *env) {
        const std::string_view v(env);
        int seconds = 0;
        auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), seconds);
        if (ec == std::errc() && end == v.data() + v.size() && seconds >= 0)
            return seconds;
    }
    return 30;
}

std::string odbcPair(std::string_view key, std::string_view value) {
    // A leading quote must be braced too: the reader would take the value for a quoted one.
    const bool needsBraces =
        value.find_first_of(";}") != std::string_view::npos ||
        (!value.empty() && (value.front() == '{' || value.front() == '"' || value.front() == '\'' ||
                            std::isspace(static_cast<unsigned char>(value.front())) ||
                            std::isspace(static_cast<unsigned char>(value.back()))));
    std::string out(key);
    out += '=';
    if (!needsBraces) {
        out += value;
    } else {
        out += '{';
        for (char c : value) {
            out += c;
            if (c == '}')
                out += '}';
        }
        out += '}';
    }
    out += ';';
    return out;
}

std::string sqlServerOdbcString(std::string_view driver, const SqlServerLogin& login) {
    // The driver name is always braced: names such as "ODBC Driver 17 for SQL Server" hold blanks.
    std::string out = "Driver={";
    out += driver;
    out += "};";
    if (containsNoCase(driver, "TDS"))
        appendFreeTdsServer(out, trim(login.server));
    else
        out += odbcPair("Server", trim(login.server));
    if (login.trusted) {
        out += odbcPair("Trusted_Connection", "Yes");
    } else {
        out += odbcPair("UID", login.user);
        if (!trim(login.password).empty())
            out += odbcPair("PWD", login.password);
    }
    if (!trim(login.database).empty())
        out += odbcPair("Database", trim(login.database));
    return out;
}

std::string toOdbcConnectionString(const ConnectionString& oledb, std::string_view driver) {
    SqlServerLogin login;
    login.server = oledb.get("Data Source").value_or(oledb.get("Server").value_or(""));
    login.user = oledb.get("User ID").value_or(oledb.get("UID").value_or(""));
    login.password = oledb.get("Password").value_or("");
    if (trim(login.password).empty())
        login.password = oledb.get("PWD").value_or("");
    login.database = oledb.get("Initial Catalog").value_or(oledb.get("Database").value_or(""));
    login.trusted = isTrue(oledb.get("Integrated Security").value_or("")) ||
                    isTrue(oledb.get("Trusted_Connection").value_or(""));
    return sqlServerOdbcString(driver, login);
}

} // namespace quillan::db
