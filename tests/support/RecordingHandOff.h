#pragma once

#include <vector>

#include <QString>

#include "platform/DesktopHandOff.h"

// Stands for the desktop: says whether office programs are there and records
// the files that would be opened, without starting anything.
class RecordingHandOff final : public DesktopHandOff {
public:
    bool installed = true;
    bool opens = true;
    std::vector<QString> opened;

    RecordingHandOff() { installDesktopHandOff(this); }
    ~RecordingHandOff() override { installDesktopHandOff(nullptr); }
    RecordingHandOff(const RecordingHandOff&) = delete;
    RecordingHandOff& operator=(const RecordingHandOff&) = delete;

    bool hasApplicationFor(const QString&) override { return installed; }
    bool openFile(const QString& path) override
    {
        if (opens)
            opened.push_back(path);
        return opens;
    }
};
