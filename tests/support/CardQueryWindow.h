#pragma once
// The window under test of a card query: shown, active, its grid, boxes
// and buttons by name.
#include "support/Controls.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

template <typename W>
struct CardQueryWindow {
    W w;
    QTableView* grid = child<QTableView>(w, "DBGrid1");
    CardQueryWindow()
    {
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }
    QComboBox* combo(const char* name) { return child<QComboBox>(w, name); }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton); }
};
