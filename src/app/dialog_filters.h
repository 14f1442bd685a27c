// The program's file-dialog filter lists ("label|patterns|label|patterns", patterns separated
// by ";") in Qt's notation ("label (patterns)"), entry for entry.
#pragma once

#include <QStringList>

QStringList qtNameFilters(const char* filter);
