#pragma once

#include <cstdio>
#include <string>

#include <QString>

#include "platform/Prompter.h"

// The user's choice in the open dialog is `path`; nothing else should be
// asked while a benchmark runs, and a message means the open failed.
class ChoosesFile final : public Prompter {
public:
    explicit ChoosesFile(std::string path) : m_path(QString::fromStdString(path)) { installPrompter(this); }
    ~ChoosesFile() override { installPrompter(nullptr); }
    void message(const QString& text, const QString&, Icon) override
    {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        failed = true;
    }
    bool askYesNo(const QString&, const QString&, Icon) override { return true; }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    QString openFileName(const QString&, const QString&, const QString&) override { return m_path; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }

    bool failed = false;

private:
    QString m_path;
};
