#pragma once

#include <QStringList>

namespace tovallo::ui {

// The one table of grid column titles. Each grid takes its titles in order, continuing where the
// previous grid stopped: image table, string replace table, searched images, patch table; the
// change-link result grid reuses "Адрес" and the exclude-regions grid takes the last two.
const QStringList& GridTitleTable();
// `count` titles from `first`.
QStringList GridTitles(int first, int count);

inline constexpr int ImagesTitles = 0;     // 6 titles
inline constexpr int StrReplaceTitles = 6; // 7 titles
inline constexpr int Images09Titles = 13;  // 2 titles
inline constexpr int TableS3Titles = 15;   // 6 titles
inline constexpr int FindedTitle = 13;     // 1 title, "Адрес"
inline constexpr int ExcludesTitles = 22;  // 2 titles

} // namespace tovallo::ui
