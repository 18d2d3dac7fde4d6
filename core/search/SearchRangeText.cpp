#include "core/search/SearchRangeText.h"

#include <QCoreApplication>

QString searchRangeFaultText(SearchRangeFault fault, const QString& text)
{
    switch (fault) {
    case SearchRangeFault::None:
        break;
    case SearchRangeFault::Unreadable:
        return QCoreApplication::translate(
            "SearchRange", "无法识别的搜索范围：%1（应为 10.2.0.0/16 或 10.3.1.10-10.3.1.200）")
            .arg(text);
    case SearchRangeFault::Reversed:
        return QCoreApplication::translate("SearchRange", "范围的结束地址小于起始地址：%1").arg(text);
    case SearchRangeFault::TooLarge:
        return QCoreApplication::translate("SearchRange", "搜索范围过大：%1（最多 65536 个地址）").arg(text);
    }
    return QString();
}
