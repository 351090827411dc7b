#pragma once

#include <QWidget>

#include "console/form1.h"

// The parts of the main window, each built into its own panel of the client area.
namespace console::layout {

// Side columns: connection and page buttons on the left, help and quick commands on the right.
QWidget* BuildLeftColumn(Tform1& form, QWidget* client);
QWidget* BuildRightColumn(Tform1& form, QWidget* client);

// Pages of the client area; one is shown at a time, all in the same place.
QWidget* BuildParameterPage(Tform1& form, QWidget* client);
QWidget* BuildAlarmPage(Tform1& form, QWidget* client);
QWidget* BuildHistoryPage(Tform1& form, QWidget* client);
QWidget* BuildCardPage(Tform1& form, QWidget* client);
QWidget* BuildReportPage(Tform1& form, QWidget* client);
QWidget* BuildAdvancedPage(Tform1& form, QWidget* client);

}  // namespace console::layout
