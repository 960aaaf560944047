#pragma once
#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;
class menu;

// What the two login windows share: a name box, a password box shown as
// asterisks, the confirm and exit buttons, and their keys (Enter moves from
// box to box; Escape ends the program only from the confirm button).
class LoginForm : public QDialog {
    Q_OBJECT
public:
    struct Captions {
        QString window, banner, passwordLabel, ok, exit, note;
    };

    // The main window a successful login opened (owned by the caller).
    menu* mainWindow() const { return main_; }

signals:
    void loggedIn(menu* main);
    // The program ends at once.
    void exitRequested();

protected:
    LoginForm(const QString& objectName, const Captions& captions, QWidget* parent);

    // Runs when the confirm button is pressed.
    virtual void check() = 0;

    // Loads the main window (its loading's messages appear while this
    // window is still shown), lets `prepare` switch its tools, shows it and
    // closes this window.
    void openMainWindow(const std::function<void(menu*)>& prepare);

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    QLineEdit* Tuser;
    QLineEdit* tpasswd;
    QPushButton* Cmdok;
    QPushButton* cmdexit;

private:
    menu* main_ = nullptr;
};
