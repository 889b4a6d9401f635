#pragma once
// The shared string table of an Excel 97 workbook: every distinct text of its cells once, as an SST
// record and, when longer than a record holds, CONTINUE records, followed by the EXTSST record that
// tells a reader where every eighth (or more) string starts.
#include "app/release/BiffRecords.h"

#include <vector>

namespace quillan::release::biff {

// A string's count and flags never part from its first character; a string that goes on in the
// next record starts it with its flags again; a two-byte character is never split.
class StringTable {
public:
    StringTable(std::uint32_t references, std::uint32_t unique) {
        bodies_.emplace_back().u32(references).u32(unique);
    }

    // Adds the next string (its index is the number of strings added before).
    void add(std::u16string_view text);

    // Writes the records at the stream's end, the EXTSST record last (string starts by stream
    // position and by offset within their record).
    void writeTo(Stream& s) const;

private:
    std::vector<Bytes> bodies_;
    std::vector<std::pair<std::size_t, std::size_t>> starts_; // (record, offset in its body) per string
    std::size_t room() const { return kMaxRecordBody - bodies_.back().size(); }
};

} // namespace quillan::release::biff
