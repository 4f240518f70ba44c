#include "restore/records/RestoredItemReport.h"

namespace FILEEXTENT_RESTORE
{
namespace
{
template <class T>
const T& ValueOrEmpty(const boost::optional<T>& value)
{
    static const T empty{};
    return value ? *value : empty;
}
} // namespace

void CRestoredItemReport::Fill(const CRestoredItem& record, CFileExtentContainerItemRestoreReport& report)
{
    report.SetRestoreStatus(record.Status.value_or(PROGRESSING));
    report.SetRestoredFilePath(ValueOrEmpty(record.RestoredFilePath));
    report.SetErrCode(record.ErrorCode.value_or(0));
    report.SetNoOfExtents(static_cast<ULONGLONG>(record.NumOfExtents.value_or(0)));
    CFileExtentContainerItemRestoredAttributes attributes;
    attributes.DeserializeFromString(ValueOrEmpty(record.Metadata));
    report.SetFileExtentContainerItemRestoredAttributes(attributes);
    CFileExtentRestoredItemPostProcessAction action;
    action.DeserializeFromString(ValueOrEmpty(record.PostProcessAction));
    report.SetFileExtentRestoredItemPostProcessAction(action);
    report.SetExtentBitmap(ValueOrEmpty(record.ExtentBitmap));
    report.SetTaskId(record.TaskId.value_or(0));
}

} // namespace FILEEXTENT_RESTORE
