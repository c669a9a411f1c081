#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include "app/StatusLine.h"
#include "tests/app/AppFixture.h"
#include "window/CommandScope.h"
#include "window/PointerRules.h"

namespace {

class Window : public AppTest {};

void moveOver(QWidget* w)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

} // namespace

TEST_F(Window, ClosingAsksOnlyAboutUnsavedChanges)
{
    Form1& w = window();
    w.show();
    EXPECT_TRUE(w.close()) << "nothing loaded: no question";
    EXPECT_TRUE(m_ask.asked.empty());

    m_window.reset();
    open("A\r\n1\r\n");
    window().show();
    window().store().PutValue(1, 1, "2");
    m_ask.yesNo = {false};
    EXPECT_FALSE(window().close());
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(window().store().ValueAt(1, 1), "2");
    const auto& asked = m_ask.asked.back();
    EXPECT_EQ(asked.title, "Changes Not Saved");
    EXPECT_EQ(asked.text, "Changes has not been saved.\r\n Do you wish to continue exit?");
    m_ask.yesNo = {true};
    EXPECT_TRUE(window().close());
    EXPECT_EQ(readFile(m_dir.path() + "/in.csv"), "A\r\n1\r\n") << "Yes ends without saving";
}

TEST_F(Window, HoverPointerRules)
{
    Form1& w = window();
    w.show();
    const bool hand = loadHandPointer(&w);
    moveOver(control<QPushButton>("PushButton9"));
    EXPECT_EQ(w.cursor().shape(), hand ? Qt::BitmapCursor : Qt::ArrowCursor);
    moveOver(listView()->viewport());
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
    moveOver(control<QPushButton>("PushButton6"));
    {
        BusyPointer busy(&w);
        moveOver(listView()->viewport());
        EXPECT_EQ(w.cursor().shape(), Qt::WaitCursor);
        moveOver(control<QPushButton>("PushButton2"));
        EXPECT_EQ(w.cursor().shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Window, NoOtherCommandWhileOneRuns)
{
    Form1& w = window();
    w.show();
    {
        CommandScope scope(&w);
        QTest::mouseClick(control<QPushButton>("PushButton9"), Qt::LeftButton);
        EXPECT_TRUE(m_ask.asked.empty()) << "Help must not run in the middle of a command";
        EXPECT_FALSE(w.close());
    }
    QTest::mouseClick(control<QPushButton>("PushButton9"), Qt::LeftButton);
    ASSERT_EQ(m_ask.asked.size(), 1u);
    EXPECT_EQ(m_ask.asked[0].text, "Questions? Please contact Team Varnhold at https://www.example.com/contact");
}

TEST_F(Window, DesignedLayoutAndGrowth)
{
    Form1& w = window();
    w.show();
    const QSize designed = w.designedSize();
    // The menu bar above and the status line below add to the designed area.
    w.resize(designed + QSize(0, w.height() - w.clientArea().height()));
    const int top = w.clientArea().top();
    EXPECT_GT(top, 10);
    EXPECT_EQ(w.clientArea().size(), designed);
    EXPECT_EQ(w.menuBar()->geometry(), QRect(0, 0, w.width(), top));
    EXPECT_EQ(w.statusLine()->y(), top + designed.height());
    // The controls sit on the body under the menu bar.
    EXPECT_EQ(listView()->geometry(), QRect(8, 154, 632, 220));
    EXPECT_EQ(control<QPushButton>("PushButton25")->geometry(), QRect(328, 584, 312, 27));
    EXPECT_EQ(control<QLabel>("lblLoading")->y(), 116) << "on the check box's line, not across the frame's border";
    w.resize(w.size() + QSize(200, 300));
    EXPECT_EQ(listView()->size(), QSize(832, 520));
    EXPECT_EQ(control<QPushButton>("PushButton6")->y(), 380 + 300) << "the buttons move down with the grid's bottom";
    EXPECT_EQ(w.statusLine()->geometry().bottom(), w.height() - 1);
    EXPECT_EQ(control<QPushButton>("PushButton25")->geometry().right(), listView()->geometry().right());
    // Every caption fits its control.
    for (QPushButton* b : w.findChildren<QPushButton*>())
        EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()) + 8, b->width()) << b->text().toStdString();
}

TEST_F(Window, AnErrorThatEscapesAHandlerIsReportedAndTheProgramGoesOn)
{
    struct Throwing : QObject {
        bool event(QEvent*) override { throw StoreError(); }
    } receiver;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&receiver, &event));
    ASSERT_EQ(m_ask.asked.size(), 1u);
    EXPECT_EQ(m_ask.asked[0].title, "Application Error");
    EXPECT_EQ(m_ask.asked[0].text.rfind("Subscript out of range\r\n", 0), 0u) << m_ask.asked[0].text;
}
