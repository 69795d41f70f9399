#include "TestSupport.h"

#include "EmbeddedFiles.h"
#include "GalleryPage.h"
#include "ScenarioJson.h"
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

// The title and the data are filled in once: neither can fill in the other.
TEST(GalleryPage, FillsInTheTitleAndTheDataOnce)
{
    const JsonObject maps = JsonObject::array({JsonObject{{"path", "{{title}}.pud"}}});
    const std::string page = cli::GalleryIndexPage("My {{data}} & maps", maps);
    EXPECT_NE(page.find("<title>My {{data}} &amp; maps</title>"), std::string::npos);
    EXPECT_NE(page.find("<h1>My {{data}} &amp; maps</h1>"), std::string::npos);
    const std::string open = "<script id=\"gallery-data\" type=\"application/json\">";
    const std::size_t start = page.find(open) + open.size();
    EXPECT_EQ(JsonObject::parse(page.substr(start, page.find("</script>", start) - start)), maps);
}

TEST(GalleryPage, CarriesTheRepositorysPageStyleSheetAndScript)
{
    const std::string folder = TESSEL_SOURCE_DIR "/cli/gallery/";
    for (const char* name : {"index.html", "gallery.css", "gallery.js"})
        EXPECT_EQ(std::string(cli::GalleryFile(name)), ReadText(folder + name)) << name;
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
    info.GoldMines = 3;
    info.Gold = 5000000000;
    info.OilPatches = 1;
    info.Slots[0] = {PlayerController::Human, PlayerRace::Orc, 1, 2, 3, TilePosition{4, 5}};
    info.Slots[1] = {PlayerController::RescueActive, PlayerRace::Neutral, std::nullopt, 0, 65535, std::nullopt};
    const std::string expected =
        R"({"path":"sub/a.pud","era":3,"era_name":"swamp","side":96,"units":12,"version":19,"description":"Ærø",)"
        R"("players":2,"gold_mines":3,"gold":5000000000,"oil_patches":1,"slots":[)"
        R"({"controller":"human","race":"orc","gold":1,"lumber":2,"oil":3,"start":{"x":4,"y":5}},)"
        R"({"controller":"rescue active","race":"neutral","gold":null,"lumber":0,"oil":65535,"start":null})";
    const std::string unknown =
        R"({"controller":null,"race":null,"gold":null,"lumber":null,"oil":null,"start":null})";
    std::string slots;
    for (int k = 2; k < 8; ++k)
        slots += "," + unknown;
    EXPECT_EQ(cli::JsonLine(cli::ScenarioJson("sub/a.pud", info)), expected + slots + "]}");

    const std::string nothing = cli::JsonLine(cli::ScenarioJson("b.pud", TScenarioInfo()));
    EXPECT_NE(nothing.find(R"("version":null,"description":null,"players":null,)"), std::string::npos);
    EXPECT_EQ(cli::JsonLine(cli::FailureJson("\xFF.pud", "Error: x")),
              "{\"path\":\"\xEF\xBF\xBD.pud\",\"error\":\"Error: x\"}");  // U+FFFD for what is not UTF-8
}

}  // namespace
}  // namespace tessel::test
