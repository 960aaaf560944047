#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;
class menu;

// The first window of the run: operator name and password.
class login : public QDialog {
    Q_OBJECT
public:
    explicit login(QWidget* parent = nullptr);

    // Looks the operator up; on success loads the main window, switches its
    // tools by the operator's rights, shows it and closes this window.
    void CheckLogin();

    // The main window a successful login opened (owned by the caller).
    menu* mainWindow() const { return main_; }

signals:
    void loggedIn(menu* main);
    // Escape on the confirm button, or the exit button: the program ends.
    void exitRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* Tuser;
    QLineEdit* tpasswd;
    QPushButton* Cmdok;
    QPushButton* cmdexit;
    menu* main_ = nullptr;
    bool done_ = false;
};
