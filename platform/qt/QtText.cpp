#include "QtText.h"

namespace ostrel {

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

std::string FromQt(const QString& text) {
    return text.toStdString();
}

}  // namespace ostrel
