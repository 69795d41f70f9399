// The rules of the main window's scenario list, apart from its widgets: the
// merge of newly chosen files into the list, the button states, and which
// files a drop onto the window adds.
#pragma once

#include <QString>
#include <QStringList>

namespace tessel {

// Existing entries first, then chosen: a path equal to one already taken
// without regard to letter case is left out, so the copy taken first keeps
// its case. The result is in case-insensitive order of the full paths.
QStringList MergeScenarioPaths(const QStringList& existing, const QStringList& chosen);

// The list's order: case-insensitive comparison of the whole paths, the same
// comparison that finds duplicates.
bool ScenarioPathLess(const QString& a, const QString& b);

// The enabled states of the four buttons that depend on the list.
struct ListButtonStates {
    bool Remove = false;
    bool Clear = false;
    bool Preview = false;
    bool Batch = false;

    friend bool operator==(const ListButtonStates&, const ListButtonStates&) = default;
};

// Remove needs a selected entry; Clear, Preview and Batch need any entry.
ListButtonStates ButtonStatesFor(int entryCount, int selectedCount);

// Whether a file name ends in ".pud", in any letter case.
bool HasScenarioExtension(const QString& fileName);

// The scenario files that dropped paths stand for: a file with the scenario
// extension as it is, and every such file below a folder (recursively, in
// case-insensitive path order). Anything else is passed over. The order is
// that of the dropped paths, so the first file found comes from the first
// path that holds one.
QStringList ScenarioFilesFromDroppedPaths(const QStringList& paths);

}  // namespace tessel
