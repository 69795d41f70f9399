#include "ScenarioList.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace tessel {

bool ScenarioPathLess(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; }

QStringList MergeScenarioPaths(const QStringList& existing, const QStringList& chosen)
{
    QStringList merged;
    merged.reserve(existing.size() + chosen.size());
    // Kept sorted while it grows, so that each path is found by a binary
    // search: lists of a few thousand maps stay quick.
    auto add = [&merged](const QString& path) {
        const auto place = std::lower_bound(merged.begin(), merged.end(), path, ScenarioPathLess);
        if (place == merged.end() || ScenarioPathLess(path, *place))
            merged.insert(place, path);
    };
    for (const QString& path : existing)
        add(path);
    for (const QString& path : chosen)
        add(path);
    return merged;
}

ListButtonStates ButtonStatesFor(int entryCount, int selectedCount)
{
    ListButtonStates states;
    states.Remove = selectedCount > 0;
    states.Clear = entryCount > 0;
    states.Preview = states.Clear;
    states.Batch = states.Clear;
    return states;
}

bool HasScenarioExtension(const QString& fileName)
{
    return fileName.endsWith(QStringLiteral(".pud"), Qt::CaseInsensitive);
}

QStringList ScenarioFilesFromDroppedPaths(const QStringList& paths)
{
    QStringList files;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            QStringList found;
            QDirIterator entries(info.absoluteFilePath(), QDir::Files, QDirIterator::Subdirectories);
            while (entries.hasNext()) {
                const QString file = entries.next();
                if (HasScenarioExtension(file))
                    found.append(QDir::toNativeSeparators(file));
            }
            std::sort(found.begin(), found.end(), ScenarioPathLess);
            files += found;
        } else if (info.isFile() && HasScenarioExtension(info.fileName())) {
            files.append(QDir::toNativeSeparators(info.absoluteFilePath()));
        }
    }
    return files;
}

}  // namespace tessel
