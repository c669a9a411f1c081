#include "app/Form13.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "app/SaveSettings.h"
#include "platform/Prompter.h"
#include "window/AppTitle.h"
#include "window/DialogSetup.h"
#include "window/Look.h"
#include "window/PointerRules.h"
#include "window/Procedure.h"
#include "window/Twips.h"
#include "window/ControlNames.h"

Form13::Form13(QWidget* parent, QString& currentSeparator) : QDialog(parent), m_currentSeparator(currentSeparator)
{
    createControls();
    connect(Combo1, &QComboBox::currentIndexChanged, this, &Form13::Combo1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form13::PushButton2_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form13::PushButton4_Click);
    Text2->installEventFilter(this);
    Form_Load();
    nameControls({
        {Check20, "Check20"}, {Check21, "Check21"}, {Label2, "Label2"}, {Combo1, "Combo1"}, {Text2, "Text2"},
        {PushButton2, "PushButton2"}, {PushButton4, "PushButton4"}});
}

int Form13::px(int twips) const { return ::px(this, twips); }

void Form13::createControls()
{
    setWindowTitle(QStringLiteral("Save Option"));
    const auto at = [&](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(px(left), px(top), px(width), px(height));
    };
    Check20 = new QCheckBox(QStringLiteral("Save With Double Quotes"), this);
    at(Check20, 120, 120, 2490, 285);
    Label2 = new QLabel(QStringLiteral("Save With Different Separator:"), this);
    at(Label2, 120, 525, 2580, 225);
    Combo1 = new QComboBox(this);
    at(Combo1, 2880, 480, 1500, 345);
    Text2 = new QLineEdit(this);
    at(Text2, 4440, 480, 450, 345);
    Check21 = new QCheckBox(QStringLiteral("Standard CSV: quoted values may hold separators and line breaks"), this);
    at(Check21, 120, 945, 5040, 285);
    PushButton2 = dialogButton(this, QStringLiteral("OK"), 0);
    at(PushButton2, 120, 1365, 2400, 405);
    PushButton4 = dialogButton(this, QStringLiteral("Cancel"), 0);
    at(PushButton4, 2640, 1365, 2520, 405);
    handOver(this, {PushButton2, PushButton4});
    arrowOver(this, {this});
    useWindowFont(this);
    // Labels and check boxes keep their designed boxes unless the font needs more.
    for (QWidget* w : {static_cast<QWidget*>(Check20), static_cast<QWidget*>(Label2), static_cast<QWidget*>(Check21)})
        w->resize(std::max(w->width(), w->sizeHint().width()), w->height());
    // The standard CSV caption says what it does in full; the dialog grows
    // to hold it rather than cut it, and the Cancel button follows the edge.
    const int width = std::max(px(5280), Check21->geometry().right() + 1 + px(120));
    PushButton4->resize(width - px(120) - PushButton4->x(), PushButton4->height());
    setFixedSize(width, px(1890));
}

void Form13::Form_Load()
{
    Procedure p(QStringLiteral("Form13"), QStringLiteral("Form_Load"));
    p.step([&] { applyDialogLoadPattern(this); });
    p.step([&] { Text2->setText(SaveSettings::otherSeparator()); });
    p.step([&] { Check20->setChecked(SaveSettings::saveQuotes()); });
    p.step([&] { Check21->setChecked(SaveSettings::standardQuoting()); });
    p.step([&] {
        Combo1->addItems({QStringLiteral(", (Comma)"), QStringLiteral("; (Semicolon)"), QStringLiteral("TAB"),
                          QStringLiteral("| (Pipeline)"), QStringLiteral("Other")});
    });
    p.step([&] {
        Combo1->setCurrentIndex(SaveSettings::separatorIndex());
        Combo1_Click();
    });
}

void Form13::Combo1_Click() { Text2->setEnabled(Combo1->currentIndex() == 4); }

bool Form13::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Text2 && event->type() == QEvent::FocusOut) {
        // Only a move to another control of this dialog counts; a box opening
        // over it, or the dialog closing, does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason)
            QTimer::singleShot(0, this, &Form13::Text2_LostFocus);
    }
    return QDialog::eventFilter(watched, event);
}

void Form13::Text2_LostFocus()
{
    if (!Text2->text().isEmpty() || !isVisible())
        return;
    tellUser(QStringLiteral("You must input a separator."));
    Text2->setFocus();
}

void Form13::PushButton2_Click()
{
    Procedure p(QStringLiteral("Form13"), QStringLiteral("PushButton2_Click"));
    const int index = Combo1->currentIndex();
    // An empty separator would glue every value of a record together.
    if (index == 4 && Text2->text().isEmpty()) {
        p.step([&] {
            tellUser(QStringLiteral("You must input a separator."));
            Text2->setFocus();
        });
        return;
    }
    p.step([&] { SaveSettings::setSeparatorIndex(index); });
    p.step([&] { m_currentSeparator = SaveSettings::separatorFor(index, Text2->text()); });
    p.step([&] { SaveSettings::setOtherSeparator(Text2->text()); });
    p.step([&] { SaveSettings::setSaveQuotes(Check20->isChecked()); });
    p.step([&] { SaveSettings::setStandardQuoting(Check21->isChecked()); });
    accept();
}

void Form13::PushButton4_Click()
{
    Procedure p(QStringLiteral("Form13"), QStringLiteral("PushButton4_Click"));
    reject();
}
