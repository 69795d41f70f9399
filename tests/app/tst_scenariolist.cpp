// The rules of the scenario list and the batch run, without any window.
#include "ShellTestSupport.h"

#include "base/Exceptions.h"
#include "BatchRun.h"
#include "ScenarioList.h"

#include <string>
#include <vector>

using namespace tessel;
using namespace tessel::test;

namespace {

using Calls = std::vector<std::string>;

// Scenario "/m/x.pud" for each letter x of names.
Calls Paths(const QString& names)
{
    Calls paths;
    for (QChar name : names)
        paths.push_back("/m/" + QString(name).toStdString() + ".pud");
    return paths;
}

// A list of paths that records every call the run makes; minimaps fail for
// the scenarios named in failing, the questions get the answers in turn
// ('Y' for yes), then no.
class ScriptedList : public BatchList {
public:
    explicit ScriptedList(const QString& entries, const QString& failing = {}, const QString& answers = {})
        : entries(Paths(entries)), failing_(Paths(failing)), answers_(answers)
    {
    }

    int Count() const override { return static_cast<int>(entries.size()); }
    std::string Entry(int index) const override { return entries.at(static_cast<std::size_t>(index)); }
    void DeleteAndRepaint(int index) override
    {
        calls.push_back("delete " + Entry(index));
        entries.erase(entries.begin() + index);
    }

    BatchActions Actions()
    {
        return {[this](const std::string& scenario, const std::string& output) {
                    calls.push_back("make " + scenario + " -> " + output);
                    return std::find(failing_.begin(), failing_.end(), scenario) == failing_.end();
                },
                [this](const std::string& question) {
                    calls.push_back("ask " + question);
                    return asked_ < answers_.size() && answers_[asked_++] == u'Y';
                }};
    }

    Calls entries;
    Calls calls;

private:
    Calls failing_;
    QString answers_;
    qsizetype asked_ = 0;
};

}  // namespace

