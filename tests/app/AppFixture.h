#pragma once

#include <deque>
#include <memory>
#include <string>

#include <QCheckBox>
#include <QLineEdit>
#include <QTableView>

#include <gtest/gtest.h>

#include "app/Form1.h"
#include "app/GridModel.h"
#include "app/SaveSettings.h"
#include "store/CSVDBS.h"
#include "tests/support/ScriptedPrinters.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"
#include "tests/support/UserInput.h"

// Settings as the program stores them, through its own accessors.
using SettingKey = SaveSettings::Key;
inline void storeSetting(SettingKey key, const QString& value) { SaveSettings::storeText(key, value); }
inline QString storedSetting(SettingKey key) { return SaveSettings::storedText(key); }
inline void clearSettings() { SaveSettings::clearAll(); }

// A fresh main window with no settings, answering prompts from a script.
class AppTest : public ::testing::Test {
protected:
    AppTest() { clearSettings(); }

    Form1& window()
    {
        if (!m_window)
            m_window = std::make_unique<Form1>();
        return *m_window;
    }

    // Opens `text` through "Load CSV File".
    void open(const std::string& text, const std::string& name = "in.csv")
    {
        m_ask.fileNames.push_back(QString::fromStdString(m_dir.file(name, text)));
        click("PushButton2");
    }

    // The window's controls, as its user finds them.
    template <class T>
    T* control(const char* name) { return findControl<T>(window(), QString::fromLatin1(name)); }
    QTableView* listView() { return control<QTableView>("ListView1"); }
    QLineEdit* text1() { return control<QLineEdit>("Text1"); }
    QCheckBox* check12() { return control<QCheckBox>("Check12"); }
    void click(const char* name) { clickControl(window(), QString::fromLatin1(name)); }
    void choose(const char* menuEntry) { chooseMenuEntry(window(), QString::fromLatin1(menuEntry)); }

    // Where `name` lives in the test folder.
    std::string path(const std::string& name = "in.csv") const { return m_dir.path() + "/" + name; }
    QString qpath(const std::string& name = "in.csv") const { return QString::fromStdString(path(name)); }
    // A fresh window and settings, answering the next questions with `answers`.
    void restart(std::deque<bool> answers = {})
    {
        clearSettings();
        m_ask.asked.clear();
        m_window.reset();
        m_ask.yesNo = std::move(answers);
    }

    QStringList headings() { return window().grid().headings(); }
    QString cell(int row, int column) { return window().grid().cellText(row, column); }
    int rows() { return window().grid().rowCount(); }
    // The messages shown so far, in order.
    std::vector<std::string> messages() const { return m_ask.texts("message"); }

    ScriptedPrompter m_ask;
    ScriptedPrinters m_printers;
    TempDir m_dir;
    std::unique_ptr<Form1> m_window;
};
