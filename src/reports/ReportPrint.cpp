#include "reports/ReportPrint.h"

#include "reports/ReportViewer.h"
#include "ui/BusyCursor.h"
#include "ui/Prompter.h"

namespace ReportPrint {

ReportOutcome preview(QWidget* parent, const ReportStaging& report)
{
    ReportOutcome o;
    std::optional<ReportDocument> doc;
    {
        BusyCursor busy;
        doc = report.document(&o);
    }
    if (doc)
        ReportViewer::current().show(parent, *doc);
    return o;
}

ReportOutcome stageAndPreview(QWidget* parent, const std::function<ReportOutcome()>& stage,
                              const ReportStaging& report)
{
    ReportOutcome outcome;
    {
        BusyCursor busy;
        outcome = stage();
    }
    if (outcome.ok())
        outcome = preview(parent, report);
    if (!outcome.ok())
        Prompt::exclaim(parent, outcome.message());
    return outcome;
}

}  // namespace ReportPrint
