#pragma once

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <QString>

#include "platform/Prompter.h"

// A prompter that answers from queues prepared by the test and records every
// question it was asked, so a dialog flow can be checked without a screen.
// Running out of answers is a test failure, not a silent cancel.
class ScriptedPrompter final : public Prompter {
public:
    struct Asked {
        std::string kind; // "message", "yesNo", "input", "open", "save"
        std::string text;
        std::string title;
        Icon icon = Icon::None;
        std::string extra; // proposed answer, filter or initial folder
    };

    std::deque<QString> fileNames;
    std::deque<QString> inputs;
    std::deque<bool> yesNo;
    std::vector<Asked> asked;
    // Runs while each prompt is up, as a real one lets the windows behind it
    // repaint.
    std::function<void()> whileShown;

    ScriptedPrompter() { installPrompter(this); }
    ~ScriptedPrompter() override { installPrompter(nullptr); }
    ScriptedPrompter(const ScriptedPrompter&) = delete;
    ScriptedPrompter& operator=(const ScriptedPrompter&) = delete;

    // The texts of the prompts shown so far, in order; only those of `kind` if given.
    std::vector<std::string> texts(const char* kind = nullptr) const
    {
        std::vector<std::string> out;
        for (const auto& a : asked)
            if (!kind || a.kind == kind)
                out.push_back(a.text);
        return out;
    }

    void message(const QString& text, const QString& title, Icon icon) override
    {
        record("message", text, title, icon, {});
    }
    bool askYesNo(const QString& text, const QString& title, Icon icon) override
    {
        record("yesNo", text, title, icon, {});
        return take(yesNo);
    }
    QString inputBox(const QString& prompt, const QString& title, const QString& proposed) override
    {
        record("input", prompt, title, Icon::None, proposed);
        return take(inputs);
    }
    QString openFileName(const QString& title, const QString& filter, const QString&) override
    {
        record("open", {}, title, Icon::None, filter);
        return take(fileNames);
    }
    QString saveFileName(const QString& title, const QString& filter, const QString&) override
    {
        record("save", {}, title, Icon::None, filter);
        return take(fileNames);
    }

private:
    void record(const char* kind, const QString& text, const QString& title, Icon icon,
                const QString& extra)
    {
        asked.push_back({kind, text.toStdString(), title.toStdString(), icon, extra.toStdString()});
        if (whileShown)
            whileShown();
    }
    template <typename T>
    static T take(std::deque<T>& queue)
    {
        if (queue.empty())
            throw std::logic_error("ScriptedPrompter: no answer left for this question");
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};
