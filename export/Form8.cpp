#include "export/Form8.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "export/FilterResults.h"
#include "export/GridExport.h"
#include "export/OfficeExport.h"
#include "export/PdfExport.h"
#include "export/SaveListview.h"
#include "store/table/TextFold.h"
#include "window/AppTitle.h"
#include "window/CommandScope.h"
#include "window/DialogSetup.h"
#include "window/LongWork.h"
#include "window/Look.h"
#include "window/PointerRules.h"
#include "window/Procedure.h"
#include "window/ControlNames.h"

namespace {
const QString FormName = QStringLiteral("Form8");
} // namespace

Form8::Form8(QWidget* parent, const GridText& grid, std::vector<int> columnWidths)
    : QDialog(parent), m_results(new FilterResults(grid, this)), m_columnWidths(std::move(columnWidths))
{
    setWindowTitle(QStringLiteral("Filter"));
    setModal(true);
    createControls();
    Form_Load();
    nameControls({
        {Label1, "Label1"}, {Text1, "Text1"}, {Frame1, "Frame1"}, {ListView2, "ListView2"},
        {PushButton7, "PushButton7"}, {PushButton19, "PushButton19"}, {PushButton21, "PushButton21"},
        {PushButton1, "PushButton1"}, {lblProgress, "lblProgress"}, {lblMatches, "lblMatches"}});
}

Form8::~Form8() { stopSearch(); }

void Form8::createControls()
{
    Label1 = new QLabel(QStringLiteral("Find What:"), this);
    Text1 = new QLineEdit(this);
    Frame1 = new QGroupBox(QStringLiteral("Search Results"), this);
    ListView2 = new QTableView(Frame1);
    ListView2->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView2->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView2->setWordWrap(false);
    ListView2->verticalHeader()->hide();
    ListView2->horizontalHeader()->setHighlightSections(false);
    PushButton7 = dialogButton(this, QStringLiteral("Save As CSV"), 150);
    PushButton19 = dialogButton(this, QStringLiteral("Save As PDF"), 150);
    PushButton21 = dialogButton(this, QStringLiteral("Save As XML"), 150);
    PushButton1 = dialogButton(this, QStringLiteral("Save As Excel"), 150);

    auto* search = new QHBoxLayout;
    search->addWidget(Label1);
    search->addWidget(Text1, 1);
    auto* frame = new QVBoxLayout(Frame1);
    frame->addWidget(ListView2);
    lblMatches = new QLabel(Frame1);
    frame->addWidget(lblMatches);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {PushButton7, PushButton19, PushButton21, PushButton1})
        buttons->addWidget(b);
    buttons->addStretch();
    lblProgress = new QLabel(this);
    buttons->addWidget(lblProgress);
    auto* window = new QVBoxLayout(this);
    window->addLayout(search);
    window->addWidget(Frame1, 1);
    window->addLayout(buttons);
    resize(820, 520);
    m_pause = new QTimer(this);
    m_pause->setSingleShot(true);
    m_pause->setInterval(SearchPause);
    connect(m_pause, &QTimer::timeout, this, &Form8::startSearch);

    connect(Text1, &QLineEdit::textChanged, this, &Form8::Text1_Change);
    connect(PushButton7, &QPushButton::clicked, this, &Form8::PushButton7_Click);
    connect(PushButton19, &QPushButton::clicked, this, &Form8::PushButton19_Click);
    connect(PushButton21, &QPushButton::clicked, this, &Form8::PushButton21_Click);
    connect(PushButton1, &QPushButton::clicked, this, &Form8::PushButton1_Click);
    handOver(this, {PushButton7, PushButton19, PushButton21, PushButton1});
    arrowOver(this, {this, Frame1, ListView2->viewport()});
}

void Form8::Form_Load()
{
    Procedure p(FormName, QStringLiteral("Form_Load"));
    p.step([&] {
        useWindowFont(this);
        // Rows as tall as the main grid's.
        ListView2->verticalHeader()->setDefaultSectionSize(ListView2->fontMetrics().height() + 6);
    });
    p.step([&] { applyDialogLoadPattern(this); });
    // Before the first search the results grid has no columns at all.
    p.step([&] { ListView2->setModel(m_results); });
}

