#pragma once
#include <QDialog>

class LinePort;
class QFrame;
class QLineEdit;
class QPushButton;

// "系统设置": the four serial-port settings, applied to the database and
// the session, and a test of the line that sends SetTime to one
// controller. The test opens the window's own port from the boxes, so
// settings can be tried before they are applied; the port stays open,
// with the parameters of the first test, until the window closes.
class frmsys : public QDialog {
    Q_OBJECT
public:
    explicit frmsys(QWidget* parent = nullptr);
    ~frmsys() override;

    // True while a test waits for its controller.
    bool testing() const;

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void apply();
    void showTestPanel();
    void hideTestPanel();
    void runTest();

    QLineEdit* Tport;
    QLineEdit* Tset;
    QLineEdit* Tinb;
    QLineEdit* Toutb;
    QPushButton* cmdok;
    QPushButton* cmdtest;
    QPushButton* cmdexit;
    QFrame* Frame1;  // the panel with the address box and its buttons
    QLineEdit* tdz;
    QPushButton* Command1;  // "确定"
    QPushButton* Command2;  // "退出"
    LinePort* comm;
    bool centred_ = false;
};
