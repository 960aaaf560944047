#pragma once
// Windows laid out for the font the desktop gives them: the system font and
// a large one, as a data column "points" (0 for the system font).

#include <QApplication>
#include <QFont>
#include <QtTest>

namespace AppFont {

inline void sizes()
{
    QTest::addColumn<qreal>("points");
    QTest::newRow("system font") << qreal(0);
    QTest::newRow("large font") << qreal(15);
}

// Sets the application font to `points` while it lives.
class Sized {
public:
    explicit Sized(qreal points) : before_(QApplication::font())
    {
        QFont font = before_;
        if (points > 0)
            font.setPointSizeF(points);
        QApplication::setFont(font);
    }
    ~Sized() { QApplication::setFont(before_); }
    Sized(const Sized&) = delete;
    Sized& operator=(const Sized&) = delete;

private:
    const QFont before_;
};

}  // namespace AppFont
