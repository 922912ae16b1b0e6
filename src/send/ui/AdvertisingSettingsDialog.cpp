#include "send/ui/AdvertisingSettingsDialog.h"

#include "common/Notifier.h"
#include "common/QtText.h"
#include "common/ui/Cp949LengthValidator.h"
#include "common/ui/DialogButtons.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace qb {

AdvertisingSettingsDialog::AdvertisingSettingsDialog(AdvertisingSettings settings, Notifier& notifier,
                                                     QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_settings(std::move(settings)), m_notifier(notifier), m_name(new QLineEdit(this)),
      m_optOut(new QLineEdit(this)) {
    setObjectName("advertisingSettings");
    setWindowTitle(QString::fromUtf8("광고 설정"));
    m_name->setObjectName("adName");
    m_name->setValidator(new Cp949LengthValidator(AdvertisingSettings::kMaxNameBytes, m_name));
    m_name->setText(toQString(m_settings.name));
    m_optOut->setObjectName("adOptOut");
    m_optOut->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9-]*"), m_optOut));
    m_optOut->setMaxLength(static_cast<int>(AdvertisingSettings::kMaxOptOutBytes));
    m_optOut->setPlaceholderText("080-123-4567");
    m_optOut->setText(toQString(m_settings.optOut));

    auto* hint = new QLabel(QString::fromUtf8("광고 문자는 \"(광고)\"와 상호로 시작하고,\n"
                                              "끝에 무료수신거부 번호를 적어야 합니다."),
                            this);
    auto* fields = new QFormLayout;
    fields->addRow(QString::fromUtf8("상호(서비스명)"), m_name);
    fields->addRow(QString::fromUtf8("무료수신거부 번호"), m_optOut);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(fields);
    addDialogButtons(this, layout, "확인");
    m_name->setFocus();
}

void AdvertisingSettingsDialog::accept() {
    AdvertisingSettings typed = m_settings;
    typed.name = fromQString(m_name->text());
    typed.optOut = fromQString(m_optOut->text());
    if (const std::string problem = typed.problem(); !problem.empty()) {
        m_notifier.error(problem);
        return;
    }
    m_settings = std::move(typed);
    QDialog::accept();
}

} // namespace qb
