// The rules of the scenario list and the batch run, without any window.
#include "BatchRun.h"
#include "Exceptions.h"
#include "ScenarioList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <string>
#include <vector>

using namespace tessel;

namespace {

// A list of paths with a record of every call the run makes.
class RecordingList : public BatchList {
public:
    explicit RecordingList(std::vector<std::string> entries) : entries_(std::move(entries)) {}

    int Count() const override { return static_cast<int>(entries_.size()); }
    std::string Entry(int index) const override { return entries_.at(static_cast<std::size_t>(index)); }
    void DeleteAndRepaint(int index) override
    {
        calls.push_back("delete " + Entry(index));
        entries_.erase(entries_.begin() + index);
    }

    const std::vector<std::string>& Entries() const { return entries_; }
    std::vector<std::string> calls;

private:
    std::vector<std::string> entries_;
};

// Minimaps that fail for the scenarios named in failing; every attempt and
// question goes into list.calls; questions are answered from answers.
BatchActions ScriptedActions(RecordingList& list, std::vector<std::string> failing, std::vector<bool> answers)
{
    auto remaining = std::make_shared<std::vector<bool>>(std::move(answers));
    return {[&list, failing](const std::string& scenario, const std::string& output) {
                list.calls.push_back("make " + scenario + " -> " + output);
                return std::find(failing.begin(), failing.end(), scenario) == failing.end();
            },
            [&list, remaining](const std::string& question) {
                list.calls.push_back("ask " + question);
                if (remaining->empty())
                    return false;
                const bool answer = remaining->front();
                remaining->erase(remaining->begin());
                return answer;
            }};
}

void Touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

}  // namespace

class TestScenarioListRules : public QObject {
    Q_OBJECT

private slots:
    void aPathInOtherLetterCaseIsNotAddedAndTheCopyPresentKeepsItsCase()
    {
        const QStringList merged = MergeScenarioPaths(
            {"/maps/Forest.pud", "/maps/b.pud"}, {"/MAPS/forest.PUD", "/maps/c.pud", "/maps/B.pud", "/maps/C.PUD"});
        QCOMPARE(merged, (QStringList{"/maps/b.pud", "/maps/c.pud", "/maps/Forest.pud"}));
    }

    void theMergedListIsSortedWithoutRegardToLetterCaseWhateverTheOrderOfAdding()
    {
        const QStringList merged =
            MergeScenarioPaths({"/m/zeta.pud"}, {"/m/Beta.pud", "/m/alpha.pud", "/M/Gamma.pud", "/m/DELTA.pud"});
        QCOMPARE(merged, (QStringList{"/m/alpha.pud", "/m/Beta.pud", "/m/DELTA.pud", "/M/Gamma.pud", "/m/zeta.pud"}));
    }

    void duplicatesWithinOneChoiceAreAddedOnce()
    {
        QCOMPARE(MergeScenarioPaths({}, {"/a/x.pud", "/a/X.PUD", "/a/x.pud"}), QStringList{"/a/x.pud"});
        QCOMPARE(MergeScenarioPaths({}, {}), QStringList());
    }

    void theSameFileNameInOtherFoldersIsNoDuplicate()
    {
        QCOMPARE(MergeScenarioPaths({"/a/MAP01.PUD"}, {"/b/MAP01.PUD"}), (QStringList{"/a/MAP01.PUD", "/b/MAP01.PUD"}));
    }

    void removeNeedsASelectionAndTheOtherThreeAnyEntry()
    {
        QCOMPARE(ButtonStatesFor(0, 0), (ListButtonStates{false, false, false, false}));
        QCOMPARE(ButtonStatesFor(3, 0), (ListButtonStates{false, true, true, true}));
        QCOMPARE(ButtonStatesFor(3, 2), (ListButtonStates{true, true, true, true}));
    }

    void theOutputPathIsTheDirectoryThenTheFileNameWithBmp_data()
    {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("output");
        QTest::newRow("upper-case extension") << "/out"
                                              << "/maps/MAP01.PUD"
                                              << "/out/MAP01.bmp";
        QTest::newRow("two full stops") << "/out"
                                        << "/maps/v1.2.final.pud"
                                        << "/out/v1.2.final.bmp";
        QTest::newRow("no extension") << "/out"
                                      << "/maps/island"
                                      << "/out/island.bmp";
        QTest::newRow("full stop in a folder only") << "/out"
                                                    << "/maps.old/island"
                                                    << "/out/island.bmp";
        QTest::newRow("root directory") << "/"
                                        << "/maps/a.pud"
                                        << "/a.bmp";
    }

    void theOutputPathIsTheDirectoryThenTheFileNameWithBmp()
    {
        QFETCH(QString, directory);
        QFETCH(QString, scenario);
        QFETCH(QString, output);
        QCOMPARE(QString::fromStdString(BatchOutputPath(directory.toStdString(), scenario.toStdString())), output);
    }

    void theQuestionNamesTheFullPathOnItsFirstLine()
    {
        QCOMPARE(BatchFailureQuestion("/maps/b.pud"),
                 std::string("Minimap creation failed for \"/maps/b.pud\".\rContinue with rest of list ?"));
    }

