// The web page as built, in headless Chromium: scenarios chosen in its
// inputs or dropped on it (the demo maps, the real maps of the corpus, a
// damaged file and one past the size limit) are drawn in a worker by the
// core built as WebAssembly, and every image must show the pixels that
// tessel-cli render gives the same map at the same side.
#include "ChromiumSession.h"

#include "ArchiveWriter.h"
#include "CliRun.h"
#include "ScenarioWriter.h"
#include "TestEra.h"
#include "TestSupport.h"
#include "era/Era.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

using StringSet = std::set<std::string>;
using Images = std::map<std::string, std::vector<uint8_t>>;  // PNG or BMP bytes by map name

const std::string PageFile = TESSEL_WEB_PAGE;
constexpr const char* BrokenMap = "broken.pud";        // an ERA chunk and nothing else
constexpr const char* OversizedMap = "oversized.pud";  // one byte past the size limit

std::string StemOf(const std::string& name) { return fs::path(name).stem().string(); }

std::vector<uint8_t> RgbOfPng(const std::vector<uint8_t>& png, const TempDir& scratch)
{
    const std::string path = scratch.File("decoded.png");
    WriteFileBytes(path, png);
    const DecodedPng decoded = DecodePng(path);
    return decoded.RgbPixels();
}

// Runs a program and returns its exit status.
int RunProgram(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class WebPageInBrowser : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new TempDir;
        ASSERT_EQ(RunTesselCli({"demo", folder_->File("demo")}).Status, 0);
        for (const auto& entry : fs::directory_iterator(folder_->File("demo/scenarios")))
            demoMaps_.push_back(entry.path().string());
        std::sort(demoMaps_.begin(), demoMaps_.end());

        const std::string damaged = folder_->File("damaged");
        fs::create_directories(damaged);
        ScenarioWriter().Chunk(chunk_tag::Era, EraChunkData(0)).WriteTo(damaged + "/" + BrokenMap);
        // Sparse: the page must refuse it without reading it whole.
        WriteFileBytes(damaged + "/" + OversizedMap, {});
        fs::resize_file(damaged + "/" + OversizedMap, 4 * 1024 * 1024 + 1);
        damagedMaps_ = {damaged + "/" + BrokenMap, damaged + "/" + OversizedMap};

        // Chromium reads no file by a path that holds "..".
        const std::string corpus = fs::absolute(TESSEL_CORPUS_DIR).lexically_normal().string();
        if (fs::is_directory(corpus))
            for (const auto& entry : fs::directory_iterator(corpus))
                if (entry.path().extension() == ".pud")
                    corpusMaps_.push_back(entry.path().string());
        std::sort(corpusMaps_.begin(), corpusMaps_.end());

        // Eras of colours of their own, so that an image drawn with the
        // built-in tileset can never pass for one drawn with this archive.
        ArchiveWriter archive;
        for (int32_t era = 0; era < 4; ++era)
            archive.Era(era, MakeTestEra(static_cast<uint8_t>(11 + 17 * era), 64));
        fs::create_directories(folder_->File("archive"));
        archive.WriteTo(archivePath());
    }

    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
        demoMaps_.clear();
        damagedMaps_.clear();
        corpusMaps_.clear();
    }

    void SetUp() override
    {
        if (ChromiumSession::ProgramPath().empty())
            GTEST_SKIP() << "no chromium program; scripts/install-deps.sh installs it";
        ASSERT_TRUE(fs::is_regular_file(PageFile)) << PageFile << " was not built";
        downloads_ = scratch_.File("downloads");
        fs::create_directories(downloads_);
        browser_ = std::make_unique<ChromiumSession>(scratch_.File("profile"));
        browser_->RecordRequests();
        browser_->BrowserCommand("Browser.setDownloadBehavior", {{"behavior", "allow"}, {"downloadPath", downloads_}});
    }

    void TearDown() override
    {
        if (!browser_)
            return;
        EXPECT_EQ(browser_->Errors(), std::vector<std::string>()) << "errors in the page or its workers";
        std::vector<std::string> elsewhere;
        for (const std::string& url : browser_->Requests())
            if (!IsLocal(url))
                elsewhere.push_back(url);
        EXPECT_EQ(elsewhere, std::vector<std::string>()) << "requests that leave the page's own files";
    }

    // The page's files, the images and workers it makes, and the site that
    // serves it are all it may ask for.
    bool IsLocal(const std::string& url) const
    {
        for (const char* scheme : {"file:", "blob:", "data:"})
            if (url.rfind(scheme, 0) == 0)
                return true;
        return !site_.empty() && url.rfind(site_, 0) == 0;
    }

    void OpenFromDisk() { browser_->Navigate("file://" + fs::absolute(PageFile).lexically_normal().string()); }

    static std::string archivePath() { return folder_->File("archive/MAINDAT.WAR"); }

    static std::vector<std::string> DemoAndDamaged()
    {
        std::vector<std::string> maps = demoMaps_;
        maps.insert(maps.end(), damagedMaps_.begin(), damagedMaps_.end());
        return maps;
    }

    // Waits until the page shows count cards, none of them still drawing.
    void AwaitCards(std::size_t count)
    {
        const json shown = browser_->Evaluate("new Promise((done) => { const look = () => {"
                                              " const cards = [...document.querySelectorAll('[data-map]')];"
                                              " if (cards.length >= " +
                                              std::to_string(count) +
                                              " && cards.every((card) => !card.hasAttribute('aria-busy')))"
                                              " done(cards.length); else setTimeout(look, 20); }; look(); })");
        ASSERT_EQ(shown, count);
    }

    // The image bytes of every card that shows one, fetched from the page.
    Images ImagesShown()
    {
        const json shown = browser_->Evaluate(R"(
            Promise.all([...document.querySelectorAll('[data-map]:not([data-failed])')].map(async (card) => {
              const bytes = new Uint8Array(await (await fetch(card.querySelector('img').src)).arrayBuffer());
              let text = '';
              for (let k = 0; k < bytes.length; k += 8192)
                text += String.fromCharCode(...bytes.subarray(k, k + 8192));
              return [card.dataset.map, btoa(text)];
            })))");
        Images images;
        for (const json& entry : shown)
            images[entry[0].get<std::string>()] = FromBase64(entry[1].get<std::string>());
        return images;
    }

    // The messages of every card that failed.
    std::map<std::string, std::string> FailuresShown()
    {
        return browser_
            ->Evaluate("Object.fromEntries([...document.querySelectorAll('[data-failed]')].map((card) => "
                       "[card.dataset.map, [...card.querySelectorAll('.message')].map((m) => m.textContent)"
                       ".join('\\n')]))")
            .get<std::map<std::string, std::string>>();
    }

    // What tessel-cli render writes for the maps with options: the images
    // by map name, and the message lines of each map that failed.
    struct CliOutput {
        Images Written;
        std::map<std::string, std::string> Failures;
    };
    CliOutput RenderWithCli(const std::vector<std::string>& maps, const std::vector<std::string>& options)
    {
        const std::string out = scratch_.File("cli-" + std::to_string(++cliRuns_));
        std::vector<std::string> args{"render", "--no-settings", "-q", "-o", out};
        args.insert(args.end(), options.begin(), options.end());
        args.insert(args.end(), maps.begin(), maps.end());
        const CliRun run = RunTesselCli(args);
        CliOutput output;
        const std::string extension =
            std::find(options.begin(), options.end(), "bmp") != options.end() ? ".bmp" : ".png";
        for (const std::string& map : maps) {
            const std::string name = fs::path(map).filename().string();
            const std::string image = out + "/" + StemOf(name) + extension;
            if (FileExists(image))
                output.Written[name] = ReadFileBytes(image);
        }
        std::istringstream lines(run.Error);
        for (std::string line; std::getline(lines, line);) {
            const std::size_t colon = line.find(": ");
            if (colon == std::string::npos)
                continue;
            std::string& failure = output.Failures[line.substr(0, colon)];
            failure += (failure.empty() ? "" : "\n") + line.substr(colon + 2);
        }
        return output;
    }

    // Every image shown has the pixels of tessel-cli's image of its map,
    // and the same maps fail with the same messages.
    void ExpectImagesOfCli(const std::vector<std::string>& maps, const std::vector<std::string>& options)
    {
        const CliOutput expected = RenderWithCli(maps, options);
        const Images shown = ImagesShown();
        StringSet shownNames, expectedNames;
        for (const auto& [name, png] : shown)
            shownNames.insert(name);
        for (const auto& [name, png] : expected.Written)
            expectedNames.insert(name);
        ASSERT_EQ(shownNames, expectedNames) << "failures shown: " << json(FailuresShown()).dump(1);
        for (const auto& [name, png] : shown)
            EXPECT_TRUE(RgbOfPng(png, scratch_) == RgbOfPng(expected.Written.at(name), scratch_))
                << name << " differs from tessel-cli render's image";
        EXPECT_EQ(FailuresShown(), expected.Failures);
    }

    // The file the browser downloaded as name, once it is complete: the
    // browser holds the name with an empty file until it renames the whole
    // download onto it, and none of the page's downloads is empty.
    std::vector<uint8_t> AwaitDownload(const std::string& name)
    {
        const fs::path path = downloads_ + "/" + name;
        const auto complete = [&path] {
            std::error_code error;
            return fs::file_size(path, error) > 0 && !error;
        };
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!complete() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(complete()) << name << " was not downloaded";
        return complete() ? ReadFileBytes(path) : std::vector<uint8_t>();
    }

    void PressKey(const std::string& key, int code, const std::string& text = "")
    {
        for (const char* type : {"keyDown", "keyUp"})
            browser_->Command("Input.dispatchKeyEvent", {{"type", type},
                                                         {"key", key},
                                                         {"code", key},
                                                         {"windowsVirtualKeyCode", code},
                                                         {"text", type == std::string("keyDown") ? text : ""}});
    }

    // What has the keyboard focus: its id, or its class and its card.
    std::string Focused()
    {
        return browser_
            ->Evaluate("(() => { const e = document.activeElement; if (e.id) return '#' + e.id;"
                       " const card = e.closest('[data-map]');"
                       " return '.' + e.className + (card ? ' ' + card.dataset.map : ''); })()")
            .get<std::string>();
    }

    // Tabs until target has the focus; false when a round of the page did
    // not reach it.
    bool TabTo(const std::string& target)
    {
        for (int presses = 0; presses < 40; ++presses) {
            PressKey("Tab", 9);
            if (Focused() == target)
                return true;
        }
        return false;
    }

    static inline TempDir* folder_ = nullptr;
    static inline std::vector<std::string> demoMaps_, damagedMaps_, corpusMaps_;
    TempDir scratch_;
    std::string downloads_;
    std::string site_;
    int cliRuns_ = 0;
    std::unique_ptr<ChromiumSession> browser_;
};

