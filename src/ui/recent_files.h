// The recent-files list: the last files opened, imported or saved, newest
// first, without repeats, as the settings store keeps it (one path a line).
#pragma once

#include <QStringList>

namespace tessaline {

inline constexpr int max_recent_files = 10;
// The settings key of the list.
inline constexpr const char* recent_files_key = "recent_files";

// `path` put first, an earlier entry of it dropped, the list cut to its length.
QStringList with_recent_file(QStringList list, const QString& path);

QStringList recent_files_from_text(const QString& text);
QString recent_files_text(const QStringList& list);

} // namespace tessaline
