#include "TestSupport.h"

#include "EmbeddedFiles.h"
#include "GalleryPage.h"
#include "ScenarioJson.h"
#include "GalleryCards.h"
#include "ScenarioWriter.h"

namespace tessel::test {
namespace {

using cli::JsonObject;

TEST(GalleryPage, EscapesTextForHtmlAndPathsForUrls)
{
    EXPECT_EQ(cli::HtmlText("Tom & Jerry's <b>\"map\"</b>"),
              "Tom &amp; Jerry&#39;s &lt;b&gt;&quot;map&quot;&lt;/b&gt;");
    const struct {
        std::string path, url;
    } urls[] = {
        {"minimaps/a/b-c_d.e~f.png", "minimaps/a/b-c_d.e~f.png"},
        {"minimaps/Crazy Golf #1?.png", "minimaps/Crazy%20Golf%20%231%3F.png"},
        {"minimaps/100%&<'\">.png", "minimaps/100%25%26%3C%27%22%3E.png"},
        {"minimaps/\xC3\x86r\xC3\xB8.png", "minimaps/%C3%86r%C3%B8.png"},
        {"minimaps/\xFF\x80.png", "minimaps/%FF%80.png"},  // not UTF-8: still the file's bytes
    };
    for (const auto& c : urls)
        EXPECT_EQ(cli::RelativeUrl(c.path), c.url);
}

TEST(GalleryPage, DataInTheScriptElementCannotEndItAndReadsBackUnchanged)
{
    const JsonObject maps = JsonObject::array({JsonObject{{"path", "</script><!--x.pud"}, {"description", "a < b"}}});
    const std::string text = cli::JsonForScript(maps);
    EXPECT_EQ(text.find('<'), std::string::npos);
    EXPECT_EQ(JsonObject::parse(text), maps);
}

// The title and what the data fills in are filled in once: neither can
// fill in the other.
TEST(GalleryPage, FillsInTheTitleAndTheDataOnce)
{
    const JsonObject maps = JsonObject::array({JsonObject{{"path", "{{title}}.pud"}, {"error", "Error: {{summary}}"}}});
    const std::string page = cli::GalleryIndexPage("My {{failures}} & maps", maps);
    EXPECT_NE(page.find("<title>My {{failures}} &amp; maps</title>"), std::string::npos);
    EXPECT_NE(page.find("<h1>My {{failures}} &amp; maps</h1>"), std::string::npos);
    EXPECT_NE(page.find("<li data-failed=\"{{title}}.pud\"><code>{{title}}.pud</code>: "
                        "<span class=\"message\">Error: {{summary}}</span></li>"),
              std::string::npos);
    EXPECT_NE(page.find(">Showing 0 of 0 maps; 1 could not be read.</p>"), std::string::npos);
}

// What shows before the script runs: the count, the filter's choices and
// the failures, as the script would write them.
TEST(GalleryPage, StatesTheCountTheChoicesOfTheFiltersAndTheFailuresInThePageItself)
{
    JsonObject maps = JsonObject::array();
    const int sides[] = {64, 128, 32, 64};
    const std::optional<int> players[] = {2, std::nullopt, 8, 2};
    for (int k = 0; k < 4; ++k) {
        TScenarioInfo info;
        info.MapSize = static_cast<uint16_t>(sides[k]);
        info.Players = players[k];
        maps.push_back(cli::ScenarioJson("m" + std::to_string(k) + ".pud", info));
        maps.back()["minimap"] = "minimaps/m.png";
    }
    maps.push_back(cli::FailureJson("a<b>&\xFF.pud", "Error: \"bad\"\nError: worse"));
    const std::string page = cli::GalleryIndexPage("Maps", maps);
    EXPECT_NE(page.find("<p id=\"summary\" role=\"status\">Showing 4 of 4 maps; 1 could not be read.</p>"),
              std::string::npos);
    EXPECT_NE(page.find("<option value=\"\">Any</option><option value=\"32\">32 \u00d7 32</option>"
                        "<option value=\"64\">64 \u00d7 64</option>"
                        "<option value=\"128\">128 \u00d7 128</option></select>"),
              std::string::npos);
    EXPECT_NE(page.find("<option value=\"\">Any</option><option value=\"2\">2</option><option value=\"8\">8</option>"
                        "</select>"),
              std::string::npos);
    // The name as maps.json gives it: valid UTF-8, U+FFFD for the stray byte.
    EXPECT_NE(page.find("<li data-failed=\"a&lt;b&gt;&amp;\xEF\xBF\xBD.pud\">"
                        "<code>a&lt;b&gt;&amp;\xEF\xBF\xBD.pud</code>: "
                        "<span class=\"message\">Error: &quot;bad&quot;\nError: worse</span></li>"),
              std::string::npos);
    EXPECT_NE(page.find("aria-labelledby=\"failures-title\">"), std::string::npos) << "failures shown";

    maps.erase(maps.size() - 1);
    maps.erase(maps.size() - 1);
    maps.erase(maps.size() - 1);
    maps.erase(maps.size() - 1);
    const std::string one = cli::GalleryIndexPage("Maps", maps);
    EXPECT_NE(one.find(">Showing 1 of 1 map.</p>"), std::string::npos);
    EXPECT_NE(one.find("aria-labelledby=\"failures-title\" hidden>"), std::string::npos) << "no failures, none shown";

    const std::pair<std::size_t, const char*> numbers[] = {
        {0, "0"}, {999, "999"}, {1000, "1,000"}, {5250, "5,250"}, {100000, "100,000"}, {1234567, "1,234,567"}};
    for (const auto& [number, text] : numbers)
        EXPECT_EQ(cli::GroupedNumber(number), text);
}

// The page loads its table as scripts; each holds its part once, and a
// smaller gallery written over a larger one leaves none of its parts.
TEST(GalleryPage, WritesTheTableOfCardsAsScriptsAndLeavesNoPartsOfAnEarlierLargerGallery)
{
    TempDir dir;
    const auto mapsOf = [](std::size_t count) {
        JsonObject maps = JsonObject::array();
        for (std::size_t k = 0; k < count; ++k) {
            maps.push_back(cli::ScenarioJson("m" + std::to_string(k) + ".pud", TScenarioInfo()));
            maps.back()["minimap"] = "minimaps/m" + std::to_string(k) + ".png";
        }
        return maps;
    };
    const JsonObject large = mapsOf(cli::FirstPartCards + cli::PartCards + 1);
    cli::WriteGallerySite(dir.Path(), "Maps", large);
    WriteText(dir.File("cards/notes.txt"), "mine");
    EXPECT_EQ(FolderEntries(dir.File("cards")), (std::vector<std::string>{"1.js", "2.js", "3.js", "notes.txt"}));
    const std::vector<JsonObject> parts = cli::CardTableParts(cli::CardsInNameOrder(large), 0);
    const std::string before = "(self.galleryParts = self.galleryParts || []).push(", after = ");\n";
    for (std::size_t k = 0; k < parts.size(); ++k) {
        const std::string text = ReadText(dir.File(cli::CardPartName(k)));
        ASSERT_EQ(text.substr(0, before.size()), before);
        ASSERT_EQ(text.substr(text.size() - after.size()), after);
        EXPECT_EQ(JsonObject::parse(text.substr(before.size(), text.size() - before.size() - after.size())), parts[k]);
    }
    EXPECT_EQ(JsonObject::parse(ReadText(dir.File("maps.json"))), large);

    cli::WriteGallerySite(dir.Path(), "Maps", mapsOf(2));
    EXPECT_EQ(FolderEntries(dir.File("cards")), (std::vector<std::string>{"1.js", "notes.txt"}));
}

TEST(GalleryPage, CarriesTheRepositorysPageStyleSheetAndScript)
{
    const std::string folder = TESSEL_SOURCE_DIR "/cli/gallery/";
    for (const char* name : {"index.html", "gallery.js"})
        EXPECT_EQ(std::string(cli::GalleryFile(name)), ReadText(folder + name)) << name;
    // The style sheet: Tessel's look, which the web page shares, then the
    // gallery's own rules.
    EXPECT_EQ(std::string(cli::GalleryFile("gallery.css")),
              ReadText(folder + "look.css") + "\n" + ReadText(folder + "gallery.css"));
    EXPECT_EQ(cli::GalleryFiles().size(), 3u);
    EXPECT_THROW(cli::GalleryFile("missing.js"), std::out_of_range);
}

TEST(ScenarioJson, NamesEveryFieldAndGivesNullForWhatIsUnknown)
{
    TScenarioInfo info;
    info.Era = 3;
    info.MapSize = 96;
    info.UnitCount = 12;
    info.Version = 0x13;
    info.Description = "\xC3\x86r\xC3\xB8";
    info.Players = 2;
    info.HumanSeats = 1;
    info.ComputerSeats = 1;
    info.RescueSlots = 2;
    info.GoldMines = 3;
    info.Gold = 5000000000;
    info.OilPatches = 1;
    info.Slots[0] = {PlayerController::Human, PlayerRace::Orc, 1, 2, 3, TilePosition{4, 5}};
    info.Slots[1] = {PlayerController::RescueActive, PlayerRace::Neutral, std::nullopt, 0, 65535, std::nullopt};
    const std::string expected =
        R"({"path":"sub/a.pud","era":3,"era_name":"swamp","side":96,"units":12,"version":19,"description":"Ærø",)"
        R"("players":2,"human_seats":1,"computer_seats":1,"rescue_slots":2,)"
        R"("gold_mines":3,"gold":5000000000,"oil_patches":1,"slots":[)"
        R"({"controller":"human","race":"orc","race_fixed":false,"gold":1,"lumber":2,"oil":3,"start":{"x":4,"y":5}},)"
        R"({"controller":"rescue active","race":"neutral","race_fixed":true,"gold":null,"lumber":0,"oil":65535,)"
        R"("start":null})";
    const std::string unknown =
        R"({"controller":null,"race":null,"race_fixed":null,"gold":null,"lumber":null,"oil":null,"start":null})";
    std::string slots;
    for (int k = 2; k < 8; ++k)
        slots += "," + unknown;
    EXPECT_EQ(cli::JsonLine(cli::ScenarioJson("sub/a.pud", info)), expected + slots + "]}");

    const std::string nothing = cli::JsonLine(cli::ScenarioJson("b.pud", TScenarioInfo()));
    EXPECT_NE(nothing.find(R"("version":null,"description":null,"players":null,"human_seats":null,)"
                           R"("computer_seats":null,"rescue_slots":null,)"),
              std::string::npos);
    EXPECT_EQ(cli::JsonLine(cli::FailureJson("\xFF.pud", "Error: x")),
              "{\"path\":\"\xEF\xBF\xBD.pud\",\"error\":\"Error: x\"}");  // U+FFFD for what is not UTF-8
}

}  // namespace
}  // namespace tessel::test
