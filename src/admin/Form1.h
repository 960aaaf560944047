#pragma once
#include "admin/BackupRestore.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// Backup and restore of the database. A backup is written while the
// program keeps its connection; a restore puts a checked copy of the
// chosen file in place of the live database.
class Form1 : public QDialog {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);

    // Shows `path` in the folder list, its files in the file list, and
    // applies the name rule (as a double-click in the folder list does).
    void setFolder(const QString& path);
    QString folder() const { return folder_; }
    QString target() const { return target_; }

    // Asks for the file to restore; an empty answer means cancelled.
    std::function<QString(QWidget*)> chooseRestoreFile;
    BackupRestore::Hooks hooks;

private:
    void fillDrives();
    void fillFiles();
    void setTarget(const QString& path);
    void applyNameRule();
    void applyFileRule(QListWidgetItem* item);
    void backUp();
    void restore();

    QGroupBox* Frame1 = nullptr;  // "数据备份选择": drive, folder and file name of the copy
    QComboBox* Drive1 = nullptr;  // the drives
    QListWidget* Dir1 = nullptr;  // the folders of the chosen drive
    QListWidget* File1 = nullptr;  // the *.db files of the chosen folder
    QLineEdit* Text2 = nullptr;  // "输入目标文件名:"
    QLineEdit* Text1 = nullptr;  // the target path (read-only)
    QLabel* Label4 = nullptr;  // the target path again, wrapped
    QPushButton* Command1 = nullptr;  // "数据备份"
    QPushButton* Command3 = nullptr;  // "数据恢复"
    QPushButton* Command2 = nullptr;  // "退  出"

    QString folder_;
    QString target_;
};
