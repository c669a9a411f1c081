// The main window: start-up, closing, the pointer rules, Help and the export menu button.
#include "app/Form1.h"

#include "app/CompareWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QTableView>

#include "app/GridModel.h"
#include "app/SaveSettings.h"
#include "app/StatusLine.h"
#include "export/PdfExport.h"
#include "platform/Prompter.h"
#include "store/CSVDBS.h"
#include "store/journal/JournalFolder.h"
#include "store/journal/StoreJournal.h"
#include "window/AppFiles.h"
#include "window/AppTitle.h"
#include "window/CommandScope.h"
#include "window/Look.h"
#include "window/LongWork.h"
#include "window/PointerRules.h"
#include "window/Procedure.h"

Form1::Form1(QWidget* parent) : QWidget(parent)
{
    createControls();
    createMenus();
    fileMenu()->insertMenu(openRecentAnchor(), createRecentFilesMenu());
    connectHandlers();
    installPointerRules();
    acceptFileDrops();
    Form_Load();
    // After the skin, whose style sheet sets how tall the menu bar is.
    fitWindowToContent();
    if (m_store)
        m_grid->setEditableStore(m_store.get());
    refreshState();
}

Form1::~Form1()
{
    // The panel's work reads the store, which goes before the panel does.
    stopProfile();
    if (LongWork::watcher() == m_status)
        LongWork::setWatcher(nullptr);
}

void Form1::Form_Load()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("Form_Load"));
    p.step([&] { ApplySkin(this); });
    p.step([&] { setWindowTitle(ProductName); });
    p.step([&] { setWindowIcon(applicationIcon()); });
    p.step([&] { SetAppTitle(); });
    p.step([&] { loadHandPointer(this); });
    p.step([&] { m_store = std::make_unique<CSVDBS>(); });
    // A profile under way reads the store from other threads: it stops first.
    // A comparison refers to its records by number: it lets go first.
    p.step([&] {
        m_store->BeforeChange([this] {
            stopProfile();
            if (m_compareWindow)
                m_compareWindow->openFileChanging();
        });
    });
    p.step([&] {
        static int windows = 0;
        m_journal = std::make_unique<StoreJournal>(*m_store, journal::folder(),
                                                 std::string("w").append(std::to_string(++windows)));
    });
    p.step([&] { readStartSeparator(); });
    p.step([&] { CheckPdfWriterInstalled(); });
}

void Form1::readStartSeparator()
{
    m_currentSeparator.clear();
    m_currentSeparator = SaveSettings::storedSeparator();
}

