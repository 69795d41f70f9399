// The gallery page in a real browser: a gallery of written scenarios (the
// demo maps, names that need escaping, a sub-folder, broken files), a second
// collection and a file of the same names, plus the real maps of the corpus,
// opened from disk in headless Chromium.
#include "ChromiumSession.h"
#include "GalleryView.h"

#include "CliRun.h"
#include "DemoData.h"
#include "GalleryPage.h"
#include "ScenarioWriter.h"
#include "TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

using StringSet = std::set<std::string>;

// A map of the written part of the gallery with what the filters look at.
struct WrittenMap {
    std::string path;  // below the scenario folder
    uint16_t side;
    uint16_t era;
    std::string description;
    int players;
};

ScenarioContent MapContent(const WrittenMap& map)
{
    ScenarioContent content;
    content.Era = map.era;
    content.Side = map.side;
    content.Metadata.Version = 0x11;
    content.Metadata.Description = map.description;
    SlotBytes owners{};
    owners.fill(0x03);
    for (int slot = 0; slot < map.players; ++slot)
        owners[static_cast<std::size_t>(slot)] = slot % 2 ? 0x04 : 0x05;
    content.Metadata.Owners = owners;
    content.Metadata.Races = SlotBytes{0, 1, 0, 1, 0, 1, 0, 1};
    for (int slot = 0; slot < map.players; ++slot)
        content.Units.push_back({static_cast<uint16_t>(slot), 0, static_cast<uint8_t>(0x5E + slot % 2),
                                 static_cast<uint8_t>(slot), 0});
    return content;
}

const WrittenMap WrittenMaps[] = {
    {"golf course.pud", 32, 1, "Putting green", 8},
    {"sub/deeper/Crazy Golf #1.pud", 64, 1, "Eight holes & more", 4},
    {"sub/war%20<b>&'quote\".pud", 64, 3, "</script><!-- not the end", 2},
    {"sub/\xC3\x86r\xC3\xB8 island.PUD", 96, 2, "\x84 and \x94: island golf", 6},
    {"snow.pud", 32, 1, "", 1},
    {"sub/1vs7_Master-Challenge.pud", 128, 0, "Seven against one", 8},
};

const char* const BrokenMaps[] = {"broken/no_dim.pud", "broken/empty.pud"};
const char* const SnowCopy = "sub/snow copy.pud";

// A second collection of the same folder name, and two files given by
// themselves, each a map whose name the first collection has too.
const WrittenMap OtherCollection = {"golf course.pud", 32, 3, "Another green", 2};
const WrittenMap LooseFiles[] = {{"one/golf course.pud", 64, 0, "A green of its own", 4},
                                 {"two/golf course.pud", 96, 2, "A green of its own too", 6}};

// Several folders are given: the maps of the first are shown below its name.
std::string InScenarios(const std::string& path) { return "scenarios/" + path; }

std::string FileUrl(const std::string& path)
{
    return "file://" + cli::RelativeUrl(fs::absolute(path).lexically_normal().string());
}

