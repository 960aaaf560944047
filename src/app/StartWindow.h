#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;
class menu;

// The older login window, for the older layout of `user` (用户名, 口令,
// 权限). Nothing opens it; the login of the program is `login`.
class start : public QDialog {
    Q_OBJECT
public:
    explicit start(QWidget* parent = nullptr);
    void CheckUser();
    menu* mainWindow() const { return main_; }

signals:
    void loggedIn(menu* main);
    void exitRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* Tuser;
    QLineEdit* tpasswd;
    QPushButton* Cmdok;
    QPushButton* cmdexit;
    menu* main_ = nullptr;
};
