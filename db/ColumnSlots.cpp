#include "ColumnSlots.h"

#include "DBStmt.h"

#include <algorithm>
#include <cstring>
#include <string>

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
    if (kind == ColumnKind::Clob || kind == ColumnKind::Blob) {
        if (lobTexts_.size() <= index) {
            lobTexts_.resize(index + 1);
            lobRead_.resize(index + 1, false);
        }
        lobRead_[index] = false;
    }
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

bool ColumnSlots::ReadLobCells(DBStmt& stmt, std::string& error) {
    if (lobTexts_.empty() || !stmt.CanReadLobs())
        return true;
    for (uint32_t i = 0; i < kMaxColumns && i < lobTexts_.size(); ++i) {
        const ColumnKind kind = kinds_[i];
        if (kind != ColumnKind::Clob && kind != ColumnKind::Blob)
            continue;
        std::string& text = lobTexts_[i];
        text.clear();
        lobRead_[i] = true;
        if (IsNull(i) || !buffers_[i])
            continue;
        void* locator = *reinterpret_cast<void**>(buffers_[i].get());
        try {
            if (kind == ColumnKind::Blob) {
                text = "(BLOB, " + std::to_string(stmt.LobLength(locator)) + " bytes)";
                continue;
            }
            // Most texts come whole with the first read; a longer one is read on from where it stopped.
            uint64_t got = stmt.ReadLob(locator, true, 1, kLobFirstRead, text);
            if (got < kLobFirstRead)
                continue;
            const uint64_t length = std::min<uint64_t>(stmt.LobLength(locator), kLobTextCap);
            uint64_t offset = got + 1;
            while (offset <= length) {
                const uint32_t chunk = static_cast<uint32_t>(std::min<uint64_t>(length - offset + 1, 1u << 20));
                got = stmt.ReadLob(locator, true, offset, chunk, text);
                if (got == 0)
                    break;
                offset += got;
            }
        } catch (const DBStmt::OtherException&) {
            lobRead_[i] = false;
            error = stmt.ErrorText();
            return false;
        }
    }
    return true;
}

std::optional<std::string_view> ColumnSlots::CellText(uint32_t index) {
    if (index >= kMaxColumns)
        return std::nullopt;
    ColumnKind kind = kinds_[index];
    if ((kind == ColumnKind::Clob || kind == ColumnKind::Blob) && index < lobRead_.size() && lobRead_[index])
        return std::string_view(lobTexts_[index]);
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
    lobTexts_.clear();
    lobRead_.clear();
}
