#include "chemistry.h"

#include <QVariant>

namespace tessaline {

chemistry::chemistry(const QString& company_name, const QString& program_version,
                     const QString& product_name)
    : store_(QSettings::NativeFormat, QSettings::UserScope, company_name, product_name) {
    version_written = write_setting(QStringLiteral("version"), program_version);
}

bool chemistry::write_setting(const QString& name, const QString& text) {
    store_.setValue(name, text);
    // QSettings writes lazily; sync now so that a failure is seen by the caller.
    store_.sync();
    return store_.status() == QSettings::NoError;
}

QString chemistry::read_setting(const QString& name) const {
    // Re-read the file: another running copy may have written it meanwhile.
    store_.sync();
    const QVariant value = store_.value(name);
    // Lists and other structured values written by hand are not text.
    if (!value.isValid() || value.typeId() != QMetaType::QString) return {};
    return value.toString();
}

} // namespace tessaline
