#include "window/WindowCommon.h"

#include <optional>
#include <stdexcept>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QWidget>

#include "window/AppTitle.h"
#include "platform/AppFolder.h"
#include "platform/CursorFile.h"
#include "platform/Prompter.h"

namespace {

const char* HandProperty = "tabvaneHandPointer";

// The pointer rules act on the whole window, as the window has one pointer
// setting for all of its surface.
class PointerRule final : public QObject {
public:
    PointerRule(QWidget* window, bool button) : QObject(window), m_window(window), m_button(button) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter
            || event->type() == QEvent::HoverMove) {
            if (!isBusy(m_window))
                m_window->setCursor(m_button ? handOf(m_window) : QCursor(Qt::ArrowCursor));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static QCursor handOf(const QWidget* window)
    {
        const QVariant hand = window->property(HandProperty);
        return hand.isValid() ? hand.value<QCursor>() : QCursor(Qt::ArrowCursor);
    }

    QWidget* m_window;
    bool m_button;
};

// Only the form paints its background; the controls take the colour but let
// the surface behind them show, so a frame drawn lighter by the skin keeps
// its look around the labels and check boxes inside it.
void setBackground(QWidget* w, const QColor& colour, bool paint)
{
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, colour);
    w->setPalette(palette);
    w->setAutoFillBackground(paint);
}

} // namespace

void SetFormColors(QWidget* form)
{
    const QColor face = QApplication::palette().color(QPalette::Button);
    setBackground(form, face, true);
    for (QWidget* child : form->findChildren<QWidget*>()) {
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child)
            || qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child))
            setBackground(child, face, false);
    }
}

void tellUser(const QString& text) { prompter().message(text, appTitle(), Prompter::Icon::None); }

bool PathExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo(path).lastModified().isValid();
}

QString appFile(const QString& relative)
{
    return QString::fromStdString(applicationFolder()) + QLatin1Char('/') + relative;
}

QIcon applicationIcon()
{
    static const QIcon icon(appFile(QStringLiteral("tabvane.png")));
    return icon;
}

bool loadHandPointer(QWidget* window)
{
    const QString path = appFile(QStringLiteral("HAND-M.CUR"));
    if (!PathExists(path))
        return false;
    const std::optional<QCursor> hand = loadCursorFile(path);
    if (!hand)
        throw std::runtime_error("Invalid picture");
    window->setProperty(HandProperty, QVariant::fromValue(*hand));
    return true;
}

void applyDialogLoadPattern(QWidget* dialog)
{
    SetFormColors(dialog);
    dialog->setWindowIcon(applicationIcon());
    loadHandPointer(dialog);
}

void ApplySkin(QWidget* window)
{
    const QString path = appFile(QStringLiteral("x/o.cjs"));
    if (!QFileInfo(path).isFile())
        return;
    SetFormColors(window);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Cannot read the skin file " + path.toStdString());
    // Set on the application rather than the window, so that the dialogs and
    // message boxes wear the same skin.
    qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
}

void useWindowFont(QWidget* window)
{
    QFont font(QStringLiteral("Arial"), 8);
    font.setBold(true);
    window->setFont(font);
    for (QWidget* child : window->findChildren<QWidget*>())
        child->setFont(font);
}

void installButtonRule(QAbstractButton* button, QWidget* window)
{
    button->setMouseTracking(true);
    button->installEventFilter(new PointerRule(window, true));
}

void installSurfaceRule(QWidget* surface, QWidget* window)
{
    surface->setMouseTracking(true);
    surface->installEventFilter(new PointerRule(window, false));
}

bool isBusy(const QWidget* window) { return window->cursor().shape() == Qt::WaitCursor; }

BusyPointer::BusyPointer(QWidget* window) : m_window(window), m_outer(!isBusy(window))
{
    m_window->setCursor(Qt::WaitCursor);
}

BusyPointer::~BusyPointer()
{
    if (m_outer)
        m_window->setCursor(Qt::ArrowCursor);
}
