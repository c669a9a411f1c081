// The main window's size on screens large and small, what it remembers of
// it, and the widths and texts that must fit inside it.
#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTest>

#include "app/SaveSettings.h"
#include "app/StatusLine.h"
#include "app/WindowPlacement.h"
#include "tests/app/AppFixture.h"

namespace {

class WindowSize : public AppTest {};

// Every button, in the order a user reads them: row by row, left to right.
std::vector<QPushButton*> buttonsOnPage(Form1& w)
{
    std::vector<QPushButton*> all;
    for (QPushButton* b : w.findChildren<QPushButton*>())
        if (b->objectName().startsWith(QLatin1String("PushButton")) && b->isVisible())
            all.push_back(b);
    return all;
}

void expectNothingOverlaps(Form1& w, const std::string& when)
{
    std::vector<QWidget*> controls;
    for (QPushButton* b : buttonsOnPage(w))
        if (b->parentWidget() == w.findChild<QWidget*>(QStringLiteral("page")))
            controls.push_back(b);
    controls.push_back(w.findChild<QWidget*>(QStringLiteral("ListView1")));
    controls.push_back(w.findChild<QWidget*>(QStringLiteral("Frame2")));
    for (std::size_t i = 0; i < controls.size(); ++i)
        for (std::size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                << when << ": " << controls[i]->objectName().toStdString() << " and "
                << controls[j]->objectName().toStdString();
    EXPECT_LE(w.statusLine()->geometry().top(), w.height()) << when;
    const QWidget* body = w.findChild<QWidget*>(QStringLiteral("body"));
    EXPECT_LE(body->geometry().bottom(), w.statusLine()->geometry().top()) << when << ": the status line stays below";
}

} // namespace

TEST(WindowPlacement, OpensAtFourFifthsCappedAndFittingTheScreen)
{
    const QSize least(648, 510);
    struct Case {
        QRect screen;
        QSize expected;
    } cases[] = {
        {{0, 0, 1366, 768}, {1092, 614}},
        {{0, 0, 1600, 1000}, {1280, 800}},
        {{0, 0, 2560, 1440}, {1400, 900}},
        {{0, 0, 800, 600}, {648, 510}},      // four fifths would hide buttons
        {{0, 0, 683, 384}, {648, 384}},      // 1366x768 at twice the size: the body scrolls
        {{0, 0, 600, 400}, {600, 400}},
        {{1920, 30, 1280, 994}, {1024, 795}}, // a second screen, under a panel
    };
    for (const Case& c : cases) {
        const QRect r = openingGeometry(c.screen, least);
        EXPECT_EQ(r.size(), c.expected) << c.screen.width() << "x" << c.screen.height();
        EXPECT_TRUE(c.screen.contains(r)) << c.screen.width() << "x" << c.screen.height();
        EXPECT_LE(std::abs(r.center().x() - c.screen.center().x()), 1);
        EXPECT_LE(std::abs(r.center().y() - c.screen.center().y()), 1);
    }
}

TEST_F(WindowSize, RemembersSizeAndPlaceOnlyWhereAScreenIs)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    Form1& w = window();
    w.show();
    const QRect opened = w.geometry();
    EXPECT_TRUE(screen.contains(w.frameGeometry())) << "a new window fits the screen";
    w.setGeometry(QRect(opened.topLeft() + QPoint(7, 5), opened.size() + QSize(20, 10)));
    const QRect moved = w.geometry();
    ASSERT_TRUE(w.close());
    EXPECT_TRUE(landsOnScreen(SaveSettings::windowGeometry(), {screen}));
    EXPECT_FALSE(landsOnScreen(SaveSettings::windowGeometry(), {screen.translated(screen.width() * 3, 0)}));
    EXPECT_FALSE(landsOnScreen("not a geometry", {screen}));

    m_window.reset();
    window().show();
    EXPECT_EQ(window().geometry(), moved) << "the next start opens where the last one closed";

    // Saved on a screen that is gone: opens as a new window does.
    window().move(screen.width() * 4, 20);
    ASSERT_TRUE(window().close());
    m_window.reset();
    window().show();
    EXPECT_EQ(window().geometry(), opened);
}

TEST_F(WindowSize, ShortWindowsShortenTheGridThenScroll)
{
    open("A,B\r\n1,2\r\n");
    Form1& w = window();
    w.show();
    const int chrome = w.height() - w.clientArea().height();
    const int rowHeight = listView()->verticalHeader()->defaultSectionSize();
    const QStringList designedOrder = [&] {
        QStringList names;
        for (QPushButton* b : buttonsOnPage(w))
            names << b->objectName();
        return names;
    }();
    EXPECT_LT(w.minimumHeight(), w.designedSize().height() + chrome) << "the grid may be shorter than designed";
    for (int clientHeight : {w.designedSize().height(), w.compactSize().height(), w.compactSize().height() - 150}) {
        // As on a screen lower than the compact layout, where the least size is the screen's.
        w.setMinimumSize(0, 0);
        const bool scrolls = clientHeight < w.compactSize().height();
        // The scroll bar takes its room beside the controls, as the window opens on such a screen.
        const int bar = scrolls ? w.style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
        w.resize(w.designedSize().width() + bar, clientHeight + chrome);
        const std::string when = "client height " + std::to_string(clientHeight);
        expectNothingOverlaps(w, when);
        EXPECT_GE(listView()->viewport()->height(), 3 * rowHeight) << when << ": a few rows stay in sight";
        auto* body = w.findChild<QScrollArea*>(QStringLiteral("body"));
        EXPECT_EQ(body->verticalScrollBar()->maximum() > 0, scrolls) << when;
        // Scrolled to the end, the last button shows whole.
        body->verticalScrollBar()->setValue(body->verticalScrollBar()->maximum());
        const QWidget* last = control<QPushButton>("PushButton25");
        const QRect shown(last->mapTo(body->viewport(), QPoint()), last->size());
        EXPECT_TRUE(body->viewport()->rect().contains(shown)) << when << " viewport " << body->viewport()->width() << "x"
            << body->viewport()->height() << " button at " << shown.x() << "," << shown.y() << " " << shown.width() << "x" << shown.height();
        body->verticalScrollBar()->setValue(0);
    }
}