// What the page shows for a card's name: the file name without ".pud".
std::string NameOf(const std::string& path)
{
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (name.size() > 4)
        name.resize(name.size() - 4);
    return name;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

// Text as the search compares it: lower case, with every run of spaces,
// underscores and hyphens one space.
std::string Folded(const std::string& text)
{
    std::string folded;
    for (const char c : Lower(text)) {
        const bool blank = c == ' ' || c == '_' || c == '-' || c == '\n' || c == '\t';
        if (!blank)
            folded += c;
        else if (!folded.empty() && folded.back() != ' ')
            folded += ' ';
    }
    if (!folded.empty() && folded.back() == ' ')
        folded.pop_back();
    return folded;
}

// Whether a search for query finds map: in its folder, its name or its
// description, each on its own.
bool SearchFinds(const json& map, const std::string& query)
{
    const std::string path = map["path"].get<std::string>();
    const std::string description = map["description"].is_string() ? map["description"].get<std::string>() : "";
    for (const std::string& text : {FolderOf(path), NameOf(path), description})
        if (Folded(text).find(Folded(query)) != std::string::npos)
            return true;
    return false;
}

class GalleryInBrowser : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (ChromiumSession::ProgramPath().empty())
            return;
        folder_ = new TempDir;
        const std::string scenarios = folder_->File("scenarios");
        for (const DemoScenario& demo : MakeDemoScenarios()) {
            fs::create_directories(scenarios);
            WriteScenario(demo.Content).WriteTo(scenarios + "/" + demo.FileName);
        }
        for (const WrittenMap& map : WrittenMaps) {
            fs::create_directories(fs::path(scenarios + "/" + map.path).parent_path());
            WriteScenario(MapContent(map)).WriteTo(scenarios + "/" + map.path);
        }
        // A byte-identical copy of snow.pud, after it in name order.
        fs::copy_file(scenarios + "/snow.pud", scenarios + "/" + SnowCopy);
        fs::create_directories(scenarios + "/broken");
        ScenarioWriter().Chunk(chunk_tag::Era, EraChunkData(0)).WriteTo(scenarios + "/" + BrokenMaps[0]);
        ScenarioWriter().WriteTo(scenarios + "/" + BrokenMaps[1]);
        const std::string other = folder_->File("other/scenarios");
        fs::create_directories(other);
        WriteScenario(MapContent(OtherCollection)).WriteTo(other + "/" + OtherCollection.path);

        // No game archive: the gallery is made with the built-in tileset.
        std::vector<std::string> args{"gallery", "--no-settings", "--builtin-tileset", "-q", "-o",
                                      site(),    "--title",       "Test maps",         scenarios, other};
        for (const WrittenMap& map : LooseFiles) {
            const std::string loose = folder_->File("loose/" + map.path);
            fs::create_directories(fs::path(loose).parent_path());
            WriteScenario(MapContent(map)).WriteTo(loose);
            args.push_back(loose);
        }
        const std::string corpus = TESSEL_CORPUS_DIR;
        if (fs::is_directory(corpus))
            args.push_back(corpus);
        status_ = RunTesselCli(args).Status;
        std::ifstream data(site() + "/maps.json");
        maps_ = new json(json::parse(data));
    }

    static void TearDownTestSuite()
    {
        delete maps_;
        delete folder_;
        maps_ = nullptr;
        folder_ = nullptr;
    }

    void SetUp() override
    {
        if (ChromiumSession::ProgramPath().empty())
            GTEST_SKIP() << "no chromium program; scripts/install-deps.sh installs it";
        browser_ = std::make_unique<ChromiumSession>(profile_.File("profile"));
        Open("");
    }

    void TearDown() override
    {
        if (browser_) {
            EXPECT_EQ(browser_->Errors(), std::vector<std::string>()) << "errors in the page";
        }
    }

    static std::string site() { return folder_->File("site"); }

    // The maps of maps.json that made a card, and those that failed.
    static StringSet MapsWhere(const std::function<bool(const json&)>& wanted)
    {
        StringSet paths;
        for (const json& map : *maps_)
            if (!map.contains("error") && wanted(map))
                paths.insert(map["path"].get<std::string>());
        return paths;
    }

    // Opens the page afresh with fragment and waits for its whole table.
    void Open(const std::string& fragment)
    {
        browser_->Navigate("about:blank");
        browser_->Navigate(FileUrl(site() + "/index.html") + fragment);
        WaitForTable(*browser_);
    }

    // Sets the fragment and waits until the page has taken it in.
    void GoTo(const std::string& fragment)
    {
        browser_->Evaluate("new Promise((done) => { addEventListener('hashchange', () => setTimeout(done, 0), "
                           "{once: true}); location.hash = " +
                           json(fragment).dump() + "; })");
    }

    // A key pressed and let go on the element that has the focus.
    void PressKey(const std::string& key, const std::string& code, int keyCode, const std::string& text)
    {
        for (const char* type : {"keyDown", "keyUp"})
            browser_->Command("Input.dispatchKeyEvent",
                              {{"type", type},
                               {"key", key},
                               {"code", code},
                               {"windowsVirtualKeyCode", keyCode},
                               {"text", type == std::string("keyDown") ? text : ""}});
    }

    // The maps of the cards that the view holds, read by scrolling through it.
    StringSet VisibleCards()
    {
        const std::vector<std::string> maps = ReadView(*browser_).Maps;
        return StringSet(maps.begin(), maps.end());
    }

    static inline TempDir* folder_ = nullptr;
    static inline json* maps_ = nullptr;
    static inline int status_ = -1;
    TempDir profile_;
    std::unique_ptr<ChromiumSession> browser_;
};

