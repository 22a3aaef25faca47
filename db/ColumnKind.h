// The program's own numbering of column data types, how each kind is defined for fetching, and how a
// fetched value becomes the text of a grid cell. Every scalar column is fetched as characters, so the
// server's session settings decide how numbers and dates read.
#pragma once

#include <cstdint>

enum class ColumnKind : int32_t {
    Unsupported = 0,
    Chr = 1,
    Num = 2,
    Int = 3,
    Flt = 4,
    Lng = 5,
    Vcs = 6,
    Rid = 7,
    Dat = 8,
    Bin = 9,
    Lbi = 10,
    Afc = 11,
    Rdd = 12,
    Clob = 13,
    Blob = 14,
    Vnu = 16,
    Vbi = 17,
    Uin = 18,
    Lvc = 19,
    Lvb = 20,
    Avc = 21,
    Nty = 22, // never produced by a describe; has a display text
    Ref = 23, // never produced by a describe; has a display text
    File = 24,
};

// The kind of an SQLT code, or Unsupported for a code the program refuses.
ColumnKind ColumnKindFromSqlt(uint16_t sqltCode);

// The name that words a refusal: "SQLT_NTY", ..., or "(Unsupported type)".
const char* SqltName(uint16_t sqltCode);

enum class DefineMethod { Chars, Clob, Blob, Bfile, None };

struct DefineRule {
    DefineMethod method = DefineMethod::None;
    int32_t bufferSize = 0; // bytes allocated for the value
    int32_t valueSize = 0;  // size given to the define; never larger than bufferSize
};

// How a column of this kind and data size is defined. Method None: the kind has no define rule.
DefineRule DefineRuleFor(ColumnKind kind, uint16_t dataSize);

// Placeholder text for kinds whose contents are never read, or null for the kinds that carry text.
const char* PlaceholderText(ColumnKind kind);

// True for the kinds whose cell text is the fetched characters.
bool IsTextKind(ColumnKind kind);