class TestScenarioListRules : public QObject {
    Q_OBJECT

private slots:
    void mergingAddsEveryPathOnceWithoutRegardToLetterCaseInThatOrder_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("merged");
        QTest::newRow("the copy present keeps its case")
            << QStringList{"/maps/Forest.pud", "/maps/b.pud"}
            << QStringList{"/MAPS/forest.PUD", "/maps/c.pud", "/maps/B.pud", "/maps/C.PUD"}
            << QStringList{"/maps/b.pud", "/maps/c.pud", "/maps/Forest.pud"};
        QTest::newRow("sorted whatever the order of adding")
            << QStringList{"/m/zeta.pud"} << QStringList{"/m/Beta.pud", "/m/alpha.pud", "/M/Gamma.pud", "/m/DELTA.pud"}
            << QStringList{"/m/alpha.pud", "/m/Beta.pud", "/m/DELTA.pud", "/M/Gamma.pud", "/m/zeta.pud"};
        QTest::newRow("duplicates within one choice")
            << QStringList() << QStringList{"/a/x.pud", "/a/X.PUD", "/a/x.pud"} << QStringList{"/a/x.pud"};
        QTest::newRow("nothing") << QStringList() << QStringList() << QStringList();
        QTest::newRow("same file name in other folders")
            << QStringList{"/a/MAP01.PUD"} << QStringList{"/b/MAP01.PUD"}
            << QStringList{"/a/MAP01.PUD", "/b/MAP01.PUD"};
    }

    void mergingAddsEveryPathOnceWithoutRegardToLetterCaseInThatOrder()
    {
        QFETCH(QStringList, existing);
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, merged);
        QCOMPARE(MergeScenarioPaths(existing, chosen), merged);
    }

    void removeNeedsASelectionAndTheOtherThreeAnyEntry()
    {
        QCOMPARE(ButtonStatesFor(0, 0), (ListButtonStates{false, false, false, false}));
        QCOMPARE(ButtonStatesFor(3, 0), (ListButtonStates{false, true, true, true}));
        QCOMPARE(ButtonStatesFor(3, 2), (ListButtonStates{true, true, true, true}));
    }

    void theOutputPathIsTheDirectoryThenTheFileNameWithBmp()
    {
        QCOMPARE(BatchOutputPath("/out", "/maps.old/v1.2.MAP01.PUD"), std::string("/out/v1.2.MAP01.bmp"));
        QCOMPARE(BatchOutputPath("/", "/maps/a.pud"), std::string("/a.bmp"));
    }

    void theQuestionNamesTheFullPathOnItsFirstLine()
    {
        QCOMPARE(BatchFailureQuestion("/maps/b.pud"),
                 std::string("Minimap creation failed for \"/maps/b.pud\".\rContinue with rest of list ?"));
    }

    // Letters name scenarios; the answers are 'Y' for yes and 'N' for no.
    void eachWrittenMinimapDeletesItsEntryAndAfterAFailureTheAnswerDecides_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("made");
        QTest::newRow("all written") << "" << "" << "" << "abcd";
        QTest::newRow("Yes goes on") << "b" << "Y" << "b" << "abcd";
        QTest::newRow("No stops") << "b" << "N" << "bcd" << "ab";
        QTest::newRow("every failure asks until No") << "abcd" << "YYN" << "abcd" << "abc";
    }

    void eachWrittenMinimapDeletesItsEntryAndAfterAFailureTheAnswerDecides()
    {
        QFETCH(QString, failing);
        QFETCH(QString, answers);
        QFETCH(QString, left);
        QFETCH(QString, made);
        ScriptedList list(QStringLiteral("abcd"), failing, answers);
        RunBatch(list, "/out", list.Actions());
        QCOMPARE(list.entries, Paths(left));
        Calls expected;
        for (QChar name : made) {
            const std::string scenario = Paths(name).front();
            expected.push_back("make " + scenario + " -> /out/" + QString(name).toStdString() + ".bmp");
            expected.push_back(failing.contains(name) ? "ask " + BatchFailureQuestion(scenario) : "delete " + scenario);
        }
        QCOMPARE(list.calls, expected);
    }

    void aFailureRaisedDuringTheRunPassesOnAndDeletedEntriesStayDeleted()
    {
        ScriptedList list(QStringLiteral("abc"));
        BatchActions actions = list.Actions();
        actions.MakeMinimap = [](const std::string& scenario, const std::string&) {
            if (scenario == "/m/b.pud")
                throw Exception("Unable to show the list");
            return true;
        };
        QVERIFY_THROWS_EXCEPTION(Exception, RunBatch(list, "/out", actions));
        QCOMPARE(list.entries, Paths(QStringLiteral("bc")));
    }

    void droppedFoldersGiveTheirScenariosOfAnyLetterCaseRecursivelyAndNothingElse()
    {
        QTemporaryDir root;
        const auto path = [&root](const char* name) { return root.filePath(QLatin1String(name)); };
        for (const char* folder : {"Maps/Campaign/Orc", "Loose", "Empty"})
            QVERIFY(QDir().mkpath(path(folder)));
        for (const char* file : {"Maps/b.pud", "Maps/A.PUD", "Maps/readme.txt", "Maps/pud", "Loose/single.pud",
                                 "Loose/notes.txt", "Empty/picture.bmp", "Maps/Campaign/Orc/ORC01.Pud"})
            WriteFile(path(file));

        const QStringList dropped{path("Loose/single.pud"), path("Loose/notes.txt"), path("Empty"), path("Maps"),
                                  path("missing.pud")};
        QCOMPARE(ScenarioFilesFromDroppedPaths(dropped),
                 (QStringList{Native(path("Loose/single.pud")), Native(path("Maps/A.PUD")), Native(path("Maps/b.pud")),
                              Native(path("Maps/Campaign/Orc/ORC01.Pud"))}));
        QCOMPARE(ScenarioFilesFromDroppedPaths({path("Empty")}), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestScenarioListRules)
#include "tst_scenariolist.moc"
