// Crash recovery: a window process killed after random steps comes back, at
// the next start, to what a save just before the kill would have written;
// each answer to the recovery questions does what it says, and a journal
// that cannot be used, or whose file is gone, is said so and kept.
#include <csignal>
#include <filesystem>
#include <random>

#include <QProcess>
#include <QTest>

#include "app/CrashRecovery.h"
#include "store/journal/FileCheck.h"
#include "store/journal/JournalFolder.h"
#include "store/journal/JournalWriter.h"
#include "tests/app/AppFixture.h"

namespace {

const char* const People = "Id,Name,City\r\n1,Ann,Oslo\r\n2,Bob,Bergen\r\n1,Ann,Oslo\r\n3,Cid,Alta\r\n4,Di,Oslo\r\n";

void editCell(Form1& w, int row, int column, const QString& text)
{
    auto* view = findControl<QTableView>(w, QStringLiteral("ListView1"));
    const QModelIndex index = w.grid().index(row, column);
    view->setCurrentIndex(index);
    view->edit(index);
    auto* editor = view->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// What a user does, drawn from `seed`: the same steps in any process.
class RandomUser : public AppTest {
protected:
    void work(unsigned seed, int steps)
    {
        std::mt19937 rng(seed);
        const auto pick = [&](int n) { return n < 1 ? 0 : static_cast<int>(rng() % static_cast<unsigned>(n)); };
        Form1& w = window();
        for (int n = 0; n < steps; ++n) {
            const int row = pick(rows()), column = pick(static_cast<int>(headings().size()));
            switch (pick(7)) {
            case 0:
            case 1:
                if (rows() > 0)
                    editCell(w, row, column, QStringLiteral("v%1").arg(n));
                break;
            case 2:
                if (rows() > 1) {
                    listView()->selectRow(row);
                    click("PushButton3");
                }
                break;
            case 3:
                w.ListView1_HeaderClick(column);
                break;
            case 4:
                m_ask.inputs.push_back(QStringLiteral("C%1").arg(n));
                click("PushButton4");
                break;
            case 5:
                if (w.undoAction()->isEnabled())
                    choose("Undo");
                break;
            default:
                if (w.redoAction()->isEnabled())
                    choose("Redo");
                break;
            }
        }
    }
};

// Leaves behind a journal of `steps` for `file`, as a process that ended would.
std::string leaveJournal(const std::string& file, const std::vector<StepOperation>& steps)
{
    journal::makeFolder(journal::folder());
    JournalWriter writer(journal::folder(), "left.journal", {*journal::factsAt(file), {}});
    for (const StepOperation& step : steps)
        writer.append(journal::stepRecord(step), false);
    writer.sync();
    return writer.path();
}

const char* const ChildSeed = "TABVANE_CRASH_CHILD_SEED";

} // namespace

// Not a test of its own: the window process the next test starts and kills.
TEST_F(RandomUser, ChildWorksUntilKilled)
{
    if (qEnvironmentVariableIsEmpty(ChildSeed))
        GTEST_SKIP() << "started by KilledAfterRandomStepsComesBackAsASaveWouldHave";
    qputenv("XDG_STATE_HOME", qgetenv("TABVANE_CRASH_CHILD_STATE"));
    m_ask.fileNames.push_back(qEnvironmentVariable("TABVANE_CRASH_CHILD_FILE"));
    click("PushButton2");
    work(qEnvironmentVariableIntValue(ChildSeed), 12);
    // No sync of its own: the journal reaches the disk within the second.
    QTest::qWait(1500);
    std::printf("ready\n");
    std::fflush(stdout);
    QTest::qWait(60000);
    FAIL() << "not killed";
}

TEST_F(RandomUser, KilledAfterRandomStepsComesBackAsASaveWouldHave)
{
    for (unsigned seed = 1; seed <= 4; ++seed) {
        // What a save just before the kill writes: the same steps, saved.
        restart();
        open(People, "mirror.csv");
        work(seed, 12);
        if (!window().store().ChangesMade())
            continue;
        click("PushButton6");
        const std::string expected = readFile(path("mirror.csv"));

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(ChildSeed, QString::number(seed));
        env.insert("TABVANE_CRASH_CHILD_STATE", qEnvironmentVariable("XDG_STATE_HOME"));
        env.insert("TABVANE_CRASH_CHILD_FILE", QString::fromStdString(m_dir.file("in.csv", People)));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=RandomUser.ChildWorksUntilKilled"});
        ASSERT_TRUE(child.waitForStarted());
        bool ready = false;
        while (!ready && child.state() == QProcess::Running) {
            child.waitForReadyRead(20000);
            while (!ready && child.canReadLine())
                ready = child.readLine().trimmed() == "ready";
        }
        ASSERT_TRUE(ready) << child.readAllStandardError().toStdString();
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished());
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);

