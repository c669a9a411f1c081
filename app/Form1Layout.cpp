// The main window's controls and where they sit. Positions are in twips as
// the window was designed (15 twips to a pixel at 96 dpi); when the window is
// enlarged the grid takes the extra room and the buttons keep together below
// it. A shorter window shortens the grid, down to a few rows; shorter still,
// the controls scroll between the menu bar and the status line.
#include "app/Form1.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QAction>
#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTableView>

#include "app/GridModel.h"
#include "app/ProfilePanel.h"
#include "app/SaveSettings.h"
#include "app/StatusLine.h"
#include "app/WindowPlacement.h"
#include "window/Look.h"
#include "window/Twips.h"
#include "window/ControlNames.h"

namespace {
constexpr int ClientWidth = 9720;
constexpr int ClientHeight = 9270;
constexpr int Margin = 120;
constexpr int GridHeight = 3300;
// The fewest rows the grid shows when the window is short.
constexpr int ShortestGridRows = 3;
} // namespace

int Form1::px(int twips) const
{
    return ::px(this, twips);
}

QSize Form1::designedSize() const { return {px(ClientWidth), px(ClientHeight)}; }

QRect Form1::clientArea() const
{
    return QRect(0, m_menuHeight, width(), height() - m_menuHeight - m_statusHeight);
}

int Form1::gridShrink() const
{
    // The grid's own scroll bar below its rows takes room too.
    const int shortest = ListView1->horizontalHeader()->sizeHint().height()
        + ShortestGridRows * ListView1->verticalHeader()->defaultSectionSize() + 2 * ListView1->frameWidth()
        + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return std::max(0, px(GridHeight) - shortest);
}

QSize Form1::compactSize() const
{
    return designedSize() - QSize(0, gridShrink()) + QSize(profileWidth(), 0);
}

void Form1::updateMinimumSize()
{
    const QSize chrome(0, m_menuHeight + m_statusHeight);
    // Never more than the screen holds: the body scrolls instead.
    setMinimumSize((compactSize() + chrome).boundedTo(screen()->availableGeometry().size()));
    m_page->setMinimumSize(compactSize());
}

void Form1::fitWindowToContent()
{
    // The menu bar and the status line add to the client area.
    // Measured with the style and font they are shown with: a bar too low
    // for its entries folds them all behind its extension button.
    m_menuBar->ensurePolished();
    m_status->ensurePolished();
    m_menuHeight = std::max(m_menuBar->sizeHint().height(), m_menuBar->heightForWidth(designedSize().width()));
    m_statusHeight = m_status->sizeHint().height();
    updateMinimumSize();
    const QSize chrome(0, m_menuHeight + m_statusHeight);
    const QRect available = screen()->availableGeometry();
    QSize least = compactSize() + chrome;
    // A screen too low for the controls: they scroll, and the scroll bar
    // takes its width beside them rather than hiding their right edge.
    if (least.height() > available.height())
        least.rwidth() += style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QRect opening = openingGeometry(available, least);
    resize(opening.size());
    move(opening.topLeft());
    restoreWindowGeometry();
}

void Form1::restoreWindowGeometry()
{
    const QByteArray saved = SaveSettings::windowGeometry();
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens << s->geometry();
    if (!saved.isEmpty() && landsOnScreen(saved, screens))
        restoreGeometry(saved);
}

void Form1::place(QWidget* widget, QRect twips, Anchor anchor)
{
    m_placements.push_back({widget, twips, anchor});
}

QPushButton* Form1::button(QWidget* parent, const QString& caption, QRect twips, Anchor anchor)
{
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    place(b, twips, anchor);
    return b;
}

