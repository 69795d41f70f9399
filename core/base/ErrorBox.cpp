#include "base/ErrorBox.h"

#include "text/TerminalName.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace tessel {

namespace {

std::mutex processHandlerMutex;
ErrorBoxHandler processHandler;
thread_local const ErrorBoxHandler* threadHandler = nullptr;

}  // namespace

void ErrorBox(const std::string& text)
{
    if (threadHandler) {
        (*threadHandler)(text);
        return;
    }
    ErrorBoxHandler handler;
    {
        std::lock_guard lock(processHandlerMutex);
        handler = processHandler;
    }
    if (handler)
        handler(text);
    else  // a text may hold a file name: one line, inert on a terminal
        std::fprintf(stderr, "%s\n", TerminalName(text).c_str());
}

void SetErrorBoxHandler(ErrorBoxHandler handler)
{
    std::lock_guard lock(processHandlerMutex);
    processHandler = std::move(handler);
}

ScopedErrorBoxHandler::ScopedErrorBoxHandler(ErrorBoxHandler handler)
    : handler_(std::move(handler)), previous_(threadHandler)
{
    threadHandler = &handler_;
}

ScopedErrorBoxHandler::~ScopedErrorBoxHandler() { threadHandler = previous_; }

ErrorBoxCapture::ErrorBoxCapture() : scope_([this](const std::string& text) { texts_.push_back(text); }) {}

std::vector<std::string> ErrorBoxCapture::TakeTexts() { return std::exchange(texts_, {}); }

}  // namespace tessel
