#pragma once
// The bounds of what an import reads, far beyond any real agency's Request (a few hundred persons)
// and low enough that a hostile or broken file cannot take the computer's memory or disk. A file
// beyond them is refused, in Italian, before it is read or unpacked. The README lists them.

#include <QString>

namespace vx {

namespace roles {
inline constexpr int kRows = 100000;                      // data rows of any file
inline constexpr qint64 kTextBytes = 32ll << 20;          // a text file
inline constexpr qint64 kSheetBytes = 128ll << 20;        // the worksheet as unpacked (xlsx, ods)
inline constexpr qint64 kSharedStringsBytes = 64ll << 20; // the shared strings as unpacked (xlsx)
inline constexpr qint64 kPartBytes = 16ll << 20;          // any other part read (workbook, styles)
inline constexpr qint64 kLegacyBytes = 64ll << 20;        // a legacy .xls file
inline constexpr int kCellText = 32767;                   // characters of one cell, as office programs allow
} // namespace roles

// Why a file was not read.
struct ReadFailure {
    enum class Kind { None, Unreadable, TooLarge } kind = Kind::None;
    QString reason; // in Italian, for the command line; empty when none

    explicit operator bool() const { return kind != Kind::None; }
};

} // namespace vx
