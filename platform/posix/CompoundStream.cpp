// The compound file read through libgsf's OLE2 reader.
#include "platform/CompoundStream.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>

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

} // namespace

std::unique_ptr<CompoundStream> openCompoundStream(const std::filesystem::path& file,
                                                   const std::string& name) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { gsf_init(); });
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