TEST_F(WebPageInBrowser, DrawsEveryScenarioAsTesselCliDoesWithTheBuiltinTilesetAndTellsWhyAFileFails)
{
    OpenFromDisk();
    if (corpusMaps_.empty())
        std::fprintf(stderr, "note: no real maps in %s; the demo maps stand alone\n", TESSEL_CORPUS_DIR);
    std::vector<std::string> maps = DemoAndDamaged();
    maps.insert(maps.end(), corpusMaps_.begin(), corpusMaps_.end());
    browser_->ChooseFiles("#scenarios", maps);
    AwaitCards(maps.size());

    ExpectImagesOfCli(maps, {"--builtin-tileset", "-f", "png", "--size", "256"});
    const std::map<std::string, std::string> failures = FailuresShown();
    EXPECT_EQ(failures.at(BrokenMap), "Error: Invalid PUD (no DIM chunk).");
    EXPECT_EQ(failures.at(OversizedMap), "Error: Invalid PUD (file larger than 4 MiB).");

    // Each card shows the facts tessel-cli info gives its map.
    const json cards = browser_->Evaluate(
        "[...document.querySelectorAll('[data-map]:not([data-failed])')].map((card) => [card.dataset.map,"
        " card.querySelector('.facts-area').innerText])");
    std::map<std::string, json> facts;
    std::istringstream lines(RunTesselCli([&] {
                                 std::vector<std::string> args{"info", "--json"};
                                 args.insert(args.end(), demoMaps_.begin(), demoMaps_.end());
                                 return args;
                             }())
                                 .Out);
    for (std::string line; std::getline(lines, line);) {
        const json map = json::parse(line);
        facts[fs::path(map["path"].get<std::string>()).filename().string()] = map;
    }
    ASSERT_EQ(facts.size(), demoMaps_.size());
    for (const json& card : cards) {
        if (!facts.contains(card[0]))
            continue;
        const json& map = facts[card[0].get<std::string>()];
        const std::string text = card[1];
        const std::string side = std::to_string(map["side"].get<int>());
        for (const std::string& fact : {map["era_name"].get<std::string>(), side + " \u00d7 " + side,
                                        std::to_string(map["players"].get<int>()) + " players",
                                        map["description"].get<std::string>(),
                                        " in " + std::to_string(map["gold_mines"].get<int>()) + " mines"})
            EXPECT_NE(text.find(fact), std::string::npos) << card[0] << " lacks \"" << fact << "\" in:\n" << text;
        // A chip for each player, with the initial of its race.
        std::string races;
        for (const json& slot : map["slots"])
            if (slot["controller"] == "human" || slot["controller"] == "computer")
                races += static_cast<char>(std::toupper(slot["race"].get<std::string>()[0]));
        EXPECT_EQ(browser_->Evaluate("document.querySelector('[data-map=\"" + card[0].get<std::string>() +
                                     "\"] .chips').textContent"),
                  races);
    }
    EXPECT_GE(browser_->WorkersStarted(), 1) << "the maps were not drawn in a worker";
}

