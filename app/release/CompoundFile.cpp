#include "app/release/CompoundFile.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <memory>
#include <mutex>
#include <stdexcept>

namespace quillan::release {

namespace {

struct Unref {
    void operator()(void* object) const { g_object_unref(object); }
};
template <class T> using Owned = std::unique_ptr<T, Unref>;

std::string why(GsfOutput* output, const std::string& what) {
    const GError* e = gsf_output_error(output);
    return "the workbook's container cannot be written: " + what +
           (e ? std::string(" (") + e->message + ")" : "");
}

} // namespace

std::string compoundFile(const std::string& name, const std::string& bytes) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { gsf_init(); });

    Owned<GsfOutput> memory(gsf_output_memory_new());
    Owned<GsfOutfile> storage(gsf_outfile_msole_new(memory.get()));
    if (!storage)
        throw std::runtime_error(why(memory.get(), "no compound file"));
    {
        Owned<GsfOutput> stream(gsf_outfile_new_child(storage.get(), name.c_str(), FALSE));
        if (!stream)
            throw std::runtime_error(why(GSF_OUTPUT(storage.get()), "no stream " + name));
        if (!gsf_output_write(stream.get(), bytes.size(), reinterpret_cast<const guint8*>(bytes.data())) ||
            !gsf_output_close(stream.get()))
            throw std::runtime_error(why(stream.get(), "the stream " + name));
    }
    if (!gsf_output_close(GSF_OUTPUT(storage.get())))
        throw std::runtime_error(why(GSF_OUTPUT(storage.get()), "the directory"));
    auto* written = GSF_OUTPUT_MEMORY(memory.get());
    const guint8* data = gsf_output_memory_get_bytes(written);
    return std::string(reinterpret_cast<const char*>(data),
                       static_cast<std::size_t>(gsf_output_size(memory.get())));
}

} // namespace quillan::release
