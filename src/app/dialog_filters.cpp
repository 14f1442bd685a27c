#include "dialog_filters.h"

QStringList qtNameFilters(const char* filter) {
    const QStringList parts = QString(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << QString("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
    return filters;
}