TEST_F(WebPageInBrowser, ChoosingAnArchiveRedrawsEveryMapInItsColoursUntilTheBuiltinTilesetIsChosenAgain)
{
    OpenFromDisk();
    const std::vector<std::string> maps = DemoAndDamaged();
    browser_->ChooseFiles("#scenarios", maps);
    AwaitCards(maps.size());
    const Images builtin = ImagesShown();

    browser_->ChooseFiles("#archive", {archivePath()});
    EXPECT_EQ(browser_->Evaluate("document.getElementById('tileset').textContent"),
              "Drawn in the colours of MAINDAT.WAR");
    AwaitCards(maps.size());
    ExpectImagesOfCli(maps, {"--archive", archivePath(), "-f", "png", "--size", "256"});
    const Images archived = ImagesShown();
    for (const auto& [name, png] : archived)
        EXPECT_NE(RgbOfPng(png, scratch_), RgbOfPng(builtin.at(name), scratch_)) << name;

    browser_->Evaluate("document.getElementById('forget-archive').click()");
    AwaitCards(maps.size());
    ExpectImagesOfCli(maps, {"--builtin-tileset", "-f", "png", "--size", "256"});
}

// An archive whose forest palette entry is damaged (its length is 0): each
// forest map reports what tessel-cli reports, line for line, every time.
TEST_F(WebPageInBrowser, AMapThatTheArchiveCannotDrawCarriesTesselClisMessages)
{
    ArchiveWriter archive;
    for (int32_t era = 1; era < 4; ++era)
        archive.Era(era, MakeTestEra(static_cast<uint8_t>(era), 16));
    archive.RawEntry(EraFirstEntries[0], 0, {});
    const std::string damaged = scratch_.File("MAINDAT.WAR");
    archive.WriteTo(damaged);

    OpenFromDisk();
    browser_->ChooseFiles("#archive", {damaged});
    browser_->ChooseFiles("#scenarios", demoMaps_);
    AwaitCards(demoMaps_.size());
    ExpectImagesOfCli(demoMaps_, {"--archive", damaged, "-f", "png", "--size", "256"});
    EXPECT_FALSE(FailuresShown().empty());
}