TEST_F(GalleryInBrowser, ShowsACardWithALoadedImageAndAnAltTextForEveryMapAndListsTheFailures)
{
    EXPECT_EQ(status_, 1) << "failed scenarios make the run fail";
    const StringSet all = MapsWhere([](const json&) { return true; });
    ASSERT_GE(all.size(), std::size(WrittenMaps) + 5);

    // Images load as their cards come near the screen; each is awaited.
    const GalleryView view = ReadView(*browser_, true);
    EXPECT_EQ(StringSet(view.Maps.begin(), view.Maps.end()), all);
    EXPECT_EQ(view.Maps.size(), all.size()) << "a map with two cards";
    EXPECT_EQ(view.WithoutImage, std::vector<std::string>()) << "cards without a loaded image or an alt text";

    const json failures = browser_->Evaluate(
        "Object.fromEntries([...document.querySelectorAll('[data-failed]')].map((f) => [f.dataset.failed, "
        "f.textContent]))");
    ASSERT_EQ(failures.size(), (*maps_).size() - all.size());
    for (const char* broken : BrokenMaps) {
        ASSERT_TRUE(failures.contains(InScenarios(broken))) << broken;
        EXPECT_NE(failures[InScenarios(broken)].get<std::string>().find("Error: Invalid PUD ("), std::string::npos);
    }
    EXPECT_EQ(browser_->Evaluate("document.title"), "Test maps");
}

TEST_F(GalleryInBrowser, FiltersBySideEraAndPlayersFromTheFragmentAndShowThemInTheControls)
{
    const StringSet side64 = MapsWhere([](const json& map) { return map["side"] == 64; });
    ASSERT_FALSE(side64.empty());
    GoTo("side=64");
    EXPECT_EQ(VisibleCards(), side64);
    EXPECT_EQ(browser_->Evaluate("document.getElementById('side').value"), "64");

    GoTo("side=64&era=winter&players=4");
    const StringSet combined = MapsWhere(
        [](const json& map) { return map["side"] == 64 && map["era_name"] == "winter" && map["players"] == 4; });
    ASSERT_FALSE(combined.empty());
    EXPECT_EQ(VisibleCards(), combined);

    GoTo("era=swamp");
    EXPECT_EQ(VisibleCards(), MapsWhere([](const json& map) { return map["era_name"] == "swamp"; }));

    GoTo("");
    EXPECT_EQ(VisibleCards().size(), MapsWhere([](const json&) { return true; }).size());
}

TEST_F(GalleryInBrowser, SearchesNamesAndDescriptionsAsTypedAndPutsTheSearchInTheFragment)
{
    const StringSet golf = MapsWhere([](const json& map) { return SearchFinds(map, "golf"); });
    ASSERT_GE(golf.size(), 3u);  // by name, in a sub-folder, by description

    // Typed from the keyboard into the search field.
    browser_->Evaluate("document.getElementById('q').focus()");
    browser_->Command("Input.insertText", {{"text", "GoLf"}});
    EXPECT_EQ(VisibleCards(), golf);
    EXPECT_EQ(browser_->Evaluate("location.hash"), "#q=GoLf");

    // Opening the linked view afresh shows the same cards.
    Open("#q=golf&sort=players");
    EXPECT_EQ(VisibleCards(), golf);
    EXPECT_EQ(browser_->Evaluate("document.getElementById('q').value"), "golf");

    GoTo("q=%3C%2Fscript%3E");  // "</script>" stays text in a description
    EXPECT_EQ(VisibleCards(), (StringSet{InScenarios("sub/war%20<b>&'quote\".pud")}));
}

