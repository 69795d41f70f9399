// The gallery page of a large generated collection in headless Chromium:
// only the cards near the screen exist, yet scrolling, the keyboard, a
// linked view and a page whose table lost a part all show what they should.
#include "ChromiumSession.h"
#include "GalleryView.h"

#include "CliRun.h"
#include "GalleryCards.h"
#include "GalleryPage.h"
#include "ScenarioCollection.h"
#include "TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

// Two parts of the page's table beyond the first, the last of them short.
constexpr int CollectionSize = 700;
static_assert(CollectionSize > cli::FirstPartCards + cli::PartCards);

std::string FileUrl(const std::string& path)
{
    return "file://" + cli::RelativeUrl(fs::absolute(path).lexically_normal().string());
}

// Compares text as people read names: letters without regard to case,
// digits by the number they write.
bool NaturalLess(const std::string& a, const std::string& b)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const std::size_t startA = i, startB = j;
            while (i < a.size() && isDigit(a[i]))
                ++i;
            while (j < b.size() && isDigit(b[j]))
                ++j;
            const std::string numberA = a.substr(startA, i - startA), numberB = b.substr(startB, j - startB);
            if (numberA.size() != numberB.size())
                return numberA.size() < numberB.size();
            if (numberA != numberB)
                return numberA < numberB;
            continue;
        }
        const char x = static_cast<char>(std::tolower(static_cast<unsigned char>(a[i++])));
        const char y = static_cast<char>(std::tolower(static_cast<unsigned char>(b[j++])));
        if (x != y)
            return x < y;
    }
    return a.size() - i < b.size() - j;
}

std::string NameOf(const std::string& path)
{
    return path.substr(path.find_last_of('/') + 1, path.size() - path.find_last_of('/') - 5);
}

class GalleryAtScaleInBrowser : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (ChromiumSession::ProgramPath().empty())
            return;
        folder_ = new TempDir;
        WriteScenarioCollection(folder_->File("collection"), CollectionSize);
        const CliRun run = RunTesselCli({"gallery", "--no-settings", "--builtin-tileset", "-q", "-o", site(),
                                         folder_->File("collection")});
        status_ = run.Status;
        std::ifstream data(site() + "/maps.json");
        for (const json& map : json::parse(data)) {
            paths_.push_back(map["path"].get<std::string>());
            maps_.push_back(map);
        }
    }

    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
        paths_.clear();
        maps_.clear();
    }

    void SetUp() override
    {
        if (ChromiumSession::ProgramPath().empty())
            GTEST_SKIP() << "no chromium program; scripts/install-deps.sh installs it";
        ASSERT_EQ(status_, 0);
        browser_ = std::make_unique<ChromiumSession>(profile_.File("profile"));
    }

    void TearDown() override
    {
        if (browser_) {
            EXPECT_EQ(browser_->Errors(), std::vector<std::string>()) << "errors in the page";
        }
    }

    void Open(const std::string& page, const std::string& fragment = "")
    {
        browser_->Navigate(FileUrl(page) + fragment);
        WaitForTable(*browser_);
    }

    static std::string site() { return folder_->File("site"); }

    json Evaluate(const std::string& expression) { return browser_->Evaluate(expression); }

    void PressTab(bool backwards)
    {
        for (const char* type : {"keyDown", "keyUp"})
            browser_->Command("Input.dispatchKeyEvent", {{"type", type},
                                                         {"key", "Tab"},
                                                         {"code", "Tab"},
                                                         {"windowsVirtualKeyCode", 9},
                                                         {"modifiers", backwards ? 8 : 0}});
    }

    // The place in the view of the card that holds the focus, or 0.
    int FocusedPlace()
    {
        return Evaluate("Number(document.activeElement.closest('[data-map]')?.getAttribute('aria-posinset') || 0)")
            .get<int>();
    }

    static inline TempDir* folder_ = nullptr;
    static inline std::vector<std::string> paths_;
    static inline std::vector<json> maps_;
    static inline int status_ = -1;
    TempDir profile_;
    std::unique_ptr<ChromiumSession> browser_;
};

