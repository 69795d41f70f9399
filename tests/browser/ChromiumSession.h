// A headless Chromium driven through its own remote debugging protocol over
// a pair of pipes (--remote-debugging-pipe): no network port, no WebSocket,
// no other language runtime. One page; every command and wait has a timeout.
#pragma once

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <sys/types.h>
#include <vector>

namespace tessel::test {

using nlohmann::json;

// The bytes of base64 text, as the browser sends screenshots and as pages
// hand out binary data.
std::vector<uint8_t> FromBase64(const std::string& text);

class ChromiumSession {
public:
    // Starts the browser found by ChromiumProgram() with a fresh profile in
    // profileFolder and opens one blank page; raises std::runtime_error.
    explicit ChromiumSession(const std::string& profileFolder);
    ~ChromiumSession();
    ChromiumSession(const ChromiumSession&) = delete;
    ChromiumSession& operator=(const ChromiumSession&) = delete;

    // The browser program: $TESSEL_CHROMIUM, or chromium found on PATH;
    // empty when there is none.
    static std::string ProgramPath();

    // Sends a command to the page and returns its result; raises with the
    // browser's error message.
    json Command(const std::string& method, const json& params = json::object());

    // The same for the browser as a whole (Browser.setDownloadBehavior).
    json BrowserCommand(const std::string& method, const json& params = json::object());

    // Opens url and returns once its load event has fired.
    void Navigate(const std::string& url);

    // Gives the file input that selector finds these files (absolute paths
    // without ".."), as choosing them in its dialog would.
    void ChooseFiles(const std::string& selector, const std::vector<std::string>& paths);

    // The value of a JavaScript expression in the page; a promise is awaited.
    // An exception in the page raises std::runtime_error with its text.
    json Evaluate(const std::string& expression);

    // Console errors, uncaught exceptions and failed loads seen so far.
    const std::vector<std::string>& Errors() const { return errors_; }

    // The URL of every request the page and its workers made since
    // RecordRequests().
    const std::vector<std::string>& Requests() const { return requests_; }
    // Starts noting requests, in the page and in every worker it starts
    // from now on.
    void RecordRequests();
    // The workers the page started since RecordRequests().
    int WorkersStarted() const { return workersStarted_; }

    // The errors seen so far, which are then forgotten: for a test that
    // expects some.
    std::vector<std::string> TakeErrors() { return std::exchange(errors_, {}); }

    // The browser's own log (its stderr), for a failure report.
    std::string BrowserLog() const;

private:
    json Send(const std::string& method, const json& params, bool toPage);
    // Writes a command to a session without waiting for its answer.
    int Post(const std::string& method, const json& params, const std::string& sessionId);
    // Reads messages until one answers id, keeping the events met on the way.
    json AwaitResponse(int id);
    // Reads messages until the event method arrives.
    void AwaitEvent(const std::string& method);
    json ReadMessage(std::chrono::steady_clock::time_point deadline);
    void Note(const json& event);

    std::string profile_;
    std::string logPath_;
    pid_t pid_ = -1;
    int toBrowser_ = -1;
    int fromBrowser_ = -1;
    std::string pending_;
    std::vector<json> events_;
    std::string sessionId_;
    int nextId_ = 1;
    std::vector<std::string> errors_;
    std::vector<std::string> requests_;
    bool recordingRequests_ = false;
    int workersStarted_ = 0;
    std::chrono::seconds timeout_{60};
};

}  // namespace tessel::test
