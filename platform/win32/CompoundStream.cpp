// The compound file read through the system's structured storage (StgOpenStorageEx), opened for
// reading and shared with other readers.
#include "platform/CompoundStream.h"
#include "platform/win32/WideText.h"

#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <memory>

namespace quillan {

namespace {

template <class T> struct Release {
    void operator()(T* object) const { object->Release(); }
};

class StorageStream : public CompoundStream {
public:
    // The storage is kept open with its stream: releasing it would revert the stream.
    StorageStream(IStorage* storage, IStream* stream) : storage_(storage), stream_(stream) {}
    bool read(std::size_t n, std::string& out) override {
        out.resize(n);
        std::size_t done = 0;
        while (done < n) { // each round reads at least one byte or ends the loop
            const ULONG ask = static_cast<ULONG>(std::min<std::size_t>(n - done, 1u << 20));
            ULONG got = 0;
            if (FAILED(stream_->Read(out.data() + done, ask, &got)) || got == 0)
                return false;
            done += got;
        }
        return true;
    }
    std::uint64_t size() const override {
        STATSTG stat{};
        if (FAILED(stream_->Stat(&stat, STATFLAG_NONAME)))
            return 0;
        return stat.cbSize.QuadPart;
    }

private:
    // Released in reverse order: the stream, then its storage.
    std::unique_ptr<IStorage, Release<IStorage>> storage_;
    std::unique_ptr<IStream, Release<IStream>> stream_;
};

} // namespace

std::unique_ptr<CompoundStream> openCompoundStream(const std::filesystem::path& file,
                                                   const std::string& name) {
    IStorage* storage = nullptr;
    if (FAILED(StgOpenStorageEx(file.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, STGFMT_STORAGE, 0, nullptr,
                                nullptr, IID_IStorage, reinterpret_cast<void**>(&storage))) ||
        storage == nullptr)
        return nullptr;
    std::unique_ptr<IStorage, Release<IStorage>> owned(storage);
    IStream* stream = nullptr;
    if (FAILED(
            owned->OpenStream(wide(name).c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream)) ||
        stream == nullptr)
        return nullptr;
    return std::make_unique<StorageStream>(owned.release(), stream);
}

} // namespace quillan
