#include "reports/ReportViewer.h"

#include "db/ProgramFolder.h"
#include "reports/ReportDocument.h"
#include "ui/BusyCursor.h"
#include "ui/FileDialogs.h"
#include "ui/Prompter.h"

#include <QAction>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStyle>
#include <QToolBar>

namespace {

class PrintPreview : public ReportViewer {
public:
    void show(QWidget* parent, const ReportDocument& document) override
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(document.report().title);
        printer.setCreator(QStringLiteral("门禁管理系统"));
        document.setUpPage(&printer);

        QPrintPreviewDialog dialog(&printer, parent);
        dialog.setWindowTitle(document.report().title.isEmpty() ? document.report().name : document.report().title);
        QString failure;
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
            // Qt's print dialog can print into a file of its own choosing.
            if (target->outputFormat() == QPrinter::PdfFormat) {
                if (const QString why = ProgramFolder::refusal(target->outputFileName()); !why.isEmpty()) {
                    failure = why;
                    return;
                }
            }
            BusyCursor busy;
            QString error;
            if (!document.paint(target, &error))
                failure = error;
        });
        // The print dialog can print to a file as well, but a plain button
        // for the PDF is what operators look for.
        if (auto* bar = dialog.findChild<QToolBar*>()) {
            bar->addSeparator();
            QAction* save = bar->addAction(dialog.style()->standardIcon(QStyle::SP_DialogSaveButton),
                                           QStringLiteral("保存为PDF"));
            save->setToolTip(QStringLiteral("将报表保存为PDF文件"));
            QObject::connect(save, &QAction::triggered, &dialog, [&dialog, &document]() {
                const QString file = FileDialogs::saveFile(&dialog, QStringLiteral("保存为PDF"),
                                                           document.report().title + QStringLiteral(".pdf"),
                                                           QStringLiteral("PDF 文件 (*.pdf)"), FileDialogs::Suffix::Always);
                if (file.isEmpty())
                    return;
                QString error;
                BusyCursor busy;
                if (!document.renderPdf(file, &error))
                    Prompt::exclaim(&dialog, QStringLiteral("PDF 文件保存失败：%1").arg(error));
            });
        }
        dialog.resize(1000, 720);
        dialog.exec();
        if (!failure.isEmpty())
            Prompt::exclaim(parent, QStringLiteral("报表输出失败：%1").arg(failure));
    }
};

ReportViewer* installed = nullptr;

}  // namespace

ReportViewer& ReportViewer::current()
{
    static PrintPreview preview;
    return installed ? *installed : static_cast<ReportViewer&>(preview);
}

void ReportViewer::install(ReportViewer* v)
{
    installed = v;
}
