#include "app/release/XmlScript.h"

namespace quillan::release {

namespace {

std::string escaped(const std::string& text) {
    std::string out;
    for (char ch : text)
        out += ch == '&' ? "&amp;" : ch == '<' ? "&lt;" : ch == '>' ? "&gt;" : std::string(1, ch);
    return out;
}

} // namespace

std::string xmlScript(const std::vector<SetupRow>& rows) {
    std::string s = R"(<?xml version="1.0" standalone="yes"?><NewDataSet>)";
    for (const auto& row : rows) {
        s += "<SetupDetails>";
        for (auto [column, text] : columnTexts(row)) {
            if (text.empty()) // NULL, as a data set writes it: File_UnZipDate, an absent extension
                continue;
            if (column == "File_CrDate" && text.size() > 10)
                text[10] = 'T';
            s += "<" + column + ">" + escaped(text) + "</" + column + ">";
        }
        s += "</SetupDetails>";
    }
    return s + "</NewDataSet>\r\n";
}

} // namespace quillan::release
