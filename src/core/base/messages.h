// How the engine reports to the user: a short text with a short caption, one
// confirmation. Each front end decides how to show it.
#pragma once

#include <string>
#include <vector>

namespace skywave {

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void show_message(const std::string& text, const std::string& caption) = 0;
};

// Keeps the messages it was given; handy where the caller reports them later.
class MessageLog : public MessageSink {
public:
    struct Entry {
        std::string text, caption;
    };
    void show_message(const std::string& text, const std::string& caption) override {
        entries.push_back({text, caption});
    }
    std::vector<Entry> entries;
};

}  // namespace skywave
