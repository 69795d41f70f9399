// tessel_web_page_screenshot OUTPUT PAGE ARCHIVE SCENARIO...: the web page
// as headless Chromium shows it with the scenarios chosen and drawn in the
// archive's colours, written to OUTPUT as PNG (scripts/web-screenshot.sh).
#include "ChromiumSession.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using tessel::test::ChromiumSession;
using tessel::test::json;

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: tessel_web_page_screenshot OUTPUT PAGE ARCHIVE SCENARIO...\n");
        return 2;
    }
    const auto absolute = [](const char* path) { return fs::absolute(path).lexically_normal().string(); };
    std::vector<std::string> scenarios;
    for (int k = 4; k < argc; ++k)
        scenarios.push_back(absolute(argv[k]));

    std::string profile = (fs::temp_directory_path() / "tessel-screenshot-XXXXXX").string();
    if (!::mkdtemp(profile.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    int status = 0;
    try {
        ChromiumSession browser(profile + "/profile");
        browser.Command("Emulation.setDeviceMetricsOverride",
                        {{"width", 1100}, {"height", 1130}, {"deviceScaleFactor", 1}, {"mobile", false}});
        browser.Navigate("file://" + absolute(argv[2]));
        browser.ChooseFiles("#archive", {absolute(argv[3])});
        browser.ChooseFiles("#scenarios", scenarios);
        browser.Evaluate("new Promise((done) => { const look = () => document.querySelectorAll('[data-map]').length === " +
                         std::to_string(scenarios.size()) +
                         " && !document.querySelector('[aria-busy]') ? done() : setTimeout(look, 20); look(); })");
        // Images decode apart from the page's script: wait until all are shown.
        browser.Evaluate("Promise.all([...document.images].map((image) => image.decode().catch(() => {})))");
        const json shot = browser.Command("Page.captureScreenshot", {{"format", "png"}});
        const std::vector<uint8_t> png = tessel::test::FromBase64(shot["data"].get<std::string>());
        std::ofstream(argv[1], std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
                                                       static_cast<std::streamsize>(png.size()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tessel_web_page_screenshot: %s\n", error.what());
        status = 1;
    }
    fs::remove_all(profile);
    return status;
}
