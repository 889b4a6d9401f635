#pragma once
// The connection settings of "Dll\Sd.ini": where the file is, how its one line is taken apart,
// and whether the database server is this machine.
#include "base/Console.h"
#include "base/WindowsPath.h"

#include <string>

namespace quillan {

struct ConnectionSettings {
    std::string connString; // the line with every occurrence of the catalog name replaced by "MASTER"
    std::string dbName, dbPrefix, dbServer, dbUser, dbPassword;
};

// Program folder + "Dll\Sd.ini", without a doubled "\" when the folder is a drive root.
std::string settingsFilePath(const std::string& appPath);

// Takes the connection string apart. Each of server, user and password is the text behind its key
// ("DATA SOURCE=", "USER ID=", "PASSWORD=", else "PWD=", any case) in the first ';'-separated
// element holding the key, wherever the key stands in it: an element with blanks around it
// ("; Data Source=(local)") is read from just after the key, so the blanks do not become part of
// the key or the value's start, and every character after the key's "=" up to the next ';' is the
// value, further "=" included ("Password=pa=ss" gives "pa=ss"). dbPrefix is the catalog name
// bracketed with sqlQuoteName ("[a]]b]"), so a name holding "]" cannot end the bracket early.
// Throws std::runtime_error (the description start-up reports) when "INITIAL CATALOG" is missing
// or no ";" follows it.
ConnectionSettings parseConnectionString(const std::string& line);

struct ServerLocality {
    std::string computerName; // with "\" + instance appended when the server names one
    bool isLocalServer = false;
};
ServerLocality localServerTest(const std::string& machineName, const std::string& dbServer);

// Reads the first line of the settings file (state.iniPath) into state.connString and returns it.
// Throws std::runtime_error when the file cannot be read.
std::string ReadConnectionString(Console& c);

} // namespace quillan
