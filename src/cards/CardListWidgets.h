#pragma once
#include <QWidget>

#include <functional>

class QComboBox;
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

// An editable combo box of the card lists: no completion (a typed "1"
// must not turn into "10"), nothing typed is added to the list, and with
// `maxDigits` > 0 only that many digits get in, typed or pasted.
void editable(QComboBox* box, int maxDigits = 0);

// Calls `picked` when an entry is chosen from the box's list (or Enter is
// pressed in it), not when the focus merely leaves a box whose typed text
// matches an entry: a click on a button after typing must not run what a
// pick from the list does (marking controllers, resetting limits).
void onPick(QComboBox* box, const std::function<void()>& picked);

}  // namespace CardListBoxes
