#pragma once
// The split-package format: a template file (".tpl") that names the published archive and its
// pieces, and the numbered piece files that carry the archive's bytes. Records are laid out as the
// publisher's binary record serialisation has them: little-endian integers, texts with a 16-bit
// length before them, byte arrays with their dimension count and bounds before them. The layout,
// byte by byte, is in docs/split-packages.md. Reading never trusts a length: every field is checked
// against the end of the file before it is used.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

namespace quillan::tpl {

// A template or piece that cannot be used; the text says which file and why.
class TplError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The template record, fields in file order.
struct Template {
    std::string label;           // 1: the publisher's own text (not used by the join)
    std::string recordedPath;    // 2: the archive's path at the publisher; its last segment names it
    std::uint32_t pieceSize = 0; // 3: the publisher's piece size in bytes (not used by the join)
    std::int16_t pieceCount = 0; // 4: number of pieces
    std::int32_t firstPiece = 1; // 5: number of the first piece
};

// Bytes of the header before a piece's data: dimension count, element count, lower bound.
constexpr std::uint64_t kPieceHeaderBytes = 10;

// Reads the record at the start of a template file. Throws TplError for a file that cannot be
// read, a field past the end of the file, or a piece count of 0 or less.
Template readTemplate(const std::filesystem::path& file);
// Writes the record (creating or replacing the file). Throws TplError.
void writeTemplate(const std::filesystem::path& file, const Template& t);

// The text after the last "\" of the recorded path (the whole text when it has none).
std::string recordedFileName(const Template& t);
// A piece's file name: the recorded file name, ".", and the number with at least three digits
// (9 -> "name.009", 1234 -> "name.1234").
std::string pieceFileName(const std::string& recordedName, std::int64_t number);

// The length of a piece's share, checked against the file: throws TplError when the header is
// short, is not a one-dimensional array, or promises more bytes than the file holds.
std::uint32_t readPieceLength(const std::filesystem::path& pieceFile);

// Called as bytes are copied, with the count so far.
using JoinProgress = std::function<void(std::uint64_t copied)>;

// Joins the template's pieces, found in `pieceFolder`, into `target`: the bytes go to a temporary
// name beside it, whose length is checked against the sum of the pieces before it is renamed onto
// `target`. Streams through one buffer: memory does not grow with the package. Throws TplError
// (a missing or short piece, a length that does not add up) or std::system_error; the temporary
// file is removed then and `target` is left as it was. Answers the joined length.
std::uint64_t joinPieces(const Template& t, const std::filesystem::path& pieceFolder,
                         const std::filesystem::path& target, const JoinProgress& progress = {});
// The temporary name joinPieces writes before the rename.
std::filesystem::path joiningTemporaryFor(const std::filesystem::path& target);

// The publisher's side, for the release tool and tests: cuts `archive` into pieces of at most
// `pieceSize` bytes named after `recordedPath`, numbered from `firstPiece`, in `outFolder`, and
// writes the template `templateName` there. Answers the template written. Throws TplError.
Template splitPackage(const std::filesystem::path& archive, const std::filesystem::path& outFolder,
                      const std::string& templateName, const std::string& recordedPath,
                      std::uint32_t pieceSize, std::int32_t firstPiece = 1,
                      const std::string& label = "Quillan split package 1");

} // namespace quillan::tpl
