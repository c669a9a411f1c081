#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QHash>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include "app/CompareWindow.h"
#include "store/Progress.h"
#include "store/RowScope.h"
#include "window/LongWork.h"

class CSVDBS;
class GridModel;
class StoreJournal;
namespace journal {
struct ReadChoices;
}
class Procedure;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class QMenuBar;
class StatusLine;
class QPushButton;
class QAction;
class QScrollArea;
class QTableView;

// The main window: the open file in a grid and one button per operation. It
// owns the record store and the current separator for the whole run.
class ProfilePanel;

class Form1 final : public QWidget {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    CSVDBS& store() { return *m_store; }
    const QString& currentSeparator() const { return m_currentSeparator; }
    void setCurrentSeparator(const QString& separator) { m_currentSeparator = separator; }
    GridModel& grid() { return *m_grid; }

    // Start-up, run once from the constructor.
    void Form_Load();
    // Asks about unsaved changes; false keeps the window open.
    bool Form_QueryUnload();

    void PushButton2_Click();
    void PushButton7_Click();
    // Open `path` as "Load CSV File" opens the file chosen in its dialog: a
    // file named on the command line, dropped on the window or chosen from
    // the recent files. The last two ask first about unsaved changes.
    void openFile(const QString& path);
    // Opens `path` read exactly as `choices` say, asking nothing about how it
    // reads, and runs `then` on the store before the grid shows it: the
    // replay of a crash journal. False, said to the user, when it does not load.
    bool openAsRead(const QString& path, const journal::ReadChoices& choices, const std::function<void(CSVDBS&)>& then);
    // The journal that keeps this window's unsaved steps for after a crash.
    StoreJournal* crashJournal() const { return m_journal.get(); }
    // Recovered onto a file that changed meanwhile: the result is saved to
    // a new file only, never over the other program's, until it is saved so
    // or another file is opened. Asks for the new file at once.
    void saveRecoveredToNewFile();
    // Says once when the crash journal cannot be written.
    void tellJournalProblem();
    void openDroppedFile(const QString& path);
    void openRecentFile(const QString& path);
    // The "Open Recent" submenu, for the File menu.
    QMenu* createRecentFilesMenu();
    void Check12_Click();
    void loadCSVToListview();
    void PushButton6_Click();
    void PushButton28_Click();
    void PushButton9_Click();
    void PushButton10_Click();
    // Delete deletes the selected rows, or empties the selected cells;
    // Backspace empties the current cell and starts editing it.
    void ListView1_KeyDown(int key);

    // Editing commands and the column tools.
    void PushButton5_Click();
    void PushButton3_Click();
    void PushButton4_Click();
    void PushButton1_Click();
    void PushButton11_Click();
    void PushButton13_Click();
    void PushButton14_Click();
    void PushButton16_Click();
    void PushButton15_Click();
    void PushButton18_Click();
    void PushButton17_Click();
    void PushButton22_Click();
    void PushButton23_Click();

    // Combining with a second file.
    void PushButton24_Click();
    void PushButton25_Click();

    // Filter and the "Export CSV To..." menu.
    void PushButton8_Click();
    void mnuTXT_Click();
    void mnuXLS_Click();
    void mnuPDF_Click();
    void mnuXML_Click();
    void mnuDOC_Click();
    void mnuHTML_Click();
    bool SaveResultsAsExcelFileIsExcelInstalled();

    // The menu bar's own entries; every other entry runs its button's handler.
    void SaveAs_Click();
    // File > Save Recipe... and Apply Recipe...: the steps done, kept to run
    // again on another file.
    void SaveRecipe_Click();
    void ApplyRecipe_Click();
    // View > Column Profile: shows or hides the profile beside the grid.
    void ColumnProfile_Click();
    // Tools > Cluster Similar Values...
    void ClusterValues_Click();
    // Tools > Sort...: by several columns, each compared as text, naturally,
    // as numbers or as dates.
    void Sort_Click();
    // File > Compare With...: the open file beside another version of it.
    void CompareWith_Click();
    CompareWindow* compareWindow() const { return m_compareWindow; }
    ProfilePanel* profilePanel() const { return m_profilePanel; }
    void Undo_Click();
    void Redo_Click();
    void Cut_Click();
    void Copy_Click();
    void Paste_Click();
    // F1 and Help > Manual: the manual installed with the program.
    void Manual_Click();
    void About_Click();
    // A click on a column heading: sorts by it, ascending, then descending.
    void ListView1_HeaderClick(int column);