// Curators look for an author, who is usually a folder, and for names
// written with underscores and hyphens.
TEST_F(GalleryInBrowser, SearchesFoldersTooAndTakesUnderscoresAndHyphensForSpaces)
{
    const std::string master = InScenarios("sub/1vs7_Master-Challenge.pud");
    GoTo("q=master%20challenge");
    const StringSet challenge = MapsWhere([](const json& map) { return SearchFinds(map, "master challenge"); });
    EXPECT_EQ(challenge.count(master), 1u);
    EXPECT_EQ(VisibleCards(), challenge);

    // Typed with other separators and letter case, the search finds the same.
    browser_->Evaluate("document.getElementById('q').select()");
    browser_->Command("Input.insertText", {{"text", "MASTER_challenge"}});
    EXPECT_EQ(browser_->Evaluate("location.hash"), "#q=MASTER_challenge");
    EXPECT_EQ(VisibleCards(), challenge);

    // A folder's name finds the maps below it, at any depth.
    GoTo("q=deeper");
    EXPECT_EQ(VisibleCards(), StringSet{InScenarios("sub/deeper/Crazy Golf #1.pud")});
    GoTo("q=scenarios-2");
    const StringSet second = MapsWhere([](const json& map) { return SearchFinds(map, "scenarios 2"); });
    EXPECT_EQ(second.count("scenarios-2/golf course.pud"), 1u);
    EXPECT_EQ(VisibleCards(), second);
    GoTo("q=SUB/deeper");
    EXPECT_EQ(VisibleCards(), StringSet{InScenarios("sub/deeper/Crazy Golf #1.pud")});
}

// A link typed by hand or pasted from elsewhere: the values are trimmed,
// and the words of era and sort are taken in any letter case.
TEST_F(GalleryInBrowser, TakesTheFragmentsValuesTrimmedAndInAnyLetterCase)
{
    GoTo("era=Winter");
    EXPECT_EQ(VisibleCards(), MapsWhere([](const json& map) { return map["era_name"] == "winter"; }));
    EXPECT_EQ(browser_->Evaluate("document.getElementById('era').value"), "winter");

    GoTo("side=%2064%20&era=%20SWAMP&players=%202");
    const StringSet swamp64 = MapsWhere(
        [](const json& map) { return map["side"] == 64 && map["era_name"] == "swamp" && map["players"] == 2; });
    ASSERT_FALSE(swamp64.empty());
    EXPECT_EQ(VisibleCards(), swamp64);
    EXPECT_EQ(browser_->Evaluate("['side', 'era', 'players'].map((id) => document.getElementById(id).value)"),
              json({"64", "swamp", "2"}));

    Open("#q=%20golf%20&sort=PLAYERS");
    const GalleryView golf = ReadView(*browser_);
    EXPECT_EQ(StringSet(golf.Maps.begin(), golf.Maps.end()),
              MapsWhere([](const json& map) { return SearchFinds(map, "golf"); }));
    EXPECT_TRUE(std::is_sorted(golf.Players.begin(), golf.Players.end(),
                               [](const std::string& a, const std::string& b) { return std::stoi(a) > std::stoi(b); }))
        << "not sorted by players";
    EXPECT_EQ(browser_->Evaluate("['q', 'sort'].map((id) => document.getElementById(id).value)"),
              json({"golf", "players"}));
}

