#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#include "store/StoreError.h"

// Records are numbered with 32-bit signed numbers, so a store holds at most
// this many; every count is checked against it before it is narrowed.
constexpr std::size_t MaxRecords = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

inline std::int32_t checkedRecordNumber(std::size_t count)
{
    if (count > MaxRecords)
        throw StoreError("More records than a record number can count (2147483647).");
    return static_cast<std::int32_t>(count);
}
