#include "platform/db/Value.h"

#include "platform/Text.h"

#include "platform/db/Connection.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

namespace quillan::db {

namespace {

[[noreturn]] void cannotConvert(const std::string& text, const char* to) {
    throw DbError("Cannot convert '" + text + "' to " + to);
}

[[noreturn]] void nullValue(const char* to) {
    throw DbError(std::string("Invalid use of NULL: a NULL value cannot be read as ") + to);
}

// A whole text that reads as a number; a leading '+' and surrounding blanks are allowed, as the
// original data-access layer allowed them.
std::optional<double> parseDouble(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    double d = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<std::int64_t> parseInt(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int64_t i = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), i);
    if (!text.empty() && ec == std::errc() && end == text.data() + text.size())
        return i;
    return std::nullopt;
}

// Whole-number conversion rounds half to even, as the original layer's integer conversion did.
std::optional<std::int64_t> roundToInt(double d) {
    const double r = std::nearbyint(d);
    // 2^63 itself is out of range; every double below it converts exactly.
    if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0))
        return std::nullopt;
    return static_cast<std::int64_t>(r);
}

std::string shortestText(double d) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);
    return ec == std::errc() ? std::string(buf, end) : std::to_string(d);
}

} // namespace

std::int64_t Value::asInt() const {
    if (auto* i = std::get_if<std::int64_t>(&v_))
        return *i;
    if (auto* d = std::get_if<double>(&v_)) {
        if (auto r = roundToInt(*d))
            return *r;
        cannotConvert(shortestText(*d), "a whole number");
    }
    if (auto* s = std::get_if<std::string>(&v_)) {
        if (auto i = parseInt(*s))
            return *i;
        if (auto d = parseDouble(*s))
            if (auto r = roundToInt(*d))
                return *r;
        cannotConvert(*s, "a whole number");
    }
    if (isNull())
        nullValue("a number");
    cannotConvert(asText(), "a whole number");
}

double Value::asDouble() const {
    if (auto* i = std::get_if<std::int64_t>(&v_))
        return static_cast<double>(*i);
    if (auto* d = std::get_if<double>(&v_))
        return *d;
    if (auto* s = std::get_if<std::string>(&v_)) {
        if (auto d = parseDouble(*s))
            return *d;
        cannotConvert(*s, "a number");
    }
    if (isNull())
        nullValue("a number");
    cannotConvert(asText(), "a number");
}

std::string Value::asText() const {
    if (auto* i = std::get_if<std::int64_t>(&v_))
        return std::to_string(*i);
    if (auto* d = std::get_if<double>(&v_))
        return shortestText(*d);
    if (auto* s = std::get_if<std::string>(&v_))
        return *s;
    if (auto* t = std::get_if<DateTime>(&v_))
        return t->iso();
    nullValue("text");
}

DateTime Value::asDate() const {
    if (auto* t = std::get_if<DateTime>(&v_))
        return *t;
    if (auto* s = std::get_if<std::string>(&v_)) {
        if (auto t = DateTime::parse(trimmed(*s)))
            return *t;
        cannotConvert(*s, "a date");
    }
    if (isNull())
        nullValue("a date");
    cannotConvert(asText(), "a date");
}

std::optional<std::int64_t> Value::intOrNull() const {
    if (isNull())
        return std::nullopt;
    return asInt();
}

} // namespace quillan::db