// Maps of one name from two collections and a file given by itself: each
// is a card of its own, found by its name and shown with its collection.
TEST_F(GalleryInBrowser, MapsOfOneNameInSeveralCollectionsAreCardsOfTheirOwnAndFoundByName)
{
    const std::vector<std::string> cards = ReadView(*browser_).Maps;
    EXPECT_EQ(StringSet(cards.begin(), cards.end()).size(), cards.size()) << "a data-map shared by two cards";
    EXPECT_EQ(cards.size(), MapsWhere([](const json&) { return true; }).size());

    const StringSet golfCourses{InScenarios("golf course.pud"), "scenarios-2/golf course.pud", "golf course.pud",
                                "golf course-2.pud"};
    GoTo("q=golf%20course");
    EXPECT_EQ(VisibleCards(), golfCourses);
    const json folders = browser_->Evaluate(
        "Object.fromEntries([...document.querySelectorAll('[data-map]')].filter((c) => !c.hidden)"
        ".map((c) => [c.dataset.map, c.querySelector('.folder').hidden ? '' : c.querySelector('.folder').textContent]))");
    EXPECT_EQ(folders, (json{{"scenarios/golf course.pud", "scenarios"},
                             {"scenarios-2/golf course.pud", "scenarios-2"},
                             {"golf course.pud", ""},
                             {"golf course-2.pud", ""}}));
    GoTo("q=its%20own%20too");
    EXPECT_EQ(VisibleCards(), StringSet{"golf course-2.pud"});
}

TEST_F(GalleryInBrowser, SortsByPlayersMostFirstThenByName)
{
    GoTo("sort=players");
    const GalleryView shown = ReadView(*browser_);
    ASSERT_EQ(shown.Maps.size(), MapsWhere([](const json&) { return true; }).size());
    for (std::size_t k = 1; k < shown.Maps.size(); ++k) {
        const int before = std::stoi(shown.Players[k - 1]);
        const int after = std::stoi(shown.Players[k]);
        EXPECT_GE(before, after) << shown.Maps[k - 1] << " before " << shown.Maps[k];
    }
    EXPECT_EQ(shown.Players.front(), "8");
    EXPECT_EQ(browser_->Evaluate("document.getElementById('sort').value"), "players");
}

// The skip link once set the fragment to "#maps", which dropped the filter
// and the sort, and left the focus at the top of the page.
TEST_F(GalleryInBrowser, TheSkipLinkTakesTheKeyboardToTheMapsAndKeepsTheView)
{
    GoTo("era=winter&sort=players");
    const StringSet winter = MapsWhere([](const json& map) { return map["era_name"] == "winter"; });
    ASSERT_EQ(VisibleCards(), winter);

    browser_->Evaluate("document.querySelector('.skip').focus()");
    PressKey("Enter", "Enter", 13, "\r");
    browser_->Evaluate("new Promise((done) => setTimeout(done, 100))");
    EXPECT_EQ(browser_->Evaluate("location.hash"), "#era=winter&sort=players");
    EXPECT_EQ(VisibleCards(), winter);
    EXPECT_EQ(browser_->Evaluate("document.activeElement.id"), "maps");
}

