#pragma once
#include "app/LoginForm.h"

// The first window of the run: operator name and password.
class login : public LoginForm {
    Q_OBJECT
public:
    explicit login(QWidget* parent = nullptr);

    // Looks the operator up; on success loads the main window, switches its
    // tools by the operator's rights, shows it and closes this window.
    void CheckLogin();

protected:
    void check() override { CheckLogin(); }
    void closeEvent(QCloseEvent* event) override;
};
