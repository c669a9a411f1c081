#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/Printers.h"

// A printing system scripted by the test: a list of printers, a default
// printer, and a print program that runs `onRun`. It records every call in
// order. By default the PDF printer is installed, so start-up says nothing.
class ScriptedPrinters final : public Printers {
public:
    std::vector<std::string> names{"Office Laser", "Varnhold PDF Writer"};
    Default current{true, "Office Laser", 0, {}};
    std::function<int(const QString& commandLine)> onRun;
    std::vector<std::string> calls;
    std::chrono::milliseconds lastLimit{0};

    ScriptedPrinters() { installPrinters(this); }
    ~ScriptedPrinters() override { installPrinters(nullptr); }
    ScriptedPrinters(const ScriptedPrinters&) = delete;
    ScriptedPrinters& operator=(const ScriptedPrinters&) = delete;

    std::vector<std::string> installed() override { return names; }
    Default userDefault() override
    {
        calls.push_back("read default");
        return current;
    }
    bool makeUserDefault(const std::string& name) override
    {
        calls.push_back("make default " + name);
        if (std::find(names.begin(), names.end(), name) == names.end())
            return false;
        current.name = name;
        return true;
    }
    bool clearUserDefault() override
    {
        calls.push_back("clear default");
        current.name.clear();
        return true;
    }
    int runToEnd(const QString& commandLine, std::chrono::milliseconds limit) override
    {
        calls.push_back("run " + commandLine.toStdString());
        lastLimit = limit;
        return onRun ? onRun(commandLine) : 0;
    }
};
