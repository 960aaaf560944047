#pragma once
#include "reports/ReportStaging.h"

#include <functional>

class QWidget;

namespace ReportPrint {

// Shows the staged rows in the print preview (ReportViewer); a missing or
// broken template, or a staging table that cannot be read, comes back as
// the outcome.
ReportOutcome preview(QWidget* parent, const ReportStaging& report);

// The print button of every query window: stages the rows (under the busy
// cursor), shows them in the preview and tells the operator in plain words
// when either step failed. Returns how it went.
ReportOutcome stageAndPreview(QWidget* parent, const std::function<ReportOutcome()>& stage,
                              const ReportStaging& report);

}  // namespace ReportPrint
