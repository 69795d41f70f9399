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

namespace {

std::string Decoded(const std::string& base64)
{
    static const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    uint32_t bits = 0;
    int count = 0;
    for (const char c : base64) {
        const std::size_t value = digits.find(c);
        if (value == std::string::npos)
            continue;
        bits = (bits << 6) | static_cast<uint32_t>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes.push_back(static_cast<char>(bits >> count));
        }
    }
    return bytes;
}

void Choose(ChromiumSession& browser, const std::string& selector, const std::vector<std::string>& paths)
{
    const json document = browser.Command("DOM.getDocument");
    const json node =
        browser.Command("DOM.querySelector", {{"nodeId", document["root"]["nodeId"]}, {"selector", selector}});
    browser.Command("DOM.setFileInputFiles", {{"nodeId", node["nodeId"]}, {"files", paths}});
}

}  // namespace

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
        Choose(browser, "#archive", {absolute(argv[3])});
        Choose(browser, "#scenarios", scenarios);
        browser.Evaluate("new Promise((done) => { const look = () => document.querySelectorAll('[data-map]').length === " +
                         std::to_string(scenarios.size()) +
                         " && !document.querySelector('[aria-busy]') ? done() : setTimeout(look, 20); look(); })");
        // Images decode apart from the page's script: wait until all are shown.
        browser.Evaluate("Promise.all([...document.images].map((image) => image.decode().catch(() => {})))");
        const json shot = browser.Command("Page.captureScreenshot", {{"format", "png"}});
        std::ofstream(argv[1], std::ios::binary) << Decoded(shot["data"].get<std::string>());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tessel_web_page_screenshot: %s\n", error.what());
        status = 1;
    }
    fs::remove_all(profile);
    return status;
}
