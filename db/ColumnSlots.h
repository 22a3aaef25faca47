// The per-column fetch slots of one query: a value buffer, returned length, kind, indicator and
// column return code for each of at most 1024 columns, defined by kind and turned into cell text.
//
// Thread contract: the UI thread defines and reads; the worker's fetches write into the buffers only
// while the UI thread is not reading them (the worker waits for the grid between two fetches).
#pragma once

#include "ColumnKind.h"
#include "DBConnect.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class DBStmt;

class ColumnSlots {
public:
    static constexpr uint32_t kMaxColumns = 1024;

    // Allocates the buffer of column `index` (0-based) by its kind and defines it at position index + 1.
    // Returns false when the kind has no define rule; throws DBStmt::OtherException from the define.
    bool DefineColumn(DBStmt& stmt, uint32_t index, ColumnKind kind, uint16_t dataSize);

    // The text of column `index` for the row now in the buffers; nullopt for a kind without one.
    // The view is valid until the next fetch or Clear.
    std::optional<std::string_view> CellText(uint32_t index);

    // Reads the LOB cells of the row now in the buffers through their locators: a CLOB's whole text
    // (one client call for a text of up to kLobFirstRead characters, a few more for a longer one), a
    // BLOB's size. Call it after each fetch, before CellText. False, with the client's error text in
    // `error`, when a read fails; a client without LOB reads leaves the type's name in the cells.
    bool ReadLobCells(DBStmt& stmt, std::string& error);
    static constexpr uint32_t kLobFirstRead = DBConnect::kLobPrefetchSize;
    static constexpr uint64_t kLobTextCap = 64u << 20; // characters kept of one CLOB

    // Frees every buffer; the slots stay usable for the next query.
    void Clear();

    ColumnKind Kind(uint32_t index) const { return index < kMaxColumns ? kinds_[index] : ColumnKind::Unsupported; }
    uint16_t ReturnedLength(uint32_t index) const { return index < kMaxColumns ? lengths_[index] : 0; }
    // True when the row now in the buffers holds NULL in column `index`.
    bool IsNull(uint32_t index) const { return index < kMaxColumns && indicators_[index] == -1; }
    int16_t Indicator(uint32_t index) const { return index < kMaxColumns ? indicators_[index] : 0; }
    uint16_t ReturnCode(uint32_t index) const { return index < kMaxColumns ? returnCodes_[index] : 0; }
    bool HasBuffer(uint32_t index) const { return index < kMaxColumns && buffers_[index] != nullptr; }

private:
    std::array<std::unique_ptr<char[]>, kMaxColumns> buffers_;
    std::array<int32_t, kMaxColumns> valueSizes_{};
    std::array<uint16_t, kMaxColumns> lengths_{};
    std::array<ColumnKind, kMaxColumns> kinds_{};
    std::array<int16_t, kMaxColumns> indicators_{};
    std::array<uint16_t, kMaxColumns> returnCodes_{};
    std::vector<std::string> lobTexts_; // by column, once a LOB column is defined
    std::vector<bool> lobRead_;
};
