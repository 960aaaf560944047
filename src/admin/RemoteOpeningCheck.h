#pragma once
#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;

// The second check before a lock is opened from the PC: any account that
// holds r24 must give its name and password, whoever is logged in. The
// dialog is accepted only when the check passes.
class Frmspecial : public QDialog {
    Q_OBJECT
public:
    explicit Frmspecial(QWidget* parent = nullptr);

    // Opens the remote-opening window once the check has passed and this
    // window has closed. Set by the main window; unset, a passed check
    // only closes this window.
    static inline std::function<void()> openRemoteOpening;

signals:
    void checkPassed();

private:
    void check();

    QLineEdit* Tuser = nullptr;
    QLineEdit* Tpasswd = nullptr;
    QPushButton* Cok = nullptr;
    QPushButton* Cexit = nullptr;
};