        restart({true});
        ASSERT_TRUE(offerRecovery(window(), journal::folder())) << "seed " << seed;
        EXPECT_EQ(m_ask.texts("yesNo").at(0), "Changes to " + path() + " were not saved when Tabvane last closed. Recover them?");
        EXPECT_EQ(messages().back().rfind("Recovered ", 0), 0u) << messages().back();
        EXPECT_TRUE(window().isWindowModified());
        click("PushButton6");
        EXPECT_EQ(readFile(path()), expected) << "seed " << seed;
        EXPECT_TRUE(journal::leftBehind(journal::folder()).empty()) << "recovered and saved, nothing is left";
    }
}

// Each answer, and each journal that cannot be offered.
TEST_F(RandomUser, TheQuestionsDoWhatTheySay)
{
    const StepOperation edit{"PutValue", {{"record", "2"}, {"field", "2"}, {"value", "Zed"}}};
    const struct {
        const char* name;
        std::function<void(const std::string& file, const std::string& journal)> meanwhile;
        std::deque<bool> answers;
        bool kept;
        const char* saidFirst; // the start of the first message, or null
    } cases[] = {
        {"discarded", {}, {false, true}, false, nullptr},
        {"kept", {}, {false, false}, true, nullptr},
        {"file changed: saved to a new file", [](const std::string& f, const std::string&) {
             std::ofstream(f, std::ios::app) << "5,Eve,Rome\r\n";
         }, {true, true}, false, "Recovered 1 step"},
        {"file gone", [](const std::string& f, const std::string&) { std::filesystem::remove(f); }, {}, true,
         "Changes to"},
        {"unreadable", [](const std::string&, const std::string& j) { std::ofstream(j) << "not a journal"; }, {}, true,
         "A record of changes"},
    };
    for (const auto& c : cases) {
        restart(c.answers);
        const std::string file = m_dir.file("in.csv", People);
        const std::string left = leaveJournal(file, {edit});
        if (c.meanwhile)
            c.meanwhile(file, left);
        m_ask.fileNames.push_back(qpath("new.csv"));
        const bool recovered = offerRecovery(window(), journal::folder());
        EXPECT_EQ(std::filesystem::exists(left), c.kept) << c.name;
        EXPECT_TRUE(m_ask.yesNo.empty()) << c.name << ": every answer was asked for";
        if (c.saidFirst) {
            EXPECT_EQ(messages().at(0).rfind(c.saidFirst, 0), 0u) << c.name << ": " << messages().at(0);
        }
        if (recovered) {
            EXPECT_EQ(readFile(path("new.csv")), "Id,Name,City\r\n1,Ann,Oslo\r\n2,Zed,Bergen\r\n1,Ann,Oslo\r\n3,Cid,Alta\r\n"
                                                 "4,Di,Oslo\r\n5,Eve,Rome\r\n") << c.name;
            EXPECT_EQ(readFile(file).size(), std::string(People).size() + 12) << "the changed file stays as it is";
        }
        std::filesystem::remove(left);
        std::filesystem::remove(path("new.csv"));
    }

    // Save As cancelled after recovering onto a changed file: Save too asks
    // for a new file, and never writes over the other program's.
    restart({true, true});
    const std::string file = m_dir.file("in.csv", People);
    leaveJournal(file, {edit});
    std::ofstream(file, std::ios::app) << "5,Eve,Rome\r\n";
    m_ask.fileNames = {QString(), qpath("later.csv")};
    ASSERT_TRUE(offerRecovery(window(), journal::folder()));
    click("PushButton6");
    EXPECT_EQ(readFile(file).size(), std::string(People).size() + 12);
    EXPECT_TRUE(std::filesystem::exists(path("later.csv")));
}

// A journal that cannot be written is said, once: a crash would lose the work.
TEST_F(RandomUser, AJournalThatCannotBeKeptIsSaidOnce)
{
    const QByteArray before = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QByteArray::fromStdString(m_dir.file("not-a-folder", "x")));
    restart();
    open(People);
    click("PushButton11");
    window().ListView1_HeaderClick(1);
    qputenv("XDG_STATE_HOME", before);
    const std::vector<std::string> said = messages();
    ASSERT_EQ(std::count_if(said.begin(), said.end(),
                            [](const std::string& m) { return m.find("a crash now would lose them") != std::string::npos; }),
              1);
}
