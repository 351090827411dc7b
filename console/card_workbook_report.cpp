// The console has no Excel report yet: the card export offers only the PDF report and says so.
#include "console/card_workbook_report.h"

namespace console {

bool CardWorkbookReportAvailable() { return false; }

std::unique_ptr<TCardWorkbookReport> StartCardWorkbookReport(const std::string&) { return nullptr; }

}  // namespace console
