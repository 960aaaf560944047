#include "reports/ReportPrint.h"

#include "ui/BusyCursor.h"
#include "ui/Prompter.h"

namespace ReportPrint {

ReportOutcome stageAndPreview(QWidget* parent, const std::function<ReportOutcome()>& stage,
                              const ReportStaging& report)
{
    ReportOutcome outcome;
    {
        BusyCursor busy;
        outcome = stage();
    }
    if (outcome.ok())
        outcome = report.preview(parent);
    if (!outcome.ok())
        Prompt::exclaim(parent, outcome.message());
    return outcome;
}

}  // namespace ReportPrint
