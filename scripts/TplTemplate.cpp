#include "scripts/TplTemplate.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <system_error>
#include <vector>

namespace quillan::tpl {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBuffer = 1u << 20; // one buffer for every piece, whatever the package's size
constexpr std::uintmax_t kMaxTemplateBytes = 1u << 20; // a template is a few hundred bytes

// A bounded reader over the template's bytes: every read checks the end first.
class Fields {
public:
    Fields(const std::string& bytes, const fs::path& file) : b_(bytes), file_(file) {}
    std::uint64_t uint(int width, const char* field) {
        need(static_cast<std::size_t>(width), field);
        std::uint64_t v = 0;
        for (int i = width - 1; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(b_[pos_ + static_cast<std::size_t>(i)]);
        pos_ += static_cast<std::size_t>(width);
        return v;
    }
    std::string text(const char* field) {
        auto n = static_cast<std::size_t>(uint(2, field));
        need(n, field);
        std::string t = b_.substr(pos_, n);
        pos_ += n;
        return t;
    }

private:
    void need(std::size_t n, const char* field) const {
        if (b_.size() - pos_ < n)
            throw TplError("Template " + file_.filename().string() + ": the " + field +
                           " lies past the end of the file");
    }
    const std::string& b_;
    const fs::path& file_;
    std::size_t pos_ = 0;
};

void putUint(std::string& out, std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

void putText(std::string& out, const std::string& text, const char* field) {
    if (text.size() > 0xffff)
        throw TplError(std::string("the ") + field + " is longer than 65535 bytes");
    putUint(out, text.size(), 2);
    out += text;
}

std::string readSmallFile(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        throw TplError("Template " + file.filename().string() + " not found");
    const auto size = fs::file_size(file, ec);
    if (ec || size > kMaxTemplateBytes)
        throw TplError("Template " + file.filename().string() + " cannot be read");
    std::ifstream in(file, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(size)))
        throw TplError("Template " + file.filename().string() + " cannot be read");
    return bytes;
}

std::string pieceHeader(std::uint32_t length) {
    std::string h;
    putUint(h, 1, 2);      // one dimension
    putUint(h, length, 4); // element count
    putUint(h, 1, 4);      // lower bound: the publisher's arrays start at 1
    return h;
}

} // namespace

Template readTemplate(const fs::path& file) {
    const std::string bytes = readSmallFile(file);
    Fields f(bytes, file);
    Template t;
    t.label = f.text("label");
    t.recordedPath = f.text("recorded path");
    t.pieceSize = static_cast<std::uint32_t>(f.uint(4, "piece size"));
    t.pieceCount = static_cast<std::int16_t>(static_cast<std::uint16_t>(f.uint(2, "piece count")));
    t.firstPiece = static_cast<std::int32_t>(static_cast<std::uint32_t>(f.uint(4, "first piece number")));
    if (t.pieceCount <= 0)
        throw TplError("Template " + file.filename().string() + ": piece count " +
                       std::to_string(t.pieceCount));
    if (t.firstPiece < 0 || static_cast<std::int64_t>(t.firstPiece) + t.pieceCount - 1 > INT32_MAX)
        throw TplError("Template " + file.filename().string() + ": first piece number " +
                       std::to_string(t.firstPiece));
    return t;
}

void writeTemplate(const fs::path& file, const Template& t) {
    std::string out;
    putText(out, t.label, "label");
    putText(out, t.recordedPath, "recorded path");
    putUint(out, t.pieceSize, 4);
    putUint(out, static_cast<std::uint16_t>(t.pieceCount), 2);
    putUint(out, static_cast<std::uint32_t>(t.firstPiece), 4);
    std::ofstream o(file, std::ios::binary | std::ios::trunc);
    if (!o.write(out.data(), static_cast<std::streamsize>(out.size())) || !o.flush())
        throw TplError("Template " + file.filename().string() + " cannot be written");
}

std::string recordedFileName(const Template& t) {
    const auto cut = t.recordedPath.rfind('\\');
    return cut == std::string::npos ? t.recordedPath : t.recordedPath.substr(cut + 1);
}

std::string pieceFileName(const std::string& recordedName, std::int64_t number) {
    std::string digits = std::to_string(number);
    if (digits.size() < 3)
        digits.insert(0, 3 - digits.size(), '0');
    return recordedName + "." + digits;
}

std::uint32_t readPieceLength(const fs::path& pieceFile) {
    const std::string name = pieceFile.filename().string();
    std::error_code ec;
    if (!fs::is_regular_file(pieceFile, ec))
        throw TplError("Piece " + name + " not found");
    const auto size = fs::file_size(pieceFile, ec);
    std::array<char, kPieceHeaderBytes> h{};
    std::ifstream in(pieceFile, std::ios::binary);
    if (ec || size < kPieceHeaderBytes || !in.read(h.data(), h.size()))
        throw TplError("Piece " + name + " is shorter than its header");
    auto le = [&](std::size_t at, int width) {
        std::uint64_t v = 0;
        for (int i = width - 1; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(h[at + static_cast<std::size_t>(i)]);
        return v;
    };
    if (le(0, 2) != 1)
        throw TplError("Piece " + name + " does not hold one byte array");
    const auto length = static_cast<std::uint32_t>(le(2, 4));
    if (size - kPieceHeaderBytes < length)
        throw TplError("Piece " + name + " is short: " + std::to_string(size - kPieceHeaderBytes) + " of " +
                       std::to_string(length) + " bytes");
    return length;
}

fs::path joiningTemporaryFor(const fs::path& target) {
    return target.parent_path() / ("~" + target.filename().string() + ".joining");
}

std::uint64_t joinPieces(const Template& t, const fs::path& pieceFolder, const fs::path& target,
                         const JoinProgress& progress) {
    if (t.pieceCount <= 0)
        throw TplError("piece count " + std::to_string(t.pieceCount));
    const std::string name = recordedFileName(t);
    const fs::path temp = joiningTemporaryFor(target);
    std::uint64_t expected = 0, copied = 0;
    try {
        std::vector<char> buffer(kBuffer);
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            throw std::system_error(errno, std::generic_category(), "cannot create " + temp.string());
        for (std::int64_t i = 0; i < t.pieceCount; ++i) {
            const fs::path piece = pieceFolder / pieceFileName(name, t.firstPiece + i);
            std::uint64_t left = readPieceLength(piece);
            expected += left;
            std::ifstream in(piece, std::ios::binary);
            in.seekg(static_cast<std::streamoff>(kPieceHeaderBytes));
            while (left > 0) {
                const auto want = static_cast<std::streamsize>(std::min<std::uint64_t>(left, buffer.size()));
                if (!in.read(buffer.data(), want))
                    throw TplError("Piece " + piece.filename().string() + " could not be read whole");
                if (!out.write(buffer.data(), want))
                    throw std::system_error(errno, std::generic_category(), "cannot write " + temp.string());
                left -= static_cast<std::uint64_t>(want);
                copied += static_cast<std::uint64_t>(want);
                if (progress)
                    progress(copied);
            }
        }
        if (!out.flush())
            throw std::system_error(errno, std::generic_category(), "cannot write " + temp.string());
        out.close();
        const auto written = fs::file_size(temp);
        if (written != expected)
            throw TplError("Joined " + name + " has " + std::to_string(written) + " bytes, the pieces " +
                           std::to_string(expected));
        fs::rename(temp, target);
    } catch (...) {
        std::error_code ec;
        fs::remove(temp, ec);
        throw;
    }
    return copied;
}

Template splitPackage(const fs::path& archive, const fs::path& outFolder, const std::string& templateName,
                      const std::string& recordedPath, std::uint32_t pieceSize, std::int32_t firstPiece,
                      const std::string& label) {
    if (pieceSize == 0)
        throw TplError("piece size 0");
    std::error_code ec;
    const auto total = fs::file_size(archive, ec);
    if (ec)
        throw TplError("Archive " + archive.string() + " cannot be read");
    const std::uint64_t count = total == 0 ? 1 : (total + pieceSize - 1) / pieceSize;
    if (count > static_cast<std::uint64_t>(INT16_MAX))
        throw TplError("Archive " + archive.filename().string() + " needs " + std::to_string(count) +
                       " pieces; the template holds at most 32767");
    Template t{label, recordedPath, pieceSize, static_cast<std::int16_t>(count), firstPiece};
    const std::string name = recordedFileName(t);
    std::ifstream in(archive, std::ios::binary);
    std::vector<char> buffer(kBuffer);
    std::uint64_t left = total;
    for (std::uint64_t i = 0; i < count; ++i) {
        const auto share = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, pieceSize));
        std::ofstream out(outFolder / pieceFileName(name, firstPiece + static_cast<std::int64_t>(i)),
                          std::ios::binary | std::ios::trunc);
        const std::string h = pieceHeader(share);
        out.write(h.data(), static_cast<std::streamsize>(h.size()));
        for (std::uint64_t rest = share; rest > 0;) {
            const auto want = static_cast<std::streamsize>(std::min<std::uint64_t>(rest, buffer.size()));
            if (!in.read(buffer.data(), want) || !out.write(buffer.data(), want))
                throw TplError("Archive " + archive.filename().string() + " could not be split");
            rest -= static_cast<std::uint64_t>(want);
        }
        if (!out.flush())
            throw TplError("Piece of " + name + " cannot be written");
        left -= share;
    }
    writeTemplate(outFolder / templateName, t);
    return t;
}

} // namespace quillan::tpl
