#include "platform/db/RecordFilter.h"

#include "platform/db/Connection.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <stdexcept>
#include <utility>

namespace quillan::db {

namespace {

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

enum class Op { Eq, Ne, Lt, Gt, Le, Ge, Like };

struct Literal {
    enum Kind { Text, Number, Null } kind = Null;
    std::string text; // the literal as written (without quotes for text)
    double number = 0;
};

struct Token {
    enum Kind { Name, Text, Number, Symbol, End } kind = End;
    std::string text;
};

class Lexer {
public:
    explicit Lexer(std::string_view s) : s_(s) {}

    Token next() {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_])))
            ++i_;
        if (i_ >= s_.size())
            return {Token::End, {}};
        const char c = s_[i_];
        if (c == '\'')
            return quoted();
        if (c == '[') {
            const auto close = s_.find(']', i_);
            if (close == std::string_view::npos)
                throw std::invalid_argument("unclosed [");
            Token t{Token::Name, std::string(s_.substr(i_ + 1, close - i_ - 1))};
            i_ = close + 1;
            return t;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.') {
            const auto start = i_++;
            while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '.'))
                ++i_;
            return {Token::Number, std::string(s_.substr(start, i_ - start))};
        }
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            const auto start = i_;
            while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '_'))
                ++i_;
            return {Token::Name, std::string(s_.substr(start, i_ - start))};
        }
        for (std::string_view sym : {"<>", "<=", ">=", "!=", "=", "<", ">", "(", ")"}) {
            if (s_.substr(i_, sym.size()) == sym) {
                i_ += sym.size();
                return {Token::Symbol, std::string(sym)};
            }
        }
        throw std::invalid_argument("unexpected character");
    }

private:
    Token quoted() {
        std::string out;
        for (++i_; i_ < s_.size(); ++i_) {
            if (s_[i_] == '\'') {
                if (i_ + 1 < s_.size() && s_[i_ + 1] == '\'') {
                    out += '\'';
                    ++i_;
                    continue;
                }
                ++i_;
                return {Token::Text, out};
            }
            out += s_[i_];
        }
        throw std::invalid_argument("unterminated text");
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

std::optional<double> toNumber(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double d = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return d;
}

bool likeNoCase(std::string_view text, std::string_view pattern) {
    // Iterative wildcard match with one backtrack point: linear enough for field values.
    std::size_t t = 0, p = 0, starP = std::string_view::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '%' || pattern[p] == '*')) {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && (pattern[p] == '_' || lower(pattern[p]) == lower(text[t]))) {
            ++p;
            ++t;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && (pattern[p] == '%' || pattern[p] == '*'))
        ++p;
    return p == pattern.size();
}

template <typename T> bool holds(Op op, const T& a, const T& b) {
    switch (op) {
    case Op::Eq:
        return a == b;
    case Op::Ne:
        return a != b;
    case Op::Lt:
        return a < b;
    case Op::Gt:
        return a > b;
    case Op::Le:
        return a <= b;
    case Op::Ge:
        return a >= b;
    case Op::Like:
        break;
    }
    return false;
}

bool holdsText(Op op, std::string_view a, std::string_view b) {
    return holds(op, compareNoCase(a, b), 0);
}

bool compare(const Value& v, Op op, const Literal& lit) {
    if (lit.kind == Literal::Null)
        return op == Op::Eq ? v.isNull() : !v.isNull();
    if (v.isNull())
        return false;
    const auto& raw = v.raw();
    if (op == Op::Like)
        return likeNoCase(v.asText(), lit.text);
    if (std::holds_alternative<DateTime>(raw)) {
        if (auto d = DateTime::parse(lit.text))
            return holds(op, std::get<DateTime>(raw), *d);
        return holdsText(op, v.asText(), lit.text);
    }
    const bool valueIsNumber =
        std::holds_alternative<std::int64_t>(raw) || std::holds_alternative<double>(raw);
    if (valueIsNumber || lit.kind == Literal::Number) {
        const auto a = valueIsNumber ? std::optional<double>(v.asDouble()) : toNumber(v.asText());
        const auto b = lit.kind == Literal::Number ? std::optional<double>(lit.number) : toNumber(lit.text);
        if (a && b)
            return holds(op, *a, *b);
    }
    return holdsText(op, v.asText(), lit.text);
}

} // namespace

struct RecordFilter::Node {
    enum Kind { And, Or, Compare } kind = Compare;
    std::unique_ptr<Node> left, right;
    std::size_t column = 0;
    Op op = Op::Eq;
    Literal literal;

    bool eval(const std::vector<Value>& row) const {
        switch (kind) {
        case And:
            return left->eval(row) && right->eval(row);
        case Or:
            return left->eval(row) || right->eval(row);
        case Compare:
            break;
        }
        return column < row.size() && compare(row[column], op, literal);
    }
};