TEST_F(GalleryAtScaleInBrowser, ScrollingShowsEveryMapOnceInNameOrderWithFewCardsOnThePage)
{
    Open(site() + "/index.html");
    // The page states the count as the script does, so that it never
    // changes under the reader's eyes.
    const std::string summary = "Showing 700 of 700 maps.";
    EXPECT_EQ(Evaluate("document.getElementById('summary').textContent"), summary);
    EXPECT_NE(ReadText(site() + "/index.html").find(">" + summary + "</p>"), std::string::npos);
    const GalleryView view = ReadView(*browser_);

    std::vector<std::string> expected = paths_;
    ASSERT_EQ(expected.size(), std::size_t{CollectionSize});
    std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
        const std::string nameA = NameOf(a), nameB = NameOf(b);
        return NaturalLess(nameA, nameB) || (!NaturalLess(nameB, nameA) && NaturalLess(a, b));
    });
    EXPECT_EQ(view.Maps, expected);

    // A screen of 1280 by 900 pixels holds a few rows of five cards.
    EXPECT_LE(view.MostCards, 60u);
    EXPECT_LE(view.MostElements, 1500u);

    // The page's table holds only what the cards need.
    std::uintmax_t table = 0;
    for (const std::string& part : FolderEntries(site() + "/cards"))
        table += fs::file_size(site() + "/cards/" + part);
    EXPECT_LT(table * 5, fs::file_size(site() + "/maps.json"));
}

TEST_F(GalleryAtScaleInBrowser, TheKeyboardGoesFromCardToCardBeyondTheFirstScreenAndBack)
{
    Open(site() + "/index.html");
    Evaluate("document.getElementById('maps').focus()");
    constexpr int burst = 12;
    const int first = static_cast<int>(Evaluate("document.querySelectorAll('[data-map]').length").get<int>());
    const int steps = (first / burst + 2) * burst;
    // Each card's links are its stops: its minimap and its scenario file.
    const int stops = Evaluate("document.querySelector('[data-map]').querySelectorAll('a[href]').length").get<int>();
    ASSERT_GE(stops, 1);
    for (int place = burst; place <= steps; place += burst) {
        for (int key = 0; key < burst * stops; ++key)
            PressTab(false);
        ASSERT_EQ(FocusedPlace(), place);
    }
    EXPECT_GT(Evaluate("scrollY").get<double>(), 0);
    const json box = Evaluate("(() => { const box = document.activeElement.getBoundingClientRect();"
                              " return [box.top, box.bottom, innerHeight]; })()");
    EXPECT_TRUE(box[0] >= -1 && box[1] <= box[2].get<double>() + 1) << "the focused card is off the screen: " << box;
    for (int place = steps - 1; place >= steps - 5; --place) {
        for (int key = 0; key < stops; ++key)
            PressTab(true);
        ASSERT_EQ(FocusedPlace(), place);
    }

    // Keys may come faster than frames: the last card on the page, once it
    // has the focus, has the next ones after it at once.
    EXPECT_EQ(Evaluate("(() => { const last = document.getElementById('maps').lastElementChild;"
                       " last.querySelector('a').focus(); return last.nextElementSibling !== null; })()"),
              true);
}

