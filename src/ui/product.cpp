#include "product.h"

#include "base/version.h"

namespace tessaline::product {

QString name() {
    return QStringLiteral("Tessaline");
}

QString company() {
    return QStringLiteral("Korrabel");
}

QString version() {
    return QString::fromUtf8(program_version.data(),
                             static_cast<qsizetype>(program_version.size()));
}

} // namespace tessaline::product
