#include "ui/Resize.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLayout>
#include <QLocale>
#include <QMainWindow>
#include <QScreen>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

const char* kTag = "Tag";
// Below this a Chinese caption is no longer legible.
constexpr qreal kSmallestPixels = 9;
const char* kBaseWidth = "OrigWidth";
const char* kBaseHeight = "OrigHeight";

QWidget* area(QWidget* window)
{
    if (auto* main = qobject_cast<QMainWindow*>(window); main && main->centralWidget())
        return main->centralWidget();
    return window;
}

// Containers whose children are the window's controls too. A composite
// control (a combo box, a table) keeps its inner parts to itself.
bool isContainer(QWidget* w)
{
    if (qobject_cast<QGroupBox*>(w) || qobject_cast<QTabWidget*>(w) || qobject_cast<QStackedWidget*>(w))
        return true;
    const char* cls = w->metaObject()->className();
    return qstrcmp(cls, "QWidget") == 0 || qstrcmp(cls, "QFrame") == 0;
}

void collect(QWidget* parent, QList<QWidget*>& out)
{
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow())
            continue;
        // A control placed by a layout is moved by the layout.
        if (!(parent->layout() && parent->layout()->indexOf(w) >= 0) && !qobject_cast<QStackedWidget*>(parent))
            out << w;
        if (isContainer(w))
            collect(w, out);
    }
}

QList<QWidget*> controls(QWidget* window)
{
    QList<QWidget*> out;
    collect(area(window), out);
    return out;
}

QString number(int v)
{
    return QLocale::c().toString(v);
}

// Reads the next number of a Tag, ending at the next blank; a number with
// no blank after it counts as 0.
double takeNumber(const QString& tag, int& pos)
{
    const int blank = tag.indexOf(QLatin1Char(' '), pos);
    if (blank < 0) {
        pos = tag.size();
        return 0;
    }
    bool ok = false;
    const double v = QLocale::c().toDouble(tag.mid(pos, blank - pos), &ok);
    pos = blank + 1;
    return ok ? v : 0;
}

class Follower : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            Resize::ResizeForm(static_cast<QWidget*>(parent()));
        return QObject::eventFilter(watched, event);
    }
};

class ScreenKeeper : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType() && watched != parent()) {
            auto* w = static_cast<QWidget*>(watched);
            if (w->isWindow() && (w->windowType() == Qt::Window || w->windowType() == Qt::Dialog))
                Resize::fitToScreen(w);
        }
        return false;
    }
};

}  // namespace

namespace Resize {

void ResizeInit(QWidget* window)
{
    const QSize inner = area(window)->size();
    window->setProperty(kBaseWidth, inner.width());
    window->setProperty(kBaseHeight, inner.height());
    for (QWidget* c : controls(window)) {
        const QRect g = c->geometry();
        c->setProperty(kTag, number(g.x()) + QLatin1Char(' ') + number(g.y()) + QLatin1Char(' ') +
                                 number(g.width()) + QLatin1Char(' ') + number(g.height()) + QLatin1Char(' '));
    }
}

void ResizeForm(QWidget* window)
{
    const int baseW = window->property(kBaseWidth).toInt();
    const int baseH = window->property(kBaseHeight).toInt();
    // Before any ResizeInit there is nothing to scale against.
    if (baseW <= 0 || baseH <= 0)
        return;
    const QSize inner = area(window)->size();
    const double fx = double(inner.width()) / baseW;
    const double fy = double(inner.height()) / baseH;
    for (QWidget* c : controls(window)) {
        const QString tag = c->property(kTag).toString();
        int pos = 0;
        const double l = takeNumber(tag, pos);
        const double t = takeNumber(tag, pos);
        const double w = takeNumber(tag, pos);
        const double h = takeNumber(tag, pos);
        c->setGeometry(int(std::lround(l * fx)), int(std::lround(t * fy)), int(std::lround(w * fx)),
                       int(std::lround(h * fy)));
    }
}

void keepProportional(QWidget* window)
{
    ResizeInit(window);
    QWidget* watched = area(window);
    watched->installEventFilter(new Follower(window));
}

double fontScale(const QWidget* window)
{
    const QFontMetricsF fm(window->font());
    return std::max({1.0, fm.horizontalAdvance(QChar(0x4E1A)) / 12.0, fm.horizontalAdvance(QLatin1Char('0')) / 7.0});
}

void scaleForFont(QWidget* window)
{
    // A window that keeps its size is never made larger than the screen: it
    // could not be fitted to it afterwards. Others scale down with their font.
    const bool fixed = window->minimumSize() == window->maximumSize();
    const QScreen* screen = window->screen();
    const QSize free = fixed && screen ? screen->availableGeometry().size() : window->size() * 100;
    const double f = std::min({fontScale(window), double(free.width()) / window->width(),
                               double(free.height()) / window->height()});
    if (f <= 1)
        return;
    auto scaled = [f](int v) { return int(std::lround(v * f)); };
    for (QWidget* c : controls(window)) {
        const QRect g = c->geometry();
        c->setGeometry(scaled(g.x()), scaled(g.y()), scaled(g.width()), scaled(g.height()));
    }
    const QSize size(scaled(window->width()), scaled(window->height()));
    if (fixed)
        window->setFixedSize(size);
    else
        window->resize(size);
}

void fitToScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    const QSize room = free.size() - frame;
    // A window whose layout cannot shrink to the screen at the desktop's
    // font takes a smaller one: its text stays whole and its buttons on
    // the screen. A proportional window is scaled down as a whole.
    const qreal smallest = kSmallestPixels * 72 / window->logicalDpiY();
    auto least = [window]() { return window->minimumSizeHint().expandedTo(window->minimumSize()); };
    if (window->layout()) {
        QFont font = window->font();
        while (least().width() > room.width() || least().height() > room.height()) {
            if (font.pointSizeF() <= smallest)
                break;
            font.setPointSizeF(std::max(smallest, font.pointSizeF() * 0.9));
            window->setFont(font);
            window->layout()->activate();
        }
    }
    const QSize inner = window->size().boundedTo(room).expandedTo(least());
    if (inner != window->size()) {
        const QSize base = baseSize(window);
        window->resize(inner);
        if (!base.isEmpty()) {
            const double f = std::min(double(inner.width()) / base.width(), double(inner.height()) / base.height());
            if (f < 1) {
                QFont font = window->font();
                font.setPointSizeF(std::max(smallest, font.pointSizeF() * f));
                window->setFont(font);
            }
        }
    }
    // A window that already lies on the screen keeps the place its parent
    // or the window manager gave it.
    const QSize whole = window->size() + frame;
    const QPoint at = window->frameGeometry().topLeft();
    const QPoint onScreen(std::clamp(at.x(), free.left(), std::max(free.left(), free.right() + 1 - whole.width())),
                          std::clamp(at.y(), free.top(), std::max(free.top(), free.bottom() + 1 - whole.height())));
    if (onScreen != at)
        window->move(onScreen);
}

void fitShownWindows(QWidget* owner)
{
    qApp->installEventFilter(new ScreenKeeper(owner));
}

QSize baseSize(QWidget* window)
{
    return {window->property(kBaseWidth).toInt(), window->property(kBaseHeight).toInt()};
}

}  // namespace Resize
