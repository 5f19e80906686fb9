#pragma once
// What the main window's source files share.
#include <QString>

namespace mainform {

inline QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace mainform
