#include "ColumnSlots.h"

#include "DBStmt.h"

#include <cstring>

bool ColumnSlots::DefineColumn(DBStmt& stmt, uint32_t index, ColumnKind kind, uint16_t dataSize) {
    if (index >= kMaxColumns)
        return false;
    DefineRule rule = DefineRuleFor(kind, dataSize);
    if (rule.method == DefineMethod::None)
        return false;
    kinds_[index] = kind;
    lengths_[index] = 0;
    indicators_[index] = 0;
    returnCodes_[index] = 0;
    // One byte beyond the value size, so that the terminating NUL of a full-length value still fits.
    buffers_[index] = std::make_unique<char[]>(static_cast<size_t>(rule.bufferSize) + 1);
    valueSizes_[index] = rule.valueSize;
    char* buffer = buffers_[index].get();
    uint32_t position = index + 1;
    auto* locator = reinterpret_cast<void**>(buffer);
    switch (rule.method) {
    case DefineMethod::Chars:
        stmt.DefineChars(position, buffer, rule.valueSize, &lengths_[index], &indicators_[index],
                         &returnCodes_[index]);
        break;
    case DefineMethod::Clob:
        stmt.DefineClob(position, locator, 0, &lengths_[index], &indicators_[index], &returnCodes_[index]);
        break;
    case DefineMethod::Blob:
        stmt.DefineBlob(position, locator, 0, &lengths_[index], &indicators_[index], &returnCodes_[index]);
        break;
    case DefineMethod::Bfile:
        stmt.DefineBfile(position, locator, 0, &lengths_[index], &indicators_[index], &returnCodes_[index]);
        break;
    case DefineMethod::None: break;
    }
    return true;
}

std::optional<std::string_view> ColumnSlots::CellText(uint32_t index) {
    if (index >= kMaxColumns)
        return std::nullopt;
    ColumnKind kind = kinds_[index];
    if (const char* placeholder = PlaceholderText(kind))
        return std::string_view(placeholder);
    if (!IsTextKind(kind) || !buffers_[index])
        return std::nullopt;
    // A NULL arrives with length 0 and shows as an empty cell; the indicator is not consulted.
    size_t length = lengths_[index];
    if (length > static_cast<size_t>(valueSizes_[index]))
        length = static_cast<size_t>(valueSizes_[index]);
    char* buffer = buffers_[index].get();
    buffer[length] = '\0';
    return std::string_view(buffer, std::strlen(buffer));
}

void ColumnSlots::Clear() {
    for (uint32_t i = 0; i < kMaxColumns; ++i) {
        buffers_[i].reset();
        kinds_[i] = ColumnKind::Unsupported;
        lengths_[i] = 0;
        indicators_[i] = 0;
        returnCodes_[i] = 0;
        valueSizes_[i] = 0;
    }
}
