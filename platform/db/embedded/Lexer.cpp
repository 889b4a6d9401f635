#include "platform/db/embedded/Lexer.h"

#include "platform/Text.h"
#include "platform/db/Connection.h"

#include <cctype>

namespace quillan::db::embedded {

namespace {

bool identStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '#' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool identPart(char c) {
    return identStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '$' || c == '@';
}

// Bytes of the blank at s[i], 0 when there is none. Besides ASCII white space, the blanks an editor
// or a copy from a web page leaves in a script count: the byte-order mark (U+FEFF, also the
// zero-width no-break space), the no-break space U+00A0, the zero-width space U+200B, the word
// joiner U+2060 and Unicode's other space separators. Outside literals they separate tokens.
std::size_t blankAt(std::string_view s, std::size_t i) {
    auto byte = [&](std::size_t k) { return k < s.size() ? static_cast<unsigned char>(s[k]) : 0u; };
    unsigned b0 = byte(i), b1 = byte(i + 1), b2 = byte(i + 2);
    if (b0 < 0x80)
        return std::isspace(static_cast<int>(b0)) ? 1 : 0;
    if (b0 == 0xC2 && b1 == 0xA0)
        return 2;
    unsigned cp = ((b0 & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
    if ((b0 & 0xF0u) != 0xE0u || (b1 & 0xC0u) != 0x80u || (b2 & 0xC0u) != 0x80u)
        return 0;
    bool blank = cp == 0xFEFF || cp == 0x1680 || (cp >= 0x2000 && cp <= 0x200B) || cp == 0x2028 ||
                 cp == 0x2029 || cp == 0x202F || cp == 0x205F || cp == 0x2060 || cp == 0x3000;
    return blank ? 3 : 0;
}

} // namespace

// The console's own case helpers, under the short names the engine's code reads best with.
bool iequals(std::string_view a, std::string_view b) {
    return equalsNoCase(a, b);
}

std::string upper(std::string_view s) {
    return upperCase(s);
}

std::string lower(std::string_view s) {
    return lowerCase(s);
}

bool Token::is(std::string_view word) const {
    return kind == Tok::Ident && !quoted && iequals(text, word);
}

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> out;
    std::size_t i = 0;
    auto push = [&](Tok k, std::string text) {
        out.push_back(Token{k, std::move(text)});
        return &out.back();
    };
    while (i < s.size()) {
        char c = s[i];
        if (std::size_t blank = blankAt(s, i)) {
            i += blank;
        } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            while (i < s.size() && s[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            // T-SQL block comments nest.
            int depth = 0;
            do {
                if (i + 1 >= s.size())
                    throw DbError("Missing end comment mark '*/'.");
                if (s[i] == '/' && s[i + 1] == '*') {
                    ++depth;
                    i += 2;
                } else if (s[i] == '*' && s[i + 1] == '/') {
                    --depth;
                    i += 2;
                } else {
                    ++i;
                }
            } while (depth > 0);
        } else if (c == '\'' || ((c == 'N' || c == 'n') && i + 1 < s.size() && s[i + 1] == '\'')) {
            bool uni = c != '\'';
            i += uni ? 2 : 1;
            std::string text;
            for (;;) {
                if (i >= s.size())
                    throw DbError("Unclosed quotation mark after the character string '" + text + "'.");
                if (s[i] == '\'') {
                    if (i + 1 < s.size() && s[i + 1] == '\'') {
                        text += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += s[i++];
            }
            push(Tok::String, std::move(text));
        } else if (c == '[' || c == '"') {
            char close = c == '[' ? ']' : '"';
            ++i;
            std::string text;
            for (;;) {
                if (i >= s.size())
                    throw DbError("Unclosed quoted identifier beginning with " + std::string(1, c) + text);
                if (s[i] == close) {
                    if (i + 1 < s.size() && s[i + 1] == close) {
                        text += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += s[i++];
            }
            push(Tok::Ident, std::move(text))->quoted = true;
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            std::size_t b = i;
            if (c == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
                i += 2;
                while (i < s.size() && std::isxdigit(static_cast<unsigned char>(s[i])))
                    ++i;
            } else {
                while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.'))
                    ++i;
                if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
                    std::size_t j = i + 1;
                    if (j < s.size() && (s[j] == '+' || s[j] == '-'))
                        ++j;
                    if (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
                        i = j;
                        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
                            ++i;
                    }
                }
            }
            push(Tok::Number, std::string(s.substr(b, i - b)));
        } else if (identStart(c) || c == '@') {
            std::size_t b = i;
            bool var = c == '@';
            ++i;
            while (i < s.size() && identPart(s[i]) && !blankAt(s, i))
                ++i;
            push(var ? Tok::Variable : Tok::Ident, std::string(s.substr(b, i - b)));
        } else if (c == '(') {
            push(Tok::LParen, "(");
            ++i;
        } else if (c == ')') {
            push(Tok::RParen, ")");
            ++i;
        } else if (c == ',') {
            push(Tok::Comma, ",");
            ++i;
        } else if (c == '.') {
            push(Tok::Dot, ".");
            ++i;
        } else if (c == ';') {
            push(Tok::Semicolon, ";");
            ++i;
        } else {
            static const char* const two[] = {"<>", "!=", "<=", ">=", "!<", "!>", "+=", "-=", "*=", "/="};
            std::string op(1, c);
            for (const char* t : two)
                if (s.substr(i, 2) == t)
                    op = t;
            if (op.size() == 1 && std::string_view("+-*/%=<>&|^~").find(c) == std::string_view::npos)
                throw DbError(std::string("Incorrect syntax near '") + c + "'.");
            i += op.size();
            push(Tok::Op, std::move(op));
        }
    }
    return out;
}

std::string quoteIdent(std::string_view name) {
    std::string r = "\"";
    for (char c : name) {
        if (c == '"')
            r += '"';
        r += c;
    }
    return r + "\"";
}

std::string canonicalDateText(std::string_view text) {
    static constexpr std::string_view shape = "dddd-dd-ddTdd:dd:dd";
    if (text.size() < shape.size() || (text.size() > shape.size() && text[shape.size()] != '.'))
        return std::string(text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char want = i < shape.size() ? shape[i] : (i == shape.size() ? '.' : 'd');
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (want == 'd' ? !digit : text[i] != want)
            return std::string(text);
    }
    std::string out(text);
    out[10] = ' ';
    return out;
}

// Literals go through the console's one quoting helper, which also refuses a NUL that would cut
// the statement short.
std::string quoteLiteral(std::string_view text) {
    return sqlQuote(text);
}

} // namespace quillan::db::embedded
