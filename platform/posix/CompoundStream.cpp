// The compound file read through libgsf's OLE2 reader.
#include "platform/CompoundStream.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>

#include <array>
#include <cstdio>
#include <mutex>

namespace quillan {

namespace {

struct Unref {
    void operator()(void* object) const { g_object_unref(object); }
};
template <class T> using Owned = std::unique_ptr<T, Unref>;

class GsfStream : public CompoundStream {
public:
    explicit GsfStream(Owned<GsfInput> stream) : stream_(std::move(stream)) {}
    bool read(std::size_t n, std::string& out) override {
        out.resize(n);
        return n == 0 || gsf_input_read(stream_.get(), n, reinterpret_cast<guint8*>(out.data())) != nullptr;
    }
    std::uint64_t size() const override {
        const gsf_off_t n = gsf_input_size(stream_.get());
        return n < 0 ? 0 : static_cast<std::uint64_t>(n);
    }

private:
    Owned<GsfInput> stream_;
};

std::uint32_t littleEndian32(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// Whether the root entry of the container's directory has siblings. The root has none in a sound
// file; libgsf reads the ones it is given anyway and loses them (they have no parent to hang on),
// so such a file is refused before it is handed over.
bool rootHasSiblings(const std::filesystem::path& file) {
    constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(file.c_str(), "rb"), std::fclose);
    std::array<unsigned char, 512> header{};
    if (!f || std::fread(header.data(), 1, header.size(), f.get()) != header.size())
        return false; // not a container at all: libgsf says so
    const unsigned shift = header[0x1E] | header[0x1F] << 8;
    if (shift != 9 && shift != 12)
        return false;
    const std::uint64_t sectorSize = std::uint64_t{1} << shift;
    const std::uint64_t root = (std::uint64_t{littleEndian32(&header[0x30])} + 1) * sectorSize;
    std::array<unsigned char, 128> entry{};
    if (root > 0x7FFFFFFF || std::fseek(f.get(), static_cast<long>(root), SEEK_SET) != 0 ||
        std::fread(entry.data(), 1, entry.size(), f.get()) != entry.size())
        return false;
    return littleEndian32(&entry[0x44]) != kNoStream || littleEndian32(&entry[0x48]) != kNoStream;
}

} // namespace

std::unique_ptr<CompoundStream> openCompoundStream(const std::filesystem::path& file,
                                                   const std::string& name) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { gsf_init(); });
    if (rootHasSiblings(file))
        return nullptr;
    Owned<GsfInput> input(gsf_input_stdio_new(file.c_str(), nullptr));
    if (!input)
        return nullptr;
    Owned<GsfInfile> storage(gsf_infile_msole_new(input.get(), nullptr));
    if (!storage)
        return nullptr;
    Owned<GsfInput> stream(gsf_infile_child_by_name(storage.get(), name.c_str()));
    if (!stream)
        return nullptr;
    return std::make_unique<GsfStream>(std::move(stream));
}

} // namespace quillan
