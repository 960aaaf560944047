#pragma once
#include "app/LoginForm.h"

// The older login window, for the older layout of `user` (用户名, 口令,
// 权限). Nothing opens it; the login of the program is `login`.
class start : public LoginForm {
    Q_OBJECT
public:
    explicit start(QWidget* parent = nullptr);
    void CheckUser();

protected:
    void check() override { CheckUser(); }
};
