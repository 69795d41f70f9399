#include "ChromiumSession.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tessel::test {

namespace {

// Headless, with everything that would reach for the network switched off:
// the machines that run the tests have none, and must not be asked for it.
const char* const BrowserFlags[] = {
    "--headless",
    "--no-sandbox",  // the tests may run as root
    "--disable-gpu",
    "--disable-quic",
    "--no-first-run",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--disable-dev-shm-usage",
    "--window-size=1280,900",
    "--remote-debugging-pipe",
};

// The browser reads commands from descriptor 3 and writes to descriptor 4.
constexpr int BrowserReadsFrom = 3;
constexpr int BrowserWritesTo = 4;

// A descriptor above the ones the child gets, so that moving it there is
// never a move onto itself.
int MovedHigh(int fd)
{
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 10);
    ::close(fd);
    if (moved < 0)
        throw std::runtime_error("cannot move a pipe descriptor");
    return moved;
}

std::string TextOf(const json& value)
{
    return value.is_string() ? value.get<std::string>() : value.dump();
}

}  // namespace

std::vector<uint8_t> FromBase64(const std::string& text)
{
    static const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<uint8_t> bytes;
    uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        const std::size_t value = digits.find(c);
        if (value == std::string::npos)
            continue;  // padding
        bits = (bits << 6) | static_cast<uint32_t>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes.push_back(static_cast<uint8_t>(bits >> count));
        }
    }
    return bytes;
}

std::string ChromiumSession::ProgramPath()
{
    if (const char* given = std::getenv("TESSEL_CHROMIUM"); given && *given)
        return given;
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        for (const char* name : {"chromium", "chromium-browser"}) {
            const std::string candidate = folder + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
    }
    return {};
}

ChromiumSession::ChromiumSession(const std::string& profileFolder)
    : profile_(profileFolder), logPath_(profileFolder + ".log")
{
    const std::string program = ProgramPath();
    if (program.empty())
        throw std::runtime_error("no chromium program found (scripts/install-deps.sh installs it)");
    std::signal(SIGPIPE, SIG_IGN);  // a browser that died must not take the test with it

    int commands[2], responses[2];
    if (::pipe(commands) != 0 || ::pipe(responses) != 0)
        throw std::runtime_error("cannot make the pipes to the browser");
    commands[0] = MovedHigh(commands[0]);
    commands[1] = MovedHigh(commands[1]);
    responses[0] = MovedHigh(responses[0]);
    responses[1] = MovedHigh(responses[1]);

    std::vector<std::string> args{program};
    args.insert(args.end(), std::begin(BrowserFlags), std::end(BrowserFlags));
    args.push_back("--user-data-dir=" + profile_);
    args.push_back("about:blank");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 2, 1);
    posix_spawn_file_actions_adddup2(&actions, commands[0], BrowserReadsFrom);
    posix_spawn_file_actions_adddup2(&actions, responses[1], BrowserWritesTo);
    const int spawned = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(commands[0]);
    ::close(responses[1]);
    toBrowser_ = commands[1];
    fromBrowser_ = responses[0];
    if (spawned != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(spawned));
    }

    const json target = Send("Target.createTarget", {{"url", "about:blank"}}, false);
    const json attached =
        Send("Target.attachToTarget", {{"targetId", target.at("targetId")}, {"flatten", true}}, false);
    sessionId_ = attached.at("sessionId").get<std::string>();
    Command("Page.enable");
    Command("Runtime.enable");
    Command("Log.enable");
}