namespace {

using NodePtr = std::unique_ptr<RecordFilter::Node>;

class Parser {
public:
    Parser(std::string_view condition, const std::vector<std::string>& columns)
        : lex_(condition), columns_(columns) {
        advance();
    }

    NodePtr parseAll() {
        auto n = orExpr();
        if (tok_.kind != Token::End)
            throw std::invalid_argument("unexpected '" + tok_.text + "'");
        return n;
    }

private:
    bool keyword(std::string_view word) const {
        return tok_.kind == Token::Name && equalsNoCase(tok_.text, word);
    }
    void advance() { tok_ = lex_.next(); }

    NodePtr join(RecordFilter::Node::Kind kind, NodePtr l, NodePtr r) {
        auto n = std::make_unique<RecordFilter::Node>();
        n->kind = kind;
        n->left = std::move(l);
        n->right = std::move(r);
        return n;
    }

    NodePtr orExpr() {
        auto n = andExpr();
        while (keyword("OR")) {
            advance();
            n = join(RecordFilter::Node::Or, std::move(n), andExpr());
        }
        return n;
    }

    NodePtr andExpr() {
        auto n = factor();
        while (keyword("AND")) {
            advance();
            n = join(RecordFilter::Node::And, std::move(n), factor());
        }
        return n;
    }

    NodePtr factor() {
        if (tok_.kind == Token::Symbol && tok_.text == "(") {
            advance();
            auto n = orExpr();
            if (!(tok_.kind == Token::Symbol && tok_.text == ")"))
                throw std::invalid_argument("missing )");
            advance();
            return n;
        }
        return comparison();
    }

    NodePtr comparison() {
        if (tok_.kind != Token::Name)
            throw std::invalid_argument("a column name was expected");
        auto n = std::make_unique<RecordFilter::Node>();
        n->column = columnIndex(tok_.text);
        advance();
        n->op = op();
        advance();
        n->literal = literal();
        if (n->literal.kind == Literal::Null && n->op != Op::Eq && n->op != Op::Ne)
            throw std::invalid_argument("NULL can only be compared with = or <>");
        advance();
        return n;
    }

    std::size_t columnIndex(const std::string& name) const {
        for (std::size_t i = 0; i < columns_.size(); ++i)
            if (equalsNoCase(columns_[i], name))
                return i;
        throw std::invalid_argument("unknown column '" + name + "'");
    }

    Op op() const {
        if (keyword("LIKE"))
            return Op::Like;
        if (tok_.kind == Token::Symbol) {
            const auto& s = tok_.text;
            if (s == "=")
                return Op::Eq;
            if (s == "<>" || s == "!=")
                return Op::Ne;
            if (s == "<")
                return Op::Lt;
            if (s == ">")
                return Op::Gt;
            if (s == "<=")
                return Op::Le;
            if (s == ">=")
                return Op::Ge;
        }
        throw std::invalid_argument("a comparison operator was expected");
    }

    Literal literal() const {
        Literal lit;
        if (tok_.kind == Token::Text) {
            lit.kind = Literal::Text;
            lit.text = tok_.text;
        } else if (tok_.kind == Token::Number) {
            auto d = toNumber(tok_.text);
            if (!d)
                throw std::invalid_argument("bad number '" + tok_.text + "'");
            lit.kind = Literal::Number;
            lit.text = tok_.text;
            lit.number = *d;
        } else if (keyword("NULL")) {
            lit.kind = Literal::Null;
        } else {
            throw std::invalid_argument("a value was expected");
        }
        return lit;
    }

    Lexer lex_;
    const std::vector<std::string>& columns_;
    Token tok_;
};

} // namespace

RecordFilter::RecordFilter(std::unique_ptr<Node> root) : root_(std::move(root)) {}
RecordFilter::RecordFilter(RecordFilter&&) noexcept = default;
RecordFilter& RecordFilter::operator=(RecordFilter&&) noexcept = default;
RecordFilter::~RecordFilter() = default;

RecordFilter RecordFilter::parse(std::string_view condition, const std::vector<std::string>& columns) {
    try {
        return RecordFilter(Parser(condition, columns).parseAll());
    } catch (const std::invalid_argument& e) {
        throw DbError("Invalid filter \"" + std::string(condition) + "\": " + e.what());
    }
}

bool RecordFilter::matches(const std::vector<Value>& row) const {
    return root_->eval(row);
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

int compareNoCase(std::string_view a, std::string_view b) {
    const auto n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(lower(a[i]));
        const auto cb = static_cast<unsigned char>(lower(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace quillan::db
