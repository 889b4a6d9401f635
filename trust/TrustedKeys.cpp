#include "trust/TrustedKeys.h"

#include "trust/Keys.h"

#include <algorithm>
#include <fstream>

namespace quillan::trust {

namespace {
constexpr std::uintmax_t kMaxListBytes = 1u << 20;
constexpr std::size_t kMaxKeys = 1000;

std::string trimmed(const std::string& line) {
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}
} // namespace

std::optional<std::vector<std::string>> readTrustedKeys(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        return std::nullopt;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec || size > kMaxListBytes)
        throw TrustedKeysError("the list of trusted keys " + file.string() + " cannot be read");
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw TrustedKeysError("the list of trusted keys " + file.string() + " cannot be read");
    std::vector<std::string> keys;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string t = trimmed(line);
        if (t.empty() || t.front() == '#')
            continue;
        const auto key = parsePublicKey(t);
        if (!key || keys.size() >= kMaxKeys)
            throw TrustedKeysError("line " + std::to_string(number) + " of " + file.string() +
                                   " is not a public key");
        if (std::find(keys.begin(), keys.end(), *key) == keys.end())
            keys.push_back(*key);
    }
    return keys;
}

bool addTrustedKey(const std::filesystem::path& file, const std::string& publicHex) {
    const auto key = parsePublicKey(publicHex);
    if (!key)
        throw TrustedKeysError("not a public key: " + publicHex);
    const auto keys = readTrustedKeys(file).value_or(std::vector<std::string>{});
    if (std::find(keys.begin(), keys.end(), *key) != keys.end())
        return false;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << *key << "\r\n";
    if (!out.flush())
        throw TrustedKeysError("cannot write " + file.string());
    return true;
}

} // namespace quillan::trust