void Form1::createControls()
{
    m_body = new QScrollArea(this);
    m_body->setObjectName(QStringLiteral("body"));
    m_body->setFrameShape(QFrame::NoFrame);
    m_body->setWidgetResizable(true);
    m_page = new QWidget;
    m_page->setObjectName(QStringLiteral("page"));
    m_body->setWidget(m_page);
    // The window's own background shows through.
    m_body->viewport()->setAutoFillBackground(false);
    m_page->setAutoFillBackground(false);
    m_page->installEventFilter(this);

    Frame1 = new QGroupBox(QStringLiteral("CSV File"), m_page);
    place(Frame1, {120, 120, 9480, 1275}, Anchor::Widen);
    Text1 = new QLineEdit(Frame1);
    place(Text1, {180, 270, 9120, 345}, Anchor::Widen);
    PushButton2 = button(Frame1, QStringLiteral("Load CSV File"), {180, 720, 4485, 405}, Anchor::FrameButton);
    PushButton7 = button(Frame1, QStringLiteral("Load Sample/Example CSV File"), {4800, 720, 4485, 405},
                         Anchor::FrameButton);

    Frame2 = new QGroupBox(QStringLiteral("First Line Option"), m_page);
    place(Frame2, {120, 1440, 9480, 765}, Anchor::Widen);
    Check12 = new QCheckBox(QStringLiteral("Use first line in file as header (do not use first line as data)"),
                            Frame2);
    Check12->setChecked(true);
    place(Check12, {180, 300, 5805, 285}, Anchor::Fixed);

    lblLoading = new QLabel(m_page);
    // On the check box's line, inside the frame rather than across its border.
    place(lblLoading, {8715, 1740, 0, 0}, Anchor::Label);

    ListView1 = new QTableView(m_page);
    m_grid = new GridModel(this);
    ListView1->setModel(m_grid);
    // Cells are selected and edited one by one, as in a spreadsheet.
    ListView1->setSelectionBehavior(QAbstractItemView::SelectItems);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed);
    ListView1->setWordWrap(false);
    // Tab and Shift+Tab go on to the next control, as in every other window;
    // the arrow keys move between cells.
    ListView1->setTabKeyNavigation(false);
    ListView1->setAlternatingRowColors(true);
    ListView1->verticalHeader()->hide();
    // Fixed row heights: the view never measures a million rows.
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->horizontalHeader()->setDefaultSectionSize(px(1500));
    ListView1->horizontalHeader()->setHighlightSections(false);
    // Fitting a column to its contents looks at a few hundred rows, not a million.
    ListView1->horizontalHeader()->setResizeContentsPrecision(200);
    place(ListView1, {120, 2310, 9480, 3300}, Anchor::Grid);

    const auto blockButton = [&](const char* caption, QRect twips) {
        return button(m_page, QString::fromUtf8(caption), twips, Anchor::ButtonBlock);
    };
    PushButton6 = blockButton("Save Changes", {120, 5700, 2280, 405});
    PushButton28 = blockButton("Save Options", {2520, 5700, 2280, 405});
    PushButton10 = blockButton("Export CSV To...", {4920, 5700, 2280, 405});
    PushButton8 = blockButton("Filter", {7320, 5700, 2280, 405});
    PushButton5 = blockButton("Insert Row", {120, 6210, 2280, 405});
    PushButton3 = blockButton("Delete Row", {2520, 6210, 2280, 405});
    PushButton4 = blockButton("Insert Column", {4920, 6210, 2280, 405});
    PushButton1 = blockButton("Delete Column", {7320, 6210, 2280, 405});
    PushButton11 = blockButton("Remove Entire Row Duplicates", {120, 6720, 4680, 405});
    PushButton13 = blockButton("Remove Partial Duplicates", {4920, 6720, 4680, 405});
    PushButton14 = blockButton("Sort By Column", {120, 7230, 2280, 405});
    PushButton9 = blockButton("Help", {2520, 7230, 2280, 405});
    PushButton16 = blockButton("Split Columns", {4920, 7230, 2280, 405});
    PushButton17 = blockButton("Join Columns", {7320, 7230, 2280, 405});
    PushButton18 = blockButton("Change Case Of Text", {120, 7740, 4680, 405});
    PushButton15 = blockButton("Add Prefix-Suffix To All Column Data", {4920, 7740, 4680, 405});
    PushButton22 = blockButton("Rearrange Column Order", {120, 8250, 4680, 405});
    PushButton23 = blockButton("Find and Replace", {4920, 8250, 4680, 405});
    PushButton24 = blockButton("Append File (Up and Down)", {120, 8745, 4680, 405});
    PushButton25 = blockButton("Merge File (Left and Right)", {4920, 8760, 4680, 405});

    mnuSaveAs = new QMenu(QStringLiteral("Save As"), this);
    const std::pair<QAction**, const char*> entries[] = {{&mnuTXT, "TXT"}, {&mnuXLS, "XLS"}, {&mnuPDF, "PDF"},
                                                         {&mnuXML, "XML"}, {&mnuDOC, "DOC"}, {&mnuHTML, "HTML"}};
    // XLS and XML share their first letter, so XLS takes its second.
    for (auto [action, entry] : entries) {
        QString text = QString::fromLatin1(entry);
        text.insert(text == QLatin1String("XLS") ? 1 : 0, QLatin1Char('&'));
        *action = mnuSaveAs->addAction(text);
        (*action)->setObjectName(QStringLiteral("mnu") + QString::fromLatin1(entry));
    }

    nameControls({
        {Frame1, "Frame1"}, {Text1, "Text1"}, {PushButton2, "PushButton2"}, {PushButton7, "PushButton7"},
        {Frame2, "Frame2"}, {Check12, "Check12"}, {lblLoading, "lblLoading"}, {ListView1, "ListView1"},
        {PushButton6, "PushButton6"}, {PushButton28, "PushButton28"}, {PushButton10, "PushButton10"},
        {PushButton8, "PushButton8"}, {PushButton5, "PushButton5"}, {PushButton3, "PushButton3"},
        {PushButton4, "PushButton4"}, {PushButton1, "PushButton1"}, {PushButton11, "PushButton11"},
        {PushButton13, "PushButton13"}, {PushButton14, "PushButton14"}, {PushButton9, "PushButton9"},
        {PushButton16, "PushButton16"}, {PushButton17, "PushButton17"}, {PushButton18, "PushButton18"},
        {PushButton15, "PushButton15"}, {PushButton22, "PushButton22"}, {PushButton23, "PushButton23"},
        {PushButton24, "PushButton24"}, {PushButton25, "PushButton25"}, {mnuSaveAs, "mnuSaveAs"}});

    useWindowFont(this);
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 6);
    mnuSaveAs->setFont(font());
}

