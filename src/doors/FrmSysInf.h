#pragma once
#include "link/LinePort.h"
#include "ui/LineDialog.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// 硬件信息: the status of one controller at a time. The tree lists the
// addresses of `doors`; a click on one reads that controller's status.
// The window holds the port from opening to closing.
class FrmSysInf : public LineDialog {
    Q_OBJECT
public:
    explicit FrmSysInf(QWidget* parent = nullptr);
    ~FrmSysInf() override;

    // The role under which each node keeps the key of its picture.
    static constexpr int kPictureRole = Qt::UserRole + 1;
    // The role under which each node keeps its key ("Root", "Root1", ...).
    static constexpr int kKeyRole = Qt::UserRole + 2;

private:
    void nodeClicked(QTreeWidgetItem* node);
    void setPicture(QTreeWidgetItem* node, const QString& key);

    QLabel* Label1 = nullptr;  // "地址选择"
    QTreeWidget* AdrView = nullptr;
    QLabel* Label2 = nullptr;  // "系统信息"
    QListWidget* ListView1 = nullptr;  // the lines the controller reported
    QPushButton* exitclose = nullptr;
    LinePort* Comm = nullptr;
};
