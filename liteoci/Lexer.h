// Tokens of Oracle-flavoured SQL and PL/SQL text. Comments and blanks are skipped; every token keeps
// its byte offset in the text as the user wrote it, so that errors can point back into it.
#ifndef LITEOCI_LEXER_H
#define LITEOCI_LEXER_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Errors.h"

namespace liteoci {

enum class Tok : uint8_t {
    Word,    // unquoted identifier or keyword
    QIdent,  // "quoted identifier"
    String,  // 'literal', N'literal' or q'[literal]'
    Number,  // 12, 1.5, .5, 1e3
    Bind,    // :name or :1
    Op,      // punctuation and operators, one to two characters
};

struct Token {
    Tok kind;
    uint32_t pos;  // byte offset in the text
    uint32_t len;  // bytes in the text
};

struct Lexed {
    std::vector<Token> toks;
    OraError error;  // ORA-00911 / 01756 / 01740 when the text cannot be split into tokens
};

Lexed Lex(std::string_view text);

// Helpers over one token of `text`.
std::string_view TokText(std::string_view text, const Token& t);
// Upper-cased word, or the content of a quoted identifier as written.
std::string IdentName(std::string_view text, const Token& t);
// The value of a string literal (quotes removed, doubled quotes undone, q-quoting resolved).
std::string StringValue(std::string_view text, const Token& t);
bool IsWord(std::string_view text, const Token& t, std::string_view upperWord);
// A name: a word or a quoted identifier.
inline bool IsName(const Token& t) { return t.kind == Tok::Word || t.kind == Tok::QIdent; }
// A name as a quoted identifier of SQLite's: in double quotes, each double quote doubled.
std::string QuoteIdentifier(std::string_view name);
bool IsOp(std::string_view text, const Token& t, std::string_view op);
std::string Upper(std::string_view s);

// 1-based line and column of a byte offset.
void LineColumn(std::string_view text, uint32_t offset, int& line, int& column);

}  // namespace liteoci

#endif
