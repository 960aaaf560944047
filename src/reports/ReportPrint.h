#pragma once
#include "reports/ReportStaging.h"

#include <functional>

class QWidget;

namespace ReportPrint {

// The print button of every query window: stages the rows (under the busy
// cursor), shows them in the preview and tells the operator in plain words
// when either step failed. Returns how it went.
ReportOutcome stageAndPreview(QWidget* parent, const std::function<ReportOutcome()>& stage,
                              const ReportStaging& report);

}  // namespace ReportPrint
