#include "Lexer.h"

#include <cstring>

namespace liteoci {
namespace {

bool IsWordStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80; }
bool IsWordChar(unsigned char c) {
    return IsWordStart(c) || (c >= '0' && c <= '9') || c == '_' || c == '$' || c == '#';
}
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

char ClosingQuote(char open) {
    switch (open) {
        case '[': return ']';
        case '{': return '}';
        case '(': return ')';
        case '<': return '>';
        default: return open;
    }
}

}  // namespace

Lexed Lex(std::string_view s) {
    Lexed out;
    out.toks.reserve(s.size() / 3 + 4);
    const size_t n = s.size();
    size_t i = 0;
    auto push = [&](Tok k, size_t start, size_t end) {
        out.toks.push_back(Token{k, static_cast<uint32_t>(start), static_cast<uint32_t>(end - start)});
    };
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        if (c == '-' && i + 1 < n && s[i + 1] == '-') {
            while (i < n && s[i] != '\n') ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            size_t end = s.find("*/", i + 2);
            if (end == std::string_view::npos) {
                out.error = MakeErrorAt(static_cast<int>(i), 1742);
                return out;
            }
            i = end + 2;
            continue;
        }
        size_t start = i;
        // q'[...]' and nq'[...]' alternative quoting
        if ((c == 'q' || c == 'Q') && i + 2 < n && s[i + 1] == '\'') {
            char close = ClosingQuote(s[i + 2]);
            size_t j = i + 3;
            while (j + 1 < n && !(s[j] == close && s[j + 1] == '\'')) ++j;
            if (j + 1 >= n) {
                out.error = MakeErrorAt(static_cast<int>(start), 1756);
                return out;
            }
            push(Tok::String, start, j + 2);
            i = j + 2;
            continue;
        }
        if ((c == 'n' || c == 'N') && i + 1 < n && s[i + 1] == '\'') ++i, c = '\'';
        if (c == '\'') {
            size_t j = i + 1;
            for (;;) {
                if (j >= n) {
                    out.error = MakeErrorAt(static_cast<int>(start), 1756);
                    return out;
                }
                if (s[j] == '\'') {
                    if (j + 1 < n && s[j + 1] == '\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            push(Tok::String, start, j + 1);
            i = j + 1;
            continue;
        }
        if (c == '"') {
            size_t end = s.find('"', i + 1);
            if (end == std::string_view::npos || end == i + 1) {
                out.error = MakeErrorAt(static_cast<int>(start), 1740);
                return out;
            }
            push(Tok::QIdent, start, end + 1);
            i = end + 1;
            continue;
        }
        if (IsWordStart(c)) {
            while (i < n && IsWordChar(static_cast<unsigned char>(s[i]))) ++i;
            push(Tok::Word, start, i);
            continue;
        }
        if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(static_cast<unsigned char>(s[i + 1])))) {
            while (i < n && IsDigit(static_cast<unsigned char>(s[i]))) ++i;
            // "1..10" is a range, not a number followed by ".10"
            if (i < n && s[i] == '.' && !(i + 1 < n && s[i + 1] == '.')) {
                ++i;
                while (i < n && IsDigit(static_cast<unsigned char>(s[i]))) ++i;
            }
            if (i < n && (s[i] == 'e' || s[i] == 'E')) {
                size_t j = i + 1;
                if (j < n && (s[j] == '+' || s[j] == '-')) ++j;
                if (j < n && IsDigit(static_cast<unsigned char>(s[j]))) {
                    i = j;
                    while (i < n && IsDigit(static_cast<unsigned char>(s[i]))) ++i;
                }
            }
            push(Tok::Number, start, i);
            continue;
        }
        if (c == ':' && i + 1 < n &&
            (IsWordChar(static_cast<unsigned char>(s[i + 1])) && s[i + 1] != '$' && s[i + 1] != '#')) {
            ++i;
            while (i < n && IsWordChar(static_cast<unsigned char>(s[i]))) ++i;
            push(Tok::Bind, start, i);
            continue;
        }
        static const char* const kTwo[] = {"||", "<=", ">=", "<>", "!=", "^=", ":=", "=>", "..", "**"};
        bool two = false;
        if (i + 1 < n) {
            for (const char* op : kTwo) {
                if (s[i] == op[0] && s[i + 1] == op[1]) {
                    two = true;
                    break;
                }
            }
        }
        if (two) {
            push(Tok::Op, start, i + 2);
            i += 2;
            continue;
        }
        // (strchr finds the terminator too: a NUL byte is no operator but an invalid character)
        if (c != 0 && std::strchr("(),;.+-*/=<>@%", c) != nullptr) {
            push(Tok::Op, start, i + 1);
            ++i;
            continue;
        }
        out.error = MakeErrorAt(static_cast<int>(start), 911);
        return out;
    }
    return out;
}

std::string_view TokText(std::string_view text, const Token& t) { return text.substr(t.pos, t.len); }

std::string Upper(std::string_view s) {
    std::string r(s);
    for (char& ch : r)
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
    return r;
}

std::string IdentName(std::string_view text, const Token& t) {
    std::string_view v = TokText(text, t);
    if (t.kind == Tok::QIdent) return std::string(v.substr(1, v.size() - 2));
    return Upper(v);
}

std::string StringValue(std::string_view text, const Token& t) {
    std::string_view v = TokText(text, t);
    if (!v.empty() && (v[0] == 'n' || v[0] == 'N') && v.size() > 1 && v[1] == '\'') v.remove_prefix(1);
    if (!v.empty() && (v[0] == 'q' || v[0] == 'Q')) return std::string(v.substr(3, v.size() - 5));
    std::string r;
    r.reserve(v.size());
    for (size_t i = 1; i + 1 < v.size(); ++i) {
        r.push_back(v[i]);
        if (v[i] == '\'') ++i;
    }
    return r;
}

bool IsWord(std::string_view text, const Token& t, std::string_view upperWord) {
    if (t.kind != Tok::Word || t.len != upperWord.size()) return false;
    for (size_t i = 0; i < t.len; ++i) {
        char ch = text[t.pos + i];
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
        if (ch != upperWord[i]) return false;
    }
    return true;
}

bool IsOp(std::string_view text, const Token& t, std::string_view op) {
    return t.kind == Tok::Op && TokText(text, t) == op;
}

void LineColumn(std::string_view text, uint32_t offset, int& line, int& column) {
    line = 1;
    column = 1;
    for (uint32_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
}

std::string QuoteIdentifier(std::string_view name) {
    std::string r = "\"";
    for (char c : name) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + "\"";
}

}  // namespace liteoci
