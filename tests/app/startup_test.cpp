#include <filesystem>
#include <functional>
#include <optional>

#include <sys/stat.h>

#include <QDir>

#include "app/RecentFiles.h"
#include "app/SettingsStorage.h"
#include "app/StatusLine.h"

#include "store/StoreError.h"
#include "tests/app/AppFixture.h"
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

TEST_F(StartUp, SeparatorFromTheSettings)
{
    const std::vector<std::tuple<QString, std::optional<QString>, QString>> cases = {
        {"0", {}, ","},   {"1", {}, ";"},  {"2", {}, "\t"},     {"3", {}, "|"},
        {"4", {}, "-"},   {"4", "#", "#"}, {" 3 ", {}, "|"},
        // Anything that would give an empty separator reads as a comma.
        {"7", {}, ","},   {"-1", {}, ","}, {"pipe", {}, ","}, {"", {}, ","}, {"4", "", ","},
    };
    for (const auto& [index, other, expected] : cases) {
        SCOPED_TRACE(index.toStdString() + " / " + other.value_or("(none)").toStdString());
        restart();
        storeSetting(SettingKey::Separator, index);
        if (other)
            storeSetting(SettingKey::OtherSeparator, *other);
        EXPECT_EQ(window().currentSeparator(), expected);
    }
}

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
TEST_F(StartUp, SettingsFileThatCannotBeUsed)
{
    const QByteArray home = qgetenv("XDG_CONFIG_HOME");
    const QString file = QString::fromLocal8Bit(home) + "/Varnhold/Tabvane Software.conf";
    EXPECT_EQ(SettingsStorage::filePath(), file);
    struct Case {
        const char* label;
        std::function<void()> make;
        QString configHome;
        QString problem;
    };
    const std::vector<Case> cases = {
        {"a pipe", [&] { fs::create_directories(m_dir.path() + "/pipe/Varnhold");
                         ASSERT_EQ(::mkfifo((m_dir.path() + "/pipe/Varnhold/Tabvane Software.conf").c_str(), 0600), 0); },
         QString::fromStdString(m_dir.path() + "/pipe"), "is not a regular file"},
        {"a file where its folder goes", [&] { m_dir.file("blocked", ""); },
         QString::fromStdString(m_dir.path() + "/blocked"), "cannot be written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        c.make();
        qputenv("XDG_CONFIG_HOME", c.configHome.toLocal8Bit());
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
