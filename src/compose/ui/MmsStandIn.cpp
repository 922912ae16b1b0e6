#include "compose/ui/MmsStandIn.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace qb {
namespace {

class MmsStandInWindow : public QWidget {
public:
    MmsStandInWindow(QWidget* owner, std::function<void()> onClose)
        : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
          m_onClose(std::move(onClose)) {
        setAttribute(Qt::WA_DeleteOnClose);
        setObjectName("mmsWindow");
        setWindowTitle("MMS");
        auto* label = new QLabel(QString::fromUtf8("편집창 준비중"), this);
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet("color: #7a8796;");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(label);
        resize(300, 420);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        QWidget::closeEvent(event);
        if (event->isAccepted() && m_onClose)
            m_onClose();
    }

private:
    std::function<void()> m_onClose;
};

} // namespace

QWidget* createMmsStandIn(QWidget* owner, std::function<void()> onClose) {
    return new MmsStandInWindow(owner, std::move(onClose));
}

} // namespace qb
