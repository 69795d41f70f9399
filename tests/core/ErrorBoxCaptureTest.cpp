// The one way a component other than the desktop program collects the
// texts that the core shows with ErrorBox.
#include "TestSupport.h"

#include "base/ErrorBox.h"

#include <thread>

namespace tessel::test {
namespace {

using Texts = std::vector<std::string>;

// Routes the process-wide handler into texts while it lives.
class ProcessHandlerRecorder {
public:
    ProcessHandlerRecorder()
    {
        SetErrorBoxHandler([this](const std::string& text) { texts.push_back(text); });
    }
    ~ProcessHandlerRecorder() { SetErrorBoxHandler({}); }
    Texts texts;
};

TEST(ErrorBoxCapture, CollectsTheTextsInOrderAndTakingThemLeavesNone)
{
    ErrorBoxCapture capture;
    ErrorBox("Error: first");
    ErrorBox("Error: second");
    EXPECT_EQ(capture.Texts(), (Texts{"Error: first", "Error: second"}));
    EXPECT_EQ(capture.TakeTexts(), (Texts{"Error: first", "Error: second"}));
    EXPECT_EQ(capture.Texts(), Texts{});
    ErrorBox("Error: third");
    EXPECT_EQ(capture.TakeTexts(), Texts{"Error: third"});
}

// A capture inside another (a render job around the era cache) takes what
// is shown while it lives; the outer one gets the rest, the process-wide
// handler nothing.
TEST(ErrorBoxCapture, AnInnerCaptureTakesItsTextsAndGivesTheOuterOneBackItsPlace)
{
    ProcessHandlerRecorder process;
    ErrorBoxCapture outer;
    ErrorBox("before");
    {
        ErrorBoxCapture inner;
        ErrorBox("inside");
        EXPECT_EQ(inner.Texts(), Texts{"inside"});
    }
    ErrorBox("after");
    EXPECT_EQ(outer.Texts(), (Texts{"before", "after"}));
    EXPECT_EQ(process.texts, Texts{});
}

TEST(ErrorBoxCapture, TakesOnlyTheTextsOfItsOwnThreadAndLeavesTheProcessHandlerAfterwards)
{
    ProcessHandlerRecorder process;
    {
        ErrorBoxCapture capture;
        std::thread other([] { ErrorBox("from another thread"); });
        other.join();
        ErrorBox("from this thread");
        EXPECT_EQ(capture.Texts(), Texts{"from this thread"});
    }
    ErrorBox("once the capture is gone");
    EXPECT_EQ(process.texts, (Texts{"from another thread", "once the capture is gone"}));
}

}  // namespace
}  // namespace tessel::test