TEST_F(WebPageInBrowser, SideAndUnitsAreSetFromTheKeyboardAndRedrawEveryMapAsTesselCliDrawsThem)
{
    OpenFromDisk();
    browser_->ChooseFiles("#scenarios", demoMaps_);
    AwaitCards(demoMaps_.size());

    // Every control in reading order, then each card's downloads.
    std::vector<std::string> order;
    for (int presses = 0; presses < 10; ++presses) {
        PressKey("Tab", 9);
        order.push_back(Focused());
    }
    const std::string first = fs::path(demoMaps_.front()).filename().string();
    EXPECT_EQ(order, (std::vector<std::string>{".skip", "#scenarios", "#scenario-folder", "#archive", "#side", "#units",
                                               "#download-zip", "#clear", ".download-png " + first,
                                               ".download-bmp " + first}));

    ASSERT_TRUE(TabTo("#side"));
    browser_->Evaluate("document.getElementById('side').select()");
    browser_->Command("Input.insertText", {{"text", "100"}});
    PressKey("Tab", 9);  // the side is taken when the field is left
    ASSERT_EQ(Focused(), "#units");
    PressKey(" ", 32, " ");
    EXPECT_EQ(browser_->Evaluate("document.getElementById('units').checked"), false);
    AwaitCards(demoMaps_.size());
    ExpectImagesOfCli(demoMaps_, {"--builtin-tileset", "-f", "png", "--size", "100", "--no-units"});

    // A side the field refuses leaves the images as they are.
    browser_->Evaluate("const side = document.getElementById('side'); side.value = '0';"
                       " side.dispatchEvent(new Event('change'))");
    EXPECT_EQ(browser_->Evaluate("document.getElementById('side').value"), "100");
    AwaitCards(demoMaps_.size());
    ExpectImagesOfCli(demoMaps_, {"--builtin-tileset", "-f", "png", "--size", "100", "--no-units"});
}

