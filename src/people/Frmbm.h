#pragma once
#include <QDialog>
#include <QSqlDatabase>

class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;

// "大厦管理": adds, renames and deletes departments. Opened modeless by the
// main window, so it can stay open beside other windows; it reads the
// database only inside a command.
class Frmbm : public QDialog {
    Q_OBJECT
public:
    explicit Frmbm(QWidget* parent = nullptr);

private:
    bool databaseReady();
    void fillList();
    QString selectedName() const;
    void addDepartment();
    void renameDepartment();
    void deleteDepartment();
    void reportFailure(const QString& error);

    // Looked up for every command rather than kept: the window may stay
    // open while the shared connection is closed and opened again.
    static QSqlDatabase db();

    QGroupBox* frame1_ = nullptr;  // the frame around the building list
    QListWidget* list1_ = nullptr;  // the building names
    QLineEdit* tbm_ = nullptr;
    QPushButton *cmdadd_ = nullptr, *cmdch_ = nullptr, *cmddel_ = nullptr, *cmdexit_ = nullptr;
};