void Form1::layoutControls()
{
    if (m_menuBar)
        m_menuBar->setGeometry(0, 0, width(), m_menuHeight);
    const QRect client = clientArea();
    m_body->setGeometry(client);
    if (m_status)
        m_status->setGeometry(0, client.bottom() + 1, width(), height() - client.bottom() - 1);
    layoutPage();
}

void Form1::layoutPage()
{
    // The grid's heading grows once a file gives it its headings.
    if (m_page->minimumSize() != compactSize())
        m_page->setMinimumSize(compactSize());
    const QSize designed = designedSize();
    const QRect client = m_page->rect();
    // The profile takes a strip at the right; the designed controls the rest.
    const int panel = profileWidth();
    const int dx = std::max(0, client.width() - panel - designed.width());
    // Shorter than designed, the grid gives up rows and the buttons move up.
    const int dy = std::max(-gridShrink(), client.height() - designed.height());
    // Rows of buttons widen with the grid, keeping their proportions.
    const double stretch = double(designed.width() - 2 * px(Margin) + dx) / (designed.width() - 2 * px(Margin));
    const auto scaledX = [&](int left, int origin) {
        return origin + static_cast<int>(std::lround((px(left) - origin) * stretch));
    };

    for (const Placement& p : m_placements) {
        const QRect t = p.twips;
        QRect r(px(t.x()), px(t.y()), px(t.width()), px(t.height()));
        switch (p.anchor) {
        case Anchor::Fixed:
            // A caption wider than its designed box (another font) still shows whole.
            r.setWidth(std::max(r.width(), p.widget->sizeHint().width()));
            break;
        case Anchor::Widen:
            r.setWidth(r.width() + dx);
            break;
        case Anchor::Grid:
            r.setSize({r.width() + dx, r.height() + dy});
            break;
        case Anchor::FrameButton: {
            // They widen with the file box above them.
            const int origin = px(180);
            const double inFrame = double(px(9120) + dx) / px(9120);
            const auto x = [&](int left) { return origin + static_cast<int>(std::lround((px(left) - origin) * inFrame)); };
            r = QRect(x(t.x()), r.y(), x(t.x() + t.width()) - x(t.x()), r.height());
            break;
        }
        case Anchor::ButtonBlock: {
            const int origin = px(Margin);
            const int left = scaledX(t.x(), origin);
            r = QRect(left, r.y() + dy, scaledX(t.x() + t.width(), origin) - left, r.height());
            break;
        }
        case Anchor::Label: {
            // Sized to its text; moved left rather than running off the window.
            const QSize text = p.widget->sizeHint();
            const int right = px(ClientWidth - Margin) + dx;
            r = QRect(std::min(r.x() + dx, right - text.width()), r.y(), text.width(),
                      text.height());
            break;
        }
        }
        p.widget->setGeometry(r);
    }
    if (panel > 0)
        m_profilePanel->setGeometry(client.width() - panel, px(120), panel - px(120), client.height() - px(240));
}
