#pragma once
// What a QCollator can be trusted with on this platform.
//
// Qt's sort keys on Windows (6.4) are made from the byte count LCMapStringW gives as a count of
// UTF-16 units: half of each key is left uninitialised, and the bytes are compared two by two as
// one unit. Two texts then order by chance, differently from one run to the next. There a list is
// ordered with the collator's own comparison (CompareStringEx), which is right, only slower.

namespace vx::collation {

#ifdef _WIN32
inline constexpr bool kSortKeysOrderTexts = false;
#else
inline constexpr bool kSortKeysOrderTexts = true;
#endif

} // namespace vx::collation
