#pragma once
#include <QWidget>


class QListWidget;
class QLabel;
class QPushButton;

// The progress of a run over many cards ("card n of m") with the one
// control that stays live during it: a stop that takes effect between two
// cards, so a card is never left half written.
class CardRunProgress : public QWidget {
    Q_OBJECT
public:
    explicit CardRunProgress(QWidget* parent = nullptr);

    void begin(int total);
    void advance(int done);
    // The run is over; the line keeps its last count.
    void finish();
    bool stopRequested() const { return stop_; }

private:
    QLabel* text_;
    QPushButton* stopButton_;
    int total_ = 0;
    bool stop_ = false;
};

namespace CardListBoxes {

// The controller addresses of the list's selected entries, each a whole
// number 0 to 99; an entry that is not one is left out.
QList<int> selectedAddresses(const QListWidget* list);

}  // namespace CardListBoxes
