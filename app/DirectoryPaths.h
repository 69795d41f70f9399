// The path rules of the directory chooser. Paths are absolute and clean, in
// Qt's form with "/" as separator; texts for display use native separators.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace tessel {

// The drive selector's text for a volume: its root path, then a blank and
// its label in lower case between square brackets when it has one.
QString VolumeCaption(const QString& rootPath, const QString& label);

// The volume that holds path: the longest of roots that path lies under;
// empty when none does.
QString VolumeRootOf(const QString& path, const QStringList& roots);

// The directories from root down to path, both included: the lines of the
// directory list above the subdirectories.
QStringList DirectoryLevels(const QString& path, const QString& root);

// path, shortened to fit maxWidth by putting "..." in place of leading
// directories (the root stays as long as it can); widthOf measures a text.
QString ElideLeadingDirectories(const QString& path, int maxWidth, const std::function<int(const QString&)>& widthOf);

}  // namespace tessel
