#include "ui/BoxNames.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>

namespace {

// "&R" shows as an underlined R; the name is the words.
QString caption(QString text)
{
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    return text.simplified();
}

bool isBox(const QWidget* w)
{
    // The line edit inside a combo box or picker is part of that control.
    if (qobject_cast<const QLineEdit*>(w))
        return !qobject_cast<QComboBox*>(w->parent()) && !qobject_cast<QAbstractSpinBox*>(w->parent());
    return qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w);
}

QString groupCaption(const QWidget* w)
{
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        if (const auto* g = qobject_cast<const QGroupBox*>(p); g && !caption(g->title()).isEmpty())
            return caption(g->title());
        if (p->isWindow())
            break;
    }
    return QString();
}

}  // namespace

namespace BoxNames {

void fromLabels(QWidget* window)
{
    QHash<const QWidget*, QString> labelled;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->buddy() && !caption(label->text()).isEmpty())
            labelled.insert(label->buddy(), caption(label->text()));
    }
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!isBox(w) || !w->accessibleName().isEmpty())
            continue;
        const QString name = labelled.contains(w) ? labelled.value(w) : groupCaption(w);
        if (!name.isEmpty())
            w->setAccessibleName(name);
    }
}

void after(QWidget* box, const QWidget* caption)
{
    if (const auto* label = qobject_cast<const QLabel*>(caption))
        box->setAccessibleName(::caption(label->text()));
    else if (const auto* button = qobject_cast<const QAbstractButton*>(caption))
        box->setAccessibleName(::caption(button->text()));
}

void part(QWidget* box, const QString& label, const QString& part)
{
    const QString words = caption(label);
    box->setAccessibleName(words.isEmpty() ? part : words + u' ' + part);
}

}  // namespace BoxNames
