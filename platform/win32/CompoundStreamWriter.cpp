// The compound file written through the system's structured storage (StgCreateStorageEx), created
// for writing and held exclusively until it is complete.
#include "platform/CompoundStreamWriter.h"
#include "platform/win32/WideText.h"

#include "platform/OsHooks.h"

#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <system_error>

namespace quillan {

namespace {

template <class T> struct Release {
    void operator()(T* object) const { object->Release(); }
};

void removeFile(const std::filesystem::path& file) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
}

class StorageStreamWriter : public CompoundStreamWriter {
public:
    StorageStreamWriter(std::filesystem::path file, std::filesystem::path part, IStorage* storage,
                        IStream* stream)
        : file_(std::move(file)), part_(std::move(part)), storage_(storage), stream_(stream) {}
    ~StorageStreamWriter() override {
        if (!done_) {
            stream_.reset();
            storage_.reset();
            removeFile(part_);
        }
    }
    StorageStreamWriter(const StorageStreamWriter&) = delete;
    StorageStreamWriter& operator=(const StorageStreamWriter&) = delete;

    bool write(std::string_view bytes) override {
        // Each round writes at least one byte or ends the loop.
        while (ok_ && !bytes.empty()) {
            const ULONG ask = static_cast<ULONG>(std::min<std::size_t>(bytes.size(), 1u << 20));
            ULONG wrote = 0;
            ok_ = SUCCEEDED(stream_->Write(bytes.data(), ask, &wrote)) && wrote > 0 && wrote <= ask;
            if (ok_)
                bytes.remove_prefix(wrote);
        }
        return ok_;
    }
    bool commit() override {
        if (done_)
            return false;
        done_ = true;
        bool closed = SUCCEEDED(stream_->Commit(STGC_DEFAULT));
        stream_.reset();
        closed = SUCCEEDED(storage_->Commit(STGC_DEFAULT)) && closed;
        storage_.reset(); // the last reference closes the file
        if (ok_ && closed) {
            try {
                os::renameOver(part_, file_);
                return true;
            } catch (const std::filesystem::filesystem_error&) {
            }
        }
        removeFile(part_);
        return false;
    }

private:
    std::filesystem::path file_, part_;
    std::unique_ptr<IStorage, Release<IStorage>> storage_;
    std::unique_ptr<IStream, Release<IStream>> stream_;
    bool ok_ = true, done_ = false;
};

} // namespace

std::unique_ptr<CompoundStreamWriter> createCompoundStream(const std::filesystem::path& file,
                                                           const std::string& name) {
    const auto part = compoundStreamPartName(file);
    const DWORD mode = STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE;
    IStorage* storage = nullptr;
    if (FAILED(StgCreateStorageEx(part.c_str(), mode, STGFMT_STORAGE, 0, nullptr, nullptr, IID_IStorage,
                                  reinterpret_cast<void**>(&storage))) ||
        storage == nullptr) {
        removeFile(part);
        return nullptr;
    }
    std::unique_ptr<IStorage, Release<IStorage>> owned(storage);
    IStream* stream = nullptr;
    if (FAILED(owned->CreateStream(wide(name).c_str(), mode, 0, 0, &stream)) || stream == nullptr) {
        owned.reset();
        removeFile(part);
        return nullptr;
    }
    return std::make_unique<StorageStreamWriter>(file, part, owned.release(), stream);
}

} // namespace quillan
