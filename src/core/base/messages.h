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
    // A message whose own text is fixed, with the file and the cause behind it, which a
    // front end shows on a line of its own (or leaves out).
    virtual void show_message(const std::string& text, const std::string& caption,
                              const std::string& detail) {
        (void)detail;
        show_message(text, caption);
    }
};

// Keeps the messages it was given; handy where the caller reports them later.
class MessageLog : public MessageSink {
public:
    struct Entry {
        std::string text, caption, detail;
    };
    void show_message(const std::string& text, const std::string& caption) override {
        entries.push_back({text, caption, {}});
    }
    void show_message(const std::string& text, const std::string& caption,
                      const std::string& detail) override {
        entries.push_back({text, caption, detail});
    }
    std::vector<Entry> entries;
};

}  // namespace skywave
