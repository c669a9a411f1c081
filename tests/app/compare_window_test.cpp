// File > Compare With...: the open file beside another version of it, which
// the window never changes.
#include <fstream>
#include <sstream>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

#include "app/CompareWindow.h"
#include "tests/app/AppFixture.h"

class CompareWindowTest : public AppTest {
protected:
    CompareWindow* compareWith(const std::string& text, const char* key, const std::string& name = "new.csv")
    {
        window().show();
        choose("mnuCompareWith");
        CompareWindow* shown = window().compareWindow();
        EXPECT_TRUE(shown && shown->isVisible());
        m_ask.fileNames.push_back(QString::fromStdString(m_dir.file(name, text)));
        clickControl(*shown, QStringLiteral("cmdBrowse"));
        findControl<QComboBox>(*shown, QStringLiteral("cboKey"))->setCurrentText(QString::fromLatin1(key));
        clickControl(*shown, QStringLiteral("cmdCompare"));
        return shown;
    }
    static QString said(CompareWindow* shown) { return shown->statusLine()->text(); }
    // Each shown row's cells, joined by "|".
    static std::vector<std::string> shownRows(CompareWindow* shown)
    {
        std::vector<std::string> out;
        const CompareModel* model = shown->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c)
                cells << model->data(model->index(r, c), Qt::DisplayRole).toString();
            out.push_back(cells.join(QLatin1Char('|')).toStdString());
        }
        return out;
    }
};

TEST_F(CompareWindowTest, ShowsTheUnionOfRowsMarksChangesAndExportsThem)
{
    open("id,name,city\r\n1,Ann,Kiel\r\n2,Bo,Ulm\r\n3,Cy,Jena\r\n4,Di,Bonn\r\n");
    // The other version is semicolon-separated: read by its own separator.
    CompareWindow* shown = compareWith("id;name;mail\n1;Anna;a@x\n3;Cy;c@x\n4;Di;d@x\n5;Ed;e@x\n", "id");
    EXPECT_EQ(said(shown), "1 added · 1 removed · 1 changed · 2 the same · 1 column added · 1 column removed");
    CompareModel* model = shown->model();
    EXPECT_EQ(model->headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), "\u2212 city");
    EXPECT_EQ(model->headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), "+ mail");
    EXPECT_EQ(shownRows(shown), (std::vector<std::string>{"~ changed|1|Anna||a@x", "\u2212 removed|2|Bo|Ulm|",
                                                          "|3|Cy||c@x", "|4|Di||d@x", "+ added|5|Ed||e@x"}));
    // The changed cell is marked and says what it was; the others are not.
    EXPECT_EQ(model->data(model->index(0, 2), Qt::ToolTipRole).toString(), "was: Ann");
    EXPECT_TRUE(model->data(model->index(0, 2), Qt::BackgroundRole).isValid());
    EXPECT_FALSE(model->data(model->index(0, 1), Qt::BackgroundRole).isValid());
    EXPECT_NE(model->data(model->index(1, 1), Qt::BackgroundRole), model->data(model->index(4, 1), Qt::BackgroundRole));

    findControl<QCheckBox>(*shown, QStringLiteral("chkOnlyDifferences"))->setChecked(true);
    EXPECT_EQ(model->rowCount(), 3);
    if (const QByteArray folder = qgetenv("TABVANE_SCREENSHOTS"); !folder.isEmpty()) {
        EXPECT_TRUE(shown->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/compare-window.png")));
    }

    m_ask.fileNames.push_back(qpath("differences.csv"));
    clickControl(*shown, QStringLiteral("cmdExport"));
    std::ifstream in(path("differences.csv"), std::ios::binary);
    std::stringstream written;
    written << in.rdbuf();
    EXPECT_EQ(written.str(), "change,id,name,city,mail\r\nchanged,1,Anna,,a@x\r\nwas,1,Ann,Kiel,\r\nremoved,2,Bo,Ulm,\r\n"
                             "added,5,Ed,,e@x\r\n");
    EXPECT_FALSE(window().store().ChangesMade()) << "the open file is only read";

    // Before the open file changes, the comparison lets go of its rows.
    window().store().PutValue(1, 2, "Al");
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(said(shown), "The open file has changed: Compare again to see its differences.");
}

TEST_F(CompareWindowTest, SaysNoDifferencesOrWhyTheKeyCannotPairTheRows)
{
    const std::string text = "id,name\r\n1,Ann\r\n2,Bo\r\n";
    open(text);
    const struct {
        std::string other;
        const char* key;
        std::string said, message;
    } cases[] = {
        {text, "id", "No differences", ""},
        {text, "(by row position)", "No differences", ""},
        {"id,name\r\n1,Ann\r\n1,Bo\r\n1,Cy\r\n", "id", "",
         "The key column \"id\" repeats \"1\" in new.csv (3 times). Compare by row position, or choose another key."},
        {"code,name\r\n1,Ann\r\n", "id", "",
         "The key column \"id\" is not in new.csv. Compare by row position, or choose another key."},
    };
    for (const auto& c : cases) {
        m_ask.asked.clear();
        CompareWindow* shown = compareWith(c.other, c.key);
        EXPECT_EQ(said(shown).toStdString(), c.said);
        EXPECT_EQ(messages(), c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
    }
}
