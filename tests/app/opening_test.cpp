// Ways in to "Load CSV File" other than its dialog: the command line, a drop
// on the window and the recent files; and saving under a new name.
#include <filesystem>

#include <QAction>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "app/CommandLine.h"
#include "app/RecentFiles.h"
#include "tests/app/AppFixture.h"
#include "tests/support/CaseName.h"

namespace fs = std::filesystem;

namespace {

const std::string People = "Name,Age\r\nBob,42\r\nAnn,7\r\n";

class Opening : public AppTest {
protected:
    // Drags `data` over the window and lets go; true when the window took it.
    bool drop(QMimeData& data)
    {
        const QPoint at(10, 10);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window(), &dropped);
        QCoreApplication::processEvents();
        return dropped.isAccepted();
    }

    // The entries of the "Open Recent" menu as they show when it opens.
    QList<QAction*> recentMenu()
    {
        m_menu.reset(window().createRecentFilesMenu());
        emit m_menu->aboutToShow();
        return m_menu->actions();
    }

    std::unique_ptr<QMenu> m_menu;
};

} // namespace

TEST_F(Opening, CommandLineArguments)
{
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"tabvane"}, ""},
        {{"tabvane", "people.csv"}, "people.csv"},
        {{"tabvane", "/data/a b.csv", "second.csv"}, "/data/a b.csv"},
        {{"tabvane", "file:///data/a%20b.csv"}, "/data/a b.csv"},
        {{"tabvane", "--", "-dash.csv"}, "-dash.csv"},
        // The application object's own options are its to take.
        {{"tabvane", "-platform", "offscreen", "-style=fusion", "--reverse", "a.csv"}, "a.csv"},
    };
    for (const auto& [arguments, file] : cases) {
        const StartRequest request = readCommandLine(arguments);
        EXPECT_FALSE(request.answered) << arguments.join(' ').toStdString();
        EXPECT_EQ(request.file, file) << arguments.join(' ').toStdString();
    }
    // Answered on the spot, with no window: help and version, or a bad option.
    for (const auto& [argument, status] : {std::pair{"--help", 0}, {"-v", 0}, {"--frobnicate", 1}}) {
        const StartRequest request = readCommandLine({"tabvane", argument, "a.csv"});
        EXPECT_TRUE(request.answered) << argument;
        EXPECT_EQ(request.status, status) << argument;
    }
}

TEST_F(Opening, FileFromTheCommandLineOpensOnceStarted)
{
    m_dir.file("people.csv", People);
    openWhenStarted(window(), qpath("people.csv"));
    EXPECT_EQ(rows(), 0) << "nothing opens before start-up has finished";
    QCoreApplication::processEvents();
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(headings(), (QStringList{"Name", "Age"}));
    EXPECT_EQ(text1()->text(), qpath("people.csv"));
    EXPECT_EQ(window().store().FileName(), path("people.csv"));
    EXPECT_TRUE(messages().empty());

    // With the separator in force, as "Load CSV File" reads.
    restart();
    storeSetting(SettingKey::Separator, "1");
    m_dir.file("semi.csv", "A;B;C\r\n1;2;3\r\n");
    window().openFile(qpath("semi.csv"));
    EXPECT_EQ(headings(), (QStringList{"A", "B", "C"}));

    // A relative name is taken from the current folder.
    restart();
    const fs::path was = fs::current_path();
    fs::current_path(m_dir.path());
    window().openFile("people.csv");
    fs::current_path(was);
    EXPECT_EQ(text1()->text(), qpath("people.csv"));
    EXPECT_EQ(rows(), 2);
}

TEST_F(Opening, AnUnloadableFileFromTheCommandLineLeavesAnEmptyWindow)
{
    m_dir.file("header-only.csv", "Only,Header\r\n");
    for (const auto& [name, reason] : {std::pair{"gone.csv", "No such file or directory"},
                                       std::pair{"header-only.csv", "The file holds no data line."}}) {
        SCOPED_TRACE(name);
        restart();
        openWhenStarted(window(), qpath(name));
        QCoreApplication::processEvents();
        EXPECT_EQ(messages(), (std::vector<std::string>{std::string("Error loading CSV file.\n") + reason}));
        EXPECT_EQ(rows(), 0);
        EXPECT_EQ(headings(), QStringList());
        EXPECT_TRUE(text1()->text().isEmpty());
        EXPECT_TRUE(RecentFiles().files().isEmpty());
    }
}

