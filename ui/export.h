#pragma once
// Export of a grid to an Excel workbook (.xlsx): a header row of captions,
// one row per grid row in grid order, and the footer's totals as a last row.
// Amounts and numbers are written as numbers, dates as dates, check boxes as
// 是/否, everything else as text.
#include "datasetmodel.h"

#include <QList>
#include <QString>
#include <functional>

namespace tolvaris {

class DataGrid;

// Called now and then while rows are written: rows done, rows in all.
using ExportProgress = std::function<void(int done, int total)>;

// Writes the given model columns (in that order) of every row of `model` to
// `path`. The workbook is written beside the target under a temporary name
// and renamed over it only when complete, so a failure never leaves a partial
// file under the chosen name. Returns "" on success, otherwise a message for
// the user ("导出失败：...").
QString exportToXlsx(const DatasetModel &model, const QList<int> &columns, const QString &path,
                     const ExportProgress &progress = {});

// The grid's rows with its visible columns and captions.
QString exportGridToXlsx(const DataGrid &grid, const QString &path, const ExportProgress &progress = {});

} // namespace tolvaris
