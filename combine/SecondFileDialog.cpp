#include "combine/SecondFileDialog.h"

#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "combine/CombineFiles.h"
#include "platform/Prompter.h"
#include "store/CSVDBS.h"
#include "window/ToolLayout.h"
#include "window/AppTitle.h"
#include "window/ControlNames.h"

SecondFileDialog::SecondFileDialog(QWidget* parent, CSVDBS& store, QString formName, const QString& caption,
                                   QString separator)
    : ToolDialog(parent, store, std::move(formName), caption), m_separator(std::move(separator))
{
    Text1 = new QLineEdit(this);
    Text1->setMinimumWidth(px(this, 5400));
    PushButton2 = makeButton(QStringLiteral("..."));
    PushButton2->setMinimumWidth(0);
    PushButton2->setFixedWidth(px(this, 450));
    PushButton1 = makeButton(QStringLiteral("OK"));
    PushButton4 = makeButton(QStringLiteral("Cancel"));
    nameControls({
        {Text1, "Text1"}, {PushButton2, "PushButton2"}, {PushButton1, "PushButton1"},
        {PushButton4, "PushButton4"}});
}

QGroupBox* SecondFileDialog::makeOptionFrame(const QString& caption, Option first, Option second)
{
    auto* frame = new QGroupBox(caption, this);
    auto* lines = new QVBoxLayout(frame);
    for (const Option& option : {first, second}) {
        *option.button = new QRadioButton(option.caption, frame);
        lines->addWidget(*option.button);
    }
    (*first.button)->setChecked(true);
    return frame;
}

void SecondFileDialog::connectButtons()
{
    connect(PushButton2, &QPushButton::clicked, this, &SecondFileDialog::PushButton2_Click);
    connect(PushButton4, &QPushButton::clicked, this, &SecondFileDialog::PushButton4_Click);
    handOver({PushButton1, PushButton2, PushButton4});
    arrowOver({this});
}

void SecondFileDialog::Form_Load()
{
    Procedure p = procedure(QStringLiteral("Form_Load"));
    p.step([&] { applyLoadPattern(); });
}

void SecondFileDialog::PushButton2_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton2_Click"));
    QString chosen;
    p.step([&] {
        chosen = prompter().openFileName(QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"),
                                         CsvOpenFilter, QString());
    });
    if (!chosen.isEmpty())
        p.step([&] { Text1->setText(chosen); });
}

void SecondFileDialog::PushButton4_Click()
{
    Procedure p = procedure(QStringLiteral("PushButton4_Click"));
    p.step([&] { reject(); });
}

QString SecondFileDialog::shortLinesQuestion(const CSVDBS& second)
{
    const CSVDBS::LoadFindings& found = second.LastLoad();
    return QStringLiteral("%1 line(s) of the second file have fewer values than there are fields, the first being "
                          "line %2.\n\nAdd them with the missing values empty?")
        .arg(found.shortLines)
        .arg(found.firstShortLine);
}

bool SecondFileDialog::readSecondFile(Procedure& p, CSVDBS& second, bool headerLine)
{
    const QString path = Text1->text();
    if (path.trimmed().isEmpty()) {
        p.step([&] { tellUser(QStringLiteral("You must select first file to append.")); });
        return false;
    }
    if (!QFileInfo(path).isFile()) {
        p.step([&] { tellUser(QStringLiteral("Append file not found.")); });
        return false;
    }
    bool loaded = false;
    bool finished = true;
    const auto read = [&](bool fillShort) {
        finished = runWork([&] {
            const ProgressScope reporting(second, store().progressCallback());
            // The second file is read by the rule the open file was read by.
            second.StandardQuoting(store().StandardQuoting());
            loaded = CombineFiles::readSecondFile(second, QFile::encodeName(path).toStdString(),
                                                  m_separator.toStdString(), headerLine, fillShort);
        });
    };
    p.step([&] { read(false); });
    // Short lines, as when opening a file: with a Yes they come in with the
    // missing values empty; a No keeps the failure and its reason.
    if (finished && !loaded && second.LastLoad().tooFewValues) {
        bool fill = false;
        p.step([&] { fill = prompter().askYesNo(shortLinesQuestion(second), QStringLiteral("Short Lines?"),
                                                Prompter::Icon::Question); });
        if (fill)
            p.step([&] { read(true); });
    }
    if (!finished)
        return false;
    if (!loaded) {
        p.step([&] {
            tellUser(QStringLiteral("Error loading CSV file.\n") + QString::fromStdString(second.LastFileError()));
        });
        return false;
    }
    // Values the second file's lines hold beyond its fields would not arrive.
    if (second.IgnoredLines() > 0) {
        p.step([&] {
            loaded = prompter().askYesNo(
                QStringLiteral("%1 line(s) of the second file have more values than there are fields, the first "
                               "being line %2. The values beyond the last field will not be added.\n\n"
                               "Go on without them?")
                    .arg(second.IgnoredLines())
                    .arg(second.FirstIgnoredLine()),
                QStringLiteral("Go On Without Them?"), Prompter::Icon::Question);
        });
    }
    return loaded;
}
