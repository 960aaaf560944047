// Every window of the menu, on the smallest screen and a large font: every button is reached, no text cut.

#include "app/MainWindow.h"
#include "app/Tools.h"
#include "support/AppFont.h"
#include "support/LineHome.h"

#include <QtTest>
#include <QtWidgets>

// A control's caption or value, and the room it has for it.
static std::pair<QString, int> textAndRoom(const QWidget* c)
{
    if (auto* b = qobject_cast<const QAbstractButton*>(c)) {
        QStyleOptionButton o;
        o.initFrom(b);
        const auto part = b->inherits("QCheckBox") ? QStyle::SE_CheckBoxContents
                          : b->inherits("QRadioButton") ? QStyle::SE_RadioButtonContents : QStyle::SE_PushButtonContents;
        return {QString(b->text()).remove(QLatin1Char('&')), c->style()->subElementRect(part, &o, b).width()};
    }
    if (auto* l = qobject_cast<const QLabel*>(c); l && !l->wordWrap() && !Qt::mightBeRichText(l->text()))
        return {l->text(), l->contentsRect().width()};
    if (auto* e = qobject_cast<const QLineEdit*>(c); e && e->echoMode() == QLineEdit::Normal)
        return {e->displayText(), e->contentsRect().width() - (e->hasFrame() ? 8 : 4)};
    return {};
}

class ScreenFitTest : public QObject {
    Q_OBJECT
private slots:
    void everyControlFits_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<qreal>("scale");
        for (const qreal scale : {1.0, 1.5})
            for (const QList<Tools::Tool>* tools : {&Tools::heads(), &Tools::all()})
                for (const Tools::Tool& t : *tools)
                    if (t.open)
                        QTest::addRow("%s at %.1fx font", qPrintable(t.caption), scale) << t.id << scale;
    }
    void everyControlFits()
    {
        QFETCH(int, tool);
        QFETCH(qreal, scale);
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 800, 600));
        const AppFont::Sized font(QApplication::font().pointSizeF() * scale);
        LineHome line(LineHome::Waits::Short);
        line.home.exec(QStringLiteral("INSERT INTO doors (地址, namedr1, delay1, dtype1) VALUES (1, '东门', 3, '玻')"));
        line.home.exec(QStringLiteral("INSERT INTO owt VALUES ('08:30:00', '11:30:00', '13:30:00', '17:30:00', "
                                      "'08:35:00', '11:25:00', '13:35:00', '17:25:00')"));
        menu m;
        m.load();
        m.setToolEnabled(tool, true);
        m.triggerTool(tool);
        // Looked at as it is shown: the timed collection closes itself when its run ends.
        QWidget* w = m.openWindow(tool);
        QVERIFY(w && w->isVisible());
        QStringList faults;
        if (!w->screen()->availableGeometry().contains(w->frameGeometry()))
            faults << QStringLiteral("the window lies at ") + QDebug::toString(w->frameGeometry());
        for (QWidget* c : w->findChildren<QWidget*>()) {
            if (!c->isVisibleTo(w) || c->window() != w)
                continue;
            // Nothing around a button hides any of it.
            if (qobject_cast<QAbstractButton*>(c) && c->visibleRegion() != QRegion(c->rect()))
                faults << QDebug::toString(c) + QStringLiteral(" is off the window");
            const auto [text, room] = textAndRoom(c);
            for (const QString& part : text.split(QLatin1Char('\n')))
                if (!part.isEmpty() && c->fontMetrics().horizontalAdvance(part) > room)
                    faults << QStringLiteral("%1 cuts \"%2\"").arg(QDebug::toString(c), text);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }
};

// The offscreen platform reads its screen when the application starts.
const bool screenSet = [] {
    QFile f(QDir::temp().filePath(QStringLiteral("door-screen-%1.json").arg(QCoreApplication::applicationPid())));
    if (!f.open(QIODevice::WriteOnly) || f.write(R"({"screens": [{"width": 800, "height": 600}]})") < 0)
        qFatal("no screen configuration");
    return qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + f.fileName().toLocal8Bit());
}();

QTEST_MAIN(ScreenFitTest)
#include "tst_screenfit.moc"
