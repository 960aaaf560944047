#pragma once
#include "cards/CardRuns.h"

#include <QWidget>


class QComboBox;
class QDateEdit;
class QListWidget;
class QTimeEdit;
class QLabel;
class QPushButton;

// The progress of a run over many cards ("card n of m") with the one
// control that stays live during it: a stop that takes effect between two
// cards, so a card is never left half written. Between two cards it lets
// the program's events run: a click on the stop, other windows' timers.
class CardRunProgress : public QWidget, public CardRunSink {
    Q_OBJECT
public:
    explicit CardRunProgress(QWidget* parent = nullptr);

    void begin(int total) override;
    bool advance(int done) override;
    // The run is over; the line keeps its last count.
    void finish() override;
    // The hourglass while a controller is asked.
    void exchanging(bool on) override;
    bool stopRequested() const { return stop_; }

private:
    QLabel* text_;             // "第 n / m 张": the card the run has come to
    QPushButton* stopButton_;  // "停止"
    int total_ = 0;
    bool stop_ = false;
};

namespace CardListBoxes {

// The controller addresses of the list's selected entries, each a whole
// number 0 to 99; an entry that is not one is left out.
QList<int> selectedAddresses(const QListWidget* list);

// A card window's limit pickers back to no limit: both dates today, no
// weekday chosen, both times 00:00.
void resetPickers(QDateEdit* const (&dates)[2], QComboBox* const (&weekdays)[2], QTimeEdit* const (&times)[2]);

}  // namespace CardListBoxes
