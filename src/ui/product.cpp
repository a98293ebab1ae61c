#include "product.h"

#include <array>

namespace tessaline {

namespace {

constexpr char site_key = 0x5a;

// "https://korrabel.org", each byte xor site_key.
constexpr std::array<char, 20> scrambled_site = {
    0x32, 0x2e, 0x2e, 0x2a, 0x29, 0x60, 0x75, 0x75, 0x31, 0x35,
    0x28, 0x28, 0x3b, 0x38, 0x3f, 0x36, 0x74, 0x35, 0x28, 0x3d,
};

} // namespace

QString product_name() { return QStringLiteral("Tessaline"); }

QString company_name() { return QStringLiteral("Korrabel"); }

QString program_version() { return QStringLiteral(TESSALINE_VERSION); }

QString site_address() {
    QString site;
    for (char c : scrambled_site) site += QChar(static_cast<char>(c ^ site_key));
    return site;
}

} // namespace tessaline
