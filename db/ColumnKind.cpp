#include "ColumnKind.h"

#include "oci_abi.h"

ColumnKind ColumnKindFromSqlt(uint16_t code) {
    switch (code) {
    case SQLT_CHR: return ColumnKind::Chr;
    case SQLT_NUM: return ColumnKind::Num;
    case SQLT_INT: return ColumnKind::Int;
    case SQLT_FLT: return ColumnKind::Flt;
    case SQLT_LNG: return ColumnKind::Lng;
    case SQLT_VCS: return ColumnKind::Vcs;
    case SQLT_RID: return ColumnKind::Rid;
    case SQLT_DAT: return ColumnKind::Dat;
    case SQLT_BIN: return ColumnKind::Bin;
    case SQLT_LBI: return ColumnKind::Lbi;
    case SQLT_AFC: return ColumnKind::Afc;
    case SQLT_RDD: return ColumnKind::Rdd;
    case SQLT_CLOB: return ColumnKind::Clob;
    case SQLT_BLOB: return ColumnKind::Blob;
    case SQLT_VNU: return ColumnKind::Vnu;
    case SQLT_VBI: return ColumnKind::Vbi;
    case SQLT_UIN: return ColumnKind::Uin;
    case SQLT_LVC: return ColumnKind::Lvc;
    case SQLT_LVB: return ColumnKind::Lvb;
    case SQLT_AVC: return ColumnKind::Avc;
    case SQLT_FILE: return ColumnKind::File;
    default: return ColumnKind::Unsupported;
    }
}

const char* SqltName(uint16_t code) {
    switch (code) {
    case 1: return "SQLT_CHR";
    case 2: return "SQLT_NUM";
    case 3: return "SQLT_INT";
    case 4: return "SQLT_FLT";
    case 5: return "SQLT_STR";
    case 6: return "SQLT_VNU";
    case 8: return "SQLT_LNG";
    case 9: return "SQLT_VCS";
    case 11: return "SQLT_RID";
    case 12: return "SQLT_DAT";
    case 15: return "SQLT_VBI";
    case 23: return "SQLT_BIN";
    case 24: return "SQLT_LBI";
    case 68: return "SQLT_UIN";
    case 94: return "SQLT_LVC";
    case 95: return "SQLT_LVB";
    case 96: return "SQLT_AFC";
    case 97: return "SQLT_AVC";
    case 104: return "SQLT_RDD";
    case 108: return "SQLT_NTY";
    case 110: return "SQLT_REF";
    case 112: return "SQLT_CLOB";
    case 113: return "SQLT_BLOB";
    case 114: return "SQLT_FILE";
    case 155: return "SQLT_VST";
    case 156: return "SQLT_ODT";
    default: return "(Unsupported type)";
    }
}

DefineRule DefineRuleFor(ColumnKind kind, uint16_t dataSize) {
    constexpr int32_t kLarge = 65536;
    // A value size derived from the column's data size may not exceed the buffer behind it.
    auto bounded = [](int32_t size) { return size < kLarge ? size : kLarge; };
    switch (kind) {
    case ColumnKind::Chr:
    case ColumnKind::Vcs:
    case ColumnKind::Afc: return {DefineMethod::Chars, kLarge, bounded(int32_t(dataSize) + 1)};
    case ColumnKind::Avc: return {DefineMethod::Chars, kLarge, bounded(int32_t(dataSize) + 2)};
    case ColumnKind::Num:
    case ColumnKind::Int:
    case ColumnKind::Flt:
    case ColumnKind::Rid:
    case ColumnKind::Dat:
    case ColumnKind::Vnu:
    case ColumnKind::Uin:
    case ColumnKind::Lvb:
    case ColumnKind::Rdd:
    case ColumnKind::Vbi:
    case ColumnKind::Lvc: return {DefineMethod::Chars, 128, 128};
    case ColumnKind::Lng:
    case ColumnKind::Lbi: return {DefineMethod::Chars, kLarge, kLarge};
    case ColumnKind::Bin: return {DefineMethod::Chars, 4096, 4096};
    case ColumnKind::Clob: return {DefineMethod::Clob, 128, 0};
    case ColumnKind::Blob: return {DefineMethod::Blob, 128, 0};
    case ColumnKind::File: return {DefineMethod::Bfile, 128, 0};
    default: return {};
    }
}

const char* PlaceholderText(ColumnKind kind) {
    switch (kind) {
    case ColumnKind::Clob: return "(SQLT_CLOB)";
    case ColumnKind::Blob: return "(SQLT_BLOB)";
    case ColumnKind::File: return "(SQLT_FILE)";
    case ColumnKind::Nty: return "(SQLT_NTY)";
    case ColumnKind::Ref: return "(SQLT_REF)";
    default: return nullptr;
    }
}

bool IsTextKind(ColumnKind kind) {
    int k = static_cast<int>(kind);
    return (k >= 1 && k <= 12) || (k >= 16 && k <= 21);
}
