// The batch run over the scenario list: one minimap per entry into one
// output directory. Written entries leave the list; after a failure the
// user decides whether to go on. Plain C++, so that it runs without widgets.
#pragma once

#include <functional>
#include <string>

namespace tessel {

// Where the minimap of scenarioPath goes: directory, one separator, then the
// scenario's file name with its extension replaced by ".bmp".
std::string BatchOutputPath(const std::string& directory, const std::string& scenarioPath);

// The question after a failed entry: two lines, the full path in quotes.
std::string BatchFailureQuestion(const std::string& scenarioPath);

// The list the run works through, in its order.
class BatchList {
public:
    virtual ~BatchList() = default;
    virtual int Count() const = 0;
    virtual std::string Entry(int index) const = 0;
    // Deletes the entry and shows the shorter list at once.
    virtual void DeleteAndRepaint(int index) = 0;
};

struct BatchActions {
    // Writes one minimap; false after it has reported a failure itself.
    std::function<bool(const std::string& scenarioPath, const std::string& outputPath)> MakeMinimap;
    // Asks a yes-no question; true only for yes.
    std::function<bool(const std::string& question)> Confirm;
};

// Runs through list from its first entry. Whatever an action raises ends the
// run and passes on; the entries deleted so far stay deleted.
void RunBatch(BatchList& list, const std::string& directory, const BatchActions& actions);

}  // namespace tessel