// The count, the filter's choices and every card's room are known before
// the script fills the list in; a linked view that needs the whole table
// keeps what follows the list back until the table is in, and says so.
TEST_F(GalleryAtScaleInBrowser, NothingMovesWhileThePageLoadsAtPhoneSizeOrWithALinkedView)
{
    browser_->Command("Emulation.setDeviceMetricsOverride",
                      {{"width", 412}, {"height", 823}, {"deviceScaleFactor", 1.75}, {"mobile", true}});
    // The rest of the table comes late, as over a slow network; the page
    // notes when it asks for it.
    browser_->Command("Page.addScriptToEvaluateOnNewDocument", {{"source", R"(
      self.partsAskedAt = [];
      addEventListener('load', () => { self.loadedAt = performance.now(); });
      const append = Node.prototype.appendChild;
      Node.prototype.appendChild = function (child) {
        if (child.tagName === 'SCRIPT' && /cards\/\d+\.js$/.test(child.src)) {
          self.partsAskedAt.push(performance.now());
          setTimeout(() => append.call(this, child), 500);
          return child;
        }
        return append.call(this, child);
      };)"}});

    // The first screen needs only the first part, and asks for the rest
    // once it is shown, images and all.
    browser_->Navigate(FileUrl(site() + "/index.html"));
    EXPECT_EQ(Evaluate("document.getElementById('summary').textContent"), "Showing 700 of 700 maps.");
    EXPECT_GT(Evaluate("document.querySelectorAll('[data-map]').length").get<int>(), 0);
    WaitForTable(*browser_);
    EXPECT_EQ(Evaluate("self.partsAskedAt.length"), (CollectionSize - cli::FirstPartCards + cli::PartCards - 1) /
                                                         cli::PartCards);
    EXPECT_EQ(Evaluate("self.partsAskedAt.every((at) => at > self.loadedAt)"), true);
    EXPECT_LE(LayoutShift(*browser_), 0.05);

    // A linked view that needs every map waits for the table, and keeps
    // what follows the list back until then.
    browser_->Navigate("about:blank");
    browser_->Navigate(FileUrl(site() + "/index.html") + "#players=3&q=%20Master");
    EXPECT_EQ(Evaluate("document.getElementById('summary').textContent"), "Loading 700 maps\u2026");
    EXPECT_EQ(Evaluate("document.getElementById('maps').getAttribute('aria-busy')"), "true");
    EXPECT_EQ(Evaluate("getComputedStyle(document.querySelector('.page-footer')).display"), "none");
    WaitForTable(*browser_);
    EXPECT_LE(LayoutShift(*browser_), 0.05);
    std::vector<std::string> expected;
    for (const json& map : maps_) {
        const std::string text = map["path"].get<std::string>() + "\n" + map["description"].get<std::string>();
        if (map["players"] == 3 && text.find("Master") != std::string::npos)
            expected.push_back(map["path"].get<std::string>());
    }
    ASSERT_FALSE(expected.empty());
    const GalleryView view = ReadView(*browser_);
    EXPECT_EQ(std::set<std::string>(view.Maps.begin(), view.Maps.end()),
              std::set<std::string>(expected.begin(), expected.end()));
    EXPECT_EQ(Evaluate("getComputedStyle(document.querySelector('.page-footer')).display"), "block");
}

// A page copied without all of its table: it says what is missing, shows
// the maps it has, and its filters work on them.
TEST_F(GalleryAtScaleInBrowser, APartOfTheTableThatIsMissingIsToldAndTheOtherMapsShow)
{
    const std::string copy = folder_->File("partial");
    fs::create_directories(copy + "/cards");
    for (const char* file : {"index.html", "gallery.css", "gallery.js"})
        fs::copy_file(site() + "/" + file, copy + "/" + file);
    for (const std::string& part : FolderEntries(site() + "/cards"))
        if (part != "2.js")
            fs::copy_file(site() + "/cards/" + part, copy + "/cards/" + part);
    fs::create_directory_symlink(site() + "/minimaps", copy + "/minimaps");
    const std::size_t shown = CollectionSize - cli::PartCards;

    Open(copy + "/index.html");
    const std::vector<std::string> errors = browser_->TakeErrors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("cards/2.js"), std::string::npos) << errors[0];
    const std::string summary = Evaluate("document.getElementById('summary').textContent").get<std::string>();
    EXPECT_EQ(summary, "Showing " + cli::GroupedNumber(shown) +
                           " of 700 maps; the page's table cards/2.js did not load.");
    EXPECT_EQ(ReadView(*browser_).Maps.size(), shown);

    browser_->Navigate("about:blank");
    browser_->TakeErrors();
    Open(copy + "/index.html", "#players=3");
    browser_->TakeErrors();
    const GalleryView threes = ReadView(*browser_);
    ASSERT_FALSE(threes.Maps.empty());
    EXPECT_EQ(std::count(threes.Players.begin(), threes.Players.end(), "3"), std::ssize(threes.Players));
}

}  // namespace
}  // namespace tessel::test