    // The grid's context menu, and the column header's one for `column`
    // (null when there is no such column).
    QMenu* gridMenu() const { return m_gridMenu; }
    QMenu* columnMenu(int column);
    QMenuBar* menuBar() const { return m_menuBar; }
    QMenu* fileMenu() const { return m_fileMenu; }
    // An "Open Recent" submenu goes in right before this separator, that is
    // right after "Open...": fileMenu()->insertMenu(openRecentAnchor(), menu).
    QAction* openRecentAnchor() const { return m_openRecentAnchor; }
    QMenu* editMenu() const { return m_editMenu; }
    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }
    StatusLine* statusLine() const { return m_status; }
    // Where the designed client area sits: under the menu bar, above the status line.
    QRect clientArea() const;

    // The client size the window was designed for, in pixels at this screen's dpi.
    QSize designedSize() const;
    // The least client size that shows every control without scrolling: the
    // grid a few rows high, and the profile beside it when it is shown.
    QSize compactSize() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The controls, named as the window has always named them; the same
    // names are their object names, by which tests and style sheets find them.
    QGroupBox* Frame1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QCheckBox* Check12 = nullptr;
    QLabel* lblLoading = nullptr;
    QTableView* ListView1 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton28 = nullptr;
    QPushButton* PushButton10 = nullptr;
    QPushButton* PushButton8 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton11 = nullptr;
    QPushButton* PushButton13 = nullptr;
    QPushButton* PushButton14 = nullptr;
    QPushButton* PushButton9 = nullptr;
    QPushButton* PushButton16 = nullptr;
    QPushButton* PushButton17 = nullptr;
    QPushButton* PushButton18 = nullptr;
    QPushButton* PushButton15 = nullptr;
    QPushButton* PushButton22 = nullptr;
    QPushButton* PushButton23 = nullptr;
    QPushButton* PushButton24 = nullptr;
    QPushButton* PushButton25 = nullptr;
    QMenu* mnuSaveAs = nullptr;
    QAction* mnuTXT = nullptr;
    QAction* mnuXLS = nullptr;
    QAction* mnuPDF = nullptr;
    QAction* mnuXML = nullptr;
    QAction* mnuDOC = nullptr;
    QAction* mnuHTML = nullptr;


    // How a control moves when the window grows beyond its designed size.
    enum class Anchor { Fixed, Widen, Grid, FrameButton, ButtonBlock, Label };
    struct Placement {
        QWidget* widget;
        QRect twips;
        Anchor anchor;
    };

    void createControls();
    void createMenus();
    void fitWindowToContent();
    // As small as the compact layout, or the screen where that is larger.
    void updateMinimumSize();
    // The size and place the window had when it last closed, if still on a screen.
    void restoreWindowGeometry();
    // How much shorter than designed the grid may become.
    int gridShrink() const;
    // `name` is the entry's object name: its handler's without "_Click", or
    // for an entry that does what a button does, "mnu" and the entry's words.
    QAction* menuEntry(QMenu* menu, const char* name, const QString& text, void (Form1::*handler)(),
                       const QList<QKeySequence>& keys = {});
    // After every change: the title, the menu's undo names, the status line.
    void refreshState();
    void stepThroughHistory(const QString& handler, bool back);
    void updateTitle();
    // The facts the status line shows about the open file; see formatFileFacts.
    QString fileFactsText() const;
    void reportLastStep();
    void rememberColumnWidths();
    // Keeps buttons from showing a hover look after a dialog closes over them.
    void refreshButtonHover();
    QPushButton* button(QWidget* parent, const QString& caption, QRect twips, Anchor anchor);
    void place(QWidget* widget, QRect twips, Anchor anchor);
    void layoutControls();
    // The controls within the body, at its present size.
    void layoutPage();
    void connectHandlers();
    void installPointerRules();
    int px(int twips) const;

    void readStartSeparator();
    bool mayDiscardChanges();
    bool loadInto(const QString& fileName);
    // The part of "Load CSV File" after the dialog, reported as `p`.
    void openChosenFile(Procedure& p, const QString& chosen);
    void acceptFileDrops();
    // Puts a file just opened or saved on the recent list, unless it is the program's own.
    void noteRecentFile(const QString& path);
    // Writes the store to its file with the current separator and quoting.
    bool writeWithProgress(Procedure& p);
    // Saves to a file the user names, asking before an existing one is
    // replaced; the store, the file box and the recent list then name the
    // new file. Says "Done." or why not. False when cancelled or failed.
    bool saveToNewFile(Procedure& p);
    // LoadFile with the progress line, the busy pointer and no other command taken.
    bool loadWithProgress();
    bool loadWithProgress(CSVDBS& store);
    // "Error loading CSV file." and, on a second line, why.
    void tellLoadFailed();
    // Says, once the grid is filled, which lines had values left out.
    void tellLeftOutValues();
    void enableCommands();
    void fitColumns();
    // The grid row the user has selected, or -1.
    int selectedGridRow() const;
    void deleteSelection();
    void clearSelection(const char* stepName);
    void clearAndEditCurrent();
    // Runs work through the long-work runner; the store's progress shows in
    // lblLoading while it runs. False when the user cancelled it (the work
    // was taken back). Work that can't be taken back offers no Cancel.
    bool runLongWork(const std::function<void()>& work, Cancelling cancelling = Cancelling::Offered);
    // The runner with `text` for the progress line, the status line's bar
    // following the same count.
    bool runWithStatus(CSVDBS& store, const QString& text, const std::function<void()>& work,
                       Cancelling cancelling);
    // Fresh widths, no sorted heading and the status line's "Opened" after a load.
    void startNewFile();
    template <typename Tool, typename... Extra>
    void openTool(const QString& handler, const Extra&... extra);
    std::vector<QPushButton*> buttons() const;

    std::unique_ptr<CSVDBS> m_store;
    // After the store, so that it goes first.
    std::unique_ptr<StoreJournal> m_journal;
    bool m_newFileOnly = false;
    // The column profile beside the grid, once asked for, and what it needs.
    ProfilePanel* m_profilePanel = nullptr;
    QAction* m_profileAction = nullptr;
    // The one comparison window, while it is open; told before the store changes.
    QPointer<CompareWindow> m_compareWindow;
    QPointer<QWidget> m_manual;
    void createProfilePanel();
    void stopProfile();
    void followCurrentColumn();
    void showOnlyRows(int field, std::vector<std::string> values);
    void applyQuickFix(int field, int fix);
    // The room the panel takes at the right, in pixels; 0 when hidden.
    int profileWidth() const;
    // "Showing 1,204 of 1,000,000 rows" while the grid shows some rows only.
    void sayShownRows();
    // The rows the value tools work on: the shown ones.
    RowScope shownRows() const;
    template <typename Tool, typename... Extra>
    void openToolOnShownRows(const QString& handler, const Extra&... extra);
    template <typename Tool, typename... Extra>
    void showTool(const QString& handler, RowScope rows, const Extra&... extra);
    // The last trouble with the crash journal the user was told of.
    std::string m_journalProblemTold;
    GridModel* m_grid = nullptr;
    QString m_currentSeparator;
    std::vector<Placement> m_placements;
    bool m_released = false;

    QMenuBar* m_menuBar = nullptr;
    // Between the menu bar and the status line: the controls, on a page that
    // scrolls when the window is too small for even the compact layout.
    QScrollArea* m_body = nullptr;
    QWidget* m_page = nullptr;
    // Heights of the menu bar and the status line, fixed when the window is made.
    int m_menuHeight = 0;
    int m_statusHeight = 0;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_editMenu = nullptr;
    QMenu* m_exportMenu = nullptr;
    QAction* m_openRecentAnchor = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    StatusLine* m_status = nullptr;
    // The history position the status line last reported, and the counts then.
    std::uint64_t m_seenPosition = 0;
    std::int64_t m_seenRows = 0;
    int m_seenColumns = 0;
    QString m_sortedBy;
    // The heading last sorted by a click, and whether the next click descends.
    int m_headerSorted = -1;
    bool m_headerDescends = false;
    // The context menus and the commands only they give.
    QMenu* m_gridMenu = nullptr;
    QMenu* m_columnMenu = nullptr;
    int m_menuColumn = -1;
    QTimer* m_headerClick = nullptr;
    int m_clickedColumn = -1;
    void createContextMenus();
    std::vector<std::int32_t> selectedRecords() const;
    void selectRecordRow(std::int32_t record, int column);
    void insertRowAtSelection(bool below);
    void deleteSelectedRows();
    bool columnNameFree(const QString& name, int except);
    // Whether a heading's command may run on `column` (0-based) now.
    bool headingCommandReady(int column) const;
    void insertColumnBeside(int column, bool right);
    void renameColumn(int column);
    void deleteColumnsAt(int column);
    void sortColumn(int column, bool descending);
    // Column widths by heading, the user's own kept across operations.
    QHash<QString, int> m_widths;
};