void Form8::showResultColumns()
{
    for (int c = 0; c < m_results->headingCount(); ++c)
        if (c < static_cast<int>(m_columnWidths.size()))
            ListView2->setColumnWidth(c, m_columnWidths[static_cast<std::size_t>(c)]);
}

void Form8::Text1_Change()
{
    Procedure p(FormName, QStringLiteral("Text1_Change"));
    const std::string text = Text1->text().toStdString();
    if (trimSpaces(text).empty()) {
        // Results for a text no longer in the box would be wrong: an empty
        // box shows what the window showed when it opened, nothing.
        p.step([&] {
            stopSearch();
            m_results->clear();
            lblMatches->clear();
        });
        return;
    }
    // Every key starts the pause again; the search runs when the typing rests.
    p.step([&] {
        stopSearch();
        m_pending = true;
        m_pause->start();
    });
}

void Form8::stopSearch()
{
    m_pause->stop();
    m_pending = false;
    ++m_searchNumber;
    if (m_stop)
        m_stop->store(true);
    // A stopped search ends within a few thousand rows, so this wait is short.
    if (m_search.joinable())
        m_search.join();
    m_stop.reset();
}

void Form8::startSearch()
{
    Procedure p(FormName, QStringLiteral("Text1_Change"));
    p.step([&] {
        const std::uint64_t number = ++m_searchNumber;
        m_stop = std::make_shared<std::atomic<bool>>(false);
        m_pending = true;
        // The grid is only read, and cannot change while this modal window
        // is open; the thread is joined before the window goes.
        m_search = std::thread([this, number, stop = m_stop, text = Text1->text().toStdString(),
                                &grid = m_results->source()] {
            std::optional<std::vector<int>> rows = FilterResults::matchingRows(grid, text, *stop);
            if (!rows)
                return;
            QMetaObject::invokeMethod(
                this, [this, number, found = std::move(*rows)]() mutable { showFound(number, std::move(found)); },
                Qt::QueuedConnection);
        });
    });
}

void Form8::showFound(std::uint64_t search, std::vector<int> rows)
{
    if (search != m_searchNumber)
        return;
    Procedure p(FormName, QStringLiteral("Text1_Change"));
    if (m_search.joinable())
        m_search.join();
    m_stop.reset();
    m_pending = false;
    const int matches = static_cast<int>(rows.size());
    p.step([&] { m_results->show(std::move(rows)); });
    p.step([&] { showResultColumns(); });
    p.step([&] {
        lblMatches->setText(QLocale().toString(matches) + (matches == 1 ? QStringLiteral(" match") : QStringLiteral(" matches")));
    });
    emit searchFinished(matches);
}

void Form8::PushButton7_Click()
{
    Procedure p(FormName, QStringLiteral("PushButton7_Click"));
    saveGridAs(this, p, *m_results, QStringLiteral("CSV Files (*.csv)|*.csv"), SaveListviewToCSV);
}

void Form8::PushButton21_Click()
{
    Procedure p(FormName, QStringLiteral("PushButton21_Click"));
    saveGridAs(this, p, *m_results, QStringLiteral("XML Files (*.xml)|*.xml"), SaveListviewToXML);
}

void Form8::PushButton19_Click()
{
    Procedure p(FormName, QStringLiteral("PushButton19_Click"));
    printGridToPdf(p, *m_results);
}

bool Form8::SaveResultsAsExcelFileIsExcelInstalled() { return spreadsheetProgramOrSay(); }

void Form8::PushButton1_Click()
{
    Procedure p(FormName, QStringLiteral("PushButton1_Click"));
    bool installed = false;
    p.step([&] { installed = SaveResultsAsExcelFileIsExcelInstalled(); });
    if (!installed) {
        p.step([&] { tellUser(NoSpreadsheetForFeature); });
        return;
    }
    if (m_results->shownRows() == 0)
        return;
    p.step([&] {
        // The results are a grid, not a store: the export takes the runner's progress itself.
        const LongWork running(this, lblProgress, nullptr, {}, QStringLiteral("Working on %1 of %2"),
                               Cancelling::Offered);
        try {
            OfficeExport::exportToSpreadsheet(*m_results, running.progress());
        } catch (const WorkCancelled&) {
            // Nothing was handed to the spreadsheet program; the results stay.
        }
    });
}