TEST_F(Opening, DroppedFileOpensAfterTheUnsavedChangesQuestion)
{
    m_dir.file("people.csv", People);
    m_dir.file("other.csv", "Other\r\nx\r\n");
    QMimeData text;
    text.setText("people.csv");
    EXPECT_FALSE(drop(text)) << "only files are taken";

    QMimeData people;
    people.setUrls({QUrl("https://example.com/x.csv"), QUrl::fromLocalFile(qpath("people.csv"))});
    EXPECT_TRUE(drop(people));
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(text1()->text(), qpath("people.csv"));

    window().store().PutValue(1, 2, "43");
    QMimeData other;
    other.setUrls({QUrl::fromLocalFile(qpath("other.csv"))});
    m_ask.yesNo = {false};
    EXPECT_TRUE(drop(other));
    EXPECT_EQ(m_ask.asked.back().title, "Changes Not Saved");
    EXPECT_EQ(window().store().ValueAt(1, 2), "43");
    m_ask.yesNo = {true};
    drop(other);
    EXPECT_EQ(headings(), (QStringList{"Other"}));

    QMimeData missing;
    missing.setUrls({QUrl::fromLocalFile(qpath("gone.csv"))});
    drop(missing);
    EXPECT_EQ(messages().back(), "Error loading CSV file.\nNo such file or directory");
    EXPECT_EQ(headings(), (QStringList{"Other"})) << "a failed load keeps the grid";
}

TEST_F(Opening, RecentFilesKeepTheLastTenOpenedOrSavedAndTheMenuOpensThem)
{
    m_dir.file("a.csv", People);
    m_dir.file("b&c.csv", "Other\r\nx\r\n");
    window().openFile(qpath("a.csv"));
    window().openFile(qpath("b&c.csv"));
    click("PushButton7"); // the program's own sample is not listed
    window().openFile(qpath("a.csv"));
    EXPECT_EQ(RecentFiles().files(), (QStringList{qpath("a.csv"), qpath("b&c.csv")}));
    // Saving puts the file on the list too.
    RecentFiles().clear();
    click("PushButton6");
    EXPECT_EQ(RecentFiles().files(), QStringList{qpath("a.csv")});
    RecentFiles recent;
    for (int i = 0; i < 12; ++i)
        recent.add(qpath("f" + std::to_string(i) + ".csv"));
    const QStringList files = recent.files();
    ASSERT_EQ(files.size(), RecentFiles::Limit);
    EXPECT_EQ(files.first(), qpath("f11.csv"));
    EXPECT_EQ(files.last(), qpath("f2.csv"));

    recent.clear();
    recent.add(qpath("gone.csv"));
    recent.add(qpath("a.csv"));
    recent.add(qpath("b&c.csv"));
    QList<QAction*> entries = recentMenu();
    ASSERT_EQ(entries.size(), 5); // three files, a separator, Clear
    EXPECT_TRUE(entries[0]->text().startsWith("&1  "));
    EXPECT_TRUE(entries[0]->text().endsWith("b&&c.csv")) << entries[0]->text().toStdString();
    EXPECT_EQ(entries[4]->text(), "&Clear");
    EXPECT_TRUE(entries[4]->isEnabled());
    m_window->store().PutValue(1, 1, "x");
    m_ask.yesNo = {true};
    entries[1]->trigger();
    EXPECT_EQ(window().store().ValueAt(1, 1), "Bob") << "a.csv read anew";
    EXPECT_EQ(text1()->text(), qpath("a.csv"));
    EXPECT_EQ(RecentFiles().files().first(), qpath("a.csv"));

    // Unsaved changes are asked about first.
    window().store().PutValue(1, 2, "43");
    m_ask.yesNo = {false};
    recentMenu()[1]->trigger();
    EXPECT_EQ(m_ask.asked.back().kind, "yesNo");
    EXPECT_EQ(headings(), (QStringList{"Name", "Age"}));

    // A file that has gone is taken off the list, with a word why.
    entries = recentMenu();
    ASSERT_EQ(entries.size(), 5);
    entries[2]->trigger();
    EXPECT_EQ(messages().back(), "The file \"" + path("gone.csv") +
                                     "\" is no longer there. It has been taken off the recent files.");
    EXPECT_EQ(RecentFiles().files(), (QStringList{qpath("a.csv"), qpath("b&c.csv")}));
    EXPECT_EQ(window().store().ValueAt(1, 2), "43");

    recentMenu()[3]->trigger();
    EXPECT_TRUE(RecentFiles().files().isEmpty());
    entries = recentMenu();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_FALSE(entries[1]->isEnabled()) << "nothing to clear";
}

