#pragma once
#include <QDialog>

class LinePort;

// A window that talks to the controllers on its own port. While one of its
// exchanges waits (counted in working_, see ExchangeGuard) it refuses to
// close, by its close box or by Escape; when it closes, its port closes and
// the line is free for another window.
class LineDialog : public QDialog {
    Q_OBJECT
public:
    explicit LineDialog(QWidget* parent = nullptr);
    ~LineDialog() override;

    bool working() const { return working_ > 0; }

protected:
    LinePort* port() const { return port_; }
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

    int working_ = 0;

private:
    LinePort* port_;
};