TEST_F(WebPageInBrowser, DownloadsAnImageAsPngAndAsBmpAndAllOfThemAsOneZipFromTheKeyboard)
{
    OpenFromDisk();
    const std::vector<std::string> maps = DemoAndDamaged();
    browser_->ChooseFiles("#scenarios", maps);
    AwaitCards(maps.size());
    const Images shown = ImagesShown();
    const std::string first = fs::path(demoMaps_.front()).filename().string();
    const std::string stem = StemOf(first);

    ASSERT_TRUE(TabTo(".download-png " + first));
    PressKey("Enter", 13, "\r");
    EXPECT_EQ(AwaitDownload(stem + ".png"), shown.at(first));

    const CliOutput bitmaps = RenderWithCli(demoMaps_, {"--builtin-tileset", "-f", "bmp", "--size", "256"});
    for (const std::string& map : demoMaps_) {
        const std::string name = fs::path(map).filename().string();
        ASSERT_TRUE(TabTo(".download-bmp " + name));
        PressKey("Enter", 13, "\r");
        EXPECT_EQ(AwaitDownload(StemOf(name) + ".bmp"), bitmaps.Written.at(name)) << name << " differs from tessel-cli's";
    }

    ASSERT_TRUE(TabTo("#download-zip"));
    PressKey("Enter", 13, "\r");
    AwaitDownload("minimaps.zip");
    const std::string unpacked = scratch_.File("unpacked");
    ASSERT_EQ(RunProgram({"python3", "-c",
                          "import sys, zipfile\n"
                          "archive = zipfile.ZipFile(sys.argv[1])\n"
                          "if archive.testzip() is not None: sys.exit(1)\n"
                          "archive.extractall(sys.argv[2])",
                          downloads_ + "/minimaps.zip", unpacked}),
              0);
    StringSet expected;
    for (const auto& [name, png] : shown)
        expected.insert(StemOf(name) + ".png");
    ASSERT_EQ(FolderEntries(unpacked), std::vector<std::string>(expected.begin(), expected.end()));
    for (const auto& [name, png] : shown)
        EXPECT_EQ(ReadFileBytes(unpacked + "/" + StemOf(name) + ".png"), png) << name;
}