// Save As and "Save Changes" on the program's sample ask for a new name the
// same way; the new file is the open one from then on.
TEST_F(Opening, SaveAsAndSaveChangesOnTheSampleAskForANewFile)
{
    open(People);
    Form1& w = window();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("in.csv[*] \u2014 Tabvane Software"));
    w.store().PutValue(1, 1, "Ana");
    storeSetting(SettingKey::SaveQuotes, QStringLiteral("1"));
    m_ask.fileNames = {qpath("out.csv")};
    choose("SaveAs");
    EXPECT_EQ(readFile(path("out.csv")), "\"Name\",\"Age\"\r\n\"Ana\",\"42\"\r\n\"Ann\",\"7\"\r\n");
    EXPECT_EQ(text1()->text(), qpath("out.csv"));
    EXPECT_EQ(w.store().FileName(), path("out.csv"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("out.csv[*] \u2014 Tabvane Software"));
    EXPECT_FALSE(w.isWindowModified());
    // A failed write leaves the open file as it was.
    m_ask.fileNames = {qpath("gone/x.csv")};
    choose("SaveAs");
    EXPECT_EQ(messages().back().rfind("Error saving CSV file.", 0), 0u);
    EXPECT_EQ(w.store().FileName(), path("out.csv"));

    restart();
    click("PushButton7");
    EXPECT_TRUE(messages().empty()) << (messages().empty() ? "" : messages()[0]);
    EXPECT_TRUE(text1()->text().endsWith("/Samples/sample1.csv")) << "loaded from the application folder";
    EXPECT_GT(rows(), 30);
    EXPECT_EQ(headings().first(), "Customer ID");
    EXPECT_FALSE(window().store().ChangesMade());
    const std::string sample = window().store().FileName();
    const std::string before = readFile(sample);
    window().store().PutValue(1, 1, "changed");

    // Cancelled: nothing is written anywhere.
    m_ask.fileNames = {""};
    click("PushButton6");
    EXPECT_EQ(m_ask.asked.back().kind, "save");
    EXPECT_EQ(m_ask.asked.back().title, "Save As");
    EXPECT_EQ(readFile(sample), before);
    EXPECT_TRUE(window().store().ChangesMade());

    // The sample itself is refused; an existing file is replaced only on Yes.
    m_dir.file("mine.csv", "keep\r\n");
    m_ask.fileNames = {QString::fromStdString(sample), qpath("mine.csv")};
    m_ask.yesNo = {false};
    click("PushButton6");
    EXPECT_EQ(messages().back(), "This file belongs to the program and is not written over. Please choose another name.");
    click("PushButton6");
    EXPECT_EQ(m_ask.asked.back().text, "\"mine.csv\" already exists.\r\nDo you want to replace it?");
    EXPECT_EQ(readFile(path("mine.csv")), "keep\r\n");
    EXPECT_EQ(readFile(sample), before);
    EXPECT_EQ(window().store().FileName(), sample) << "No keeps the open file";

    m_ask.fileNames = {qpath("mine.csv")};
    m_ask.yesNo = {true};
    click("PushButton6");
    EXPECT_EQ(messages().back(), "Done.");
    EXPECT_EQ(readFile(sample), before);
    EXPECT_NE(readFile(path("mine.csv")).find("changed"), std::string::npos);
    EXPECT_EQ(text1()->text(), qpath("mine.csv"));
    EXPECT_EQ(RecentFiles().files().first(), qpath("mine.csv"));
    EXPECT_FALSE(window().store().ChangesMade());

    // From now on the new file is the one saved, without a question.
    const size_t asked = m_ask.asked.size();
    window().store().PutValue(1, 1, "again");
    click("PushButton6");
    EXPECT_EQ(m_ask.asked.size(), asked + 1);
    EXPECT_EQ(messages().back(), "Done.");
    EXPECT_NE(readFile(path("mine.csv")).find("again"), std::string::npos);
    EXPECT_EQ(readFile(sample), before);
}