// Every byte-identical file but the first in name order says which map it
// copies; the check box and the fragment leave the copies out.
TEST_F(GalleryInBrowser, MarksByteIdenticalCopiesAndHidesThemByTheBoxOrTheFragment)
{
    const GalleryView all = ReadView(*browser_);
    std::map<std::string, std::string> hashes;
    for (const json& map : *maps_)
        if (map.contains("sha256"))
            hashes[map["path"]] = map["sha256"];
    std::map<std::string, std::size_t> placeOf;
    for (std::size_t k = 0; k < all.Maps.size(); ++k)
        placeOf[all.Maps[k]] = k;
    StringSet copies, originals;
    for (std::size_t k = 0; k < all.Maps.size(); ++k) {
        const std::string& original = all.CopyOf[k];
        if (original.empty()) {
            EXPECT_TRUE(originals.insert(hashes[all.Maps[k]]).second) << all.Maps[k] << " is a copy not marked";
            continue;
        }
        copies.insert(all.Maps[k]);
        EXPECT_EQ(hashes[all.Maps[k]], hashes[original]) << all.Maps[k];
        ASSERT_TRUE(placeOf.contains(original)) << original;
        EXPECT_LT(placeOf[original], k) << "the original comes first";
        EXPECT_EQ(all.CopyOf[placeOf[original]], "") << "an original is no copy";
    }
    EXPECT_TRUE(copies.contains(InScenarios(SnowCopy)));
    EXPECT_EQ(all.CopyOf[placeOf[InScenarios(SnowCopy)]], InScenarios("snow.pud"));
    GoTo("q=snow%20copy");
    EXPECT_EQ(browser_->Evaluate("(() => { const c = document.querySelector('.copy-of'); "
                                 "return c.hidden ? '' : c.textContent; })()"),
              "Copy of " + InScenarios("snow.pud"));

    // The check box, by the keyboard: the fragment and the view follow it.
    GoTo("");
    StringSet originalsOnly(all.Maps.begin(), all.Maps.end());
    for (const std::string& copy : copies)
        originalsOnly.erase(copy);
    browser_->Evaluate("document.getElementById('copies').focus()");
    PressKey(" ", "Space", 32, " ");
    browser_->Evaluate("new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done)))");
    EXPECT_EQ(browser_->Evaluate("location.hash"), "#copies=hide");
    EXPECT_EQ(VisibleCards(), originalsOnly);
    EXPECT_EQ(browser_->Evaluate("document.getElementById('summary').textContent").get<std::string>().rfind(
                  "Showing " + cli::GroupedNumber(originalsOnly.size()) + " of " + cli::GroupedNumber(all.Maps.size()),
                  0),
              0u);

    // A linked view, in any letter case, with the other filters.
    Open("#copies=HIDE&q=snow");
    EXPECT_EQ(browser_->Evaluate("document.getElementById('copies').checked"), true);
    StringSet snowy = MapsWhere([](const json& map) { return SearchFinds(map, "snow"); });
    ASSERT_TRUE(snowy.contains(InScenarios(SnowCopy)));
    StringSet snowyOriginals = snowy;
    for (const std::string& copy : copies)
        snowyOriginals.erase(copy);
    EXPECT_EQ(VisibleCards(), snowyOriginals);
    EXPECT_TRUE(snowyOriginals.contains(InScenarios("snow.pud")));
    EXPECT_EQ(browser_->Evaluate("document.querySelector('label.toggle').textContent.trim()"),
              "Hide copies (" + std::to_string(copies.size()) + ")");
    GoTo("q=snow");
    EXPECT_EQ(browser_->Evaluate("document.getElementById('copies').checked"), false);
    EXPECT_EQ(VisibleCards(), snowy);
}

// Each card offers the scenario file itself, named as the card is, and its
// minimap opens a picture of twice the card's side; both lie in the site.
TEST_F(GalleryInBrowser, EachCardOffersItsScenarioFileAndALargerPicture)
{
    const GalleryView view = ReadView(*browser_);
    std::map<std::string, json> byPath;
    for (const json& map : *maps_)
        byPath[map["path"]] = map;
    for (std::size_t k = 0; k < view.Maps.size(); ++k) {
        const json& map = byPath[view.Maps[k]];
        EXPECT_EQ(view.Download[k], map["scenario"]) << view.Maps[k];
        EXPECT_EQ(view.Preview[k], map["preview"]) << view.Maps[k];
        EXPECT_EQ(view.Preview[k].rfind("previews/", 0), 0u) << view.Maps[k];
    }
    const std::string golf = InScenarios("sub/deeper/Crazy Golf #1.pud");
    const json& golfMap = byPath[golf];
    EXPECT_EQ(ReadFileBytes(site() + "/" + "minimaps/scenarios/sub/deeper/Crazy Golf #1.pud"),
              ReadFileBytes(folder_->File("scenarios/sub/deeper/Crazy Golf #1.pud")));
    GoTo("q=crazy%20golf");
    const json card = browser_->Evaluate(R"((async () => {
      const card = document.querySelector('[data-map]');
      const link = card.querySelector('.minimap');
      const picture = new Image();
      await new Promise((done) => { picture.onload = done; picture.onerror = done; picture.src = link.href; });
      const download = card.querySelector('.download');
      return {width: picture.naturalWidth, cardWidth: card.querySelector('img').naturalWidth,
              label: link.getAttribute('aria-label'), file: download.getAttribute('download'),
              text: download.textContent, image: card.querySelector('img').getAttribute('src')};
    })())");
    EXPECT_EQ(card["cardWidth"], 160);
    EXPECT_EQ(card["width"], 320);
    EXPECT_EQ(card["label"], "Minimap of Crazy Golf #1, larger");
    EXPECT_EQ(card["file"], "Crazy Golf #1.pud");
    EXPECT_EQ(card["text"], "Download Crazy Golf #1.pud");
    EXPECT_EQ(card["image"], golfMap["minimap"]);
}

