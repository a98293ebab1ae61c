// Between the window and the update check: the request values it reads on
// the GUI thread, the installation token kept in the settings store, and the
// offer shown when the server names another version.
#include "main_window.h"

#include "settings/chemistry.h"
#include "update_window.h"

#include "net/update_address.h"
#include "net/update_reply.h"

#include <QUuid>

namespace tessaline {

void TFMain::start_update_check() {
    const std::optional<QString> host = update_host();
    // An empty TESSALINE_UPDATE_HOST turns the check off.
    if (!host) return;
    update_host_ = *host;
    update_check = std::make_unique<update_check_owner>();
    update_check->start(this, this);
}

QString TFMain::update_host_value() const {
    return update_host_;
}

QString TFMain::update_path_value() const {
    return update_path;
}

QString TFMain::installation_token() {
    const QString name = QStringLiteral("installation_token");
    QString token = settings->read_setting(name);
    if (token.isEmpty()) {
        token = QUuid::createUuid().toString(QUuid::WithoutBraces);
        settings->write_setting(name, token);
    }
    return token;
}

void TFMain::update_reply_arrived(const QString& reply) {
    update_reply = QString::fromStdString(trim_to_angle_brackets(reply.toStdString()));
    update_reply_message();
}

void TFMain::update_reply_message() {
    if (!update_offer_needed(update_reply.toStdString(), program_version.toStdString())) return;
    TFUpdate offer(product_name, download_address, this);
    offer.exec();
}

} // namespace tessaline
