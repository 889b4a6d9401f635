#pragma once
// A new compound file (the container an Excel 97 workbook is kept in) holding one stream, written
// in pieces: through the system's structured storage on Windows, through libgsf elsewhere. The file
// is written under a temporary name beside its final one and only renamed to it once complete, so
// no half container ever carries the final name.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace quillan {

class CompoundStreamWriter {
public:
    // Without a successful commit the temporary file is removed.
    virtual ~CompoundStreamWriter() = default;
    // Appends `bytes` to the stream; false once a write has failed (later writes are ignored).
    virtual bool write(std::string_view bytes) = 0;
    // Closes the stream and the container and gives the file its final name, replacing a file of
    // that name; false (and no file written) when any step failed.
    virtual bool commit() = 0;
};

// A writer of the stream `name` into a new compound file at `file`; nullptr when the temporary file
// beside it cannot be created.
std::unique_ptr<CompoundStreamWriter> createCompoundStream(const std::filesystem::path& file,
                                                           const std::string& name);

// The temporary name a container is written under before it becomes `file`.
inline std::filesystem::path compoundStreamPartName(const std::filesystem::path& file) {
    std::filesystem::path part = file;
    part += ".part";
    return part;
}

} // namespace quillan
