#include "trust/Manifest.h"

#include "trust/UtcTime.h"

#include <algorithm>
#include <charconv>

namespace quillan::trust {

namespace {

constexpr std::string_view kFirstLine = "Quillan release manifest 1";

char folded(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}
bool sameNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return folded(x) == folded(y); });
}
bool lessNoCase(const ManifestFile& a, const ManifestFile& b) {
    return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                        [](char x, char y) { return folded(x) < folded(y); });
}

bool isPlainDistributor(std::string_view code) {
    if (code == kEveryDistributor)
        return true;
    if (code.empty() || code.size() > 50)
        return false;
    return std::all_of(code.begin(), code.end(), [](char ch) {
        return static_cast<unsigned char>(ch) > 0x20 && ch != 0x7f && ch != '*';
    });
}

bool isHexDigest(std::string_view t) {
    return t.size() == 64 && std::all_of(t.begin(), t.end(), [](char ch) {
               return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f');
           });
}

// A whole decimal number without sign or leading zero, within the type.
template <typename T> bool parseNumber(std::string_view t, T& out) {
    if (t.empty() || (t.size() > 1 && t[0] == '0'))
        return false;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
    return ec == std::errc() && end == t.data() + t.size();
}

// Splits the text into lines; each must end in "\n".
std::vector<std::string_view> linesOf(std::string_view text) {
    if (text.size() > kManifestMaxBytes)
        throw ManifestError("the manifest is larger than " + std::to_string(kManifestMaxBytes) + " bytes");
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        if (end == std::string_view::npos)
            throw ManifestError("the manifest's last line does not end");
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return lines;
}

// The value of "<key> <value>" on line `i`.
std::string_view valueOf(const std::vector<std::string_view>& lines, std::size_t i, std::string_view key) {
    if (i >= lines.size() || !lines[i].starts_with(key) || lines[i].size() <= key.size() ||
        lines[i][key.size()] != ' ')
        throw ManifestError("the manifest has no \"" + std::string(key) + "\" line where it belongs");
    return lines[i].substr(key.size() + 1);
}

std::int64_t timeOf(const std::vector<std::string_view>& lines, std::size_t i, std::string_view key) {
    const auto t = parseUtc(valueOf(lines, i, key));
    if (!t)
        throw ManifestError("the manifest's " + std::string(key) + " time is not YYYY-MM-DDTHH:MM:SSZ");
    return *t;
}

ManifestFile fileOf(std::string_view line) {
    const auto a = line.find(' '), b = a == std::string_view::npos ? a : line.find(' ', a + 1);
    if (b == std::string_view::npos)
        throw ManifestError("a file line of the manifest is not \"file <size> <sha256> <name>\"");
    ManifestFile f;
    f.name = std::string(line.substr(b + 1));
    f.digest.sha256 = std::string(line.substr(a + 1, b - a - 1));
    if (!parseNumber(line.substr(0, a), f.digest.size) || !isHexDigest(f.digest.sha256) ||
        !isPlainManifestName(f.name))
        throw ManifestError("a file line of the manifest is not \"file <size> <sha256> <name>\"");
    return f;
}

void checkFiles(const std::vector<ManifestFile>& files) {
    if (files.empty())
        throw ManifestError("the manifest lists no file");
    for (std::size_t i = 1; i < files.size(); ++i) {
        if (!lessNoCase(files[i - 1], files[i]))
            throw ManifestError(sameNoCase(files[i - 1].name, files[i].name)
                                    ? "the manifest lists " + files[i].name + " twice"
                                    : "the manifest's files are not in name order");
    }
}

} // namespace

bool isPlainManifestName(std::string_view name) {
    if (name.empty() || name.size() > 255 || name == "." || name == ".." || name.back() == ' ' ||
        name.back() == '.')
        return false;
    return std::none_of(name.begin(), name.end(), [](char ch) {
        const auto u = static_cast<unsigned char>(ch);
        return u < 0x20 || u == 0x7f || ch == '/' || ch == '\\' || ch == ':' || ch == '<' || ch == '>' ||
               ch == '"' || ch == '|' || ch == '?' || ch == '*';
    });
}

std::string manifestFileNameOf(std::string_view scriptName) {
    return std::string(scriptName) + std::string(kManifestSuffix);
}

bool isManifestFileName(std::string_view name) {
    return name.size() > kManifestSuffix.size() &&
           sameNoCase(name.substr(name.size() - kManifestSuffix.size()), kManifestSuffix);
}

const ManifestFile* Manifest::find(std::string_view name) const {
    for (const auto& f : files)
        if (sameNoCase(f.name, name))
            return &f;
    return nullptr;
}

std::string manifestText(const Manifest& m) {
    if (m.version <= 0)
        throw ManifestError("a release version must be 1 or more");
    if (!isPlainDistributor(m.distributor))
        throw ManifestError("the distributor code " + m.distributor + " cannot be written in a manifest");
    if (m.expires <= m.issued)
        throw ManifestError("a manifest must expire after it was issued");
    auto files = m.files;
    std::sort(files.begin(), files.end(), lessNoCase);
    for (const auto& f : files)
        if (!isPlainManifestName(f.name) || !isHexDigest(f.digest.sha256))
            throw ManifestError("the file " + f.name + " cannot be written in a manifest");
    checkFiles(files);
    std::string t = std::string(kFirstLine) + "\n";
    t += "version " + std::to_string(m.version) + "\n";
    t += "distributor " + m.distributor + "\n";
    t += "issued " + formatUtc(m.issued) + "\n";
    t += "expires " + formatUtc(m.expires) + "\n";
    for (const auto& f : files)
        t += "file " + std::to_string(f.digest.size) + " " + f.digest.sha256 + " " + f.name + "\n";
    return t;
}

Manifest parseManifestText(std::string_view text) {
    const auto lines = linesOf(text);
    if (lines.empty() || lines[0] != kFirstLine)
        throw ManifestError("the file is not a release manifest of this format");
    Manifest m;
    if (!parseNumber(valueOf(lines, 1, "version"), m.version) || m.version <= 0)
        throw ManifestError("the manifest's version is not a whole number from 1");
    m.distributor = std::string(valueOf(lines, 2, "distributor"));
    if (!isPlainDistributor(m.distributor))
        throw ManifestError("the manifest's distributor code is not plain");
    m.issued = timeOf(lines, 3, "issued");
    m.expires = timeOf(lines, 4, "expires");
    if (m.expires <= m.issued)
        throw ManifestError("the manifest expires before it was issued");
    for (std::size_t i = 5; i < lines.size(); ++i)
        m.files.push_back(fileOf(valueOf(lines, i, "file")));
    checkFiles(m.files);
    return m;
}

} // namespace quillan::trust