// A human player picks a race when the game is set up: the card shows a
// race for the computer players only, and counts the rescue players apart.
TEST_F(GalleryInBrowser, PlayersShowHumansAndComputersApartWithRacesOnlyWhereTheFileFixesThem)
{
    GoTo("q=putting%20green");  // 8 slots: human, computer, human, ... with races human, orc, ...
    const json card = browser_->Evaluate(R"((() => {
      const card = document.querySelector('[data-map]');
      return {count: card.querySelector('.count').textContent,
              chips: [...card.querySelectorAll('.chip')].map((c) => [c.textContent, c.getAttribute('aria-label')]),
              rescue: card.querySelector('.rescue').hidden};
    })())");
    EXPECT_EQ(card["count"], "4 human, 4 computer");
    EXPECT_EQ(card["chips"], json::parse(R"([["O", "Player 2: computer, orc"], ["O", "Player 4: computer, orc"],
                                             ["O", "Player 6: computer, orc"], ["O", "Player 8: computer, orc"]])"));
    EXPECT_EQ(card["rescue"], true);

    const std::string corpus = TESSEL_CORPUS_DIR;
    if (!fs::is_regular_file(corpus + "/el_papa_96x96.pud"))
        GTEST_SKIP() << "no corpus at " << corpus;
    GoTo("q=el%20papa");  // rescue players in slots 1 and 3
    const json papa = browser_->Evaluate(R"((() => {
      const card = document.querySelector('[data-map]');
      const rescue = card.querySelector('.rescue');
      return {count: card.querySelector('.count').textContent, chips: card.querySelectorAll('.chip').length,
              rescue: rescue.hidden ? '' : rescue.textContent};
    })())");
    EXPECT_EQ(papa["count"], "4 human, 2 computer");
    EXPECT_EQ(papa["chips"], 2);
    EXPECT_EQ(papa["rescue"], "+ 2 rescue");
}

TEST_F(GalleryInBrowser, FitsAPhoneScreenWithoutScrollingSideways)
{
    // The window narrows under the open page: the cards take the one column.
    browser_->Command("Emulation.setDeviceMetricsOverride",
                      {{"width", 375}, {"height", 740}, {"deviceScaleFactor", 2}, {"mobile", true}});
    EXPECT_EQ(VisibleCards().size(), MapsWhere([](const json&) { return true; }).size());
    EXPECT_EQ(browser_->Evaluate("document.documentElement.scrollWidth <= window.innerWidth"), true);

    Open("");
    EXPECT_EQ(browser_->Evaluate("document.documentElement.scrollWidth <= window.innerWidth"), true);
    EXPECT_EQ(browser_->Evaluate("getComputedStyle(document.getElementById('maps')).gridTemplateColumns.split(' ')"
                                 ".length"),
              1);
}

}  // namespace
}  // namespace tessel::test