TEST_F(WindowSize, ColumnsFitTheirFirstThousandValuesUpToAThirdOfTheGrid)
{
    std::string text = "Id,Note,Late\r\n";
    for (int i = 1; i <= 1500; ++i)
        text += std::to_string(i) + "," + (i == 900 ? std::string(400, 'w') : "short") + ","
            + (i == 1200 ? std::string(60, 'm') : "x") + "\r\n";
    window().show();
    open(text);
    const int grid = std::max(listView()->viewport()->width(), 632);
    EXPECT_EQ(listView()->columnWidth(1), grid / 3) << "a long value widens its column to a third at most";
    EXPECT_LT(listView()->columnWidth(2), 100) << "values past the first thousand rows are not read";
    const QFontMetrics heading = listView()->horizontalHeader()->fontMetrics();
    EXPECT_GE(listView()->columnWidth(0), heading.horizontalAdvance(QStringLiteral("Id")));
}

TEST_F(WindowSize, TheStatusLineShortensRatherThanCutsOff)
{
    Form1& w = window();
    w.show();
    StatusLine* line = w.statusLine();
    const QString facts = QStringLiteral("1,000,000 rows · 80 columns · Separator: semicolon · Every value quoted · "
                                         "Standard CSV · Windows-1252 · CRLF");
    line->showFacts(facts, QStringLiteral("detail"));
    line->say(QStringLiteral("Removed 150,593 duplicate rows"));
    for (int width : {1400, 648}) {
        w.resize(width, w.height());
        auto labels = line->findChildren<QLabel*>();
        ASSERT_EQ(labels.size(), 2);
        const bool fits = labels[0]->fontMetrics().horizontalAdvance(facts) <= labels[0]->contentsRect().width();
        EXPECT_EQ(labels[0]->toolTip(), fits ? QStringLiteral("detail") : facts + QStringLiteral("\n\ndetail"))
            << width;
        EXPECT_LE(labels[0]->geometry().right(), labels[1]->geometry().left()) << width;
        EXPECT_LE(labels[1]->geometry().right(), line->width()) << width;
        if (width == 648) {
            EXPECT_FALSE(fits) << "too long for the narrow window: shortened, whole in the tooltip";
        }
    }
    EXPECT_EQ(line->facts(), facts);
}

TEST_F(WindowSize, TheSkinFollowsADarkPaletteAndKeepsTheLightLook)
{
    const QPalette before = QApplication::palette();
    QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x2b, 0x2b, 0x2b));
    dark.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xe8));
    dark.setColor(QPalette::Text, QColor(0xe8, 0xe8, 0xe8));
    dark.setColor(QPalette::ButtonText, QColor(0xe8, 0xe8, 0xe8));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    struct Case {
        const char* name;
        QPalette palette;
        bool dark;
    } cases[] = {{"light", before, false}, {"dark", dark, true}};
    for (const Case& c : cases) {
        QApplication::setPalette(c.palette);
        m_window.reset();
        open("Name,City\r\nAda,London\r\nGrace,Arlington\r\n");
        Form1& w = window();
        w.show();
        const QImage shot = w.grab().toImage();
        if (const QByteArray folder = qgetenv("TABVANE_SCREENSHOTS"); !folder.isEmpty())
            shot.save(QString::fromLocal8Bit(folder) + QStringLiteral("/main-window-") + QLatin1String(c.name) + ".png");
        const auto lightness = [&](QWidget* at, QPoint p) { return shot.pixelColor(at->mapTo(&w, p)).lightness(); };
        QPushButton* b = control<QPushButton>("PushButton6");
        const int background = lightness(w.findChild<QWidget*>(QStringLiteral("page")), QPoint(2, 2));
        const int face = lightness(b, QPoint(4, b->height() / 2));
        const int grid = lightness(listView()->viewport(), QPoint(listView()->viewport()->width() - 4,
                                                                  listView()->viewport()->height() - 4));
        const int text = b->palette().color(QPalette::ButtonText).lightness();
        if (c.dark) {
            EXPECT_LT(background, 90);
            EXPECT_LT(face, 110);
            EXPECT_LT(grid, 90);
            EXPECT_GT(text, 180) << "light text on the dark buttons";
        } else {
            EXPECT_EQ(shot.pixelColor(w.findChild<QWidget*>(QStringLiteral("page"))->mapTo(&w, QPoint(2, 2))),
                      QColor(0xeef2f6));
            EXPECT_GT(face, 200);
            EXPECT_EQ(grid, 255);
            EXPECT_LT(text, 80);
        }
        EXPECT_GT(std::abs(text - face), 100) << c.name << ": readable";
    }
    QApplication::setPalette(before);
}
