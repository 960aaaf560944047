#pragma once
#include "app/CollectionSchedule.h"

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QSize>

#include <optional>

class QAction;
class QLabel;
class QTimer;
class QTextBrowser;

// The main window `menu`: the menu of tools, the status bar and the
// collection timer. It stays open for the whole run; closing it compacts
// the database.
class menu : public QMainWindow {
    Q_OBJECT
public:
    explicit menu(QWidget* parent = nullptr);
    ~menu() override;

    // The window's loading: shared settings, caption, status bar, the
    // display-mode hint, the screen-filling placement and the collection
    // schedule. Runs once, before the login switches the tools.
    void load();

    // Switches a tool by a right. A tool whose window the program does not
    // have stays off.
    void setToolEnabled(int toolId, bool on);
    QAction* toolAction(int toolId) const;
    void triggerTool(int toolId);

    // The window a tool opened and that is still open.
    QWidget* openWindow(int toolId) const;

    QTimer* collectionTimer() const { return timer_; }
    // One tick of the collection timer, as the timer runs it.
    void collectionTick();

    // The display-mode hint's condition, exactly as the old program had it:
    // neither 800 pixels wide nor 600 pixels high.
    static bool needsDisplayModeHint(const QSize& screen);
    // Tests set the screen size that the loading sees.
    static void setScreenSizeForTesting(std::optional<QSize> size);

    // "dddd,yyyy/MM/dd" in Chinese, as the status bar shows the date.
    static QString statusDate(const QDate& date);

signals:
    // The exit tool was answered Yes and no window is at work on the line
    // any more: the program ends now.
    void exitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showCollectOutcome(const QString& text, const QString& details);
    void buildMenu();
    void openTool(int toolId);
    // Shows a window the menu opened; it is deleted when it closes.
    void present(QWidget* w, bool modal);
    void showHelp();
    void askExit();
    // The exit tool's end, once no window is at work on the line and no
    // message waits for the operator.
    void exitWhenIdle();
    bool windowsAtWork() const;
    void applySchedule();
    void closeOtherWindows();
    void closeModelessWindows();
    bool modelessWindowsOpen() const;

    QMap<int, QAction*> actions_;
    QMap<int, bool> allowed_;
    QMap<int, QPointer<QWidget>> windows_;
    QLabel* panel1_ = nullptr;  // status bar: the program title
    QLabel* panel2_ = nullptr;  // status bar: today's date
    // The outcome of the last automatic collection, kept until the next.
    QLabel* collectPanel_ = nullptr;
    QTimer* timer_ = nullptr;
    // Runs while the exit tool waits for a window still at work.
    QTimer* exitWait_ = nullptr;
    QPointer<QWidget> help_;
    // Modeless windows not opened by a tool (the remote opening).
    QList<QPointer<QWidget>> extraModeless_;
    CollectionSchedule schedule_;
};
