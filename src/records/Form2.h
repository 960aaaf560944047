#pragma once
#include "records/RecordCollect.h"
#include "records/RecordImport.h"
#include "ui/LineDialog.h"

class LinePort;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

// 数据采集: collects the door-open records of one chosen controller into
// `data` and clears that controller's memory on request. A memory is
// cleared only once every record it announces is stored, or after the
// operator was told how many are not and still chose to clear.
class Form2 : public LineDialog {
    Q_OBJECT
public:
    explicit Form2(QWidget* parent = nullptr);
    ~Form2() override;

private:
    // The outcome of one collection with its storing.
    struct Run {
        CollectResult collected;
        RecordImport::Result stored;
        bool reachedStore = false;  // the records were shown and stored (or storing was tried)
        // Records the controller announced that are not in `data` now;
        // -1 when the controller did not say how many it holds.
        int missing() const;
    };

    void cdokClick();
    void collect();
    void Command1Click();
    // Collects `text`'s controller once more, then clears its memory.
    void clearMemory(const QString& text);
    bool openPort();
    // Collects `address` until the controller holds no record that was
    // not received, a bounded number of times. Returns the records not in
    // `data`, -1 when that cannot be known.
    int collectUntilNothingIsMissing(int address);
    // Sends CollectRecords to `address`, shows and stores what came. The
    // port is left open after a whole answer and closed otherwise.
    Run collectAndStore(int address);
    void showRecords(const QList<CollectedRecord>& records);
    void clearGrid();

    QComboBox* ctext = nullptr;        // the controller to collect from
    QPushButton* cdok = nullptr;       // "采集数据"
    QPushButton* Command1 = nullptr;   // "清存储器"
    QPushButton* cdexit = nullptr;     // "结  束"
    QTableWidget* grid = nullptr;      // the records collected
    QLabel* Label1 = nullptr;          // "请选择门禁地址﹕"
    QLabel* Label3 = nullptr;          // "记录数(条)", then the record being read
    QLabel* Label4 = nullptr;          // where the collection or clearing stands
    QLabel* labtext = nullptr;         // what the last run came to
    QGroupBox* Frame1 = nullptr;       // the controller choice and the progress
    QProgressBar* prg = nullptr;       // the records read of those announced
    LinePort* MSComm1 = nullptr;       // the serial line
};
