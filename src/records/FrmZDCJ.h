#pragma once
#include "records/TimedCollection.h"
#include "ui/LineDialog.h"

#include <QList>

class LinePort;
class QLabel;
class QLineEdit;

// 自动采集数据: once shown, collects the records of every controller of
// `doors` in turn through seda.dat into `data`, then closes itself. The
// controllers keep their records.
class FrmZDCJ : public LineDialog {
    Q_OBJECT
public:
    explicit FrmZDCJ(QWidget* parent = nullptr);
    ~FrmZDCJ() override;

    // The run, as showing the window starts it. Runs once.
    void run();

    const QList<TimedCollection::DoorResult>& results() const { return results_; }

signals:
    // The run ended (or there was nothing to collect); `summary` is the
    // outcome per controller for the main window's status bar.
    // `details` holds the same, one controller or note a line.
    void runFinished(const QString& summary, const QString& details);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CollectDoor(int i);
    // A spool file left by an earlier run goes in before anything else.
    void importLeftover();
    QString importNote(const SpoolFile::ImportOutcome& o) const;

    QLineEdit* Text1 = nullptr;   // a read-only box that holds the focus while the window collects
    QLabel* Lab = nullptr;        // where the collection stands, and what it came to
    LinePort* MSComm1 = nullptr;  // the serial line

    QList<qint16> DoorAddr;
    int LastDoor = -1;

    bool started_ = false;
    QStringList notes_;
    QList<TimedCollection::DoorResult> results_;
};
