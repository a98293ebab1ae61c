// The per-user settings store: named text values kept by QSettings under the
// maker's and the product's name (on Linux, ~/.config/<maker>/<product>.conf).
#pragma once

#include <QSettings>
#include <QString>

namespace tessaline {

class chemistry {
  public:
    // Writes "version", so that the store always tells which version last ran.
    chemistry(const QString& company_name, const QString& program_version,
              const QString& product_name);

    // False when the value could not be stored (read-only or broken file).
    bool write_setting(const QString& name, const QString& text);
    // Empty text for a missing value or one that is not text.
    QString read_setting(const QString& name) const;

    // Where the values live, for messages and tests.
    QString file_name() const { return store_.fileName(); }

    // Whether the "version" write at creation reached the store.
    bool version_written = false;

  private:
    mutable QSettings store_;
};

} // namespace tessaline
