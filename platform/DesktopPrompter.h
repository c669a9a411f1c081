#pragma once

#include "platform/Prompter.h"

// The real dialogs: message boxes, Yes/No questions, input boxes and file
// dialogs, each modal over the active window.
class DesktopPrompter final : public Prompter {
public:
    void message(const QString& text, const QString& title, Icon icon) override;
    bool askYesNo(const QString& text, const QString& title, Icon icon) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& proposed) override;
    QString openFileName(const QString& title, const QString& filter, const QString& initialFolder) override;
    QString saveFileName(const QString& title, const QString& filter, const QString& initialFolder) override;
};
