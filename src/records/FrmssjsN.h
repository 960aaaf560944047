#pragma once
#include "ui/LineDialog.h"

#include <chrono>

class LockMonitor;
class QLCDNumber;
class QListView;
class QMenuBar;
class QStackedWidget;
class QStandardItemModel;
class QToolBar;
class QTreeView;

// 实时监控门锁状态: every lock of every controller as one entry, open,
// closed or not answering, with the last pass through it. The window
// polls from loading to closing on its own port.
class FrmssjsN : public LineDialog {
    Q_OBJECT
public:
    // The list's display modes, in the order of the old list view.
    enum class Mode { Icons = 0, SmallIcons = 1, List = 2, Details = 3 };

    explicit FrmssjsN(QWidget* parent = nullptr);
    // With the monitor's timing of the caller's (tests).
    FrmssjsN(QWidget* parent, std::chrono::milliseconds tick, std::chrono::milliseconds passWait);
    ~FrmssjsN() override;

    // False when the port would not open: the window is then not shown.
    bool portOpened() const { return portOpened_; }
    Mode mode() const { return mode_; }
    void setMode(Mode mode);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void load();
    void refresh(int index);
    void tickClock();
    // The width a column needs to show `text` whole in the details.
    int textRoom(int column, const QString& text) const;
    void widenToFit(int index);
    void fillLastColumn();
    void openAtSize();

    LockMonitor* monitor_ = nullptr;
    QStandardItemModel* model_ = nullptr;
    QMenuBar* menu_ = nullptr;
    QToolBar* Toolbar1 = nullptr;             // "大图标", "小图标", "详细资料", "列表"
    QStackedWidget* views_ = nullptr;
    QListView* doorlist = nullptr;            // the doors as icons or a list
    QTreeView* doorlistDetails = nullptr;     // the doors with their details
    QLCDNumber* DgTime2 = nullptr;            // the clock
    Mode mode_ = Mode::Icons;
    bool portOpened_ = false;
};
