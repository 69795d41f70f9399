#include "BatchRun.h"

#include "text/PathPieces.h"

namespace tessel {

std::string BatchOutputPath(const std::string& directory, const std::string& scenarioPath)
{
    return OutputPathIn(directory, scenarioPath, ".bmp");
}

std::string BatchFailureQuestion(const std::string& scenarioPath)
{
    return "Minimap creation failed for \"" + scenarioPath + "\".\rContinue with rest of list ?";
}

void RunBatch(BatchList& list, const std::string& directory, const BatchActions& actions)
{
    int index = 0;
    while (index < list.Count()) {
        const std::string scenario = list.Entry(index);
        if (actions.MakeMinimap(scenario, BatchOutputPath(directory, scenario))) {
            // The next entry moves into this place.
            list.DeleteAndRepaint(index);
        } else if (actions.Confirm(BatchFailureQuestion(scenario))) {
            ++index;
        } else {
            return;
        }
    }
}

}  // namespace tessel
