#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include <sys/stat.h>

#include <QDir>

#include "app/RecentFiles.h"
#include "app/SettingsStorage.h"
#include "app/StatusLine.h"

#include "store/StoreError.h"
#include "tests/app/AppFixture.h"
#include "tests/support/CaseName.h"
#include "window/AppTitle.h"
#include "window/Procedure.h"

namespace fs = std::filesystem;

namespace {
class StartUp : public AppTest {};
} // namespace

TEST_F(StartUp, FirstStartWithNoSettings)
{
    Form1& w = window();
    EXPECT_EQ(w.windowTitle(), "Tabvane Software");
    EXPECT_EQ(appTitle(), "Tabvane");
    EXPECT_EQ(w.currentSeparator(), ",");
    EXPECT_TRUE(check12()->isChecked());
    EXPECT_TRUE(text1()->text().isEmpty());
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(w.store().RecordCount(), -1);
    EXPECT_TRUE(m_ask.asked.empty()) << "start-up asks nothing and reports nothing";
}

struct SeparatorCase {
    const char* label;
    QString index;
    std::optional<QString> other;
    QString expected;
};

class SeparatorFromTheSettings : public AppTest, public ::testing::WithParamInterface<SeparatorCase> {};

TEST_P(SeparatorFromTheSettings, IsTheWindowsSeparator)
{
    const SeparatorCase& c = GetParam();
    storeSetting(SettingKey::Separator, c.index);
    if (c.other)
        storeSetting(SettingKey::OtherSeparator, *c.other);
    EXPECT_EQ(window().currentSeparator(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    StartUp, SeparatorFromTheSettings,
    ::testing::Values(SeparatorCase{"comma", "0", {}, ","}, SeparatorCase{"semicolon", "1", {}, ";"},
                      SeparatorCase{"tab", "2", {}, "\t"}, SeparatorCase{"pipe", "3", {}, "|"},
                      SeparatorCase{"other, none set", "4", {}, "-"}, SeparatorCase{"other", "4", "#", "#"},
                      SeparatorCase{"index in spaces", " 3 ", {}, "|"},
                      // Anything that would give an empty separator reads as a comma.
                      SeparatorCase{"index past the list", "7", {}, ","}, SeparatorCase{"negative index", "-1", {}, ","},
                      SeparatorCase{"a word", "pipe", {}, ","}, SeparatorCase{"empty index", "", {}, ","},
                      SeparatorCase{"other, empty", "4", "", ","}),
    ByLabel());

TEST(AppTitle, CutsWholeWordsAtLeastOnce)
{
    const auto title = [](const char* name) { return shortenedTitle(name).toStdString(); };
    EXPECT_EQ(title("Tabvane Software"), "Tabvane");
    EXPECT_EQ(title("Tabvane"), "Tabvane");
    // 53 characters: cut to 45, then to 40.
    EXPECT_EQ(title("The Quite Remarkably Long Name Of A Very Good Product"),
              "The Quite Remarkably Long Name Of A Very");
    EXPECT_EQ(title("A B"), "A");
}

TEST(ErrorReport, TextAndStepNumbers)
{
    EXPECT_EQ(errorReportText("Subscript out of range", "Form1", "PushButton2_Click", 104),
              "Subscript out of range\r\nin Tabvane2021/08/31.Form1.PushButton2_Click at line 104\r\r"
              "Please email screenshot of this message to support@example.com");

    ScriptedPrompter ask;
    Procedure p("Form1", "PushButton3_Click");
    std::vector<int> ran;
    EXPECT_TRUE(p.step([&] { ran.push_back(1); }));
    EXPECT_FALSE(p.step([&] { throw StoreError(); }));
    EXPECT_TRUE(p.step([&] { ran.push_back(3); }));
    EXPECT_FALSE(p.step([&] { throw std::bad_alloc(); }));
    EXPECT_EQ(ran, (std::vector<int>{1, 3})) << "the step after a failure still runs";
    ASSERT_EQ(ask.asked.size(), 2u);
    EXPECT_EQ(ask.asked[0].title, "Application Error");
    EXPECT_EQ(ask.asked[0].icon, Prompter::Icon::Exclamation);
    EXPECT_EQ(ask.asked[0].text.rfind(
                  "Subscript out of range\r\nin Tabvane2021/08/31.Form1.PushButton3_Click at line 102\r\r", 0),
              0u);
    EXPECT_NE(ask.asked[1].text.find("Out of memory\r\nin Tabvane2021/08/31.Form1.PushButton3_Click at line 106"),
              std::string::npos);
}

TEST_F(StartUp, LastStepTellsHowToInstallAMissingPdfPrinter)
{
    m_printers.names = {"Varnhold_PDF_Writer", "varnhold pdf writer"};
    window();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("Varnhold PDF Writer is not installed. Please follow these instructions:\r\n\r\n", 0),
              0u);
    EXPECT_NE(messages()[0].find("2) Choose ''CPW2: (Varnhold PDF Writer)'' on Select"), std::string::npos);
}

// Settings that cannot be read or written: start-up neither hangs nor loses
// them in silence; they last the run, and the status line says so.
TEST_F(StartUp, SettingsFileThatCannotBeUsedLastsTheRunAndIsSaid)
{
    const struct {
        const char* label;
        // Makes the obstacle under `folder`; returns the XDG_CONFIG_HOME to use.
        std::function<std::string(const std::string& folder)> make;
        QString problem;
    } cases[] = {{"a pipe",
                  [](const std::string& folder) {
                      fs::create_directories(folder + "/pipe/Varnhold");
                      EXPECT_EQ(::mkfifo((folder + "/pipe/Varnhold/Tabvane Software.conf").c_str(), 0600), 0);
                      return folder + "/pipe";
                  },
                  "is not a regular file"},
                 {"a file where its folder goes",
                  [](const std::string& folder) {
                      std::ofstream(folder + "/blocked") << "";
                      return folder + "/blocked";
                  },
                  "cannot be written"}};
    const QByteArray home = qgetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsStorage::filePath(), QString::fromLocal8Bit(home) + "/Varnhold/Tabvane Software.conf");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(c.make(m_dir.path())));
        restart();
        window().openFile(QString::fromStdString(m_dir.file("a.csv", "A\r\n1\r\n")));
        EXPECT_TRUE(window().statusLine()->facts().endsWith("Settings for this run only")) << window().statusLine()->facts().toStdString();
        EXPECT_EQ(RecentFiles().files(), QStringList{qpath("a.csv")}) << "kept for the run";
        EXPECT_TRUE(SettingsStorage::current().problem().contains(c.problem)) << SettingsStorage::current().problem().toStdString();
    }
    // A relative folder is no folder by the desktop's rules.
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(SettingsStorage::filePath(), QDir::homePath() + "/.config/Varnhold/Tabvane Software.conf");
    qputenv("XDG_CONFIG_HOME", home);
}
