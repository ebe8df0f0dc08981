#include "volmender/drive_list.h"

#include <QLocale>

namespace volmender {
namespace {

// Two decimals with the user's decimal separator and no thousands separators.
QString TwoDecimals(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', 2);
}

}  // namespace

QString DriveListLine(const d_api::TDriveParams& params)
{
    // Megabytes of 512-byte sectors.
    const double megabytes = static_cast<double>(params.totalSectors) / 2048.0;
    const QString size = megabytes < 1000.0 ? TwoDecimals(megabytes) + QStringLiteral(" MB)")
                                            : TwoDecimals(megabytes / 1024.0) + QStringLiteral(" GB)");
    const bool removable = (params.flags & d_api::RemovableFlag) != 0;
    return (removable ? QStringLiteral("U盘 (") : QStringLiteral("硬盘 (")) + size;
}

}  // namespace volmender