namespace {

// Each way in to opening a file, as the user takes it.
class OpenWay : public Opening, public ::testing::WithParamInterface<std::string> {
protected:
    void openBy(const std::string& way, const QString& file)
    {
        if (way == "Open") {
            m_ask.fileNames.push_back(file);
            for (QAction* a : window().fileMenu()->actions())
                if (a->text() == QStringLiteral("&Open\u2026"))
                    a->trigger();
        } else if (way == "OpenRecent") {
            RecentFiles().add(file);
            for (QAction* a : recentMenu())
                if (a->toolTip() == file)
                    a->trigger();
        } else if (way == "CommandLine") {
            openWhenStarted(window(), file);
            QCoreApplication::processEvents();
        } else {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(file)});
            drop(data);
        }
    }
    // The grid shows the store as it is, and nothing has failed.
    void expectGridIsTheStore(const std::string& when)
    {
        for (const auto& a : m_ask.asked)
            EXPECT_NE(a.title, "Application Error") << when << ": " << a.text;
        EXPECT_EQ(window().grid().headingCount(), window().store().FieldCount()) << when;
        EXPECT_EQ(rows(), window().store().RecordsHeld()) << when;
    }
};

std::string wideFile()
{
    std::string text = "a,b,c,d,e,f\r\n";
    for (int r = 0; r < 40; ++r)
        text += "1,2,3,4,5,6\r\n";
    return text;
}

} // namespace

// Files that each raise a question, opened one over another while the window
// behind every question repaints, then reloaded by the header box: a file
// narrower than the one shown must never be painted through the old grid.
TEST_P(OpenWay, FilesThatAskOpenOverAnOpenFile)
{
    const std::vector<std::pair<std::string, std::string>> files = {
        {"data.tsv", "id\tname\tcity\n1\tAnn\tRome\n2\tBob\tOslo\n"},
        {"people.csv", "Name,Age\r\nBob,42\r\n"},
        {"western.csv", "name,city\r\nAnn,K\xf6ln\r\n"},
        {"appended.csv", "a,b\r\n1,2\r\n3,4\n"},
        {"sheet.csv", "a,b\r\n\"x, y\",1\r\n"}, // last: Yes turns the standard rule on
    };
    const std::vector<std::string> questions = {"Separator?", "Separator?", "Western Text?", "Line Ends?",
                                                "Standard CSV?"};
    window().show();
    window().openFile(QString::fromStdString(m_dir.file("wide.csv", wideFile())));
    m_ask.whileShown = [this] { listView()->viewport()->grab(); };
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto& [name, text] = files[i];
        m_ask.asked.clear();
        m_ask.yesNo = {true};
        openBy(GetParam(), QString::fromStdString(m_dir.file(name, text)));
        const auto question = std::find_if(m_ask.asked.begin(), m_ask.asked.end(),
                                           [](const auto& a) { return a.kind == "yesNo"; });
        ASSERT_NE(question, m_ask.asked.end()) << name;
        EXPECT_EQ(question->title, questions[i]) << name;
        EXPECT_EQ(window().store().FileName(), path(name));
        expectGridIsTheStore(name);
        click("Check12");
        click("Check12");
        expectGridIsTheStore(name + ", header box");
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, OpenWay, ::testing::Values("Open", "OpenRecent", "CommandLine", "Drop"),
                         [](const auto& info) { return info.param; });