TEST_F(WebPageInBrowser, FilesDroppedAnywhereOnThePageAreAddedWithNamesThatNeverClash)
{
    OpenFromDisk();
    browser_->ChooseFiles("#scenarios", {demoMaps_.front()});
    AwaitCards(1);

    // The same file again, and a copy of it named in capitals, dropped on
    // the footer: each a card of its own, numbered as tessel-cli numbers
    // outputs. A drag from outside the browser cannot be made here: the
    // files come from an input of the test's own, in a drop event.
    const std::string copy = scratch_.File(StemOf(demoMaps_.front()) + ".PUD");
    fs::copy_file(demoMaps_.front(), copy);
    browser_->Evaluate("const input = document.createElement('input'); input.type = 'file'; input.multiple = true;"
                       " input.id = 'test-files'; document.body.append(input)");
    browser_->ChooseFiles("#test-files", {demoMaps_[0], copy, demoMaps_[1], demoMaps_[2]});
    browser_->Evaluate(R"(
        const transfer = new DataTransfer();
        for (const file of [...document.getElementById('test-files').files].slice(0, 2))
          transfer.items.add(file);
        const footer = document.querySelector('footer');
        for (const type of ['dragenter', 'dragover', 'drop'])
          footer.dispatchEvent(new DragEvent(type, {dataTransfer: transfer, bubbles: true, cancelable: true}));)");
    AwaitCards(3);

    const std::string name = fs::path(demoMaps_.front()).filename().string();
    const std::string stem = StemOf(name);
    EXPECT_EQ(browser_->Evaluate("[...document.querySelectorAll('[data-map]')].map((card) => card.dataset.map)"),
              json({name, stem + "-2.pud", stem + "-3.PUD"}));
    EXPECT_EQ(browser_->Evaluate("[...document.querySelectorAll('.download-png')].map((button) =>"
                                 " button.getAttribute('aria-label'))"),
              json({"Download " + stem + ".png", "Download " + stem + "-2.png", "Download " + stem + "-3.png"}));
    const Images shown = ImagesShown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown.at(stem + "-2.pud"), shown.at(name));
    EXPECT_EQ(shown.at(stem + "-3.PUD"), shown.at(name));

    // A folder dropped: the scenarios below it, found as the browser hands
    // out a folder's entries (in batches), and nothing else.
    browser_->Evaluate(R"(
        const [, , second, third] = document.getElementById('test-files').files;
        const file = (item) => ({isFile: true, isDirectory: false, name: item.name, file: (done) => done(item)});
        const folder = (name, children) => ({isFile: false, isDirectory: true, name: name, createReader: () => {
          const batches = [children.slice(0, 1), children.slice(1), []];
          return {readEntries: (done) => done(batches.shift())};
        }});
        const maps = folder('maps', [file(new File(['not a scenario'], 'notes.txt')), file(third),
                                     folder('deeper', [file(second)])]);
        const drop = new Event('drop', {bubbles: true, cancelable: true});
        Object.defineProperty(drop, 'dataTransfer', {value: {types: ['Files'], files: [],
          items: [{kind: 'file', webkitGetAsEntry: () => maps}]}});
        document.querySelector('main').dispatchEvent(drop);)");
    AwaitCards(5);
    EXPECT_EQ(browser_->Evaluate("[...document.querySelectorAll('[data-map]')].slice(3).map((c) => c.dataset.map)"),
              json({fs::path(demoMaps_[1]).filename().string(), fs::path(demoMaps_[2]).filename().string()}));

    // Removed, every name is free again.
    browser_->Evaluate("document.getElementById('clear').click()");
    EXPECT_EQ(browser_->Evaluate("document.querySelectorAll('[data-map]').length"), 0);
    browser_->ChooseFiles("#scenarios", {demoMaps_.front()});
    AwaitCards(1);
    EXPECT_EQ(browser_->Evaluate("document.querySelector('[data-map]').dataset.map"), name);
    EXPECT_EQ(ImagesShown().at(name), shown.at(name));
}

