#pragma once
// The pieces every record of an Excel 97 workbook stream is made of: little-endian bytes, the
// characters of a string (one byte each when all are below U+0100, the "compressed" form, else
// two), and records (type, length, body) appended to the stream.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillan::release::biff {

// A record's body holds at most this many bytes; a longer string table goes on in CONTINUE records.
constexpr std::size_t kMaxRecordBody = 8224;

// Little-endian bytes.
class Bytes {
public:
    Bytes& u8(std::uint8_t v) {
        s_ += static_cast<char>(v);
        return *this;
    }
    Bytes& u16(std::uint16_t v) {
        return u8(static_cast<std::uint8_t>(v & 0xFF)).u8(static_cast<std::uint8_t>(v >> 8));
    }
    Bytes& u32(std::uint32_t v) {
        return u16(static_cast<std::uint16_t>(v & 0xFFFF)).u16(static_cast<std::uint16_t>(v >> 16));
    }
    Bytes& f64(double v) {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        return u32(static_cast<std::uint32_t>(bits)).u32(static_cast<std::uint32_t>(bits >> 32));
    }
    // Characters one byte each (all below U+0100: the "compressed" form) or two.
    Bytes& chars(std::u16string_view text, bool twoBytes) {
        for (char16_t ch : text)
            twoBytes ? u16(ch) : u8(static_cast<std::uint8_t>(ch));
        return *this;
    }
    Bytes& raw(const Bytes& more) {
        s_ += more.s_;
        return *this;
    }
    const std::string& str() const { return s_; }
    std::size_t size() const { return s_.size(); }

private:
    std::string s_;
};

inline bool needsTwoBytes(std::u16string_view text) {
    return std::any_of(text.begin(), text.end(), [](char16_t ch) { return ch > 0xFF; });
}

class Stream {
public:
    void record(std::uint16_t type, const Bytes& body) {
        Bytes header;
        header.u16(type).u16(static_cast<std::uint16_t>(body.size()));
        out_ += header.str();
        out_ += body.str();
    }
    std::size_t size() const { return out_.size(); }
    std::string& str() { return out_; }

private:
    std::string out_;
};

} // namespace quillan::release::biff