void Form1::connectHandlers()
{
    connect(PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(Check12, &QCheckBox::clicked, this, &Form1::Check12_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(PushButton28, &QPushButton::clicked, this, &Form1::PushButton28_Click);
    connect(PushButton9, &QPushButton::clicked, this, &Form1::PushButton9_Click);
    connect(PushButton10, &QPushButton::clicked, this, &Form1::PushButton10_Click);
    connect(PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(PushButton11, &QPushButton::clicked, this, &Form1::PushButton11_Click);
    connect(PushButton13, &QPushButton::clicked, this, &Form1::PushButton13_Click);
    connect(PushButton14, &QPushButton::clicked, this, &Form1::PushButton14_Click);
    connect(PushButton16, &QPushButton::clicked, this, &Form1::PushButton16_Click);
    connect(PushButton15, &QPushButton::clicked, this, &Form1::PushButton15_Click);
    connect(PushButton18, &QPushButton::clicked, this, &Form1::PushButton18_Click);
    connect(PushButton17, &QPushButton::clicked, this, &Form1::PushButton17_Click);
    connect(PushButton22, &QPushButton::clicked, this, &Form1::PushButton22_Click);
    connect(PushButton23, &QPushButton::clicked, this, &Form1::PushButton23_Click);
    connect(PushButton24, &QPushButton::clicked, this, &Form1::PushButton24_Click);
    connect(PushButton25, &QPushButton::clicked, this, &Form1::PushButton25_Click);
    connect(PushButton8, &QPushButton::clicked, this, &Form1::PushButton8_Click);
    connect(mnuTXT, &QAction::triggered, this, &Form1::mnuTXT_Click);
    connect(mnuXLS, &QAction::triggered, this, &Form1::mnuXLS_Click);
    connect(mnuPDF, &QAction::triggered, this, &Form1::mnuPDF_Click);
    connect(mnuXML, &QAction::triggered, this, &Form1::mnuXML_Click);
    connect(mnuDOC, &QAction::triggered, this, &Form1::mnuDOC_Click);
    connect(mnuHTML, &QAction::triggered, this, &Form1::mnuHTML_Click);
    createContextMenus();
    // A cell edited in place changes the store: the title and status follow.
    connect(m_grid, &QAbstractItemModel::dataChanged, this, [this] { refreshState(); });
    ListView1->installEventFilter(this);
}

void Form1::installPointerRules()
{
    for (QPushButton* b : buttons())
        installButtonRule(b, this);
    for (QWidget* surface : {static_cast<QWidget*>(this), static_cast<QWidget*>(ListView1),
                             ListView1->viewport(), m_page, m_body->viewport(), static_cast<QWidget*>(Text1),
                             static_cast<QWidget*>(Frame1), static_cast<QWidget*>(Frame2)})
        installSurfaceRule(surface, this);
}

std::vector<QPushButton*> Form1::buttons() const
{
    return {PushButton2,  PushButton7,  PushButton6,  PushButton28, PushButton10, PushButton8,
            PushButton5,  PushButton3,  PushButton4,  PushButton1,  PushButton11, PushButton13,
            PushButton14, PushButton9,  PushButton16, PushButton17, PushButton18, PushButton15,
            PushButton22, PushButton23, PushButton24, PushButton25};
}

void Form1::enableCommands()
{
    for (QPushButton* b : buttons())
        if (b != PushButton2 && b != PushButton7)
            b->setEnabled(true);
}

bool Form1::Form_QueryUnload()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("Form_QueryUnload"));
    bool close = true;
    p.step([&] {
        if (m_store && m_store->ChangesMade()) {
            close = prompter().askYesNo(
                QStringLiteral("Changes has not been saved.\r\n Do you wish to continue exit?"),
                QStringLiteral("Changes Not Saved"), Prompter::Icon::Question);
        }
    });
    p.step([&] {
        if (close) {
            m_grid->setEditableStore(nullptr);
            m_grid->rebuild(nullptr, true);
            // A clean close: nothing is left to recover.
            m_journal.reset();
            m_store.reset();
            m_released = true;
        }
    });
    CommandScope::pumpEvents();
    CommandScope::pumpEvents();
    return close;
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (CommandScope::running(this) || (!m_released && !Form_QueryUnload())) {
        event->ignore();
        return;
    }
    event->accept();
    SaveSettings::setWindowGeometry(saveGeometry());
    // Closing the main window ends the program, whatever else is open.
    QApplication::closeAllWindows();
    QApplication::quit();
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

bool Form1::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        refreshButtonHover();
    return QWidget::event(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_page && event->type() == QEvent::Resize)
        layoutPage();
    if (watched == ListView1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // An open editor takes its own keys; these reach the grid only outside it.
        if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
            ListView1_KeyDown(key);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::ListView1_KeyDown(int key)
{
    if (!m_store || isBusy(this) || m_grid->rowCount() == 0)
        return;
    if (key == Qt::Key_Delete)
        deleteSelection();
    else if (key == Qt::Key_Backspace)
        clearAndEditCurrent();
}

void Form1::PushButton9_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton9_Click"));
    p.step([&] {
        prompter().message(QStringLiteral("Questions? Please contact Team Varnhold at ") + contactPage(),
                           appTitle(), Prompter::Icon::None);
    });
}

void Form1::PushButton10_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("PushButton10_Click"));
    p.step([&] { mnuSaveAs->popup(QCursor::pos()); });
}