    void aBatchInWhichEveryMinimapIsWrittenEmptiesTheListInOrder()
    {
        RecordingList list({"/m/a.pud", "/m/b.pud", "/m/c.pud"});
        RunBatch(list, "/out", ScriptedActions(list, {}, {}));
        QVERIFY(list.Entries().empty());
        QCOMPARE(list.calls, (std::vector<std::string>{"make /m/a.pud -> /out/a.bmp", "delete /m/a.pud",
                                                       "make /m/b.pud -> /out/b.bmp", "delete /m/b.pud",
                                                       "make /m/c.pud -> /out/c.bmp", "delete /m/c.pud"}));
    }

    void yesAfterAFailureGoesOnAndLeavesTheFailedEntry()
    {
        RecordingList list({"/m/a.pud", "/m/b.pud", "/m/c.pud"});
        RunBatch(list, "/out", ScriptedActions(list, {"/m/b.pud"}, {true}));
        QCOMPARE(list.Entries(), std::vector<std::string>{"/m/b.pud"});
        QCOMPARE(list.calls,
                 (std::vector<std::string>{"make /m/a.pud -> /out/a.bmp", "delete /m/a.pud",
                                           "make /m/b.pud -> /out/b.bmp", "ask " + BatchFailureQuestion("/m/b.pud"),
                                           "make /m/c.pud -> /out/c.bmp", "delete /m/c.pud"}));
    }

    void noAfterAFailureStopsWithTheRestInTheList()
    {
        RecordingList list({"/m/a.pud", "/m/b.pud", "/m/c.pud"});
        RunBatch(list, "/out", ScriptedActions(list, {"/m/b.pud"}, {false}));
        QCOMPARE(list.Entries(), (std::vector<std::string>{"/m/b.pud", "/m/c.pud"}));
        QCOMPARE(list.calls.back(), "ask " + BatchFailureQuestion("/m/b.pud"));
    }

    void everyFailureAsksUntilTheAnswerIsNo()
    {
        RecordingList list({"/m/a.pud", "/m/b.pud", "/m/c.pud", "/m/d.pud"});
        RunBatch(list, "/out", ScriptedActions(list, {"/m/a.pud", "/m/b.pud", "/m/c.pud", "/m/d.pud"}, {true, true}));
        QCOMPARE(list.Entries().size(), 4u);
        QCOMPARE(std::count_if(list.calls.begin(), list.calls.end(),
                               [](const std::string& call) { return call.starts_with("ask"); }),
                 3);
        QCOMPARE(list.calls.back(), "ask " + BatchFailureQuestion("/m/c.pud"));
    }

    void aFailureRaisedDuringTheRunPassesOnAndDeletedEntriesStayDeleted()
    {
        RecordingList list({"/m/a.pud", "/m/b.pud", "/m/c.pud"});
        BatchActions actions = ScriptedActions(list, {}, {});
        actions.MakeMinimap = [](const std::string& scenario, const std::string&) {
            if (scenario == "/m/b.pud")
                throw Exception("Unable to show the list");
            return true;
        };
        QVERIFY_THROWS_EXCEPTION(Exception, RunBatch(list, "/out", actions));
        QCOMPARE(list.Entries(), (std::vector<std::string>{"/m/b.pud", "/m/c.pud"}));
    }

    void droppedFoldersGiveTheirScenariosOfAnyLetterCaseRecursively()
    {
        QTemporaryDir root;
        QDir folder(root.path());
        QVERIFY(folder.mkpath(QStringLiteral("Maps/Campaign/Orc")));
        QVERIFY(folder.mkpath(QStringLiteral("Loose")));
        Touch(folder.filePath(QStringLiteral("Maps/b.pud")));
        Touch(folder.filePath(QStringLiteral("Maps/A.PUD")));
        Touch(folder.filePath(QStringLiteral("Maps/readme.txt")));
        Touch(folder.filePath(QStringLiteral("Maps/pud")));
        Touch(folder.filePath(QStringLiteral("Maps/Campaign/Orc/ORC01.Pud")));
        Touch(folder.filePath(QStringLiteral("Loose/single.pud")));
        Touch(folder.filePath(QStringLiteral("Loose/notes.txt")));

        const QStringList files = ScenarioFilesFromDroppedPaths(
            {folder.filePath(QStringLiteral("Loose/single.pud")), folder.filePath(QStringLiteral("Loose/notes.txt")),
             folder.filePath(QStringLiteral("Maps")), folder.filePath(QStringLiteral("missing.pud"))});
        const auto native = [&folder](const char* path) {
            return QDir::toNativeSeparators(folder.filePath(QLatin1String(path)));
        };
        QCOMPARE(files, (QStringList{native("Loose/single.pud"), native("Maps/A.PUD"), native("Maps/b.pud"),
                                     native("Maps/Campaign/Orc/ORC01.Pud")}));
    }

    void aDropWithoutScenariosGivesNothing()
    {
        QTemporaryDir root;
        Touch(QDir(root.path()).filePath(QStringLiteral("picture.bmp")));
        QCOMPARE(
            ScenarioFilesFromDroppedPaths({root.path(), QDir(root.path()).filePath(QStringLiteral("picture.bmp"))}),
            QStringList());
    }
};

QTEST_GUILESS_MAIN(TestScenarioListRules)
#include "tst_scenariolist.moc"