TEST_F(WebPageInBrowser, AFolderChosenAddsTheScenariosBelowItAndNothingElse)
{
    const std::string folder = scratch_.File("maps");
    fs::create_directories(folder + "/deeper");
    fs::copy_file(demoMaps_[0], folder + "/" + fs::path(demoMaps_[0]).filename().string());
    fs::copy_file(demoMaps_[1], folder + "/deeper/" + fs::path(demoMaps_[1]).filename().string());
    WriteText(folder + "/notes.txt", "not a scenario\n");

    OpenFromDisk();
    browser_->ChooseFiles("#scenario-folder", {folder});
    AwaitCards(2);
    EXPECT_EQ(browser_->Evaluate("[...document.querySelectorAll('[data-map]')].map((card) => card.dataset.map)"),
              json({fs::path(demoMaps_[1]).filename().string(), fs::path(demoMaps_[0]).filename().string()}));
}

TEST_F(WebPageInBrowser, FitsA390PixelPhoneScreenWithoutScrollingSideways)
{
    browser_->Command("Emulation.setDeviceMetricsOverride",
                      {{"width", 390}, {"height", 844}, {"deviceScaleFactor", 3}, {"mobile", true}});
    OpenFromDisk();
    const std::vector<std::string> maps = DemoAndDamaged();
    browser_->ChooseFiles("#scenarios", maps);
    AwaitCards(maps.size());
    EXPECT_EQ(browser_->Evaluate("document.documentElement.scrollWidth <= window.innerWidth"), true);
    EXPECT_EQ(browser_->Evaluate("window.innerWidth"), 390);
    EXPECT_EQ(
        browser_->Evaluate("getComputedStyle(document.getElementById('maps')).gridTemplateColumns.split(' ').length"),
        1);
}

// The page served over HTTP, as any static host serves it, draws the same.
TEST_F(WebPageInBrowser, WorksServedByAStaticHost)
{
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    const std::string folder = fs::path(PageFile).parent_path().string();
    std::vector<std::string> args{"python3", "-u", "-c",
                                  "import functools, http.server, sys\n"
                                  "handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])\n"
                                  "handler.log_message = lambda *args: None\n"
                                  "server = http.server.HTTPServer(('127.0.0.1', 0), handler)\n"
                                  "print(server.server_address[1])\n"
                                  "server.serve_forever()",
                                  folder};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t server = -1;
    ASSERT_EQ(::posix_spawnp(&server, "python3", &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    std::string port;
    for (char c; ::read(output[0], &c, 1) == 1 && c != '\n';)
        port += c;
    ::close(output[0]);

    site_ = "http://127.0.0.1:" + port + "/";
    browser_->Navigate(site_ + "index.html");
    browser_->ChooseFiles("#scenarios", DemoAndDamaged());
    AwaitCards(DemoAndDamaged().size());
    ExpectImagesOfCli(DemoAndDamaged(), {"--builtin-tileset", "-f", "png", "--size", "256"});
    ::kill(server, SIGTERM);
    ::waitpid(server, nullptr, 0);
}

}  // namespace
}  // namespace tessel::test
