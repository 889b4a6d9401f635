// The compound file written through libgsf's OLE2 writer.
#include "platform/CompoundStreamWriter.h"

#include "platform/OsHooks.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <mutex>
#include <system_error>

namespace quillan {

namespace {

struct Unref {
    void operator()(void* object) const { g_object_unref(object); }
};
template <class T> using Owned = std::unique_ptr<T, Unref>;

class GsfStreamWriter : public CompoundStreamWriter {
public:
    GsfStreamWriter(std::filesystem::path file, std::filesystem::path part, Owned<GsfOutput> sink,
                    Owned<GsfOutfile> container, Owned<GsfOutput> stream)
        : file_(std::move(file)), part_(std::move(part)), sink_(std::move(sink)),
          container_(std::move(container)), stream_(std::move(stream)) {}
    ~GsfStreamWriter() override {
        if (!done_) {
            close();
            std::error_code ec;
            std::filesystem::remove(part_, ec);
        }
    }
    GsfStreamWriter(const GsfStreamWriter&) = delete;
    GsfStreamWriter& operator=(const GsfStreamWriter&) = delete;

    bool write(std::string_view bytes) override {
        ok_ = ok_ && (bytes.empty() || gsf_output_write(stream_.get(), bytes.size(),
                                                        reinterpret_cast<const guint8*>(bytes.data())));
        return ok_;
    }
    bool commit() override {
        if (done_)
            return false;
        done_ = true;
        const bool closed = close();
        std::error_code ec;
        if (ok_ && closed) {
            try {
                os::renameOver(part_, file_);
                return true;
            } catch (const std::filesystem::filesystem_error&) {
            }
        }
        std::filesystem::remove(part_, ec);
        return false;
    }

private:
    // Closing the container writes its directory and closes the file it writes to.
    bool close() {
        bool closed = gsf_output_close(stream_.get());
        closed = gsf_output_close(GSF_OUTPUT(container_.get())) && closed;
        return closed;
    }

    std::filesystem::path file_, part_;
    // Released in reverse order: the stream, then its container, then the file.
    Owned<GsfOutput> sink_;
    Owned<GsfOutfile> container_;
    Owned<GsfOutput> stream_;
    bool ok_ = true, done_ = false;
};

} // namespace

std::unique_ptr<CompoundStreamWriter> createCompoundStream(const std::filesystem::path& file,
                                                           const std::string& name) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { gsf_init(); });
    const auto part = compoundStreamPartName(file);
    Owned<GsfOutput> sink(gsf_output_stdio_new(part.c_str(), nullptr));
    if (!sink)
        return nullptr;
    Owned<GsfOutfile> container(gsf_outfile_msole_new(sink.get()));
    Owned<GsfOutput> stream(container ? gsf_outfile_new_child(container.get(), name.c_str(), FALSE)
                                      : nullptr);
    if (!stream) {
        if (container)
            gsf_output_close(GSF_OUTPUT(container.get()));
        else
            gsf_output_close(sink.get());
        std::error_code ec;
        std::filesystem::remove(part, ec);
        return nullptr;
    }
    return std::make_unique<GsfStreamWriter>(file, part, std::move(sink), std::move(container),
                                             std::move(stream));
}

} // namespace quillan
