#pragma once
// One field value as a recordset holds it. NULL is kept distinct from every other value.
#include "platform/DateTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace quillan::db {

class Value {
public:
    Value() = default; // NULL
    Value(std::int64_t v) : v_(v) {}
    Value(int v) : v_(static_cast<std::int64_t>(v)) {}
    Value(double v) : v_(v) {}
    Value(std::string v) : v_(std::move(v)) {}
    Value(const char* v) : v_(std::string(v)) {}
    Value(DateTime v) : v_(v) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(v_); }

    // Typed reads convert as the original data-access layer did (a numeric text reads as a number,
    // a date text as a date). Each throws DbError when the value is NULL or cannot be converted;
    // callers that accept NULL test isNull() first or use the *Or variants.
    std::int64_t asInt() const;
    double asDouble() const;
    std::string asText() const; // numbers in their shortest exact text, dates as "YYYY-MM-DD HH:MM:SS"
    DateTime asDate() const;

    std::string textOr(std::string fallback) const { return isNull() ? fallback : asText(); }
    std::optional<std::int64_t> intOrNull() const;

    const auto& raw() const { return v_; }
    bool operator==(const Value&) const = default;

private:
    std::variant<std::monostate, std::int64_t, double, std::string, DateTime> v_;
};

} // namespace quillan::db
