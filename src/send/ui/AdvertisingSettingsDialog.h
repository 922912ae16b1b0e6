#pragma once

#include "compose/AdvertisingSettings.h"

#include <QDialog>

class QLineEdit;

namespace qb {

class Notifier;

// "광고 설정": the sender's name and the free refusal number. "확인" keeps them
// only when both can be used; otherwise the user is told why and stays.
class AdvertisingSettingsDialog : public QDialog {
    Q_OBJECT

public:
    AdvertisingSettingsDialog(AdvertisingSettings settings, Notifier& notifier, QWidget* parent = nullptr);

    // What the fields held at "확인".
    const AdvertisingSettings& settings() const { return m_settings; }
    void accept() override;

private:
    AdvertisingSettings m_settings;
    Notifier& m_notifier;
    QLineEdit* m_name;
    QLineEdit* m_optOut;
};

} // namespace qb