ChromiumSession::~ChromiumSession()
{
    if (pid_ > 0) {
        try {
            timeout_ = std::chrono::seconds(5);
            Send("Browser.close", json::object(), false);
        } catch (const std::exception&) {
        }
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    if (toBrowser_ >= 0)
        ::close(toBrowser_);
    if (fromBrowser_ >= 0)
        ::close(fromBrowser_);
    std::error_code ignored;
    std::filesystem::remove(logPath_, ignored);
}

std::string ChromiumSession::BrowserLog() const
{
    std::ifstream in(logPath_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

json ChromiumSession::Command(const std::string& method, const json& params) { return Send(method, params, true); }

json ChromiumSession::BrowserCommand(const std::string& method, const json& params)
{
    return Send(method, params, false);
}

void ChromiumSession::RecordRequests()
{
    recordingRequests_ = true;
    Command("Network.enable");
    // Each worker waits until its own session notes requests too.
    Command("Target.setAutoAttach", {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}});
}

int ChromiumSession::Post(const std::string& method, const json& params, const std::string& sessionId)
{
    const int id = nextId_++;
    json message{{"id", id}, {"method", method}, {"params", params}};
    if (!sessionId.empty())
        message["sessionId"] = sessionId;
    const std::string text = message.dump() + '\0';
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t put = ::write(toBrowser_, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            throw std::runtime_error("the browser no longer reads commands (" + method + ")");
        done += static_cast<std::size_t>(put);
    }
    return id;
}

json ChromiumSession::Send(const std::string& method, const json& params, bool toPage)
{
    const int id = Post(method, params, toPage ? sessionId_ : std::string());
    const json response = AwaitResponse(id);
    if (response.contains("error"))
        throw std::runtime_error(method + " failed: " + TextOf(response["error"].value("message", json())));
    return response.value("result", json::object());
}

json ChromiumSession::AwaitResponse(int id)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout_;
    for (;;) {
        json message = ReadMessage(deadline);
        if (message.contains("id") && message["id"] == id)
            return message;
        if (message.contains("method")) {
            Note(message);
            events_.push_back(std::move(message));
        }
    }
}

void ChromiumSession::AwaitEvent(const std::string& method)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout_;
    for (;;) {
        for (auto it = events_.begin(); it != events_.end(); ++it) {
            if ((*it)["method"] == method) {
                events_.erase(events_.begin(), it + 1);
                return;
            }
        }
        json message = ReadMessage(deadline);
        if (message.contains("method")) {
            Note(message);
            events_.push_back(std::move(message));
        }
    }
}

json ChromiumSession::ReadMessage(std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        if (const std::size_t end = pending_.find('\0'); end != std::string::npos) {
            json message = json::parse(pending_.substr(0, end));
            pending_.erase(0, end + 1);
            return message;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            throw std::runtime_error("the browser did not answer in time");
        pollfd ready{fromBrowser_, POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            continue;
        char buffer[65536];
        const ssize_t got = ::read(fromBrowser_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            throw std::runtime_error("the browser closed its pipe; its log:\n" + BrowserLog());
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
}

void ChromiumSession::Note(const json& event)
{
    const std::string method = event.value("method", "");
    const json params = event.value("params", json::object());
    if (method == "Runtime.consoleAPICalled") {
        const std::string type = params.value("type", "");
        if (type == "error" || type == "assert") {
            std::string text = "console." + type + ":";
            for (const json& arg : params.value("args", json::array()))
                text += " " + TextOf(arg.value("value", arg.value("description", json("?"))));
            errors_.push_back(text);
        }
    } else if (method == "Runtime.exceptionThrown") {
        const json details = params.value("exceptionDetails", json::object());
        const json exception = details.value("exception", json::object());
        errors_.push_back("uncaught: " + TextOf(exception.value("description", details.value("text", json("?")))));
    } else if (method == "Network.requestWillBeSent") {
        requests_.push_back(params.value("request", json::object()).value("url", ""));
    } else if (method == "Target.attachedToTarget" && recordingRequests_) {
        // A worker, held until its requests and errors are noted too; the
        // answers are not awaited here, in the middle of reading another.
        const std::string worker = params.value("sessionId", "");
        ++workersStarted_;
        Post("Network.enable", json::object(), worker);
        Post("Runtime.enable", json::object(), worker);
        Post("Runtime.runIfWaitingForDebugger", json::object(), worker);
    } else if (method == "Log.entryAdded") {
        const json entry = params.value("entry", json::object());
        if (entry.value("level", "") == "error")
            errors_.push_back("log: " + entry.value("text", "") + " " + entry.value("url", ""));
    }
}

void ChromiumSession::Navigate(const std::string& url)
{
    std::erase_if(events_, [](const json& event) { return event["method"] == "Page.loadEventFired"; });
    const json result = Command("Page.navigate", {{"url", url}});
    if (result.contains("errorText"))
        throw std::runtime_error("cannot open " + url + ": " + TextOf(result["errorText"]));
    AwaitEvent("Page.loadEventFired");
}

void ChromiumSession::ChooseFiles(const std::string& selector, const std::vector<std::string>& paths)
{
    const json document = Command("DOM.getDocument");
    const json node = Command("DOM.querySelector", {{"nodeId", document["root"]["nodeId"]}, {"selector", selector}});
    Command("DOM.setFileInputFiles", {{"nodeId", node["nodeId"]}, {"files", paths}});
}

json ChromiumSession::Evaluate(const std::string& expression)
{
    const json result =
        Command("Runtime.evaluate", {{"expression", expression}, {"awaitPromise", true}, {"returnByValue", true}});
    if (result.contains("exceptionDetails")) {
        const json details = result["exceptionDetails"];
        const json exception = details.value("exception", json::object());
        throw std::runtime_error("script failed: " +
                                 TextOf(exception.value("description", details.value("text", json("?")))));
    }
    return result.value("result", json::object()).value("value", json());
}

}  // namespace tessel::test
