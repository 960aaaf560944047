#pragma once

class QWidget;
class ReportDocument;

// Where a finished report goes. The program's viewer shows the print
// preview, from which the operator prints or saves a PDF; tests install
// one that keeps the document instead of opening a dialog.
class ReportViewer {
public:
    virtual ~ReportViewer() = default;
    virtual void show(QWidget* parent, const ReportDocument& document) = 0;

    static ReportViewer& current();
    // Installs `v` (not owned); nullptr puts the print preview back.
    static void install(ReportViewer* v);
};
