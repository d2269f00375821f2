#pragma once
// Text between the program and Qt: the program's UTF-8 as a QString, and back.

#include <QString>
#include <string>

namespace ostrel {

QString ToQt(const std::string& text);
std::string FromQt(const QString& text);

}  // namespace ostrel
